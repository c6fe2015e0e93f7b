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

// Reads a hotkey text. False, with out none, when the text is not one: an
// unknown name, a modifier twice, no key or two keys, or a key that would
// take a key of ordinary typing from every program (no Ctrl, Alt or Win,
// unless the key is one of F1..F24). An empty (or blank) text is true with
// out none.
bool ParseHotkey(std::string_view text, Hotkey& out);

// The hotkey of a text, none for an empty or invalid one.
Hotkey HotkeyFromText(std::string_view text);

// The text of a hotkey: the modifiers as Ctrl+Alt+Shift+Win in that order,
// then the key's name (letters upper case). Empty for none, and for a key
// without a name in the table.
std::string HotkeyText(const Hotkey& hotkey);

}  // namespace vistelle
