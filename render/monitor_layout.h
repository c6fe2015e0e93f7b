// The monitors of the desktop and the one canvas that covers them all.
//
// Monitors are rectangles in virtual-screen coordinates, in real pixels: x
// from the left, y from the top and growing downwards; the primary monitor's
// top-left corner is usually (0, 0), so the others may lie at negative
// coordinates. The span canvas covers their bounding box, its top-left
// corner at the box's; as every Image it stores its rows bottom-up, so a
// monitor's place on it counts y from the bottom row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vistelle {

// How the wallpaper meets several monitors ("monitor_mode").
constexpr int kMonitorModePrimary = 0;  // one canvas of the primary's size, repeated by the system
constexpr int kMonitorModeSpan = 1;     // one canvas across all, the same picture on each monitor
constexpr int kMonitorModeEach = 2;     // one canvas across all, a picture for each monitor

struct Monitor {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool primary = false;
  // The system's device interface name of the monitor; empty where there is
  // none (the composer's monitors).
  std::string device;
};

// A rectangle in virtual-screen coordinates (y downwards).
struct VirtualRect {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::uint64_t width = 0;
  std::uint64_t height = 0;
};

// A rectangle on a canvas: x from the left, y from the bottom row.
struct CanvasRect {
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

class MonitorLayout {
 public:
  MonitorLayout() = default;
  // Monitors without area are left out. The order is the primary first,
  // then the others by their left edge, then by their top edge (monitors at
  // the same place keep the order given). Exactly one is primary: the first
  // one flagged, or with none flagged the first in that order.
  explicit MonitorLayout(std::vector<Monitor> monitors);

  const std::vector<Monitor>& Monitors() const { return monitors_; }
  std::size_t Count() const { return monitors_.size(); }
  bool Empty() const { return monitors_.empty(); }
  // The first monitor; the layout must not be empty.
  const Monitor& Primary() const { return monitors_.front(); }

  // The bounding box of all monitors (0 x 0 for none).
  VirtualRect Bounds() const;
  // Whether one Image can hold a canvas of the bounding box.
  bool CanvasAcceptable() const;
  // Monitor i's rectangle on the span canvas (i below Count()).
  CanvasRect InCanvas(std::size_t i) const;

 private:
  std::vector<Monitor> monitors_;
};

// Reads a layout written "WIDTHxHEIGHT+X+Y" for each monitor, separated by
// commas (spaces around an item are allowed), the first one the primary:
// "1024x768+0+0,800x600-800+168". X and Y are virtual-screen coordinates
// with their sign, y growing downwards.
// Sides are 1..32767, coordinates -32767..32767, at most kMaxMonitors
// monitors; monitors may not overlap, and their bounding box must fit one
// canvas. False, with a reason in error and the layout unchanged, for
// anything else.
// given, where asked for, receives the monitors in the order written.
constexpr std::size_t kMaxMonitors = 64;
bool ParseMonitorLayout(const std::string& text, MonitorLayout& layout, std::string* error = nullptr,
                        std::vector<Monitor>* given = nullptr);

// The pictures of the layout's monitors after the primary, in the layout's
// order, when pictures[j] belongs to given[j] (given[0] the primary): as
// the composer's command line hands them out. A monitor without a picture
// of its own gets pictures[0], the primary's; none after the last one that
// has one.
std::vector<std::string> OtherPicturesInLayoutOrder(const MonitorLayout& layout, const std::vector<Monitor>& given,
                                                    const std::vector<std::string>& pictures);

}  // namespace vistelle
