// The minute counter of the main window: the one-minute timer that moves it,
// the interval it counts towards, and the countdown text shown from it.
#pragma once

#include <cstdint>
#include <string>

#include "config/config.h"

namespace vistelle {

// The interval between changes in minutes: the amount itself in minutes
// (unit 1), else the amount in hours.
std::int64_t IntervalMinutes(const TConfig& settings);

// Minutes until the next change: the interval less the minute counter,
// negative when the counter has passed it (the amount was lowered).
std::int64_t MinutesLeft(const TConfig& settings);

// "Wallpaper will change in: N min."
std::string CountdownText(std::int64_t minutes);

// One tick of the minute timer. The counter moves only in change mode 1 with
// a category selected; true when it has reached the interval and the
// wallpaper is due to change (the change itself resets the counter).
bool MinuteTick(TConfig& settings, bool category_selected);

}  // namespace vistelle
