// The settings of the "Screens and times" page: what each monitor shows when
// every monitor has a picture of its own, and the schedule that names the
// category by the time of day. They live in config.ini beside the other
// settings, in sections of their own ("monitors", "schedule"), which a copy
// of the program that does not know them leaves alone.
//
// [monitors]                      [schedule]
// count=2                         latitude=52.2297
// monitor1_device=\\?\DISPLAY#... longitude=21.0122
// monitor1_place=1                rules=1
// monitor1_category=Portraits     rule1_category=Night
// monitor1_position=4             rule1_from=sunset+30
// monitor1_background=0,0,0       rule1_to=07:00
// monitor1_portrait=1             rule1_days=MTWTFSS
//
// Category names are stored encoded (EncodeProfileText), because the
// private-profile functions drop blanks and quotes around a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_store.h"

namespace vistelle {

// Text as stored so that the private-profile functions give it back
// exactly: '%', quotes, control characters and blanks at either end become
// %XX (two hex digits); everything else stays as it is. Decoding turns
// every %XX back and keeps a '%' not followed by two hex digits.
std::string EncodeProfileText(std::string_view text);
std::string DecodeProfileText(std::string_view stored);

// What one monitor shows in "a picture for each monitor".
struct MonitorChoice {
  // The monitor's device interface name; empty where the system gives none
  // (the composer's monitors). With place, how the monitor is found again.
  std::string device;
  // Its place in the layout's order when it was set (0 the primary).
  std::int32_t place = 0;
  // The category its pictures come from; empty: the main rotation's. Not
  // used for the primary monitor, whose picture is the main rotation's.
  std::string category;
  // Its position mode, as sposob_wyswietlania; kOptionsPage for the Options
  // page's.
  std::int32_t position = kOptionsPage;
  // Its background colour, packed 0xBBGGRR; kOptionsPage for the Options
  // page's.
  std::int32_t background = kOptionsPage;
  // Whether it takes pictures of its own orientation (portrait ones when
  // taller than wide): kOptionsPage for the default, on for a monitor other
  // than the primary that is taller than wide; 0 off, 1 on.
  std::int32_t portrait = kOptionsPage;

  static constexpr std::int32_t kOptionsPage = -1;
  bool operator==(const MonitorChoice& o) const {
    return device == o.device && place == o.place && category == o.category && position == o.position &&
           background == o.background && portrait == o.portrait;
  }
};

// A moment of a day in a schedule rule: a clock time, or sunrise or sunset
// with an offset.
struct DayTime {
  enum class Kind { kClock, kSunrise, kSunset };
  Kind kind = Kind::kClock;
  // kClock: the minute of the day, 0..1439; sun times: the offset in
  // minutes, -720..720.
  std::int32_t minutes = 0;
  bool operator==(const DayTime& o) const { return kind == o.kind && minutes == o.minutes; }
};

// "Category C from T1 to T2 on days D." The days are those the span begins
// on: a span that ends at or before it begins runs over midnight into the
// next day.
struct ScheduleRule {
  std::string category;
  DayTime from;
  DayTime to;
  std::uint8_t days = kEveryDay;  // bit 0 Monday .. bit 6 Sunday

  static constexpr std::uint8_t kEveryDay = 0x7F;
  bool operator==(const ScheduleRule& o) const {
    return category == o.category && from == o.from && to == o.to && days == o.days;
  }
};

// Where the user is, for the sun times: degrees north and east.
struct Place {
  bool known = false;
  double latitude = 0;   // -90..90
  double longitude = 0;  // -180..180
  bool operator==(const Place& o) const {
    return known == o.known && (!known || (latitude == o.latitude && longitude == o.longitude));
  }
};

struct ScreensAndTimes {
  std::vector<MonitorChoice> monitors;
  std::vector<ScheduleRule> rules;
  Place place;

  static constexpr const char* kMonitorsSection = "monitors";
  static constexpr const char* kScheduleSection = "schedule";
  // More are not read.
  static constexpr std::size_t kMaxMonitors = 64;
  static constexpr std::size_t kMaxRules = 100;

  bool operator==(const ScreensAndTimes& o) const {
    return monitors == o.monitors && rules == o.rules && place == o.place;
  }
  bool operator!=(const ScreensAndTimes& o) const { return !(*this == o); }

  // Reads both sections of file; a missing one gives nothing. Values out of
  // range load as their defaults; a rule whose times or days do not read is
  // left out, and so is a rule without a category or with a text no
  // category can be named (a monitor with one follows the main rotation).
  void Load(ProfileStore& store, const std::string& file);
  // Writes both sections (the counts say how many entries count; entries
  // past them in the file are ignored). False when a write failed.
  bool Save(ProfileStore& store, const std::string& file) const;

  // The choice stored for the monitor at place with this device name: the
  // one of the same name and place, else, when no other monitor now has
  // that name (unique), the only one stored of that name (the monitor has
  // moved); for a monitor without a name (the composer's) the first at that
  // place; null for none. Identical monitors can share a name, and Wine
  // gives every monitor the same one.
  const MonitorChoice* Find(const std::string& device, std::int32_t place, bool unique = false) const;
  // The same, made (with the defaults) when missing; one found by its name
  // alone takes the place given.
  MonitorChoice& FindOrAdd(const std::string& device, std::int32_t place, bool unique = false);
};

// "07:30", "sunrise", "sunset-45", "sunrise+90".
std::string FormatDayTime(const DayTime& time);
bool ParseDayTime(std::string_view text, DayTime& time);
// "MTWTF--": a letter for each day from Monday that the rule holds on, '-'
// for the others.
std::string FormatDays(std::uint8_t days);
bool ParseDays(std::string_view text, std::uint8_t& days);
// Degrees as stored, "52.2297" (up to six decimals, '.' whatever the
// locale), and read back (decimals past the sixth ignored, so that what is
// read is written back the same); false for anything but an optional sign,
// digits and one '.', or a value beyond limit.
std::string FormatDegrees(double degrees);
bool ParseDegrees(std::string_view text, double limit, double& degrees);

}  // namespace vistelle
