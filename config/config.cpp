#include "config/config.h"

#include <limits>

namespace vistelle {

namespace {

using Kind = SettingKey::Kind;
constexpr std::int32_t kLeast = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();

// The kinds of line in the table below.
SettingKey Number(const char* section, const char* key, std::int32_t TConfig::*field, std::int32_t value,
                  bool sheet = true) {
  return SettingKey{section, key, Kind::kNumber, field, nullptr, nullptr, value, "", kLeast, kMost, sheet};
}
SettingKey Ranged(const char* section, const char* key, std::int32_t TConfig::*field, std::int32_t value,
                  std::int32_t lowest, std::int32_t highest, bool sheet = true) {
  return SettingKey{section, key, Kind::kNumber, field, nullptr, nullptr, value, "", lowest, highest, sheet};
}
SettingKey Flag(const char* section, const char* key, std::uint8_t TConfig::*field, std::int32_t value,
                bool sheet = true) {
  return SettingKey{section, key, Kind::kFlag, nullptr, field, nullptr, value, "", kLeast, kMost, sheet};
}
SettingKey Text(const char* section, const char* key, std::string TConfig::*field, const char* value,
                bool sheet = true) {
  return SettingKey{section, key, Kind::kText, nullptr, nullptr, field, 0, value, kLeast, kMost, sheet};
}

ColorRef Pack(std::int32_t r, std::int32_t g, std::int32_t b) {
  return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// The value as the file holds it.
std::string Stored(const TConfig& settings, const SettingKey& k) {
  if (k.kind == Kind::kNumber) return std::to_string(settings.*k.number);
  if (k.kind == Kind::kFlag) return settings.*k.flag ? "1" : "0";
  return (settings.*k.text).substr(0, TConfig::kMaxText);
}

void Copy(const TConfig& from, TConfig& to, const SettingKey& k) {
  if (k.kind == Kind::kNumber) to.*k.number = from.*k.number;
  if (k.kind == Kind::kFlag) to.*k.flag = from.*k.flag;
  if (k.kind == Kind::kText) to.*k.text = from.*k.text;
}

}  // namespace

// The order is the layout of a new config.ini; a key added later goes at the
// end of its section in files that lack it.
const std::vector<SettingKey>& SettingKeys() {
  using T = TConfig;
  const char* const set = TConfig::kSection;
  static const std::vector<SettingKey> keys = {
      Number(set, "sposob_wyswietlania", &T::sposob_wyswietlania, 0),
      Number(set, "sposob_wybierania", &T::sposob_wybierania, 0),
      Number(set, "zmiana_tapety_co", &T::zmiana_tapety_co, 0),
      Number(set, "co_ile_sek_godz", &T::co_ile_sek_godz, 10),
      Number(set, "godz_sek", &T::godz_sek, 0),
      Number(set, "second_counter", &T::second_counter, 1, false),
      Flag(set, "Smartblur", &T::smartblur, 0),
      Flag(set, "Negativ", &T::negativ, 0),
      Flag(set, "Gray", &T::gray, 0),
      Flag(set, "Pseudocolors", &T::pseudocolors, 0),
      Flag(set, "Noise", &T::noise, 0),
      Number(set, "NoiseInt", &T::noise_int, 25),
      Flag(set, "Sharpen", &T::sharpen, 0),
      Flag(set, "Blur", &T::blur, 0),
      Flag(set, "Contrast", &T::contrast, 0),
      Number(set, "ContrastInt", &T::contrast_int, 20),
      Flag(set, "Lighten", &T::lighten, 0),
      Number(set, "LightenInt", &T::lighten_int, 20),
      Flag(set, "Colorize", &T::colorize, 0),
      Number(set, "CoorizeIntR", &T::colorize_r, 255),
      Number(set, "CoorizeIntG", &T::colorize_g, 212),
      Number(set, "CoorizeIntB", &T::colorize_b, 36),
      Flag(set, "Cshadow", &T::shadow, 1),
      Number(set, "CRGB_shadow_R", &T::shadow_r, 1),
      Number(set, "CRGB_shadow_G", &T::shadow_g, 1),
      Number(set, "CRGB_shadow_B", &T::shadow_b, 1),
      Flag(set, "Cactivecalendar", &T::active_calendar, 1),
      Number(set, "Calpha", &T::calendar_alpha, 130),
      Number(set, "Cposition", &T::calendar_position, 2),
      Number(set, "CRGB_mf_R", &T::mf_r, 255),
      Number(set, "CRGB_mf_G", &T::mf_g, 255),
      Number(set, "CRGB_mf_B", &T::mf_b, 255),
      Number(set, "CRGB_saturday_R", &T::saturday_r, 255),
      Number(set, "CRGB_saturday_G", &T::saturday_g, 255),
      Number(set, "CRGB_saturday_B", &T::saturday_b, 1),
      Number(set, "CRGB_sunday_R", &T::sunday_r, 255),
      Number(set, "CRGB_sunday_G", &T::sunday_g, 1),
      Number(set, "CRGB_sunday_B", &T::sunday_b, 1),
      Number(set, "CRGB_background_R", &T::background_r, 254),
      Number(set, "CRGB_background_G", &T::background_g, 1),
      Number(set, "CRGB_background_B", &T::background_b, 1),
      Flag(set, "Ccalendar_background", &T::calendar_background, 0),
      Number(set, "Ccalendar_background_prog", &T::calendar_background_prog, 0),
      Text(set, "Ccalendar_background_user", &T::calendar_background_user, ""),
      Ranged(set, "monitor_mode", &T::monitor_mode, 0, 0, 2),
      Flag(set, "no_repeat", &T::no_repeat, 1),
      // A key there with an empty value means no hotkey.
      Text(set, "hotkey_next", &T::hotkey_next, T::kDefaultHotkeyNext, false),
      Text(set, "hotkey_previous", &T::hotkey_previous, T::kDefaultHotkeyPrevious, false),
      Text(set, "hotkey_random", &T::hotkey_random, T::kDefaultHotkeyRandom, false),
      Flag(set, "paused", &T::paused, 0, false),
      Flag(set, "wait_fullscreen", &T::wait_fullscreen, 1),
      Flag(set, "wait_battery_saver", &T::wait_battery_saver, 1),
      Flag(set, "wait_remote", &T::wait_remote, 1),
      Text(set, "hotkey_back", &T::hotkey_back, T::kDefaultHotkeyBack, false),
      Text(set, "hotkey_forward", &T::hotkey_forward, "", false),
      Text(set, "hotkey_favourite", &T::hotkey_favourite, "", false),
      Text(set, "hotkey_never", &T::hotkey_never, "", false),
      Flag(set, "confirm_never_show", &T::confirm_never_show, 1, false),
      Flag(set, "caption", &T::caption, 0),
      Text(set, "caption_pattern", &T::caption_pattern, T::kDefaultCaptionPattern),
      Ranged(set, "caption_position", &T::caption_position, 8, 0, 8),
      Ranged(set, "caption_size", &T::caption_size, 20, 6, 144),
      Ranged(set, "caption_r", &T::caption_r, 255, 0, 255),
      Ranged(set, "caption_g", &T::caption_g, 255, 0, 255),
      Ranged(set, "caption_b", &T::caption_b, 255, 0, 255),
      Flag(set, "caption_shadow", &T::caption_shadow, 1),
      Flag(set, "caption_plate", &T::caption_plate, 0),
  };
  return keys;
}

TConfig::TConfig() { SetDefaults(); }

void TConfig::SetPath(const std::string& new_path) { path = new_path.substr(0, kMaxText); }

void TConfig::SetDefaults() {
  screens = ScreensAndTimes();
  for (const SettingKey& k : SettingKeys()) {
    if (k.kind == Kind::kNumber) this->*k.number = k.default_number;
    if (k.kind == Kind::kFlag) this->*k.flag = k.default_number != 0 ? 1 : 0;
    if (k.kind == Kind::kText) this->*k.text = k.default_text;
  }
  DeriveColors();
}

void TConfig::DeriveColors() {
  color_mf = Pack(mf_r, mf_g, mf_b);
  color_saturday = Pack(saturday_r, saturday_g, saturday_b);
  color_sunday = Pack(sunday_r, sunday_g, sunday_b);
  color_background = Pack(background_r, background_g, background_b);
  color_shadow = Pack(shadow_r, shadow_g, shadow_b);
  color_caption = Pack(caption_r, caption_g, caption_b);
}

void TConfig::Load(ProfileStore& store) {
  for (const SettingKey& k : SettingKeys()) {
    if (k.kind == Kind::kNumber) {
      const std::int32_t value = store.GetInt(path, k.section, k.key, k.default_number);
      this->*k.number = value < k.lowest || value > k.highest ? k.default_number : value;
    } else if (k.kind == Kind::kFlag) {
      this->*k.flag = store.GetInt(path, k.section, k.key, k.default_number) != 0 ? 1 : 0;
    } else {
      this->*k.text = store.GetString(path, k.section, k.key, k.default_text, kMaxText + 1);
    }
  }
  screens.Load(store, path);
  DeriveColors();
}

bool TConfig::Save(ProfileStore& store) const {
  bool ok = true;
  for (const SettingKey& k : SettingKeys()) ok = store.WriteString(path, k.section, k.key, Stored(*this, k)) && ok;
  return screens.Save(store, path) && ok;
}

std::string FirstDifferentKey(const TConfig& a, const TConfig& b) {
  for (const SettingKey& k : SettingKeys()) {
    const bool same = k.kind == Kind::kNumber ? a.*k.number == b.*k.number
                      : k.kind == Kind::kFlag ? a.*k.flag == b.*k.flag
                                              : a.*k.text == b.*k.text;
    if (!same) return k.key;
  }
  if (a.screens != b.screens) return ScreensAndTimes::kMonitorsSection;
  return std::string();
}

void CopySheetFields(const TConfig& from, TConfig& to) {
  for (const SettingKey& k : SettingKeys())
    if (k.sheet) Copy(from, to, k);
  to.screens = from.screens;
  to.DeriveColors();
}

}  // namespace vistelle
