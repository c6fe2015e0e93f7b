// What each monitor of the layout shows in "a picture for each monitor":
// its own position and background when it has them, else the Options
// page's, and the category its pictures come from. In the other monitor
// modes, and without a span layout, every monitor shows the Options page's
// position and background and follows the main rotation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config.h"
#include "render/monitor_layout.h"

namespace vistelle {

struct MonitorSettings {
  std::int32_t position = 0;  // as sposob_wyswietlania
  ColorRef background = 0;
  // The name of its own category; empty: it follows the main rotation (the
  // primary always does).
  std::string category;
  // Whether it takes pictures of its own orientation, and which that is:
  // +1 taller than wide, -1 wider than tall, 0 square (any picture does).
  bool match_orientation = false;
  int orientation = 0;
};

// The settings of monitor i of the layout (an empty layout: the primary
// screen alone, i 0).
MonitorSettings SettingsOfMonitor(const TConfig& settings, const MonitorLayout& layout, std::size_t i);

// The orientation of a picture or screen of these sides, as above.
inline int OrientationOf(std::uint64_t width, std::uint64_t height) {
  return height > width ? 1 : width > height ? -1 : 0;
}

// Whether the monitor at place of the layout takes pictures of its own
// orientation when nothing is set for it: a portrait monitor beside the
// primary does; the primary's picture is the main rotation's.
inline bool OrientationMatchedByDefault(const Monitor& m, std::size_t place) {
  return place > 0 && OrientationOf(m.width, m.height) > 0;
}

}  // namespace vistelle
