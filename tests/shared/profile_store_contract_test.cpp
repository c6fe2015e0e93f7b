// One set of expectations for every profile store: natively the program's
// own INI files; under Windows (and Wine) also the system's private-profile
// functions, so that the two are known to answer alike.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "config/profile_store.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

using StoreFactory = std::unique_ptr<ProfileStore> (*)();

class ProfileStoreContract : public ::testing::TestWithParam<StoreFactory> {
 protected:
  std::unique_ptr<ProfileStore> store_ = GetParam()();
  testing::TestDir dir_;
  std::string ini_ = dir_.File("config.ini");
};

TEST_P(ProfileStoreContract, MissingFileOrKeyGivesTheDefault) {
  EXPECT_EQ(store_->GetInt(ini_, "setting", "Calpha", 130), 130);
  EXPECT_EQ(store_->GetString(ini_, "setting", "x", "dflt", 260), "dflt");
  dir_.Write("config.ini", "[setting]\r\nother=5\r\n[else]\r\nCalpha=7\r\n");
  EXPECT_EQ(store_->GetInt(ini_, "setting", "Calpha", 130), 130);
  EXPECT_EQ(store_->GetInt(ini_, "nosection", "other", -4), -4);
  EXPECT_EQ(store_->GetString(ini_, "setting", "missing", "", 260), "");
}

TEST_P(ProfileStoreContract, NamesMatchWithoutCaseAndBlanksDoNotCount) {
  dir_.Write("config.ini", "[Setting]\r\n  Cposition  =  8  \r\nText =  some words here \r\n");
  EXPECT_EQ(store_->GetInt(ini_, "setting", "CPOSITION", 0), 8);
  EXPECT_EQ(store_->GetInt(ini_, "SETTING", "cposition", 0), 8);
  EXPECT_EQ(store_->GetString(ini_, "setting", "text", "", 260), "some words here");
}

TEST_P(ProfileStoreContract, NumbersAreReadFromTheStartOfTheValue) {
  dir_.Write("config.ini",
             "[setting]\r\na=42\r\nb=-17\r\nc=12abc\r\nd=abc\r\ne=  9\r\nf=-0\r\ng=2147483647\r\n"
             "h=-2147483648\r\ni=+5\r\nk=3.9\r\n");
  EXPECT_EQ(store_->GetInt(ini_, "setting", "a", 1), 42);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "b", 1), -17);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "c", 1), 12);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "d", 1), 0);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "e", 1), 9);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "f", 1), 0);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "g", 1), 2147483647);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "h", 1), -2147483647 - 1);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "i", 1), 5);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "k", 1), 3);
}

TEST_P(ProfileStoreContract, TextIsCutToTheBuffer) {
  const std::string long_value(300, 'p');
  dir_.Write("config.ini", "[setting]\r\nCcalendar_background_user=" + long_value + "\r\n");
  EXPECT_EQ(store_->GetString(ini_, "setting", "Ccalendar_background_user", "", 260), long_value.substr(0, 259));
  EXPECT_EQ(store_->GetString(ini_, "setting", "Ccalendar_background_user", "", 5), "pppp");
}

TEST_P(ProfileStoreContract, WritesCreateUpdateAndAppend) {
  ASSERT_TRUE(store_->WriteString(ini_, "setting", "first", "1"));
  ASSERT_TRUE(store_->WriteString(ini_, "setting", "second", "two words"));
  ASSERT_TRUE(store_->WriteString(ini_, "setting", "FIRST", "-3"));
  EXPECT_EQ(store_->GetInt(ini_, "setting", "first", 0), -3);
  EXPECT_EQ(store_->GetString(ini_, "setting", "second", "", 260), "two words");
  // Each key stands once, in the order of its first write.
  const std::string text = dir_.Read("config.ini");
  EXPECT_LT(text.find("first"), text.find("second"));
  EXPECT_EQ(text.find("first", text.find("first") + 1), std::string::npos);
}

TEST_P(ProfileStoreContract, WritesLeaveOtherSectionsAndKeysAlone) {
  dir_.Write("config.ini", "[other]\r\nkeep=me\r\n[setting]\r\ncategory=3\r\n");
  ASSERT_TRUE(store_->WriteString(ini_, "setting", "current_wallpaper", "5"));
  ASSERT_TRUE(store_->WriteString(ini_, "other", "keep", "you"));
  EXPECT_EQ(store_->GetInt(ini_, "setting", "category", 0), 3);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "current_wallpaper", 0), 5);
  EXPECT_EQ(store_->GetString(ini_, "other", "keep", "", 260), "you");
}

TEST_P(ProfileStoreContract, BareLineEndsAndAMissingLastLineEndAreRead) {
  dir_.Write("config.ini", "[setting]\nsposob_wyswietlania=2\nCalpha=99");
  EXPECT_EQ(store_->GetInt(ini_, "setting", "sposob_wyswietlania", 0), 2);
  EXPECT_EQ(store_->GetInt(ini_, "setting", "Calpha", 0), 99);
}

std::string StoreName(const ::testing::TestParamInfo<StoreFactory>& info) {
  return info.index == 0 ? "IniFile" : "System";
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Stores, ProfileStoreContract,
                         ::testing::Values(&MakeIniFileProfileStore, &MakeSystemProfileStore), StoreName);
#else
INSTANTIATE_TEST_SUITE_P(Stores, ProfileStoreContract, ::testing::Values(&MakeIniFileProfileStore), StoreName);
#endif

}  // namespace
}  // namespace vistelle
