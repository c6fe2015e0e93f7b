#include "app/countdown.h"

#include <limits>

namespace vistelle {

std::int64_t IntervalMinutes(const TConfig& settings) {
  const std::int64_t amount = settings.co_ile_sek_godz;
  return settings.godz_sek == 1 ? amount : amount * 60;
}

std::int64_t MinutesLeft(const TConfig& settings) { return IntervalMinutes(settings) - settings.second_counter; }

std::string CountdownText(std::int64_t minutes) {
  return "Wallpaper will change in: " + std::to_string(minutes) + " min.";
}

bool MinuteTick(TConfig& settings, bool category_selected) {
  if (settings.zmiana_tapety_co != 1 || !category_selected) return false;
  // A counter read from a hand-edited file may stand at the very top.
  if (settings.second_counter < std::numeric_limits<std::int32_t>::max()) ++settings.second_counter;
  return settings.second_counter >= IntervalMinutes(settings);
}

}  // namespace vistelle
