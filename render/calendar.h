// The month calendar drawn on the wallpaper: the month grid of the date it
// was last refreshed at, its background picture and the drawing itself.
//
// Pixel positions (the background and today's mark) count y from the bottom
// row; text positions count y from the top row.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "config/config.h"
#include "render/composition.h"
#include "image/image.h"
#include "image/text.h"

namespace vistelle {

constexpr std::uint32_t kCalendarWidth = 195;
constexpr std::uint32_t kCalendarHeight = 173;

// Days of the month (1..12) of the year; 0 for a month out of range.
int DaysInMonth(int year, int month);

// The blend offset of a 195 x 173 calendar at position 0..8 (three rows of
// three, top-left first) on a W x H canvas: minus the pixel position of its
// bottom-left corner. Corners keep 20 pixels from the edges; positions
// outside 0..8 count as 2 (top-right); a canvas narrower than 235 or lower
// than 213 gives (-1, -1) whatever the position.
Offset CalendarOffset(std::uint32_t W, std::uint32_t H, int position);

class CalendarState {
 public:
  static constexpr int kRows = 6;
  static constexpr int kColumns = 7;  // Monday first

  // Reads the clock and builds the grid; the background stays empty until
  // LoadBackground.
  CalendarState();

  // The local date from the clock, and its month grid.
  void RefreshDate();
  // A given date instead of the clock's (false, and nothing changed, for a
  // date that does not exist).
  bool SetDate(int year, int month, int day);

  // The background picture: choice -1 the picture at path, resized to
  // 195 x 173; 0, 1, 2 the built-in "Calendar\calendar1.jpg" .. "3.jpg" of
  // program_dir as they are; any other choice keeps the picture held. A
  // picture that does not load leaves no background.
  void LoadBackground(const std::string& program_dir, const std::string& path, int choice);

  // Draws the calendar on the canvas with the settings' position, opacity,
  // colours and shadow; today's mark is "Calendar\check.ico" of program_dir.
  void Draw(Image& canvas, const TConfig& settings, const std::string& program_dir);

  // Day in grid row r, column c (0 for an empty cell).
  int Cell(int row, int column) const { return grid[static_cast<std::size_t>(row * kColumns + column)]; }

  std::array<std::int32_t, kRows * kColumns> grid{};
  std::int32_t today = 1;
  std::int32_t month = 1;
  std::int32_t year = 1970;
  std::int32_t weekday = 1;  // 1 Monday .. 7 Sunday
  std::int32_t days_in_month = 31;
  std::int64_t clock_seconds = 0;
  std::tm local_time{};
  Image background;
  TextInfo text_info;

 private:
  // Fills the grid from today, its weekday and the month's length.
  void BuildGrid();
};

}  // namespace vistelle
