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

TEST_P(ConfigTest, MissingFileGivesTheDefaults) {
  const TConfig c = Loaded();
  EXPECT_EQ(c.sposob_wyswietlania, 0);
  EXPECT_EQ(c.sposob_wybierania, 0);
  EXPECT_EQ(c.zmiana_tapety_co, 0);
  EXPECT_EQ(c.co_ile_sek_godz, 10);
  EXPECT_EQ(c.godz_sek, 0);
  EXPECT_EQ(c.second_counter, 1);
  for (auto flag : {c.smartblur, c.negativ, c.gray, c.pseudocolors, c.noise, c.sharpen, c.blur, c.contrast,
                    c.lighten, c.colorize, c.calendar_background})
    EXPECT_EQ(flag, 0);
  EXPECT_EQ(c.noise_int, 25);
  EXPECT_EQ(c.contrast_int, 20);
  EXPECT_EQ(c.lighten_int, 20);
  EXPECT_EQ(c.colorize_r, 255);
  EXPECT_EQ(c.colorize_g, 212);
  EXPECT_EQ(c.colorize_b, 36);
  EXPECT_EQ(c.calendar_background_user, "");
  EXPECT_EQ(c.calendar_background_prog, 0);
  EXPECT_EQ(c.active_calendar, 1);
  EXPECT_EQ(c.calendar_alpha, 130);
  EXPECT_EQ(c.calendar_position, 2);
  EXPECT_EQ(c.shadow, 1);
  EXPECT_EQ(c.color_mf, 0xFFFFFFu);
  EXPECT_EQ(c.color_saturday, 0x01FFFFu);
  EXPECT_EQ(c.color_sunday, 0x0101FFu);
  EXPECT_EQ(c.color_background, 0x0101FEu);  // red 254 in the low byte
  EXPECT_EQ(c.color_shadow, 0x010101u);
  EXPECT_EQ(c.no_repeat, 1);
  EXPECT_EQ(c.hotkey_next, "Ctrl+Alt+Shift+Right");
  EXPECT_EQ(c.hotkey_previous, "Ctrl+Alt+Shift+Left");
  EXPECT_EQ(c.hotkey_random, "Ctrl+Alt+Shift+Down");
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
  TConfig a;
  a.SetPath(ini_);
  a.sposob_wyswietlania = 2;
  a.sposob_wybierania = 1;
  a.zmiana_tapety_co = 1;
  a.co_ile_sek_godz = 999;
  a.godz_sek = 1;
  a.second_counter = 7;
  a.smartblur = a.negativ = a.gray = a.pseudocolors = a.noise = a.sharpen = a.blur = 1;
  a.contrast = a.lighten = a.colorize = a.calendar_background = 1;
  a.noise_int = -1;
  a.contrast_int = -100;
  a.lighten_int = 255;
  a.colorize_r = 300;
  a.colorize_g = 0;
  a.colorize_b = -5;
  a.calendar_background_user = "C:\\Obrazy\\Zażółć gęślą jaźń\\kalendarz.jpg";
  a.calendar_background_prog = 2;
  a.active_calendar = 0;
  a.calendar_alpha = 256;
  a.calendar_position = 12;
  a.mf_r = 1, a.mf_g = 2, a.mf_b = 3;
  a.saturday_r = 4, a.saturday_g = 5, a.saturday_b = 6;
  a.sunday_r = 7, a.sunday_g = 8, a.sunday_b = 9;
  a.background_r = 10, a.background_g = 11, a.background_b = 12;
  a.shadow = 0;
  a.shadow_r = 13, a.shadow_g = 14, a.shadow_b = 15;
  ASSERT_TRUE(a.Save(*store_));
  a.DeriveColors();

  const TConfig b = Loaded();
  EXPECT_EQ(b.sposob_wyswietlania, 2);
  EXPECT_EQ(b.sposob_wybierania, 1);
  EXPECT_EQ(b.zmiana_tapety_co, 1);
  EXPECT_EQ(b.co_ile_sek_godz, 999);
  EXPECT_EQ(b.godz_sek, 1);
  EXPECT_EQ(b.second_counter, 7);
  for (auto flag : {b.smartblur, b.negativ, b.gray, b.pseudocolors, b.noise, b.sharpen, b.blur, b.contrast,
                    b.lighten, b.colorize, b.calendar_background})
    EXPECT_EQ(flag, 1);
  EXPECT_EQ(b.noise_int, -1);
  EXPECT_EQ(b.contrast_int, -100);
  EXPECT_EQ(b.lighten_int, 255);
  EXPECT_EQ(b.colorize_r, 300);
  EXPECT_EQ(b.colorize_g, 0);
  EXPECT_EQ(b.colorize_b, -5);
  EXPECT_EQ(b.calendar_background_user, a.calendar_background_user);
  EXPECT_EQ(b.calendar_background_prog, 2);
  EXPECT_EQ(b.active_calendar, 0);
  EXPECT_EQ(b.calendar_alpha, 256);
  EXPECT_EQ(b.calendar_position, 12);
  EXPECT_EQ(b.shadow, 0);
  EXPECT_EQ(b.color_mf, a.color_mf);
  EXPECT_EQ(b.color_saturday, a.color_saturday);
  EXPECT_EQ(b.color_sunday, a.color_sunday);
  EXPECT_EQ(b.color_background, a.color_background);
  EXPECT_EQ(b.color_shadow, (13u | (14u << 8) | (15u << 16)));
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
