// Saving config.ini in one step: the keys of a save go into a copy, and the
// file is replaced only when the save is complete. Natively on the program's
// own INI store; under Windows (and Wine) also on the system's functions,
// whose cached view of the file must follow the replacement.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "config/config.h"
#include "config/profile_file_replace.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

using StoreFactory = std::unique_ptr<ProfileStore> (*)();

// Refuses to write one key, as a full disk or a read-only file would.
class RefusingStore final : public ProfileStore {
 public:
  explicit RefusingStore(ProfileStore& inner) : inner_(inner) {}
  int GetInt(const std::string& f, const std::string& s, const std::string& k, int d) override {
    return inner_.GetInt(f, s, k, d);
  }
  std::string GetString(const std::string& f, const std::string& s, const std::string& k, const std::string& d,
                        std::size_t n) override {
    return inner_.GetString(f, s, k, d, n);
  }
  bool WriteString(const std::string& f, const std::string& s, const std::string& k,
                   const std::string& v) override {
    return k == "refused" ? false : inner_.WriteString(f, s, k, v);
  }

 private:
  ProfileStore& inner_;
};

class ReplacingSave : public ::testing::TestWithParam<StoreFactory> {
 protected:
  std::unique_ptr<ProfileStore> system_ = GetParam()();
  testing::TestDir dir_;
  std::string ini_ = dir_.File("config.ini");
  std::string staging_ = ReplacingProfileStore::StagingNameFor(ini_);
};

TEST_P(ReplacingSave, TheFileChangesOnlyAtCommitAndKeepsWhatItHad) {
  const std::string before = "[other]\r\nkeep=me\r\n[setting]\r\ncategory=3\r\nCalpha=7\r\n";
  dir_.Write("config.ini", before);
  ReplacingProfileStore store(*system_);
  ASSERT_TRUE(store.Begin(ini_));
  ASSERT_TRUE(store.WriteString(ini_, "setting", "category", "1"));
  ASSERT_TRUE(store.WriteString(ini_, "setting", "current_wallpaper", "4"));
  // Halfway through, the file is still the old one; the save reads its own.
  EXPECT_EQ(dir_.Read("config.ini"), before);
  EXPECT_EQ(store.GetInt(ini_, "setting", "category", 0), 1);
  ASSERT_TRUE(store.Commit());

  EXPECT_FALSE(FileExists(staging_));
  EXPECT_EQ(system_->GetInt(ini_, "setting", "category", 0), 1);
  EXPECT_EQ(system_->GetInt(ini_, "setting", "current_wallpaper", 0), 4);
  EXPECT_EQ(system_->GetInt(ini_, "setting", "Calpha", 0), 7);
  EXPECT_EQ(system_->GetString(ini_, "other", "keep", "", 260), "me");

  // A second save starts from the first one's result.
  ASSERT_TRUE(store.Begin(ini_));
  EXPECT_EQ(store.GetInt(ini_, "setting", "current_wallpaper", 0), 4);
  ASSERT_TRUE(store.WriteString(ini_, "setting", "current_wallpaper", "5"));
  ASSERT_TRUE(store.Commit());
  EXPECT_EQ(system_->GetInt(ini_, "setting", "current_wallpaper", 0), 5);
  EXPECT_EQ(system_->GetInt(ini_, "setting", "category", 0), 1);
}

TEST_P(ReplacingSave, AFailedWriteOrAnAbortLeavesTheFileAsItWas) {
  const std::string before = "[setting]\r\ncategory=3\r\n";
  dir_.Write("config.ini", before);
  RefusingStore refusing(*system_);
  ReplacingProfileStore store(refusing);

  ASSERT_TRUE(store.Begin(ini_));
  EXPECT_TRUE(store.WriteString(ini_, "setting", "category", "0"));
  EXPECT_FALSE(store.WriteString(ini_, "setting", "refused", "1"));
  EXPECT_FALSE(store.Commit());
  EXPECT_EQ(dir_.Read("config.ini"), before);
  EXPECT_FALSE(FileExists(staging_));

  ASSERT_TRUE(store.Begin(ini_));
  EXPECT_TRUE(store.WriteString(ini_, "setting", "category", "0"));
  store.Abort();
  EXPECT_EQ(dir_.Read("config.ini"), before);
  EXPECT_FALSE(FileExists(staging_));
  // Outside a save the writes go straight to the file.
  EXPECT_TRUE(store.WriteString(ini_, "setting", "category", "2"));
  EXPECT_EQ(system_->GetInt(ini_, "setting", "category", 0), 2);
}

TEST_P(ReplacingSave, AWholeSettingsRecordIntoNoFileOrALeftOverStagingFile) {
  // What an interrupted save leaves behind is written over, never read.
  dir_.Write("config.ini.saving", "[setting]\r\nCalpha=1\r\n");
  ReplacingProfileStore store(*system_);
  TConfig settings;
  settings.SetPath(ini_);
  settings.second_counter = 42;
  settings.calendar_alpha = 99;
  ASSERT_TRUE(store.Begin(ini_));
  EXPECT_TRUE(settings.Save(store));
  // Another file is not part of the save.
  const std::string other = dir_.File("other.ini");
  EXPECT_TRUE(store.WriteString(other, "setting", "x", "1"));
  EXPECT_EQ(system_->GetInt(other, "setting", "x", 0), 1);
  EXPECT_FALSE(FileExists(ini_));
  ASSERT_TRUE(store.Commit());

  TConfig loaded;
  loaded.SetPath(ini_);
  loaded.Load(*system_);
  EXPECT_EQ(loaded.second_counter, 42);
  EXPECT_EQ(loaded.calendar_alpha, 99);
  EXPECT_FALSE(FileExists(staging_));
}

std::string StoreName(const ::testing::TestParamInfo<StoreFactory>& info) {
  return info.index == 0 ? "IniFile" : "System";
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Stores, ReplacingSave, ::testing::Values(&MakeIniFileProfileStore, &MakeSystemProfileStore),
                         StoreName);
#else
INSTANTIATE_TEST_SUITE_P(Stores, ReplacingSave, ::testing::Values(&MakeIniFileProfileStore), StoreName);
#endif

}  // namespace
}  // namespace vistelle
