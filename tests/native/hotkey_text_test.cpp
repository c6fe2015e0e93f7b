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
           Case{"Ctrl+Alt+Esc", Hotkey::kControl | Hotkey::kAlt, 0x1B, "Ctrl+Alt+Escape"},
           Case{"Alt+num7", Hotkey::kAlt, 0x67, "Alt+Num7"},
           Case{"Ctrl+F1", Hotkey::kControl, 0x70, "Ctrl+F1"},
           Case{"Win+Shift+f24", Hotkey::kWin | Hotkey::kShift, 0x87, "Shift+Win+F24"},
           Case{"Ctrl+Shift+C", Hotkey::kControl | Hotkey::kShift, 'C', "Ctrl+Shift+C"},
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

// Refused texts are no hotkey, each for its reason, and stay as written.
TEST(HotkeyText, RefusedTextsAreNoHotkeyAndSayWhy) {
  struct Case {
    const char* text;
    HotkeyRead read;
  };
  using R = HotkeyRead;
  for (const Case c : {
           Case{"Ctrl+", R::kNotAHotkey}, Case{"Ctrl++A", R::kNotAHotkey}, Case{"+A", R::kNotAHotkey},
           Case{"Ctrl+Alt", R::kNotAHotkey}, Case{"Ctrl+Ctrl+A", R::kNotAHotkey}, Case{"Hyper+A", R::kNotAHotkey},
           Case{"Ctrl+F25", R::kNotAHotkey}, Case{"Ctrl+F0", R::kNotAHotkey}, Case{"Ctrl+F01", R::kNotAHotkey},
           Case{"Ctrl+AB", R::kNotAHotkey}, Case{"Ctrl+A+B", R::kNotAHotkey}, Case{"Ctrl+Num10", R::kNotAHotkey},
           Case{"Ctrl+\xC3\x84", R::kNotAHotkey}, Case{"Right+Ctrl", R::kNotAHotkey},
           // keys of typing, and function keys, without Ctrl, Alt or Win
           Case{"A", R::kNeedsModifier}, Case{"Shift+A", R::kNeedsModifier}, Case{"Right", R::kNeedsModifier},
           Case{"Shift+Space", R::kNeedsModifier}, Case{"F1", R::kNeedsModifier}, Case{"F5", R::kNeedsModifier},
           Case{"Shift+F24", R::kNeedsModifier},
           // what Windows and every program use
           Case{"Alt+F4", R::kTakenBySystem}, Case{"alt+tab", R::kTakenBySystem},
           Case{"Shift+Alt+Tab", R::kTakenBySystem}, Case{"Alt+Esc", R::kTakenBySystem},
           Case{"Ctrl+Esc", R::kTakenBySystem}, Case{"Ctrl+Shift+Escape", R::kTakenBySystem},
           Case{"Ctrl+Alt+Del", R::kTakenBySystem}, Case{"Ctrl+C", R::kTakenBySystem},
           Case{"Ctrl+v", R::kTakenBySystem}, Case{"Ctrl+X", R::kTakenBySystem}, Case{"Ctrl+Z", R::kTakenBySystem},
           Case{"Ctrl+Y", R::kTakenBySystem}, Case{"Ctrl+A", R::kTakenBySystem}, Case{"Ctrl+S", R::kTakenBySystem},
           Case{"Ctrl+P", R::kTakenBySystem}, Case{"Win+L", R::kTakenBySystem},
       }) {
    Hotkey hotkey{Hotkey::kAlt, 0x41};
    EXPECT_EQ(ReadHotkey(c.text, hotkey), c.read) << c.text;
    EXPECT_TRUE(hotkey.IsNone()) << c.text;
    EXPECT_TRUE(HotkeyFromText(c.text).IsNone()) << c.text;
    EXPECT_FALSE(HotkeyRefusal("hotkey_next", c.text, c.read).empty()) << c.text;
  }
  EXPECT_EQ(HotkeyRefusal("hotkey_next", " Alt+F4", HotkeyRead::kTakenBySystem),
            "The hotkey \"Alt+F4\" (hotkey_next in config.ini) is not used: Windows and every program need it.");
  EXPECT_EQ(HotkeyRefusal("hotkey_next", "", HotkeyRead::kEmpty), "");
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
