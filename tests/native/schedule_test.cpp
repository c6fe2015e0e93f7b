#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/schedule.h"
#include "app/sun_times.h"

namespace vistelle {
namespace {

DayTime At(int hour, int minute) { return {DayTime::Kind::kClock, hour * 60 + minute}; }
DayTime Sunrise(int offset = 0) { return {DayTime::Kind::kSunrise, offset}; }
DayTime Sunset(int offset = 0) { return {DayTime::Kind::kSunset, offset}; }

ScheduleRule Rule(DayTime from, DayTime to, const char* days = "MTWTFSS") {
  ScheduleRule rule{"c", from, to};
  EXPECT_TRUE(ParseDays(days, rule.days));
  return rule;
}

Place Where(double latitude, double longitude) { return {true, latitude, longitude}; }
const Place kWarsaw = Where(52.2297, 21.0122);
const Place kTromso = Where(69.6492, 18.9553);

// Friday 21 June 2024 in Warsaw (summer time) and the days around it.
LocalMoment June(int day, int hour, int minute) {
  return MinutesLater({2024, 6, 21, 4, 0, 120}, (day - 21) * 1440 + hour * 60 + minute);
}

TEST(SunTimes, MatchEphemeridesWithinTwoMinutesAndKnowPolarDayAndNight) {
  struct Case { const char* place; double latitude, longitude; int offset, month, day, sunrise, sunset; };
  // 2024, from tools/sun_table.py; -1: the sun neither rises nor sets.
  const std::vector<Case> cases = {
      {"Warsaw", 52.2297, 21.0122, 120, 6, 21, 255, 1261},
      {"Warsaw", 52.2297, 21.0122, 60, 12, 21, 463, 925},
      {"Quito", -0.1807, -78.4678, -300, 3, 20, 378, 1104},
      {"Sydney", -33.8688, 151.2093, 660, 12, 21, 341, 1206},
      {"Reykjavik", 64.1466, -21.9426, 0, 6, 21, 175, 1444},
      {"Reykjavik", 64.1466, -21.9426, 0, 12, 21, 683, 930},
      {"Tromso", 69.6492, 18.9553, 60, 12, 21, -1, -1},
      {"Tromso", 69.6492, 18.9553, 120, 6, 21, -1, -1},
      {"Longyearbyen", 78.2232, 15.6267, 60, 3, 1, 503, 960},
      {"Suva", -18.1416, 178.4419, 720, 1, 1, 333, 1125},
      {"Apia", -13.8333, -171.7667, 780, 12, 31, 362, 1138},
      {"McMurdo", -77.8419, 166.6863, 720, 6, 21, -1, -1},
      {"McMurdo", -77.8419, 166.6863, 780, 12, 21, -1, -1},
  };
  for (const Case& c : cases) {
    const SunTimes sun = SunTimesOn(2024, c.month, c.day, Where(c.latitude, c.longitude), c.offset);
    EXPECT_EQ(sun.rises && sun.sets, c.sunrise >= 0) << c.place << " " << c.month;
    if (!sun.rises || !sun.sets) continue;
    EXPECT_NEAR(sun.sunrise, c.sunrise, 2) << c.place << " " << c.month;
    EXPECT_NEAR(sun.sunset, c.sunset, 2) << c.place << " " << c.month;
  }
  EXPECT_FALSE(SunTimesOn(2024, 6, 21, Place{}, 0).rises);
  EXPECT_FALSE(SunTimesOn(2024, 6, 21, Where(0.0 / 0.0, 0), 0).rises);
}

TEST(Schedule, MinutesLaterCrossesMonthsYearsAndLeapDays) {
  struct Case { LocalMoment from; int minutes; LocalMoment to; };
  const std::vector<Case> cases = {
      {{2024, 2, 28, 2, 1439, 60}, 1, {2024, 2, 29, 3, 0, 60}},
      {{2100, 2, 28, 6, 1439, 60}, 1, {2100, 3, 1, 0, 0, 60}},
      {{2025, 1, 1, 2, 0, 0}, -1, {2024, 12, 31, 1, 1439, 0}},
      {{2024, 3, 1, 4, 30, 0}, -2880, {2024, 2, 28, 2, 30, 0}},
      {{2024, 1, 31, 2, 5000, 0}, 0, {2024, 2, 3, 5, 680, 0}},  // a minute out of range
  };
  for (const Case& c : cases) {
    const LocalMoment m = MinutesLater(c.from, c.minutes);
    EXPECT_EQ(std::vector<int>({m.year, m.month, m.day, m.weekday, m.minute, m.utc_offset}),
              std::vector<int>({c.to.year, c.to.month, c.to.day, c.to.weekday, c.to.minute, c.to.utc_offset}));
  }
}

TEST(Schedule, TheFirstRuleThatHoldsIsInForce) {
  const ScheduleRule office = Rule(At(9, 0), At(17, 0), "MTWTF--"), lunch = Rule(At(12, 0), At(13, 0));
  const ScheduleRule friday_night = Rule(At(22, 0), At(6, 0), "----F--");
  const ScheduleRule monday = Rule(At(7, 0), At(7, 0), "M------");  // to Tuesday 07:00
  const ScheduleRule night = Rule(Sunset(30), Sunrise());            // Warsaw: 21:31 .. 04:15
  const ScheduleRule dawn = Rule(Sunrise(-60), At(7, 0));            // 03:15 .. 07:00
  const ScheduleRule daylight = Rule(Sunrise(), Sunset()), always = Rule(At(0, 0), At(0, 0));
  struct Case { std::vector<ScheduleRule> rules; Place place; LocalMoment now; int expected; };
  const std::vector<Case> cases = {
      {{office}, {}, June(21, 8, 59), -1},        {{office}, {}, June(21, 9, 0), 0},
      {{office}, {}, June(21, 16, 59), 0},        {{office}, {}, June(21, 17, 0), -1},
      {{office}, {}, June(22, 10, 0), -1},        {{lunch, office}, {}, June(21, 12, 30), 0},
      {{lunch, office}, {}, June(21, 11, 0), 1},  {{friday_night}, {}, June(21, 3, 0), -1},
      {{friday_night}, {}, June(21, 23, 0), 0},   {{friday_night}, {}, June(22, 3, 0), 0},
      {{friday_night}, {}, June(22, 6, 0), -1},   {{friday_night}, {}, June(23, 3, 0), -1},
      {{monday}, {}, June(24, 6, 59), -1},        {{monday}, {}, June(25, 6, 59), 0},
      {{monday}, {}, June(25, 7, 0), -1},         {{night, dawn}, kWarsaw, June(21, 21, 20), -1},
      {{night, dawn}, kWarsaw, June(21, 21, 40), 0}, {{night, dawn}, kWarsaw, June(22, 4, 5), 0},
      {{night, dawn}, kWarsaw, June(22, 4, 25), 1},  {{dawn}, kWarsaw, June(22, 3, 5), -1},
      {{dawn}, kWarsaw, June(22, 7, 0), -1},
      // Polar day in Tromsø, and nowhere: the sun-timed rules give way.
      {{daylight, night, always}, kTromso, June(21, 12, 0), 2}, {{daylight, night, always}, kTromso, June(21, 0, 0), 2},
      {{daylight, night, always}, {}, June(21, 12, 0), 2},      {{daylight, night}, {}, June(21, 23, 0), -1},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(RuleInForce(cases[i].rules, cases[i].place, cases[i].now), cases[i].expected) << "case " << i;

  // A night that begins on 1 March in Tromsø ends at the next morning's
  // sunrise, minutes earlier than the evening's own day had it.
  const int first = SunTimesOn(2024, 3, 1, kTromso, 60).sunrise, second = SunTimesOn(2024, 3, 2, kTromso, 60).sunrise;
  ASSERT_GE(first - second, 3);
  const LocalMoment morning{2024, 3, 2, 5, 0, 60};
  EXPECT_EQ(RuleInForce({night}, kTromso, MinutesLater(morning, second - 1)), 0);
  EXPECT_EQ(RuleInForce({night}, kTromso, MinutesLater(morning, second)), -1);
}

// Against a scan minute by minute of where each rule starts or stops holding.
TEST(Schedule, TheNextBoundaryIsWhereARuleStartsOrStopsHolding) {
  const std::vector<std::vector<ScheduleRule>> schedules = {
      {},
      {Rule(At(0, 0), At(0, 0))},  // always: nothing ever changes
      {Rule(At(9, 0), At(17, 0), "MTWTF--"), Rule(At(22, 0), At(6, 0), "----F--")},
      {Rule(At(7, 0), At(7, 0), "M-W----"), Rule(At(7, 0), At(7, 0), "-T-----")},
      {Rule(Sunset(30), Sunrise()), Rule(Sunrise(-60), At(7, 0)), Rule(Sunrise(), Sunset(-600), "---T-S-")},
  };
  for (std::size_t s = 0; s < schedules.size(); ++s)
    for (int start = 0; start < 3 * 1440; start += 307) {
      const LocalMoment now = June(20, 0, start);
      const auto changes_at = [&](int m) {
        for (const ScheduleRule& rule : schedules[s])
          if (RuleInForce({rule}, kWarsaw, MinutesLater(now, m - 1)) !=
              RuleInForce({rule}, kWarsaw, MinutesLater(now, m)))
            return true;
        return false;
      };
      int changes = 1;
      while (changes < 1440 && !changes_at(changes)) ++changes;
      EXPECT_EQ(MinutesToNextBoundary(schedules[s], kWarsaw, now), changes) << "schedule " << s << " at " << start;
    }
}

}  // namespace
}  // namespace vistelle
