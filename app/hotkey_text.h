// The hotkeys of the next, previous and random commands as config.ini
// holds them: texts such as "Ctrl+Alt+Shift+Right". A text is modifiers
// and one key joined by '+': the modifiers Ctrl, Alt, Shift and Win, each
// at most once and in any order and case; the key a name of the table in
// hotkey_text.cpp (Left, PageUp, F5, Num3, ...) in any case, or one letter
// or digit. Blanks around the parts are allowed. An empty text is no hotkey.
//
// A hotkey holds the modifiers and the key as RegisterHotKey takes them
// (MOD_ALT ... MOD_WIN, a virtual-key code), as plain numbers so that the
// portable core can work them out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vistelle {

struct Hotkey {
  static constexpr std::uint32_t kAlt = 0x1;      // MOD_ALT
  static constexpr std::uint32_t kControl = 0x2;  // MOD_CONTROL
  static constexpr std::uint32_t kShift = 0x4;    // MOD_SHIFT
  static constexpr std::uint32_t kWin = 0x8;      // MOD_WIN

  std::uint32_t modifiers = 0;
  std::uint32_t key = 0;  // virtual-key code; 0 for no hotkey

  bool IsNone() const { return key == 0; }
  friend bool operator==(const Hotkey& a, const Hotkey& b) {
    return a.modifiers == b.modifiers && a.key == b.key;
  }
  friend bool operator!=(const Hotkey& a, const Hotkey& b) { return !(a == b); }
};

// What a hotkey text is.
enum class HotkeyRead {
  kHotkey,          // a hotkey the program may take
  kEmpty,           // an empty (or blank) text: no hotkey, as the user wants
  kNotAHotkey,      // an unknown name, a modifier twice, no key or two keys
  kNeedsModifier,   // no Ctrl, Alt or Win: it would take a key from typing
  kTakenBySystem,   // Alt+F4, Alt+Tab, Ctrl+C and the like, which Windows or
                    // every program needs
};

// Reads a hotkey text into out; out is none for anything but kHotkey.
HotkeyRead ReadHotkey(std::string_view text, Hotkey& out);
inline bool ParseHotkey(std::string_view text, Hotkey& out) {
  const HotkeyRead read = ReadHotkey(text, out);
  return read == HotkeyRead::kHotkey || read == HotkeyRead::kEmpty;
}

// The hotkey of a text, none for an empty or refused one.
Hotkey HotkeyFromText(std::string_view text);

// What the user is told of a text that was refused, the settings key that
// holds it named: "The hotkey "Alt+F4" (hotkey_next in config.ini) is not
// used: Windows and every program need it." Empty for kHotkey and kEmpty.
std::string HotkeyRefusal(std::string_view key, std::string_view text, HotkeyRead read);

// The text of a hotkey: the modifiers as Ctrl+Alt+Shift+Win in that order,
// then the key's name (letters upper case). Empty for none, and for a key
// without a name in the table.
std::string HotkeyText(const Hotkey& hotkey);

}  // namespace vistelle
