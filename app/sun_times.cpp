#include "app/sun_times.h"

#include <cmath>

namespace vistelle {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kZenith = 90.833;

double Rad(double degrees) { return degrees * kPi / 180; }
double Deg(double radians) { return radians * 180 / kPi; }

// Where the sun stands at a moment (a Julian day): its declination in
// degrees and the equation of time in minutes.
struct SunPosition {
  double declination;
  double equation_of_time;
};

SunPosition SunAt(double julian_day) {
  const double t = (julian_day - 2451545.0) / 36525.0;  // Julian centuries since J2000.0
  const double mean_longitude = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360.0);
  const double mean_anomaly = 357.52911 + t * (35999.05029 - 0.0001537 * t);
  const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
  const double m = Rad(mean_anomaly);
  const double centre = std::sin(m) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                        std::sin(2 * m) * (0.019993 - 0.000101 * t) + std::sin(3 * m) * 0.000289;
  const double omega = Rad(125.04 - 1934.136 * t);
  const double apparent_longitude = Rad(mean_longitude + centre - 0.00569 - 0.00478 * std::sin(omega));
  const double mean_obliquity = 23 + (26 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60) / 60;
  const double obliquity = Rad(mean_obliquity + 0.00256 * std::cos(omega));

  const double y = std::tan(obliquity / 2) * std::tan(obliquity / 2);
  const double l0 = Rad(mean_longitude);
  const double e = eccentricity;
  const double equation = y * std::sin(2 * l0) - 2 * e * std::sin(m) + 4 * e * y * std::sin(m) * std::cos(2 * l0) -
                          0.5 * y * y * std::sin(4 * l0) - 1.25 * e * e * std::sin(2 * m);
  return {Deg(std::asin(std::sin(obliquity) * std::sin(apparent_longitude))), 4 * Deg(equation)};
}

// The hour angle in degrees of the sun's rising at latitude on a day of
// this declination; false when it neither rises nor sets.
bool HourAngle(double latitude, double declination, double& angle) {
  const double lat = Rad(latitude), dec = Rad(declination);
  const double cosine = std::cos(Rad(kZenith)) / (std::cos(lat) * std::cos(dec)) - std::tan(lat) * std::tan(dec);
  if (!(cosine >= -1 && cosine <= 1)) return false;
  angle = Deg(std::acos(cosine));
  return true;
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, std::int32_t month, std::int32_t day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t shifted_month = static_cast<std::int64_t>(month) + (month > 2 ? -3 : 9);  // March first
  const std::int64_t day_of_year = (153 * shifted_month + 2) / 5 + static_cast<std::int64_t>(day) - 1;
  const std::int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, std::int32_t& month, std::int32_t& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t mp = (5 * day_of_year + 2) / 153;
  day = static_cast<std::int32_t>(day_of_year - (153 * mp + 2) / 5 + 1);
  month = static_cast<std::int32_t>(mp < 10 ? mp + 3 : mp - 9);
  year = year_of_era + era * 400 + (month <= 2);
}

SunTimes SunTimesOn(std::int32_t year, std::int32_t month, std::int32_t day, const Place& place,
                    std::int32_t utc_offset_minutes) {
  SunTimes times;
  if (!place.known || !std::isfinite(place.latitude) || !std::isfinite(place.longitude) ||
      std::fabs(place.latitude) > 90)
    return times;
  // The Julian day of the date's midnight in Greenwich.
  const double midnight = static_cast<double>(DaysFromCivil(year, month, day)) + 2440587.5;
  const double offset = utc_offset_minutes;
  // The solar noon (give or take the equation of time) that falls in the
  // local day, in local minutes.
  double noon = 720 - 4 * place.longitude + offset;
  noon -= 1440 * std::round((noon - 720) / 1440);

  // Each event is worked out at the sun's position of its own moment, from
  // a first guess at noon; three rounds settle it well under a second.
  double minutes[2];
  for (int i = 0; i < 2; ++i) {
    const double side = i == 0 ? -1 : 1;
    double at = noon;
    for (int round = 0; round < 3; ++round) {
      const SunPosition sun = SunAt(midnight + (at - offset) / 1440);
      double angle;
      if (!HourAngle(place.latitude, sun.declination, angle)) return times;
      at = noon - sun.equation_of_time + side * 4 * angle;
    }
    if (!std::isfinite(at)) return times;
    minutes[i] = std::floor(at + 0.5);
  }
  times.rises = times.sets = true;
  times.sunrise = static_cast<std::int32_t>(minutes[0]);
  times.sunset = static_cast<std::int32_t>(minutes[1]);
  return times;
}

}  // namespace vistelle
