// Sunrise and sunset at the user's place, worked out offline from its
// latitude and longitude with the equations of the NOAA Solar Calculator,
// for the schedule rules that follow the sun.
#pragma once

#include <cstdint>

#include "config/screens_and_times.h"

namespace vistelle {

// A day's sunrise and sunset in minutes after local midnight of that date,
// rounded to the nearest minute. They belong to the solar noon that falls in
// the local day, so a place far from its time zone's meridian can see them
// before 0 or past 1439 (Reykjavik's midsummer sunset is at 1444). In polar
// day and polar night neither happens.
struct SunTimes {
  bool rises = false;
  bool sets = false;
  std::int32_t sunrise = 0;
  std::int32_t sunset = 0;
};

// The sun's upper limb meets the horizon, refraction included: its centre
// is 90.833 degrees from the zenith. Nothing happens at an unknown place.
SunTimes SunTimesOn(std::int32_t year, std::int32_t month, std::int32_t day, const Place& place,
                    std::int32_t utc_offset_minutes);

// Days since 1 January 1970 of a date of the Gregorian calendar, and back.
std::int64_t DaysFromCivil(std::int64_t year, std::int32_t month, std::int32_t day);
void CivilFromDays(std::int64_t days, std::int64_t& year, std::int32_t& month, std::int32_t& day);

}  // namespace vistelle
