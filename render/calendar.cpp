#include "render/calendar.h"

#include <string>

#include "base/paths.h"

namespace vistelle {

namespace {

const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const kDayNames[7] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
const char* const kBuiltInBackgrounds[3] = {"Calendar\\calendar1.jpg", "Calendar\\calendar2.jpg",
                                            "Calendar\\calendar3.jpg"};
const char* const kTodayMark = "Calendar\\check.ico";

// The position whose text origin is the calendar's top-left corner counted
// from the top: the top and bottom rows exchanged.
const int kMirrored[9] = {6, 7, 8, 3, 4, 5, 0, 1, 2};

constexpr int kHeaderHeight = 17;
constexpr int kHeaderWeight = 600;
constexpr int kGridHeight = 15;
constexpr int kGridWeight = 500;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// Days since 1 January 1970 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int NormalPosition(std::int32_t position) { return position >= 0 && position <= 8 ? position : 2; }

}  // namespace

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

Offset CalendarOffset(std::uint32_t W, std::uint32_t H, int position) {
  Offset o;
  if (W < kCalendarWidth + 40 || H < kCalendarHeight + 40) {
    o.x = o.y = -1;
    return o;
  }
  position = NormalPosition(position);
  const std::int64_t w = W, h = H;
  std::int64_t X = 0, Y = 0;
  switch (position % 3) {
    case 0: X = 20; break;
    case 1: X = w / 2 - 97; break;
    default: X = w - 215; break;
  }
  switch (position / 3) {
    case 0: Y = h - 193; break;
    case 1: Y = h / 2 - 86; break;
    default: Y = 20; break;
  }
  o.x = -X;
  o.y = -Y;
  return o;
}

CalendarState::CalendarState() {
  RefreshDate();
  InitTextInfo(text_info, "Arial");
}

void CalendarState::RefreshDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &now) != 0) return;
#else
  if (localtime_r(&now, &local) == nullptr) return;
#endif
  clock_seconds = static_cast<std::int64_t>(now);
  local_time = local;
  year = local.tm_year + 1900;
  month = local.tm_mon + 1;
  today = local.tm_mday;
  weekday = local.tm_wday == 0 ? 7 : local.tm_wday;
  BuildGrid();
}

bool CalendarState::SetDate(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
  const std::int64_t days = DaysFromCivil(y, m, d);
  // 1 January 1970 was a Thursday (4).
  const std::int64_t from_monday = ((days % 7) + 7 + 3) % 7;
  year = y;
  month = m;
  today = d;
  weekday = static_cast<std::int32_t>(from_monday) + 1;
  clock_seconds = days * 86400;
  local_time = std::tm{};
  local_time.tm_year = y - 1900;
  local_time.tm_mon = m - 1;
  local_time.tm_mday = d;
  local_time.tm_wday = weekday % 7;
  BuildGrid();
  return true;
}

void CalendarState::BuildGrid() {
  days_in_month = DaysInMonth(year, month);
  grid.fill(0);
  // Step back from today's weekday to the weekday of the 1st.
  const int first = ((weekday - 1 - (today - 1)) % 7 + 7) % 7;  // column of the 1st
  for (int d = 1; d <= days_in_month; ++d) grid[static_cast<std::size_t>(d - 1 + first)] = d;
}

void CalendarState::LoadBackground(const std::string& program_dir, const std::string& path, int choice) {
  if (choice == -1) {
    if (background.Load(path))
      background.Resample(kCalendarWidth, kCalendarHeight, 1, nullptr);
    else
      background.Clear();
  } else if (choice >= 0 && choice <= 2) {
    if (!background.Load(JoinPath(program_dir, kBuiltInBackgrounds[choice]))) background.Clear();
  }
  background.AlphaCreate();
}

void CalendarState::Draw(Image& canvas, const TConfig& settings, const std::string& program_dir) {
  if (!canvas.IsValid()) return;
  const std::uint32_t W = canvas.GetWidth(), H = canvas.GetHeight();
  const int position = NormalPosition(settings.calendar_position);
  const Offset o = CalendarOffset(W, H, position);

  if (background.IsValid()) {
    background.AlphaSet(static_cast<std::uint8_t>(settings.calendar_alpha & 0xFF));
    canvas.Mix(background, Image::kMixBlend, o.x, o.y, true);
  }

  // Texts from the calendar's top-left corner, counted from the top; the
  // mark from the row just above the calendar, counted from the bottom.
  const Offset m = CalendarOffset(W, H, kMirrored[position]);
  const std::int64_t tx = -m.x, ty = -m.y;
  const std::int64_t mark_x = -o.x, mark_top = static_cast<std::int64_t>(kCalendarHeight) - o.y;

  TextInfo& t = text_info;
  t.text = std::string(kMonthNames[(month - 1) % 12]) + " " + std::to_string(year);
  t.height = kHeaderHeight;
  t.weight = kHeaderWeight;
  // The header always has its shadow.
  t.color = settings.color_shadow;
  DrawStringEx(canvas, tx + 96, ty + 20, t);
  t.color = settings.color_mf;
  DrawStringEx(canvas, tx + 97, ty + 19, t);

  t.height = kGridHeight;
  t.weight = kGridWeight;
  t.color = settings.color_shadow;
  auto cell_text = [&](int r, int c) -> bool {
    if (r == 0) {
      t.text = kDayNames[c];
      return true;
    }
    const int v = Cell(r - 1, c);
    if (v == 0) return false;
    t.text = std::to_string(v);
    return true;
  };
  if (settings.shadow) {
    for (int r = 0; r <= kRows; ++r)
      for (int c = 0; c < kColumns; ++c)
        if (cell_text(r, c)) DrawStringEx(canvas, tx + 21 + 26 * c, ty + 50 + 18 * r, t);
  }

  Image mark;
  bool mark_tried = false;
  for (int r = 0; r <= kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      if (!cell_text(r, c)) continue;
      if (r == 0) {
        t.color = settings.color_mf;
      } else {
        t.color = c == 6 ? settings.color_sunday : c == 5 ? settings.color_saturday : settings.color_mf;
        if (Cell(r - 1, c) == today) {
          if (!mark_tried) {
            mark_tried = true;
            mark.Load(JoinPath(program_dir, kTodayMark));
          }
          if (mark.IsValid())
            CopyOpaquePixels(canvas, mark, mark_x + 20 + 26 * c - 13, mark_top - (49 + 18 * r) - 6);
        }
      }
      DrawStringEx(canvas, tx + 20 + 26 * c, ty + 49 + 18 * r, t);
    }
  }
}

}  // namespace vistelle
