#include "settings/screens_values.h"

#include <algorithm>
#include <cmath>

#include "render/monitor_settings.h"

namespace vistelle {

namespace {

constexpr const char* kDayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char* kDash = "\xE2\x80\x93";  // U+2013

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<BoxRect> FitMonitors(const std::vector<Monitor>& monitors, int width, int height, int margin) {
  std::vector<BoxRect> rects;
  const double room_x = static_cast<double>(width) - 2.0 * margin;
  const double room_y = static_cast<double>(height) - 2.0 * margin;
  if (monitors.empty() || room_x < 1 || room_y < 1) return rects;
  double left = monitors.front().x, top = monitors.front().y;
  double right = left, bottom = top;
  for (const Monitor& m : monitors) {
    left = std::min(left, static_cast<double>(m.x));
    top = std::min(top, static_cast<double>(m.y));
    right = std::max(right, static_cast<double>(m.x) + m.width);
    bottom = std::max(bottom, static_cast<double>(m.y) + m.height);
  }
  if (right - left <= 0 || bottom - top <= 0) return rects;
  const double scale = std::min(room_x / (right - left), room_y / (bottom - top));
  const double origin_x = margin + (room_x - (right - left) * scale) / 2;
  const double origin_y = margin + (room_y - (bottom - top) * scale) / 2;
  const auto at_x = [&](double x) { return static_cast<int>(std::lround(origin_x + (x - left) * scale)); };
  const auto at_y = [&](double y) { return static_cast<int>(std::lround(origin_y + (y - top) * scale)); };
  for (const Monitor& m : monitors) {
    BoxRect r;
    r.left = at_x(m.x);
    r.top = at_y(m.y);
    r.right = at_x(static_cast<double>(m.x) + m.width);
    r.bottom = at_y(static_cast<double>(m.y) + m.height);
    // A monitor too small to show keeps one pixel, inside the room.
    if (r.right <= r.left) r.right = r.left + 1;
    if (r.bottom <= r.top) r.bottom = r.top + 1;
    if (r.right > width - margin) r.left = (r.right = width - margin) - 1;
    if (r.bottom > height - margin) r.top = (r.bottom = height - margin) - 1;
    rects.push_back(r);
  }
  return rects;
}

int MonitorAtPoint(const std::vector<BoxRect>& rects, int x, int y) {
  for (std::size_t i = rects.size(); i-- > 0;) {
    const BoxRect& r = rects[i];
    if (r.left <= x && x < r.right && r.top <= y && y < r.bottom) return static_cast<int>(i);
  }
  return -1;
}

bool PortraitPictures(const MonitorChoice* choice, const Monitor& monitor) {
  if (choice != nullptr && choice->portrait != MonitorChoice::kOptionsPage) return choice->portrait != 0;
  return OrientationMatchedByDefault(monitor, monitor.primary ? 0 : 1);
}

int PositionItemOf(std::int32_t position) {
  for (int i = 0; i < kPositionItemCount; ++i)
    if (kPositionItems[i].position == position) return i;
  return 0;
}

std::string DaysText(std::uint8_t days) {
  days &= ScheduleRule::kEveryDay;
  if (days == ScheduleRule::kEveryDay) return "every day";
  if (days == 0) return "no day";
  std::string text;
  for (int d = 0; d < 7;) {
    if ((days & (1u << d)) == 0) {
      ++d;
      continue;
    }
    int end = d;
    while (end + 1 < 7 && (days & (1u << (end + 1))) != 0) ++end;
    if (!text.empty()) text += ", ";
    if (end - d >= 2) {
      text += std::string(kDayNames[d]) + kDash + kDayNames[end];
    } else {
      text += kDayNames[d];
      if (end > d) text += std::string(", ") + kDayNames[end];
    }
    d = end + 1;
  }
  return text;
}

std::string RuleText(const ScheduleRule& rule) {
  return rule.category + ": " + FormatDayTime(rule.from) + " to " + FormatDayTime(rule.to) + ", " + DaysText(rule.days);
}

std::string DayTimeEditText(const DayTime& time) {
  if (time.kind == DayTime::Kind::kClock) return FormatDayTime(time);
  return time.minutes > 0 ? "+" + std::to_string(time.minutes) : std::to_string(time.minutes);
}

bool ReadDayTime(DayTime::Kind kind, std::string_view text, DayTime& time) {
  text = Trimmed(text);
  DayTime read;
  if (kind == DayTime::Kind::kClock) {
    // ParseDayTime also takes the sun's words; here only digits count.
    if (text.empty() || text[0] < '0' || text[0] > '9' || !ParseDayTime(text, read) || read.kind != kind) return false;
  } else {
    std::string stored = kind == DayTime::Kind::kSunrise ? "sunrise" : "sunset";
    if (!text.empty()) stored += text[0] == '+' || text[0] == '-' ? std::string(text) : "+" + std::string(text);
    if (!ParseDayTime(stored, read) || read.kind != kind) return false;
  }
  time = read;
  return true;
}

PlaceReading ReadPlace(std::string_view latitude, std::string_view longitude, Place& place) {
  latitude = Trimmed(latitude);
  longitude = Trimmed(longitude);
  if (latitude.empty() && longitude.empty()) {
    place = Place();
    return PlaceReading::kRead;
  }
  if (latitude.empty() || longitude.empty()) return PlaceReading::kOnlyOne;
  Place read;
  read.known = true;
  if (!ParseDegrees(latitude, 90, read.latitude)) return PlaceReading::kBadLatitude;
  if (!ParseDegrees(longitude, 180, read.longitude)) return PlaceReading::kBadLongitude;
  place = read;
  return PlaceReading::kRead;
}

}  // namespace vistelle
