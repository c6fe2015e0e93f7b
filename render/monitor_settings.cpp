#include "render/monitor_settings.h"

#include <algorithm>

namespace vistelle {

MonitorSettings SettingsOfMonitor(const TConfig& settings, const MonitorLayout& layout, std::size_t i) {
  MonitorSettings out;
  out.position = settings.sposob_wyswietlania;
  out.background = settings.color_background;
  if (settings.monitor_mode != kMonitorModeEach || i >= layout.Count()) return out;
  const Monitor& m = layout.Monitors()[i];
  out.orientation = OrientationOf(m.width, m.height);
  out.match_orientation = OrientationMatchedByDefault(m, i);
  const bool unique = std::count_if(layout.Monitors().begin(), layout.Monitors().end(),
                                    [&](const Monitor& other) { return other.device == m.device; }) == 1;
  const MonitorChoice* choice = settings.screens.Find(m.device, static_cast<std::int32_t>(i), unique);
  if (choice == nullptr) return out;
  if (choice->position != MonitorChoice::kOptionsPage) out.position = choice->position;
  if (choice->background != MonitorChoice::kOptionsPage) out.background = static_cast<ColorRef>(choice->background);
  if (choice->portrait != MonitorChoice::kOptionsPage) out.match_orientation = choice->portrait != 0;
  if (i > 0) out.category = choice->category;
  return out;
}

}  // namespace vistelle
