// What the Screens and times page works out without windows: the monitors
// drawn small and the click on them, the schedule's lines, the times the
// rule dialog reads and the place the page reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/screens_values.h"

namespace vistelle {
namespace {

Monitor At(int x, int y, unsigned width, unsigned height, bool primary = false) {
  Monitor m;
  m.x = x;
  m.y = y;
  m.width = width;
  m.height = height;
  m.primary = primary;
  return m;
}

TEST(ScreensLayout, MonitorsKeepTheirShapeAndPlacesCentredInTheBox) {
  struct Case {
    const char* what;
    std::vector<Monitor> monitors;
    int width, height, margin;
    std::vector<BoxRect> expected;
  };
  const std::vector<Case> cases = {
      // 2000 x 1000 into 100 x 100 less 10: scale 0.04, centred vertically.
      {"side by side", {At(0, 0, 1000, 1000, true), At(1000, 0, 1000, 1000)}, 100, 100, 10,
       {{10, 30, 50, 70}, {50, 30, 90, 70}}},
      // The box's top-left is the monitors' (negative coordinates too).
      {"left of the primary", {At(0, 0, 800, 600, true), At(-800, 200, 800, 600)}, 160, 80, 0,
       {{80, 0, 160, 60}, {0, 20, 80, 80}}},
      // Too small to show stays one pixel.
      {"a sliver", {At(0, 0, 10000, 100, true)}, 100, 100, 0, {{0, 50, 100, 51}}},
      {"no room", {At(0, 0, 800, 600, true)}, 8, 8, 4, {}},
      {"no monitors", {}, 100, 100, 4, {}},
      {"no area", {At(5, 5, 0, 0, true)}, 100, 100, 4, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(FitMonitors(c.monitors, c.width, c.height, c.margin), c.expected) << c.what;

  // Extreme coordinates neither overflow nor leave the box.
  for (const BoxRect& r : FitMonitors({At(-2147483647, 0, 4294967295u, 10, true), At(2147483000, 0, 600, 10)}, 200,
                                      100, 2)) {
    EXPECT_GE(r.left, 2);
    EXPECT_LE(r.right, 198);
  }
}

TEST(ScreensLayout, AClickHitsTheMonitorUnderIt) {
  const std::vector<BoxRect> rects = {{10, 30, 50, 70}, {50, 30, 90, 70}};
  struct Case {
    int x, y, expected;
  };
  for (const Case& c : std::vector<Case>{{10, 30, 0}, {49, 69, 0}, {50, 40, 1}, {89, 69, 1}, {90, 40, -1},
                                         {30, 70, -1}, {9, 40, -1}, {30, 29, -1}})
    EXPECT_EQ(MonitorAtPoint(rects, c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST(ScheduleLines, DaysAndRulesReadShort) {
  struct Case {
    std::uint8_t days;
    const char* expected;
  };
  for (const Case& c : std::vector<Case>{{0x7F, "every day"},
                                         {0xFF, "every day"},
                                         {0x00, "no day"},
                                         {0x1F, "Mon\xE2\x80\x93" "Fri"},
                                         {0x60, "Sat, Sun"},
                                         {0x01, "Mon"},
                                         {0x1D, "Mon, Wed\xE2\x80\x93" "Fri"},
                                         {0x41, "Mon, Sun"},
                                         {0x77, "Mon\xE2\x80\x93" "Wed, Fri\xE2\x80\x93" "Sun"}})
    EXPECT_EQ(DaysText(c.days), c.expected) << int(c.days);

  ScheduleRule night;
  night.category = "Night";
  night.from = DayTime{DayTime::Kind::kSunset, 30};
  night.to = DayTime{DayTime::Kind::kClock, 7 * 60};
  EXPECT_EQ(RuleText(night), "Night: sunset+30 to 07:00, every day");
}

TEST(ScheduleTimes, TheDialogReadsWhatItShows) {
  using K = DayTime::Kind;
  struct Case {
    K kind;
    const char* text;
    bool reads;
    std::int32_t minutes;
  };
  const std::vector<Case> cases = {
      {K::kClock, "07:30", true, 450},   {K::kClock, " 7:05 ", true, 425}, {K::kClock, "23:59", true, 1439},
      {K::kClock, "24:00", false, 0},    {K::kClock, "7:60", false, 0},    {K::kClock, "730", false, 0},
      {K::kClock, "", false, 0},         {K::kClock, "sunrise", false, 0}, {K::kClock, "-1:00", false, 0},
      {K::kSunrise, "30", true, 30},     {K::kSunrise, "+30", true, 30},   {K::kSunset, "-45", true, -45},
      {K::kSunset, "", true, 0},         {K::kSunset, "720", true, 720},   {K::kSunset, "-721", false, 0},
      {K::kSunrise, "07:00", false, 0},  {K::kSunrise, "+", false, 0},     {K::kSunrise, "1e3", false, 0},
      {K::kSunrise, "99999999999", false, 0},
  };
  for (const Case& c : cases) {
    DayTime time{K::kClock, 1234};
    EXPECT_EQ(ReadDayTime(c.kind, c.text, time), c.reads) << c.text;
    const DayTime expected = c.reads ? DayTime{c.kind, c.minutes} : DayTime{K::kClock, 1234};
    EXPECT_EQ(time, expected) << c.text;
    // What the box shows reads back as the same time.
    DayTime again;
    if (c.reads) {
      EXPECT_TRUE(ReadDayTime(c.kind, DayTimeEditText(time), again) && again == time) << c.text;
    }
  }
}

TEST(SchedulePlace, BothBoxesOrNeither) {
  struct Case {
    const char* latitude;
    const char* longitude;
    PlaceReading reading;
    bool known;
  };
  const std::vector<Case> cases = {
      {"52.2297", "21.0122", PlaceReading::kRead, true}, {" -33.9 ", "+151.2", PlaceReading::kRead, true},
      {"", " ", PlaceReading::kRead, false},             {"52.2", "", PlaceReading::kOnlyOne, false},
      {"", "21", PlaceReading::kOnlyOne, false},         {"91", "0", PlaceReading::kBadLatitude, false},
      {"52,2", "0", PlaceReading::kBadLatitude, false},  {"0", "180.5", PlaceReading::kBadLongitude, false},
      {"0", "east", PlaceReading::kBadLongitude, false},
  };
  for (const Case& c : cases) {
    Place place{true, 1, 2};
    EXPECT_EQ(ReadPlace(c.latitude, c.longitude, place), c.reading) << c.latitude << " " << c.longitude;
    // A reading that fails leaves the place as it was.
    if (c.reading != PlaceReading::kRead) {
      EXPECT_EQ(place, (Place{true, 1, 2}));
    } else {
      EXPECT_EQ(place.known, c.known);
    }
  }
}

}  // namespace
}  // namespace vistelle
