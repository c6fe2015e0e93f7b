// TConfig: every user setting of the program, kept in section "setting" of
// "config.ini". A plain record: the rest of the program reads its fields
// directly. Colours are stored as three integer components each; the packed
// colour (red + 256*green + 65536*blue, low byte of each) is worked out when
// the record is loaded and never written.
//
// Every stored key is one line of one table (SettingKeys()): its section,
// name, field and default. Defaults, loading, saving, comparing and the
// fields the settings sheet hands back all come from it, so a new key is one
// line there and a field here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/profile_store.h"
#include "config/screens_and_times.h"

namespace vistelle {

using ColorRef = std::uint32_t;

class TConfig {
 public:
  TConfig();
  virtual ~TConfig() = default;

  // The full name of the INI file that Load and Save use.
  void SetPath(const std::string& path);
  const std::string& Path() const { return path; }

  // Reads every key, in the program's fixed order, and derives the colours.
  // A missing key or file gives the key's default; nothing but monitor_mode
  // is range-checked.
  void Load(ProfileStore& store);
  // Writes every key, in the program's fixed order. False when a write
  // failed (the file then keeps its earlier contents for that key).
  bool Save(ProfileStore& store) const;

  // Sets every field to its default (the values of a missing file).
  void SetDefaults();
  // Works out the packed colours from their components.
  void DeriveColors();

  static constexpr const char* kSection = "setting";
  // Longest text a text key holds (the buffer of 260 less the terminator).
  static constexpr std::size_t kMaxText = 259;
  // The hotkeys of the next, previous and random commands when config.ini
  // names none (see app/hotkey_text.h).
  static constexpr const char* kDefaultHotkeyNext = "Ctrl+Alt+Shift+Right";
  static constexpr const char* kDefaultHotkeyPrevious = "Ctrl+Alt+Shift+Left";
  static constexpr const char* kDefaultHotkeyRandom = "Ctrl+Alt+Shift+Down";
  static constexpr const char* kDefaultHotkeyBack = "Ctrl+Alt+Shift+Up";
  // The caption's text: the picture's title, else its file name (see
  // render/caption_text.h).
  static constexpr const char* kDefaultCaptionPattern = "{title|name}";

  std::string path;

  std::int32_t sposob_wyswietlania;  // position: 0 stretch, 2 centre, 3 fill, 4 fit, else tiled
  std::int32_t sposob_wybierania;    // automatic choice: 0 in sequence, else random
  std::int32_t zmiana_tapety_co;     // 0 change at system start, 1 every interval
  std::int32_t co_ile_sek_godz;      // interval amount
  std::int32_t godz_sek;             // 1 minutes, else hours
  std::int32_t second_counter;       // minutes since the last change

  std::uint8_t smartblur;
  std::uint8_t negativ;
  std::uint8_t gray;
  std::uint8_t pseudocolors;
  std::uint8_t noise;
  std::int32_t noise_int;
  std::uint8_t sharpen;
  std::uint8_t blur;
  std::uint8_t contrast;
  std::int32_t contrast_int;
  std::uint8_t lighten;
  std::int32_t lighten_int;
  std::uint8_t colorize;
  std::int32_t colorize_r;
  std::int32_t colorize_g;
  std::int32_t colorize_b;

  std::string calendar_background_user;
  std::int32_t calendar_background_prog;
  std::uint8_t calendar_background;  // 1: the user's picture, 0: built-in
  std::uint8_t active_calendar;
  std::int32_t calendar_alpha;
  std::int32_t calendar_position;  // 0..8

  ColorRef color_mf;  // Monday to Friday
  std::int32_t mf_r, mf_g, mf_b;
  ColorRef color_saturday;
  std::int32_t saturday_r, saturday_g, saturday_b;
  ColorRef color_sunday;
  std::int32_t sunday_r, sunday_g, sunday_b;
  ColorRef color_background;
  std::int32_t background_r, background_g, background_b;
  std::uint8_t shadow;
  ColorRef color_shadow;
  std::int32_t shadow_r, shadow_g, shadow_b;

  std::uint8_t no_repeat;  // random selection: each picture once a round
  // Hotkey texts ("Ctrl+Alt+Shift+Right"); empty for none.
  std::string hotkey_next;
  std::string hotkey_previous;
  std::string hotkey_random;
  // "Back" and "Forward" through the wallpapers shown, "Add to favourites".
  std::string hotkey_back;
  std::string hotkey_forward;
  std::string hotkey_favourite;
  std::string hotkey_never;
  // "Never show this picture" asks first (until "Don't ask again").
  std::uint8_t confirm_never_show;

  // 0 one canvas of the primary monitor's size, 1 one canvas across every
  // monitor with the same picture on each, 2 the same with a picture for
  // each monitor; any other value in the file loads as 0.
  std::int32_t monitor_mode;

  // The automatic changes stopped ("Pause changes"), also over a restart.
  std::uint8_t paused;
  // An automatic change that falls due waits while a program runs full
  // screen (a game, a presentation, "do not disturb"), while battery saver
  // is on, in a remote session.
  std::uint8_t wait_fullscreen;
  std::uint8_t wait_battery_saver;
  std::uint8_t wait_remote;

  // The caption drawn on the wallpaper (render/caption.h): on or off, its
  // pattern, place (0..8 as the calendar's), size in points, colour, a
  // shadow and a translucent plate behind it.
  std::uint8_t caption;
  std::string caption_pattern;
  std::int32_t caption_position;
  std::int32_t caption_size;
  ColorRef color_caption;
  std::int32_t caption_r, caption_g, caption_b;
  std::uint8_t caption_shadow;
  std::uint8_t caption_plate;

  // What each monitor shows, the schedule and the place for its sun times
  // (sections "monitors" and "schedule", loaded and saved with the rest;
  // edited by the sheet).
  ScreensAndTimes screens;
};

// One stored key of the settings. Of the three field pointers only the one
// of its kind is set; the others are null.
struct SettingKey {
  enum class Kind { kNumber, kFlag, kText };
  const char* section;
  const char* key;
  Kind kind;
  std::int32_t TConfig::*number;  // kNumber
  std::uint8_t TConfig::*flag;    // kFlag: loads as 1 for any number but 0
  std::string TConfig::*text;     // kText: at most TConfig::kMaxText characters
  std::int32_t default_number;    // kNumber and kFlag
  const char* default_text;       // kText
  // A number outside lowest..highest loads as the default.
  std::int32_t lowest;
  std::int32_t highest;
  // Edited by the settings sheet; the others (the minute counter, the
  // hotkeys) change elsewhere while the sheet is open.
  bool sheet;
};

// Every key, in the order a new config.ini gets them.
const std::vector<SettingKey>& SettingKeys();

// Whether every stored field is the same (the path and the packed colours,
// which follow from the components, aside); the first key that differs, or
// empty.
std::string FirstDifferentKey(const TConfig& a, const TConfig& b);
inline bool SameSettings(const TConfig& a, const TConfig& b) { return FirstDifferentKey(a, b).empty(); }

// The fields the settings sheet edits, from one record to another; the
// others stay, and the colours follow.
void CopySheetFields(const TConfig& from, TConfig& to);

}  // namespace vistelle
