// What the "Screens and times" page works out without the window system:
// the monitors drawn small inside a box and which one a click hits, the
// lines of the schedule's list, the times as the rule dialog reads and
// shows them, and the place as the page reads it from its two boxes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/screens_and_times.h"
#include "render/monitor_layout.h"

namespace vistelle {

// A rectangle in a box's pixels, right and bottom excluded.
struct BoxRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const BoxRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// The monitors (virtual-screen coordinates) scaled together into a box of
// width x height pixels, less margin on every side, keeping their shape and
// places and centred in it; one rectangle for each monitor, in their order,
// each at least 1 x 1. None when the box or the monitors have no room.
std::vector<BoxRect> FitMonitors(const std::vector<Monitor>& monitors, int width, int height, int margin);
// The monitor whose rectangle holds the point; -1 for none. Where two
// touch, the later one drawn (on top) wins.
int MonitorAtPoint(const std::vector<BoxRect>& rects, int x, int y);

// Whether the monitor shows pictures of its own orientation: as the choice
// says, or by default for a monitor other than the primary that is taller
// than wide. choice may be null (nothing set for the monitor).
bool PortraitPictures(const MonitorChoice* choice, const Monitor& monitor);

// The position list of the page, the index its item: first the Options
// page's position, then the five modes with the Options page's words.
struct PositionItem {
  const char* name;
  std::int32_t position;  // as sposob_wyswietlania; kOptionsPage for the first
};
constexpr PositionItem kPositionItems[] = {{"As on the Options page", MonitorChoice::kOptionsPage},
                                           {"Fill", 3},
                                           {"Fit", 4},
                                           {"Stretch", 0},
                                           {"Tiled", 1},
                                           {"Center", 2}};
constexpr int kPositionItemCount = static_cast<int>(sizeof kPositionItems / sizeof kPositionItems[0]);
// The item of a stored position; the first for any value without one.
int PositionItemOf(std::int32_t position);

// "every day", "Mon–Fri", "Sat, Sun", "Mon, Wed–Fri", "no day": runs of
// three days or more (Monday to Sunday, not round the week's end) as a
// range, the others one by one. UTF-8 (the dash is U+2013).
std::string DaysText(std::uint8_t days);
// A line of the schedule's list: "Night: sunset+30 to 07:00, every day".
std::string RuleText(const ScheduleRule& rule);

// What the rule dialog's edit box shows for a time: "07:30" for a clock
// time, the offset ("+30", "-45", "0") for sunrise and sunset.
std::string DayTimeEditText(const DayTime& time);
// Reads the edit box for a time of this kind (blanks around it allowed):
// "H:MM" or "HH:MM" for a clock time; for sunrise and sunset an offset in
// whole minutes, signed or not, -720..720, empty for none. False, time
// unchanged, for anything else.
bool ReadDayTime(DayTime::Kind kind, std::string_view text, DayTime& time);

// Reading the page's latitude and longitude boxes (blanks around allowed).
enum class PlaceReading { kRead, kBadLatitude, kBadLongitude, kOnlyOne };
// Both empty: the place is unknown; both degrees within range: known;
// else what is wrong, place unchanged.
PlaceReading ReadPlace(std::string_view latitude, std::string_view longitude, Place& place);

}  // namespace vistelle
