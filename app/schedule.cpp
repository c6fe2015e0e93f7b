#include "app/schedule.h"

#include <algorithm>

#include "app/sun_times.h"

namespace vistelle {
namespace {

constexpr std::int64_t kDay = 1440;

// The days a span reaching the moment's day or the next can begin on: two
// before it to two after, and one more for the end of the last one's span.
constexpr int kBefore = 2;
constexpr int kDays = 6;

struct Days {
  SunTimes sun[kDays];
  std::int32_t weekday[kDays];
};

// A span in minutes from the midnight that begins the moment's day.
struct Span {
  std::int64_t from, to;
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

Days Around(const Place& place, const LocalMoment& now) {
  Days days;
  for (int k = 0; k < kDays; ++k) {
    const LocalMoment day = MinutesLater(now, (k - kBefore) * kDay);
    days.sun[k] = SunTimesOn(day.year, day.month, day.day, place, day.utc_offset);
    days.weekday[k] = day.weekday;
  }
  return days;
}

// The minute of its day a time of a rule stands at; false when it does not
// happen that day.
bool Resolve(const DayTime& time, const SunTimes& sun, std::int64_t& minute) {
  switch (time.kind) {
    case DayTime::Kind::kClock:
      minute = time.minutes;
      return time.minutes >= 0 && time.minutes < kDay;
    case DayTime::Kind::kSunrise:
      minute = static_cast<std::int64_t>(sun.sunrise) + time.minutes;
      return sun.rises && time.minutes >= -720 && time.minutes <= 720;
    case DayTime::Kind::kSunset:
      minute = static_cast<std::int64_t>(sun.sunset) + time.minutes;
      return sun.sets && time.minutes >= -720 && time.minutes <= 720;
  }
  return false;
}

// The spans of rule that begin on the days around the moment's.
std::vector<Span> SpansOf(const ScheduleRule& rule, const Days& days) {
  std::vector<Span> spans;
  for (int k = 0; k + 1 < kDays; ++k) {
    if (!((rule.days >> days.weekday[k]) & 1)) continue;
    std::int64_t from, to;
    if (!Resolve(rule.from, days.sun[k], from) || !Resolve(rule.to, days.sun[k], to)) continue;
    if (to <= from) {
      if (!Resolve(rule.to, days.sun[k + 1], to)) continue;
      to += kDay;
    }
    // Sun times with offsets can still end before they begin.
    if (to <= from) continue;
    const std::int64_t midnight = (k - kBefore) * kDay;
    spans.push_back({midnight + from, midnight + to});
  }
  return spans;
}

bool Within(const std::vector<Span>& spans, std::int64_t minute) {
  return std::any_of(spans.begin(), spans.end(), [&](const Span& s) { return s.from <= minute && minute < s.to; });
}

}  // namespace

LocalMoment MinutesLater(const LocalMoment& moment, std::int64_t minutes) {
  const std::int64_t total = moment.minute + minutes;
  const std::int64_t days = FloorDiv(total, kDay);
  LocalMoment later = moment;
  later.minute = static_cast<std::int32_t>(total - days * kDay);
  std::int64_t year;
  CivilFromDays(DaysFromCivil(moment.year, moment.month, moment.day) + days, year, later.month, later.day);
  later.year = static_cast<std::int32_t>(year);
  later.weekday = static_cast<std::int32_t>(((moment.weekday + days) % 7 + 7) % 7);
  return later;
}

std::int32_t RuleInForce(const std::vector<ScheduleRule>& rules, const Place& place, const LocalMoment& now) {
  const LocalMoment moment = MinutesLater(now, 0);
  const Days days = Around(place, moment);
  for (std::size_t i = 0; i < rules.size(); ++i)
    if (Within(SpansOf(rules[i], days), moment.minute)) return static_cast<std::int32_t>(i);
  return -1;
}

std::int32_t MinutesToNextBoundary(const std::vector<ScheduleRule>& rules, const Place& place,
                                   const LocalMoment& now) {
  const LocalMoment moment = MinutesLater(now, 0);
  const Days days = Around(place, moment);
  std::int64_t next = kDay;
  for (const ScheduleRule& rule : rules) {
    const std::vector<Span> spans = SpansOf(rule, days);
    for (const Span& span : spans)
      for (const std::int64_t end : {span.from, span.to}) {
        // An end that another span of the rule takes up at once changes
        // nothing.
        const std::int64_t ahead = end - moment.minute;
        if (ahead >= 1 && ahead < next && Within(spans, end - 1) != Within(spans, end)) next = ahead;
      }
  }
  return static_cast<std::int32_t>(next);
}

}  // namespace vistelle
