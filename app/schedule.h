// The schedule of the "Screens and times" page at work: which of its rules
// holds at a moment, naming the category the rotation takes its pictures
// from, and how long until that may change.
#pragma once

#include <cstdint>
#include <vector>

#include "config/screens_and_times.h"

namespace vistelle {

// A moment of local time, as the system clock gives it.
struct LocalMoment {
  std::int32_t year = 1970, month = 1, day = 1;
  std::int32_t weekday = 3;     // 0 Monday .. 6 Sunday
  std::int32_t minute = 0;      // 0..1439 of the local day
  std::int32_t utc_offset = 0;  // minutes ahead of UTC
};

// The moment that many minutes later (earlier when negative), at the same
// offset from UTC, across month and year ends. A moment whose minute, month
// or day lie out of range comes back as the real moment they count to.
LocalMoment MinutesLater(const LocalMoment& moment, std::int64_t minutes);

// The position of the first rule that holds at now, -1 for none. A rule
// holds from its start to its end on each day it is set for; an end at or
// before the start is on the next day, and an end equal to the start makes
// a whole day. A sun time is that of the day the span begins on (an end
// moved to the next day takes the next day's). On a day when the sun does
// not rise or set, or at an unknown place, a span timed by it does not
// happen.
std::int32_t RuleInForce(const std::vector<ScheduleRule>& rules, const Place& place, const LocalMoment& now);

// Minutes from now until the next minute at which a rule starts or stops
// holding (so the rule in force may change there); 1..1440, 1440 when none
// does within a day.
std::int32_t MinutesToNextBoundary(const std::vector<ScheduleRule>& rules, const Place& place,
                                   const LocalMoment& now);

}  // namespace vistelle
