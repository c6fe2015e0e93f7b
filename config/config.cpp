#include "config/config.h"

namespace vistelle {

namespace {

ColorRef Pack(std::int32_t r, std::int32_t g, std::int32_t b) {
  return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

}  // namespace

TConfig::TConfig() { SetDefaults(); }

void TConfig::SetPath(const std::string& new_path) { path = new_path.substr(0, kMaxText); }

void TConfig::SetDefaults() {
  sposob_wyswietlania = 0;
  sposob_wybierania = 0;
  zmiana_tapety_co = 0;
  co_ile_sek_godz = 10;
  godz_sek = 0;
  second_counter = 1;
  smartblur = 0;
  negativ = 0;
  gray = 0;
  pseudocolors = 0;
  noise = 0;
  noise_int = 25;
  sharpen = 0;
  blur = 0;
  contrast = 0;
  contrast_int = 20;
  lighten = 0;
  lighten_int = 20;
  colorize = 0;
  colorize_r = 255;
  colorize_g = 212;
  colorize_b = 36;
  calendar_background_user.clear();
  calendar_background_prog = 0;
  calendar_background = 0;
  active_calendar = 1;
  calendar_alpha = 130;
  calendar_position = 2;
  mf_r = 255, mf_g = 255, mf_b = 255;
  saturday_r = 255, saturday_g = 255, saturday_b = 1;
  sunday_r = 255, sunday_g = 1, sunday_b = 1;
  background_r = 254, background_g = 1, background_b = 1;
  shadow = 1;
  shadow_r = 1, shadow_g = 1, shadow_b = 1;
  monitor_mode = 0;
  no_repeat = 1;
  hotkey_next = kDefaultHotkeyNext;
  hotkey_previous = kDefaultHotkeyPrevious;
  hotkey_random = kDefaultHotkeyRandom;
  DeriveColors();
}

void TConfig::DeriveColors() {
  color_mf = Pack(mf_r, mf_g, mf_b);
  color_saturday = Pack(saturday_r, saturday_g, saturday_b);
  color_sunday = Pack(sunday_r, sunday_g, sunday_b);
  color_background = Pack(background_r, background_g, background_b);
  color_shadow = Pack(shadow_r, shadow_g, shadow_b);
}

void TConfig::Load(ProfileStore& store) {
  auto number = [&](const char* key, std::int32_t& field, std::int32_t default_value) {
    field = store.GetInt(path, kSection, key, default_value);
  };
  auto flag = [&](const char* key, std::uint8_t& field, std::uint8_t default_value) {
    field = store.GetInt(path, kSection, key, default_value) != 0 ? 1 : 0;
  };
  // The defaults here are those of SetDefaults; the order is the one the
  // program has always read the file in.
  number("sposob_wyswietlania", sposob_wyswietlania, 0);
  number("sposob_wybierania", sposob_wybierania, 0);
  number("zmiana_tapety_co", zmiana_tapety_co, 0);
  number("co_ile_sek_godz", co_ile_sek_godz, 10);
  number("godz_sek", godz_sek, 0);
  number("second_counter", second_counter, 1);
  flag("Smartblur", smartblur, 0);
  flag("Negativ", negativ, 0);
  flag("Gray", gray, 0);
  flag("Pseudocolors", pseudocolors, 0);
  flag("Noise", noise, 0);
  number("NoiseInt", noise_int, 25);
  flag("Sharpen", sharpen, 0);
  flag("Blur", blur, 0);
  flag("Contrast", contrast, 0);
  number("ContrastInt", contrast_int, 20);
  flag("Lighten", lighten, 0);
  number("LightenInt", lighten_int, 20);
  flag("Colorize", colorize, 0);
  number("CoorizeIntR", colorize_r, 255);
  number("CoorizeIntG", colorize_g, 212);
  number("CoorizeIntB", colorize_b, 36);
  calendar_background_user = store.GetString(path, kSection, "Ccalendar_background_user", "", kMaxText + 1);
  number("Ccalendar_background_prog", calendar_background_prog, 0);
  flag("Ccalendar_background", calendar_background, 0);
  flag("Cactivecalendar", active_calendar, 1);
  number("Calpha", calendar_alpha, 130);
  number("Cposition", calendar_position, 2);
  number("CRGB_mf_R", mf_r, 255);
  number("CRGB_mf_G", mf_g, 255);
  number("CRGB_mf_B", mf_b, 255);
  number("CRGB_saturday_R", saturday_r, 255);
  number("CRGB_saturday_G", saturday_g, 255);
  number("CRGB_saturday_B", saturday_b, 1);
  number("CRGB_sunday_R", sunday_r, 255);
  number("CRGB_sunday_G", sunday_g, 1);
  number("CRGB_sunday_B", sunday_b, 1);
  number("CRGB_background_R", background_r, 254);
  number("CRGB_background_G", background_g, 1);
  number("CRGB_background_B", background_b, 1);
  flag("Cshadow", shadow, 1);
  number("CRGB_shadow_R", shadow_r, 1);
  number("CRGB_shadow_G", shadow_g, 1);
  number("CRGB_shadow_B", shadow_b, 1);
  number("monitor_mode", monitor_mode, 0);
  if (monitor_mode < 0 || monitor_mode > 2) monitor_mode = 0;
  flag("no_repeat", no_repeat, 1);
  // A key there with an empty value means no hotkey.
  hotkey_next = store.GetString(path, kSection, "hotkey_next", kDefaultHotkeyNext, kMaxText + 1);
  hotkey_previous = store.GetString(path, kSection, "hotkey_previous", kDefaultHotkeyPrevious, kMaxText + 1);
  hotkey_random = store.GetString(path, kSection, "hotkey_random", kDefaultHotkeyRandom, kMaxText + 1);
  DeriveColors();
}

bool TConfig::WriteNumber(ProfileStore& store, const char* key, std::int32_t value) const {
  return store.WriteString(path, kSection, key, std::to_string(value));
}

bool TConfig::Save(ProfileStore& store) const {
  bool ok = true;
  auto number = [&](const char* key, std::int32_t value) { ok = WriteNumber(store, key, value) && ok; };
  auto flag = [&](const char* key, std::uint8_t value) { ok = WriteNumber(store, key, value ? 1 : 0) && ok; };
  number("sposob_wyswietlania", sposob_wyswietlania);
  number("sposob_wybierania", sposob_wybierania);
  number("zmiana_tapety_co", zmiana_tapety_co);
  number("co_ile_sek_godz", co_ile_sek_godz);
  number("godz_sek", godz_sek);
  number("second_counter", second_counter);
  flag("Smartblur", smartblur);
  flag("Negativ", negativ);
  flag("Gray", gray);
  flag("Pseudocolors", pseudocolors);
  flag("Noise", noise);
  number("NoiseInt", noise_int);
  flag("Sharpen", sharpen);
  flag("Blur", blur);
  flag("Contrast", contrast);
  number("ContrastInt", contrast_int);
  flag("Lighten", lighten);
  number("LightenInt", lighten_int);
  flag("Colorize", colorize);
  number("CoorizeIntR", colorize_r);
  number("CoorizeIntG", colorize_g);
  number("CoorizeIntB", colorize_b);
  flag("Cshadow", shadow);
  number("CRGB_shadow_R", shadow_r);
  number("CRGB_shadow_G", shadow_g);
  number("CRGB_shadow_B", shadow_b);
  flag("Cactivecalendar", active_calendar);
  number("Calpha", calendar_alpha);
  number("Cposition", calendar_position);
  number("CRGB_mf_R", mf_r);
  number("CRGB_mf_G", mf_g);
  number("CRGB_mf_B", mf_b);
  number("CRGB_saturday_R", saturday_r);
  number("CRGB_saturday_G", saturday_g);
  number("CRGB_saturday_B", saturday_b);
  number("CRGB_sunday_R", sunday_r);
  number("CRGB_sunday_G", sunday_g);
  number("CRGB_sunday_B", sunday_b);
  number("CRGB_background_R", background_r);
  number("CRGB_background_G", background_g);
  number("CRGB_background_B", background_b);
  flag("Ccalendar_background", calendar_background);
  number("Ccalendar_background_prog", calendar_background_prog);
  ok = store.WriteString(path, kSection, "Ccalendar_background_user",
                         calendar_background_user.substr(0, kMaxText)) && ok;
  number("monitor_mode", monitor_mode);
  flag("no_repeat", no_repeat);
  ok = store.WriteString(path, kSection, "hotkey_next", hotkey_next.substr(0, kMaxText)) && ok;
  ok = store.WriteString(path, kSection, "hotkey_previous", hotkey_previous.substr(0, kMaxText)) && ok;
  ok = store.WriteString(path, kSection, "hotkey_random", hotkey_random.substr(0, kMaxText)) && ok;
  return ok;
}

}  // namespace vistelle
