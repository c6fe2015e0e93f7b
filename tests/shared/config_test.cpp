// The settings record against every profile store (see the contract test).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

using StoreFactory = std::unique_ptr<ProfileStore> (*)();

class ConfigTest : public ::testing::TestWithParam<StoreFactory> {
 protected:
  TConfig Loaded() {
    TConfig c;
    c.SetPath(ini_);
    c.Load(*store_);
    return c;
  }
  std::unique_ptr<ProfileStore> store_ = GetParam()();
  testing::TestDir dir_;
  std::string ini_ = dir_.File("config.ini");
};

// A missing file gives every default, and a new file gets every key in the
// program's order with its default.
TEST_P(ConfigTest, MissingFileGivesTheDefaultsAndANewFileGetsThemInTheProgramsOrder) {
  const TConfig c = Loaded();
  EXPECT_TRUE(SameSettings(c, TConfig())) << FirstDifferentKey(c, TConfig());
  EXPECT_EQ(c.color_mf, 0xFFFFFFu);
  EXPECT_EQ(c.color_saturday, 0x01FFFFu);
  EXPECT_EQ(c.color_sunday, 0x0101FFu);
  EXPECT_EQ(c.color_background, 0x0101FEu);  // red 254 in the low byte
  EXPECT_EQ(c.color_shadow, 0x010101u);

  ASSERT_TRUE(c.Save(*store_));
  const std::string text = dir_.Read("config.ini");
  const std::vector<std::string> lines = {
      "sposob_wyswietlania=0", "sposob_wybierania=0", "zmiana_tapety_co=0", "co_ile_sek_godz=10", "godz_sek=0",
      "second_counter=1", "Smartblur=0", "Negativ=0", "Gray=0", "Pseudocolors=0", "Noise=0", "NoiseInt=25",
      "Sharpen=0", "Blur=0", "Contrast=0", "ContrastInt=20", "Lighten=0", "LightenInt=20", "Colorize=0",
      "CoorizeIntR=255", "CoorizeIntG=212", "CoorizeIntB=36", "Cshadow=1", "CRGB_shadow_R=1", "CRGB_shadow_G=1",
      "CRGB_shadow_B=1", "Cactivecalendar=1", "Calpha=130", "Cposition=2", "CRGB_mf_R=255", "CRGB_mf_G=255",
      "CRGB_mf_B=255", "CRGB_saturday_R=255", "CRGB_saturday_G=255", "CRGB_saturday_B=1", "CRGB_sunday_R=255",
      "CRGB_sunday_G=1", "CRGB_sunday_B=1", "CRGB_background_R=254", "CRGB_background_G=1",
      "CRGB_background_B=1", "Ccalendar_background=0", "Ccalendar_background_prog=0",
      "Ccalendar_background_user=", "monitor_mode=0", "no_repeat=1", "hotkey_next=Ctrl+Alt+Shift+Right",
      "hotkey_previous=Ctrl+Alt+Shift+Left", "hotkey_random=Ctrl+Alt+Shift+Down"};
  std::size_t at = text.find("[setting]");
  ASSERT_NE(at, std::string::npos);
  for (const std::string& line : lines) {
    const std::size_t next = text.find("\n" + line + "\r\n", at);
    ASSERT_NE(next, std::string::npos) << line << " missing or out of order";
    at = next + 1;
  }
  EXPECT_EQ(SettingKeys().size(), lines.size());
}

TEST_P(ConfigTest, FlagsLoadAsZeroOrOneAndComponentsKeepTheirValue) {
  dir_.Write("config.ini", "[setting]\r\nNegativ=7\r\nGray=-1\r\nBlur=0\r\nCRGB_background_R=300\r\n"
                           "CRGB_background_G=-1\r\nCshadow=abc\r\n");
  TConfig c = Loaded();
  EXPECT_EQ(c.negativ, 1);
  EXPECT_EQ(c.gray, 1);
  EXPECT_EQ(c.blur, 0);
  EXPECT_EQ(c.shadow, 0);  // not a number: 0, not the default
  EXPECT_EQ(c.background_r, 300);
  // Only the low byte of each component reaches the colour: 300 -> 44.
  EXPECT_EQ(c.color_background, 44u | (0xFFu << 8) | (1u << 16));

  ASSERT_TRUE(c.Save(*store_));
  EXPECT_EQ(store_->GetString(ini_, "setting", "Negativ", "", 260), "1");
  EXPECT_EQ(store_->GetString(ini_, "setting", "CRGB_background_R", "", 260), "300");
  EXPECT_EQ(store_->GetString(ini_, "setting", "CRGB_background_G", "", 260), "-1");
}

// Every key away from its default (numbers negative and large, texts in
// Polish) comes back as saved.
TEST_P(ConfigTest, SaveThenLoadGivesTheSameRecord) {
  TConfig a;
  a.SetPath(ini_);
  std::int32_t n = 0;
  for (const SettingKey& k : SettingKeys()) {
    ++n;
    if (k.kind == SettingKey::Kind::kNumber) a.*k.number = k.highest == 2 ? 2 : (n % 2 ? -n : 1000 * n);
    if (k.kind == SettingKey::Kind::kFlag) a.*k.flag = k.default_number ? 0 : 1;
    if (k.kind == SettingKey::Kind::kText) a.*k.text = u8"C:\\Obrazy\\Za\u017c\u00f3\u0142\u0107 " + std::to_string(n);
  }
  ASSERT_TRUE(a.Save(*store_));
  a.DeriveColors();
  const TConfig b = Loaded();
  EXPECT_TRUE(SameSettings(a, b)) << FirstDifferentKey(a, b);
  EXPECT_FALSE(SameSettings(b, TConfig()));
  EXPECT_EQ(b.color_shadow, a.color_shadow);
}

// The sheet's record brings what the sheet edits; the minute counter and
// the hotkeys stay as they are meanwhile.
TEST_P(ConfigTest, TheSheetsFieldsComeOverAndTheOthersStay) {
  TConfig sheet;
  sheet.sposob_wyswietlania = 4;
  sheet.shadow_r = 200;
  sheet.calendar_background_user = "C:\\cal.jpg";
  sheet.second_counter = 40;
  sheet.hotkey_next = "Win+F1";
  TConfig running;
  running.SetPath(ini_);
  running.second_counter = 3;
  running.hotkey_random = "";
  CopySheetFields(sheet, running);
  EXPECT_EQ(running.Path(), ini_);
  EXPECT_EQ(running.sposob_wyswietlania, 4);
  EXPECT_EQ(running.color_shadow, (200u | (1u << 8) | (1u << 16)));
  EXPECT_EQ(running.calendar_background_user, "C:\\cal.jpg");
  EXPECT_EQ(running.second_counter, 3);
  EXPECT_EQ(running.hotkey_next, TConfig::kDefaultHotkeyNext);
  EXPECT_EQ(running.hotkey_random, "");
  for (const SettingKey& k : SettingKeys()) {
    const bool elsewhere = std::string(k.key) == "second_counter" || std::string(k.key).rfind("hotkey_", 0) == 0;
    EXPECT_EQ(k.sheet, !elsewhere) << k.key;
  }
}

TEST_P(ConfigTest, AnOverlongPathIsCutTo259Characters) {
  const std::string long_path = "C:\\" + std::string(400, 'd');
  dir_.Write("config.ini", "[setting]\r\nCcalendar_background_user=" + long_path + "\r\n");
  EXPECT_EQ(Loaded().calendar_background_user, long_path.substr(0, 259));
}

TEST_P(ConfigTest, TheMonitorModeKeepsZeroToTwoAndReadsAnythingElseAsZero) {
  EXPECT_EQ(Loaded().monitor_mode, 0);
  struct Case {
    const char* text;
    std::int32_t mode;
  };
  for (const Case c : {Case{"1", 1}, Case{"2", 2}, Case{"0", 0}, Case{"3", 0}, Case{"-1", 0}, Case{"span", 0}}) {
    dir_.Write("config.ini", std::string("[setting]\r\nmonitor_mode=") + c.text + "\r\n");
    TConfig loaded = Loaded();
    EXPECT_EQ(loaded.monitor_mode, c.mode) << c.text;
    ASSERT_TRUE(loaded.Save(*store_));
    EXPECT_EQ(store_->GetString(ini_, "setting", "monitor_mode", "", 260), std::to_string(c.mode)) << c.text;
  }
}

TEST_P(ConfigTest, TheMinuteCounterSurvivesARestart) {
  TConfig a = Loaded();
  a.second_counter = 7;
  ASSERT_TRUE(a.Save(*store_));
  EXPECT_EQ(Loaded().second_counter, 7);
}

TEST_P(ConfigTest, AnEmptyHotkeyStaysNoneAndNoRepeatsCanBeTurnedOff) {
  TConfig a = Loaded();
  a.no_repeat = 0;
  a.hotkey_next = "";
  a.hotkey_random = "Win+F7";
  ASSERT_TRUE(a.Save(*store_));
  const TConfig b = Loaded();
  EXPECT_EQ(b.no_repeat, 0);
  EXPECT_EQ(b.hotkey_next, "");
  EXPECT_EQ(b.hotkey_previous, "Ctrl+Alt+Shift+Left");
  EXPECT_EQ(b.hotkey_random, "Win+F7");
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Stores, ConfigTest, ::testing::Values(&MakeIniFileProfileStore, &MakeSystemProfileStore),
                         [](const auto& info) { return std::string(info.index == 0 ? "IniFile" : "System"); });
#else
INSTANTIATE_TEST_SUITE_P(Stores, ConfigTest, ::testing::Values(&MakeIniFileProfileStore),
                         [](const auto&) { return std::string("IniFile"); });
#endif

}  // namespace
}  // namespace vistelle
