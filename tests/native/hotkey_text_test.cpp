#include <string>

#include <gtest/gtest.h>

#include "app/hotkey_text.h"
#include "config/config.h"

namespace vistelle {
namespace {

constexpr std::uint32_t kCtrlAltShift = Hotkey::kControl | Hotkey::kAlt | Hotkey::kShift;

TEST(HotkeyText, ReadsAnyCaseAndOrderAndWritesOneSpelling) {
  struct Case {
    const char* text;
    std::uint32_t modifiers, key;
    const char* written;
  };
  for (const Case c : {
           Case{TConfig::kDefaultHotkeyNext, kCtrlAltShift, 0x27, "Ctrl+Alt+Shift+Right"},
           Case{TConfig::kDefaultHotkeyPrevious, kCtrlAltShift, 0x25, "Ctrl+Alt+Shift+Left"},
           Case{TConfig::kDefaultHotkeyRandom, kCtrlAltShift, 0x28, "Ctrl+Alt+Shift+Down"},
           Case{"shift+ALT+ctrl+right", kCtrlAltShift, 0x27, "Ctrl+Alt+Shift+Right"},
           Case{" Win + a ", Hotkey::kWin, 'A', "Win+A"},
           Case{"Alt+Win+7", Hotkey::kAlt | Hotkey::kWin, '7', "Alt+Win+7"},
           Case{"ctrl+pgdn", Hotkey::kControl, 0x22, "Ctrl+PageDown"},
           Case{"Ctrl+Esc", Hotkey::kControl, 0x1B, "Ctrl+Escape"},
           Case{"Alt+num7", Hotkey::kAlt, 0x67, "Alt+Num7"},
           Case{"F5", 0, 0x74, "F5"},
           Case{"Shift+f24", Hotkey::kShift, 0x87, "Shift+F24"},
           Case{"Ctrl+Space", Hotkey::kControl, 0x20, "Ctrl+Space"},
           Case{"", 0, 0, ""},
           Case{"   ", 0, 0, ""},
       }) {
    Hotkey hotkey;
    EXPECT_TRUE(ParseHotkey(c.text, hotkey)) << c.text;
    EXPECT_EQ(hotkey.modifiers, c.modifiers) << c.text;
    EXPECT_EQ(hotkey.key, c.key) << c.text;
    EXPECT_EQ(HotkeyText(hotkey), c.written) << c.text;
  }
}

TEST(HotkeyText, BadTextsAreNoHotkey) {
  for (const char* text : {"Ctrl+", "Ctrl++A", "+A", "Ctrl+Alt", "Ctrl+Ctrl+A", "Hyper+A", "Ctrl+F25", "Ctrl+F0",
                           "Ctrl+F01", "Ctrl+AB", "Ctrl+A+B", "Ctrl+Num10", "Ctrl+\xC3\x84", "Right+Ctrl",
                           // keys of ordinary typing without Ctrl, Alt or Win
                           "A", "Shift+A", "Right", "Shift+Space"}) {
    Hotkey hotkey{Hotkey::kAlt, 0x41};
    EXPECT_FALSE(ParseHotkey(text, hotkey)) << text;
    EXPECT_TRUE(hotkey.IsNone()) << text;
    EXPECT_TRUE(HotkeyFromText(text).IsNone()) << text;
  }
}

TEST(HotkeyText, EveryKeyWithANameReadsBack) {
  int named = 0;
  for (std::uint32_t key = 1; key < 256; ++key) {
    const Hotkey hotkey{Hotkey::kControl | Hotkey::kWin, key};
    const std::string text = HotkeyText(hotkey);
    if (text.empty()) continue;
    ++named;
    EXPECT_EQ(HotkeyFromText(text), hotkey) << text;
  }
  EXPECT_EQ(named, 26 + 10 + 24 + 10 + 22);
}

}  // namespace
}  // namespace vistelle
