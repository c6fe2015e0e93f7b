#include "render/monitor_layout.h"

#include <algorithm>
#include <utility>

#include "image/image.h"

namespace vistelle {

MonitorLayout::MonitorLayout(std::vector<Monitor> monitors) {
  for (const Monitor& m : monitors)
    if (m.width != 0 && m.height != 0) monitors_.push_back(m);
  if (monitors_.empty()) return;
  std::stable_sort(monitors_.begin(), monitors_.end(), [](const Monitor& a, const Monitor& b) {
    return a.x != b.x ? a.x < b.x : a.y < b.y;
  });
  auto primary = std::find_if(monitors_.begin(), monitors_.end(), [](const Monitor& m) { return m.primary; });
  if (primary == monitors_.end()) primary = monitors_.begin();
  // The primary moves to the front; the others keep their order.
  std::rotate(monitors_.begin(), primary, primary + 1);
  for (Monitor& m : monitors_) m.primary = false;
  monitors_.front().primary = true;
}

VirtualRect MonitorLayout::Bounds() const {
  if (monitors_.empty()) return VirtualRect{};
  std::int64_t left = monitors_.front().x, top = monitors_.front().y;
  std::int64_t right = left, bottom = top;
  for (const Monitor& m : monitors_) {
    left = std::min<std::int64_t>(left, m.x);
    top = std::min<std::int64_t>(top, m.y);
    right = std::max<std::int64_t>(right, static_cast<std::int64_t>(m.x) + m.width);
    bottom = std::max<std::int64_t>(bottom, static_cast<std::int64_t>(m.y) + m.height);
  }
  return VirtualRect{left, top, static_cast<std::uint64_t>(right - left), static_cast<std::uint64_t>(bottom - top)};
}

bool MonitorLayout::CanvasAcceptable() const {
  const VirtualRect box = Bounds();
  return !monitors_.empty() && ImageSizeAcceptable(box.width, box.height);
}

CanvasRect MonitorLayout::InCanvas(std::size_t i) const {
  const VirtualRect box = Bounds();
  const Monitor& m = monitors_[i];
  // Rows count from the bottom of the box: a monitor whose top edge is at
  // the box's top has its rows at the top of the canvas.
  const std::int64_t from_top = m.y - box.y;
  const std::int64_t from_bottom = static_cast<std::int64_t>(box.height) - from_top - m.height;
  return CanvasRect{static_cast<std::uint32_t>(m.x - box.x), static_cast<std::uint32_t>(from_bottom), m.width,
                    m.height};
}

namespace {

// Reads digits at text[at...] into value, at most limit; false without a
// digit or beyond the limit.
bool ReadNumber(const std::string& text, std::size_t& at, std::uint32_t limit, std::uint32_t& value) {
  const std::size_t start = at;
  std::uint64_t v = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    v = v * 10 + static_cast<std::uint64_t>(text[at] - '0');
    if (v > limit) return false;
    ++at;
  }
  value = static_cast<std::uint32_t>(v);
  return at != start;
}

bool ReadCoordinate(const std::string& text, std::size_t& at, std::int32_t& value) {
  if (at >= text.size() || (text[at] != '+' && text[at] != '-')) return false;
  const bool negative = text[at++] == '-';
  std::uint32_t magnitude = 0;
  if (!ReadNumber(text, at, 32767, magnitude)) return false;
  value = negative ? -static_cast<std::int32_t>(magnitude) : static_cast<std::int32_t>(magnitude);
  return true;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

bool Overlap(const Monitor& a, const Monitor& b) {
  const std::int64_t ax1 = static_cast<std::int64_t>(a.x) + a.width, ay1 = static_cast<std::int64_t>(a.y) + a.height;
  const std::int64_t bx1 = static_cast<std::int64_t>(b.x) + b.width, by1 = static_cast<std::int64_t>(b.y) + b.height;
  return a.x < bx1 && b.x < ax1 && a.y < by1 && b.y < ay1;
}

bool Fail(std::string* error, std::string reason) {
  if (error != nullptr) *error = std::move(reason);
  return false;
}

}  // namespace

bool ParseMonitorLayout(const std::string& text, MonitorLayout& layout, std::string* error,
                        std::vector<Monitor>* given) {
  std::vector<Monitor> monitors;
  std::size_t at = 0;
  for (;;) {
    const std::size_t item = monitors.size() + 1;
    const std::string which = "monitor " + std::to_string(item);
    if (item > kMaxMonitors) return Fail(error, "more than " + std::to_string(kMaxMonitors) + " monitors");
    while (at < text.size() && IsSpace(text[at])) ++at;
    Monitor m;
    if (!ReadNumber(text, at, kMaxImageSide, m.width) || m.width == 0)
      return Fail(error, which + ": a width of 1 to " + std::to_string(kMaxImageSide) + " is needed");
    if (at >= text.size() || (text[at] != 'x' && text[at] != 'X')) return Fail(error, which + ": 'x' expected");
    ++at;
    if (!ReadNumber(text, at, kMaxImageSide, m.height) || m.height == 0)
      return Fail(error, which + ": a height of 1 to " + std::to_string(kMaxImageSide) + " is needed");
    if (!ReadCoordinate(text, at, m.x) || !ReadCoordinate(text, at, m.y))
      return Fail(error, which + ": +X+Y expected, each -32767 to 32767 with its sign");
    m.primary = monitors.empty();
    for (std::size_t i = 0; i < monitors.size(); ++i)
      if (Overlap(monitors[i], m)) return Fail(error, which + " overlaps monitor " + std::to_string(i + 1));
    monitors.push_back(m);
    while (at < text.size() && IsSpace(text[at])) ++at;
    if (at == text.size()) break;
    if (text[at] != ',') return Fail(error, which + ": ',' or the end expected");
    ++at;
  }
  MonitorLayout parsed(monitors);
  if (!parsed.CanvasAcceptable()) return Fail(error, "the monitors span more than one canvas can hold");
  layout = std::move(parsed);
  if (given != nullptr) *given = std::move(monitors);
  return true;
}

std::vector<std::string> OtherPicturesInLayoutOrder(const MonitorLayout& layout, const std::vector<Monitor>& given,
                                                    const std::vector<std::string>& pictures) {
  std::vector<std::string> others;
  if (pictures.empty()) return others;
  std::size_t last = 0;  // one past the last monitor that got a picture of its own
  for (std::size_t k = 1; k < layout.Count(); ++k) {
    const Monitor& m = layout.Monitors()[k];
    std::size_t j = 0;
    while (j < given.size() && !(given[j].x == m.x && given[j].y == m.y && given[j].width == m.width &&
                                 given[j].height == m.height))
      ++j;
    const bool own = j > 0 && j < given.size() && j < pictures.size();
    others.push_back(own ? pictures[j] : pictures[0]);
    if (own) last = others.size();
  }
  others.resize(last);
  return others;
}

}  // namespace vistelle
