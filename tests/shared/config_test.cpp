// The settings record against every profile store (see the contract test).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

using StoreFactory = std::unique_ptr<ProfileStore> (*)();

// Every key away from its default: numbers negative or large (ranged ones at
// their highest), flags the other way, texts in Polish.
TConfig AwayFromTheDefaults() {
  TConfig c;
  std::int32_t n = 0;
  for (const SettingKey& k : SettingKeys()) {
    ++n;
    const std::int32_t number = n % 2 ? -n : 1000 * n;
    if (k.number) {
      c.*k.number = number < k.lowest || number > k.highest ? k.highest : number;
      if (c.*k.number == k.default_number) c.*k.number = k.lowest;
    }
    if (k.flag) c.*k.flag = k.default_number != 0 ? 0 : 1;
    if (k.text) c.*k.text = "C:\\Obrazy\\Zażółć gęślą jaźń\\" + std::to_string(n);
  }
  c.DeriveColors();
  return c;
}

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

TEST_P(ConfigTest, MissingFileGivesTheDefaults) {
  const TConfig c = Loaded();
  EXPECT_TRUE(SameSettings(c, TConfig())) << FirstDifferentKey(c, TConfig());
  EXPECT_EQ(c.color_mf, 0xFFFFFFu);
  EXPECT_EQ(c.color_saturday, 0x01FFFFu);
  EXPECT_EQ(c.color_sunday, 0x0101FFu);
  EXPECT_EQ(c.color_background, 0x0101FEu);  // red 254 in the low byte
  EXPECT_EQ(c.color_shadow, 0x010101u);

  // Every key as a new file gets it.
  ASSERT_TRUE(c.Save(*store_));
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
      "hotkey_previous=Ctrl+Alt+Shift+Left", "hotkey_random=Ctrl+Alt+Shift+Down", "paused=0", "wait_fullscreen=1",
      "wait_battery_saver=1", "wait_remote=1", "hotkey_back=Ctrl+Alt+Shift+Up", "hotkey_forward=",
      "hotkey_favourite=", "hotkey_never=", "confirm_never_show=1", "caption=0",
      "caption_pattern={title|name}", "caption_position=8", "caption_size=20", "caption_r=255", "caption_g=255",
      "caption_b=255", "caption_shadow=1", "caption_plate=0"};
  EXPECT_EQ(lines.size(), SettingKeys().size());
  for (const std::string& line : lines) {
    const std::string key = line.substr(0, line.find('='));
    EXPECT_EQ(key + "=" + store_->GetString(ini_, "setting", key, "(missing)", 260), line);
  }
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

TEST_P(ConfigTest, SaveThenLoadGivesTheSameRecord) {
  TConfig a = AwayFromTheDefaults();
  a.SetPath(ini_);
  ASSERT_TRUE(a.Save(*store_));
  const TConfig b = Loaded();
  EXPECT_TRUE(SameSettings(a, b)) << FirstDifferentKey(a, b);
  EXPECT_EQ(b.color_shadow, a.color_shadow);

  // The comparison sees every key: going from the defaults towards b, each
  // key in turn is the first that still differs.
  TConfig walk;
  for (const SettingKey& k : SettingKeys()) {
    EXPECT_EQ(FirstDifferentKey(walk, b), k.key);
    if (k.number) walk.*k.number = b.*k.number;
    if (k.flag) walk.*k.flag = b.*k.flag;
    if (k.text) walk.*k.text = b.*k.text;
  }
  EXPECT_TRUE(SameSettings(walk, b)) << FirstDifferentKey(walk, b);
}

TEST_P(ConfigTest, ANewFileGetsTheKeysInTheProgramsOrder) {
  TConfig c;
  c.SetPath(ini_);
  ASSERT_TRUE(c.Save(*store_));
  const std::string text = dir_.Read("config.ini");
  const std::vector<std::string> order = {
      "sposob_wyswietlania", "sposob_wybierania", "zmiana_tapety_co", "co_ile_sek_godz", "godz_sek",
      "second_counter", "Smartblur", "Negativ", "Gray", "Pseudocolors", "Noise", "NoiseInt", "Sharpen", "Blur",
      "Contrast", "ContrastInt", "Lighten", "LightenInt", "Colorize", "CoorizeIntR", "CoorizeIntG",
      "CoorizeIntB", "Cshadow", "CRGB_shadow_R", "CRGB_shadow_G", "CRGB_shadow_B", "Cactivecalendar", "Calpha",
      "Cposition", "CRGB_mf_R", "CRGB_mf_G", "CRGB_mf_B", "CRGB_saturday_R", "CRGB_saturday_G",
      "CRGB_saturday_B", "CRGB_sunday_R", "CRGB_sunday_G", "CRGB_sunday_B", "CRGB_background_R",
      "CRGB_background_G", "CRGB_background_B", "Ccalendar_background", "Ccalendar_background_prog",
      "Ccalendar_background_user", "monitor_mode", "no_repeat", "hotkey_next", "hotkey_previous", "hotkey_random"};
  std::size_t at = text.find("[setting]");
  ASSERT_NE(at, std::string::npos);
  for (const std::string& key : order) {
    const std::size_t next = text.find("\n" + key + "=", at);
    ASSERT_NE(next, std::string::npos) << key << " missing or out of order";
    at = next + 1;
  }
}

// OK on the sheet brings over everything the sheet edits; what changed
// meanwhile without it (the minute counter, the hotkeys, a pause) stays, and the
// colours follow the new components.
TEST_P(ConfigTest, TheSheetsFieldsComeOverAndTheOthersStay) {
  const TConfig sheet = AwayFromTheDefaults();
  TConfig running;
  running.SetPath(ini_);
  running.second_counter = 3;
  running.hotkey_previous = "Win+F2";
  TConfig expected = sheet;
  expected.second_counter = 3;
  expected.hotkey_next = TConfig::kDefaultHotkeyNext;
  expected.hotkey_previous = "Win+F2";
  expected.hotkey_random = TConfig::kDefaultHotkeyRandom;
  expected.hotkey_back = TConfig::kDefaultHotkeyBack;
  expected.hotkey_forward = expected.hotkey_favourite = expected.hotkey_never = "";
  expected.confirm_never_show = 1;
  expected.paused = 0;

  CopySheetFields(sheet, running);
  EXPECT_TRUE(SameSettings(running, expected)) << FirstDifferentKey(running, expected);
  EXPECT_EQ(running.Path(), ini_);
  EXPECT_EQ(running.color_mf, sheet.color_mf);
  EXPECT_EQ(running.color_saturday, sheet.color_saturday);
  EXPECT_EQ(running.color_sunday, sheet.color_sunday);
  EXPECT_EQ(running.color_background, sheet.color_background);
  EXPECT_EQ(running.color_shadow, sheet.color_shadow);
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
