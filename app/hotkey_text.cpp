#include "app/hotkey_text.h"

#include <cstddef>

namespace vistelle {

namespace {

struct Name {
  const char* text;
  std::uint32_t value;
};

// Modifiers in the order they are written.
constexpr Name kModifiers[] = {
    {"Ctrl", Hotkey::kControl}, {"Alt", Hotkey::kAlt}, {"Shift", Hotkey::kShift}, {"Win", Hotkey::kWin}};

// Keys by name, with their virtual-key codes. The first name of a code is
// the one written; the others are read as well. Letters, digits, F1..F24
// and Num0..Num9 are worked out apart.
constexpr Name kKeys[] = {
    {"Left", 0x25},         {"Right", 0x27},       {"Up", 0x26},          {"Down", 0x28},
    {"Home", 0x24},         {"End", 0x23},         {"PageUp", 0x21},      {"PageDown", 0x22},
    {"Insert", 0x2D},       {"Delete", 0x2E},      {"Space", 0x20},       {"Enter", 0x0D},
    {"Tab", 0x09},          {"Escape", 0x1B},      {"Backspace", 0x08},   {"Pause", 0x13},
    {"PrintScreen", 0x2C},  {"NumMultiply", 0x6A}, {"NumAdd", 0x6B},      {"NumSubtract", 0x6D},
    {"NumDecimal", 0x6E},   {"NumDivide", 0x6F},   {"Esc", 0x1B},         {"Del", 0x2E},
    {"Ins", 0x2D},          {"PgUp", 0x21},        {"PgDn", 0x22},        {"Return", 0x0D},
};

constexpr std::uint32_t kF1 = 0x70;
constexpr std::uint32_t kF24 = 0x87;
constexpr std::uint32_t kNum0 = 0x60;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A number 1..99 written without a leading zero, or -1.
int SmallNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 2 || digits[0] == '0') return -1;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The key's virtual-key code, 0 for a name that is none.
std::uint32_t KeyCode(std::string_view name) {
  if (name.empty()) return 0;
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c);
    const char lower = Lower(c);
    if (lower >= 'a' && lower <= 'z') return static_cast<std::uint32_t>(lower - 'a' + 'A');
    return 0;
  }
  for (const Name& key : kKeys)
    if (SameName(name, key.text)) return key.value;
  if (Lower(name[0]) == 'f') {
    const int n = SmallNumber(name.substr(1));
    if (n >= 1 && n <= 24) return kF1 + static_cast<std::uint32_t>(n - 1);
  }
  if (name.size() == 4 && SameName(name.substr(0, 3), "Num") && name[3] >= '0' && name[3] <= '9')
    return kNum0 + static_cast<std::uint32_t>(name[3] - '0');
  return 0;
}

std::string KeyName(std::uint32_t key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= kF1 && key <= kF24) return "F" + std::to_string(key - kF1 + 1);
  if (key >= kNum0 && key <= kNum0 + 9) return "Num" + std::to_string(key - kNum0);
  for (const Name& name : kKeys)
    if (name.value == key) return name.text;
  return std::string();
}

// What Windows or every program does with a key: closing, switching, the
// Start menu, the Task Manager, copying and pasting, undoing, saving,
// printing, locking. (F1, help, has no modifier and is refused for that.)
constexpr Hotkey kTaken[] = {
    {Hotkey::kAlt, 0x73},                       // Alt+F4
    {Hotkey::kAlt, 0x09},                       // Alt+Tab
    {Hotkey::kAlt | Hotkey::kShift, 0x09},      // Alt+Shift+Tab
    {Hotkey::kAlt, 0x1B},                       // Alt+Esc
    {Hotkey::kControl, 0x1B},                   // Ctrl+Esc
    {Hotkey::kControl | Hotkey::kShift, 0x1B},  // Ctrl+Shift+Esc
    {Hotkey::kControl | Hotkey::kAlt, 0x2E},    // Ctrl+Alt+Delete
    {Hotkey::kControl, 'C'}, {Hotkey::kControl, 'V'}, {Hotkey::kControl, 'X'}, {Hotkey::kControl, 'Z'},
    {Hotkey::kControl, 'Y'}, {Hotkey::kControl, 'A'}, {Hotkey::kControl, 'S'}, {Hotkey::kControl, 'P'},
    {Hotkey::kWin, 'L'},                        // Win+L
};

}  // namespace

HotkeyRead ReadHotkey(std::string_view text, Hotkey& out) {
  out = Hotkey{};
  text = Trimmed(text);
  if (text.empty()) return HotkeyRead::kEmpty;

  Hotkey hotkey;
  while (true) {
    const std::size_t plus = text.find('+');
    const std::string_view part = Trimmed(text.substr(0, plus));
    if (plus == std::string_view::npos) {
      hotkey.key = KeyCode(part);
      break;
    }
    std::uint32_t modifier = 0;
    for (const Name& name : kModifiers)
      if (SameName(part, name.text)) modifier = name.value;
    if (modifier == 0 || (hotkey.modifiers & modifier) != 0) return HotkeyRead::kNotAHotkey;
    hotkey.modifiers |= modifier;
    text.remove_prefix(plus + 1);
  }
  if (hotkey.key == 0) return HotkeyRead::kNotAHotkey;
  // Shift alone still types: "Shift+A" would take the capital A away from
  // every program, and a function key alone its meaning in every program.
  if ((hotkey.modifiers & (Hotkey::kControl | Hotkey::kAlt | Hotkey::kWin)) == 0) return HotkeyRead::kNeedsModifier;
  for (const Hotkey& taken : kTaken)
    if (hotkey == taken) return HotkeyRead::kTakenBySystem;
  out = hotkey;
  return HotkeyRead::kHotkey;
}

std::string HotkeyRefusal(std::string_view key, std::string_view text, HotkeyRead read) {
  const char* why = nullptr;
  switch (read) {
    case HotkeyRead::kNotAHotkey:
      why = "it is not a key combination Vistelle knows.";
      break;
    case HotkeyRead::kNeedsModifier:
      why = "a hotkey needs Ctrl, Alt or Win.";
      break;
    case HotkeyRead::kTakenBySystem:
      why = "Windows and every program need it.";
      break;
    case HotkeyRead::kHotkey:
    case HotkeyRead::kEmpty:
      return std::string();
  }
  return "The hotkey \"" + std::string(Trimmed(text)) + "\" (" + std::string(key) + " in config.ini) is not used: " +
         why;
}

Hotkey HotkeyFromText(std::string_view text) {
  Hotkey hotkey;
  ParseHotkey(text, hotkey);
  return hotkey;
}

std::string HotkeyText(const Hotkey& hotkey) {
  if (hotkey.IsNone()) return std::string();
  const std::string key = KeyName(hotkey.key);
  if (key.empty()) return std::string();
  std::string text;
  for (const Name& name : kModifiers) {
    if ((hotkey.modifiers & name.value) == 0) continue;
    text += name.text;
    text += '+';
  }
  return text + key;
}

}  // namespace vistelle
