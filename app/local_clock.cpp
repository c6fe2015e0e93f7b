#include "app/local_clock.h"

#include <ctime>

#include "app/sun_times.h"

namespace vistelle {

namespace {

bool Broken(std::time_t t, bool local, std::tm& out) {
#ifdef _WIN32
  return (local ? localtime_s(&out, &t) : gmtime_s(&out, &t)) == 0;
#else
  return (local ? localtime_r(&t, &out) : gmtime_r(&t, &out)) != nullptr;
#endif
}

std::int64_t MinutesSinceEpoch(const std::tm& t) {
  return DaysFromCivil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday) * 1440 + t.tm_hour * 60 + t.tm_min;
}

}  // namespace

LocalMoment LocalMomentNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{}, utc{};
  LocalMoment moment;
  if (!Broken(now, true, local) || !Broken(now, false, utc)) return moment;
  moment.year = local.tm_year + 1900;
  moment.month = local.tm_mon + 1;
  moment.day = local.tm_mday;
  moment.weekday = (local.tm_wday + 6) % 7;  // from Monday
  moment.minute = local.tm_hour * 60 + local.tm_min;
  moment.utc_offset = static_cast<std::int32_t>(MinutesSinceEpoch(local) - MinutesSinceEpoch(utc));
  return moment;
}

}  // namespace vistelle
