#include "config/screens_and_times.h"

#include <cmath>
#include <cstdio>

namespace vistelle {

namespace {

constexpr std::size_t kBuffer = 4096;  // the longest value read, with its terminator

// A category's name as the library can hold one: a line of the library
// file, of at most 254 characters (three bytes each at most in UTF-8), so
// that its encoded form, at most three times as long, fits the buffer.
bool CategoryName(const std::string& name) {
  return name.size() <= 3 * 254 && name.find_first_of(std::string("\0\r\n", 3)) == std::string::npos;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

// A whole decimal number, optionally signed, within lowest..highest.
bool ParseWhole(std::string_view text, std::int32_t lowest, std::int32_t highest, std::int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size() || text.size() - i > 9) return false;
  std::int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (negative) v = -v;
  if (v < lowest || v > highest) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

std::string Key(const char* prefix, std::size_t n, const char* name) {
  return prefix + std::to_string(n + 1) + "_" + name;
}

std::string FormatColor(std::int32_t packed) {
  if (packed < 0) return std::string();
  return std::to_string(packed & 0xFF) + "," + std::to_string((packed >> 8) & 0xFF) + "," +
         std::to_string((packed >> 16) & 0xFF);
}

// "R,G,B", each 0..255; anything else is the Options page's colour.
std::int32_t ParseColor(std::string_view text) {
  std::int32_t parts[3];
  for (int i = 0; i < 3; ++i) {
    const std::size_t comma = i < 2 ? text.find(',') : text.size();
    if (comma == std::string_view::npos) return MonitorChoice::kOptionsPage;
    if (!ParseWhole(text.substr(0, comma), 0, 255, parts[i])) return MonitorChoice::kOptionsPage;
    text.remove_prefix(i < 2 ? comma + 1 : comma);
  }
  return parts[0] | (parts[1] << 8) | (parts[2] << 16);
}

}  // namespace

std::string EncodeProfileText(std::string_view text) {
  std::size_t first = 0, last = text.size();
  while (first < last && Blank(text[first])) ++first;
  while (last > first && Blank(text[last - 1])) --last;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '%' || c == '"' || c == '\'' || c < 0x20 || c == 0x7F || i < first || i >= last) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string DecodeProfileText(std::string_view stored) {
  std::string out;
  out.reserve(stored.size());
  for (std::size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '%' && i + 2 < stored.size() && HexValue(stored[i + 1]) >= 0 &&
        HexValue(stored[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(stored[i + 1]) * 16 + HexValue(stored[i + 2]));
      i += 2;
    } else {
      out += stored[i];
    }
  }
  return out;
}

std::string FormatDayTime(const DayTime& time) {
  if (time.kind == DayTime::Kind::kClock) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(time.minutes / 60),
                  static_cast<int>(time.minutes % 60));
    return text;
  }
  std::string out = time.kind == DayTime::Kind::kSunrise ? "sunrise" : "sunset";
  if (time.minutes > 0) out += "+" + std::to_string(time.minutes);
  if (time.minutes < 0) out += std::to_string(time.minutes);
  return out;
}

bool ParseDayTime(std::string_view text, DayTime& time) {
  for (const auto& [word, kind] : {std::pair<std::string_view, DayTime::Kind>{"sunrise", DayTime::Kind::kSunrise},
                                   {"sunset", DayTime::Kind::kSunset}}) {
    if (text.substr(0, word.size()) != word) continue;
    std::string_view offset = text.substr(word.size());
    std::int32_t minutes = 0;
    if (!offset.empty() && (offset[0] != '+' && offset[0] != '-')) return false;
    if (!offset.empty() && !ParseWhole(offset, -720, 720, minutes)) return false;
    time = DayTime{kind, minutes};
    return true;
  }
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() - colon != 3) return false;
  std::int32_t hours, minutes;
  if (text[0] == '+' || text[0] == '-' || text[colon + 1] == '+' || text[colon + 1] == '-') return false;
  if (!ParseWhole(text.substr(0, colon), 0, 23, hours) || !ParseWhole(text.substr(colon + 1), 0, 59, minutes))
    return false;
  time = DayTime{DayTime::Kind::kClock, hours * 60 + minutes};
  return true;
}

std::string FormatDays(std::uint8_t days) {
  static const char kLetters[] = "MTWTFSS";
  std::string out(7, '-');
  for (int d = 0; d < 7; ++d)
    if (days & (1u << d)) out[d] = kLetters[d];
  return out;
}

bool ParseDays(std::string_view text, std::uint8_t& days) {
  static const char kLetters[] = "MTWTFSS";
  if (text.size() != 7) return false;
  std::uint8_t mask = 0;
  for (int d = 0; d < 7; ++d) {
    const char c = text[d];
    if (c == kLetters[d] || c == kLetters[d] + ('a' - 'A'))
      mask |= static_cast<std::uint8_t>(1u << d);
    else if (c != '-')
      return false;
  }
  days = mask;
  return true;
}

std::string FormatDegrees(double degrees) {
  const long long millionths = std::llround(std::fabs(degrees) * 1e6);
  char text[40];
  std::snprintf(text, sizeof text, "%s%lld.%06lld", degrees < 0 && millionths != 0 ? "-" : "", millionths / 1000000,
                millionths % 1000000);
  std::string out = text;
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  return out;
}

bool ParseDegrees(std::string_view text, double limit, double& degrees) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // The digits as one whole number, divided once at the end, so that what
  // FormatDegrees wrote reads back as the same number.
  std::int64_t whole = 0, scale = 1;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return false;
    digits = true;
    if (point && scale >= 1000000) continue;  // a millionth of a degree is 11 cm
    if (whole > 1000000000000) return false;
    whole = whole * 10 + (c - '0');
    if (point) scale *= 10;
  }
  const double value = static_cast<double>(whole) / static_cast<double>(scale);
  if (!digits || value > limit) return false;
  degrees = negative ? -value : value;
  return true;
}

void ScreensAndTimes::Load(ProfileStore& store, const std::string& file) {
  monitors.clear();
  rules.clear();
  place = Place();
  const char* m = kMonitorsSection;
  const int monitor_count = store.GetInt(file, m, "count", 0);
  for (int i = 0; i < monitor_count && static_cast<std::size_t>(i) < kMaxMonitors; ++i) {
    const std::size_t n = static_cast<std::size_t>(i);
    MonitorChoice c;
    c.device = store.GetString(file, m, Key("monitor", n, "device").c_str(), "", kBuffer);
    const int placed = store.GetInt(file, m, Key("monitor", n, "place").c_str(), -1);
    if (placed < 0 || static_cast<std::size_t>(placed) >= kMaxMonitors) continue;
    c.place = placed;
    c.category = DecodeProfileText(store.GetString(file, m, Key("monitor", n, "category").c_str(), "", kBuffer));
    if (!CategoryName(c.category)) c.category.clear();
    const int position = store.GetInt(file, m, Key("monitor", n, "position").c_str(), -1);
    c.position = position >= 0 && position <= 4 ? position : MonitorChoice::kOptionsPage;
    c.background = ParseColor(store.GetString(file, m, Key("monitor", n, "background").c_str(), "", kBuffer));
    const int portrait = store.GetInt(file, m, Key("monitor", n, "portrait").c_str(), -1);
    c.portrait = portrait == 0 || portrait == 1 ? portrait : MonitorChoice::kOptionsPage;
    monitors.push_back(std::move(c));
  }

  const char* s = kScheduleSection;
  double latitude = 0, longitude = 0;
  if (ParseDegrees(store.GetString(file, s, "latitude", "", kBuffer), 90, latitude) &&
      ParseDegrees(store.GetString(file, s, "longitude", "", kBuffer), 180, longitude))
    place = Place{true, latitude, longitude};
  const int rule_count = store.GetInt(file, s, "rules", 0);
  for (int i = 0; i < rule_count && static_cast<std::size_t>(i) < kMaxRules; ++i) {
    const std::size_t n = static_cast<std::size_t>(i);
    ScheduleRule r;
    r.category = DecodeProfileText(store.GetString(file, s, Key("rule", n, "category").c_str(), "", kBuffer));
    if (r.category.empty() || !CategoryName(r.category)) continue;
    if (!ParseDayTime(store.GetString(file, s, Key("rule", n, "from").c_str(), "", kBuffer), r.from)) continue;
    if (!ParseDayTime(store.GetString(file, s, Key("rule", n, "to").c_str(), "", kBuffer), r.to)) continue;
    if (!ParseDays(store.GetString(file, s, Key("rule", n, "days").c_str(), "MTWTFSS", kBuffer), r.days)) continue;
    rules.push_back(std::move(r));
  }
}

bool ScreensAndTimes::Save(ProfileStore& store, const std::string& file) const {
  bool ok = true;
  auto write = [&](const char* section, const std::string& key, const std::string& value) {
    ok = store.WriteString(file, section, key, value) && ok;
  };
  const char* m = kMonitorsSection;
  const std::size_t monitor_count = monitors.size() < kMaxMonitors ? monitors.size() : kMaxMonitors;
  // A file that never had monitors or rules gets no sections for them.
  if (monitor_count > 0 || store.GetInt(file, m, "count", 0) != 0) {
    write(m, "count", std::to_string(monitor_count));
    for (std::size_t n = 0; n < monitor_count; ++n) {
      const MonitorChoice& c = monitors[n];
      write(m, Key("monitor", n, "device"), c.device);
      write(m, Key("monitor", n, "place"), std::to_string(c.place));
      write(m, Key("monitor", n, "category"), EncodeProfileText(c.category));
      write(m, Key("monitor", n, "position"), std::to_string(c.position));
      write(m, Key("monitor", n, "background"), FormatColor(c.background));
      write(m, Key("monitor", n, "portrait"), std::to_string(c.portrait));
    }
  }
  const char* s = kScheduleSection;
  const std::size_t rule_count = rules.size() < kMaxRules ? rules.size() : kMaxRules;
  if (rule_count > 0 || place.known || store.GetInt(file, s, "rules", 0) != 0 ||
      !store.GetString(file, s, "latitude", "", kBuffer).empty()) {
    write(s, "latitude", place.known ? FormatDegrees(place.latitude) : std::string());
    write(s, "longitude", place.known ? FormatDegrees(place.longitude) : std::string());
    write(s, "rules", std::to_string(rule_count));
    for (std::size_t n = 0; n < rule_count; ++n) {
      const ScheduleRule& r = rules[n];
      write(s, Key("rule", n, "category"), EncodeProfileText(r.category));
      write(s, Key("rule", n, "from"), FormatDayTime(r.from));
      write(s, Key("rule", n, "to"), FormatDayTime(r.to));
      write(s, Key("rule", n, "days"), FormatDays(r.days));
    }
  }
  return ok;
}

namespace {

// The position of the choice Find answers, or monitors.size().
std::size_t FindChoice(const std::vector<MonitorChoice>& monitors, const std::string& device, std::int32_t at,
                       bool unique) {
  std::size_t only = monitors.size(), named = 0, placed = monitors.size();
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (monitors[i].device == device && monitors[i].place == at) return i;
    if (!device.empty() && monitors[i].device == device) {
      ++named;
      only = i;
    }
    if (monitors[i].place == at && placed == monitors.size()) placed = i;
  }
  // A monitor without a name (the composer's) is known by its place alone.
  if (device.empty()) return placed;
  return unique && named == 1 ? only : monitors.size();
}

}  // namespace

const MonitorChoice* ScreensAndTimes::Find(const std::string& device, std::int32_t at, bool unique) const {
  const std::size_t i = FindChoice(monitors, device, at, unique);
  return i < monitors.size() ? &monitors[i] : nullptr;
}

MonitorChoice& ScreensAndTimes::FindOrAdd(const std::string& device, std::int32_t at, bool unique) {
  const std::size_t i = FindChoice(monitors, device, at, unique);
  if (i < monitors.size()) {
    monitors[i].place = at;  // a monitor found by its name alone has moved
    return monitors[i];
  }
  MonitorChoice made;
  made.device = device;
  made.place = at;
  monitors.push_back(made);
  return monitors.back();
}

}  // namespace vistelle
