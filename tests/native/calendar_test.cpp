#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "render/calendar.h"
#include "render/wallpaper_renderer.h"
#include "tests/shared/test_desktop.h"
#include "tests/shared/test_dir.h"
#include "tests/shared/test_settings.h"

namespace vistelle {
namespace {

// The grid as week rows of seven, for readable expectations.
std::string Rows(const CalendarState& cal) {
  std::string out;
  for (int r = 0; r < CalendarState::kRows; ++r) {
    for (int c = 0; c < CalendarState::kColumns; ++c) out += (c ? " " : "") + std::to_string(cal.Cell(r, c));
    out += "\n";
  }
  return out;
}

TEST(CalendarGrid, March2008StartsOnSaturday) {
  CalendarState cal;
  ASSERT_TRUE(cal.SetDate(2008, 3, 5));
  EXPECT_EQ(cal.weekday, 3);  // a Wednesday
  EXPECT_EQ(cal.days_in_month, 31);
  EXPECT_EQ(Rows(cal),
            "0 0 0 0 0 1 2\n"
            "3 4 5 6 7 8 9\n"
            "10 11 12 13 14 15 16\n"
            "17 18 19 20 21 22 23\n"
            "24 25 26 27 28 29 30\n"
            "31 0 0 0 0 0 0\n");
}

TEST(CalendarGrid, EdgesOfTheMonthLayout) {
  CalendarState cal;
  // August 2010: 31 days from a Sunday fill all six rows.
  ASSERT_TRUE(cal.SetDate(2010, 8, 1));
  EXPECT_EQ(cal.weekday, 7);
  EXPECT_EQ(cal.Cell(0, 6), 1);
  EXPECT_EQ(cal.Cell(5, 1), 31);
  EXPECT_EQ(cal.Cell(5, 2), 0);
  // September 2008 starts on a Monday, in column 0.
  ASSERT_TRUE(cal.SetDate(2008, 9, 17));
  EXPECT_EQ(cal.Cell(0, 0), 1);
  EXPECT_EQ(cal.Cell(4, 1), 30);
  EXPECT_EQ(cal.Cell(5, 0), 0);
  // On a Sunday (weekday 7) the 1st found by stepping back is still right.
  ASSERT_TRUE(cal.SetDate(2008, 3, 30));
  EXPECT_EQ(cal.weekday, 7);
  EXPECT_EQ(cal.Cell(0, 5), 1);
}

TEST(CalendarGrid, FebruaryInLeapAndCommonYears) {
  CalendarState cal;
  struct Case {
    int year, days;
  };
  for (const Case c : {Case{1900, 28}, Case{2000, 29}, Case{2004, 29}, Case{2007, 28}}) {
    ASSERT_TRUE(cal.SetDate(c.year, 2, 10)) << c.year;
    EXPECT_EQ(cal.days_in_month, c.days) << c.year;
    int last = 0;
    for (int v : cal.grid) last = std::max(last, v);
    EXPECT_EQ(last, c.days) << c.year;
  }
  // 1 February 1900 was a Thursday; 2007 too.
  ASSERT_TRUE(cal.SetDate(1900, 2, 1));
  EXPECT_EQ(cal.Cell(0, 3), 1);
  ASSERT_TRUE(cal.SetDate(2007, 2, 28));
  EXPECT_EQ(cal.Cell(0, 3), 1);
  EXPECT_FALSE(cal.SetDate(2007, 2, 29));
  EXPECT_FALSE(cal.SetDate(2008, 13, 1));
  EXPECT_EQ(cal.year, 2007);  // a refused date changes nothing
}

TEST(CalendarGrid, TheClockGivesTodayInItsWeekdayColumn) {
  CalendarState cal;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  if (local.tm_hour == 23 && local.tm_min == 59) GTEST_SKIP() << "too close to midnight";
  EXPECT_EQ(cal.year, local.tm_year + 1900);
  EXPECT_EQ(cal.month, local.tm_mon + 1);
  EXPECT_EQ(cal.today, local.tm_mday);
  bool found = false;
  for (int r = 0; r < CalendarState::kRows; ++r)
    if (cal.Cell(r, cal.weekday - 1) == cal.today) found = true;
  EXPECT_TRUE(found);
}

TEST(CalendarOffset, NinePositionsAndSmallScreens) {
  auto at = [](std::uint32_t w, std::uint32_t h, int p) {
    const Offset o = CalendarOffset(w, h, p);
    return std::to_string(o.x) + "," + std::to_string(o.y);
  };
  EXPECT_EQ(at(1024, 768, 0), "-20,-575");
  EXPECT_EQ(at(1024, 768, 4), "-415,-298");
  EXPECT_EQ(at(1024, 767, 4), "-415,-297");
  EXPECT_EQ(at(1024, 768, 8), "-809,-20");
  EXPECT_EQ(at(1024, 768, 2), "-809,-575");
  EXPECT_EQ(at(1024, 768, 12), at(1024, 768, 2));
  EXPECT_EQ(at(1024, 768, -1), at(1024, 768, 2));
  for (int p : {0, 4, 8, 12}) {
    EXPECT_EQ(at(234, 600, p), "-1,-1");
    EXPECT_EQ(at(800, 212, p), "-1,-1");
  }
  EXPECT_EQ(at(235, 213, 8), "-20,-20");
}

// Drawing: a folder with Calendar pictures made by the test.
class CalendarDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.File("Calendar"));
    settings_.SetDefaults();
    settings_.DeriveColors();
    cal_.SetDate(2008, 3, 5);
  }
  void SaveFlat(const std::string& name, std::uint32_t w, std::uint32_t h, ColorRef color) {
    Image img;
    img.Create(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
      for (std::uint32_t x = 0; x < w; ++x) img.SetPixelColor(x, y, color);
    ASSERT_TRUE(img.Save(dir_.File(name)));  // BMP content; formats go by content
  }
  static Image Canvas(std::uint32_t w, std::uint32_t h, ColorRef color) {
    Image img;
    img.Create(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
      for (std::uint32_t x = 0; x < w; ++x) img.SetPixelColor(x, y, color);
    return img;
  }
  static ColorRef At(const Image& img, std::int64_t x, std::int64_t y) {
    const Rgba c = img.GetPixelColor(x, y);
    return MakeColorRef(c.red, c.green, c.blue);
  }
  // Pixel (x, y) counted from the top.
  static ColorRef AtTop(const Image& img, std::int64_t x, std::int64_t y) {
    return At(img, x, static_cast<std::int64_t>(img.GetHeight()) - 1 - y);
  }
  testing::TestDir dir_;
  TConfig settings_;
  CalendarState cal_;
};

TEST_F(CalendarDrawTest, TheBackgroundBlendsByCalpha) {
  SaveFlat("Calendar/calendar2.jpg", 195, 173, MakeColorRef(0, 0, 200));
  cal_.LoadBackground(dir_.Path(), "", 1);
  ASSERT_TRUE(cal_.background.IsValid());
  settings_.calendar_position = 8;  // bottom-right of 1024 x 768: corner at (809, 20)
  for (int alpha : {0, 255, 128 + 256}) {
    settings_.calendar_alpha = alpha;
    Image canvas = Canvas(1024, 768, MakeColorRef(100, 200, 0));
    cal_.Draw(canvas, settings_, dir_.Path());
    // A corner of the picture, away from every text, and a pixel beside it.
    const ColorRef inside = At(canvas, 811, 22);
    if (alpha == 0) {
      EXPECT_EQ(inside, MakeColorRef(100, 200, 0));
    } else if (alpha == 255) {
      EXPECT_EQ(inside, MakeColorRef(0, 0, 200));
    } else {
      EXPECT_EQ(inside, MakeColorRef(50, 100, 100));  // only the low 8 bits: 128
    }
    EXPECT_EQ(At(canvas, 808, 22), MakeColorRef(100, 200, 0));
    EXPECT_EQ(At(canvas, 811, 19), MakeColorRef(100, 200, 0));
    EXPECT_EQ(At(canvas, 809 + 194, 20 + 172), alpha == 255 ? MakeColorRef(0, 0, 200) : inside);
    EXPECT_EQ(At(canvas, 809 + 195, 20 + 172), MakeColorRef(100, 200, 0));
  }
}

TEST_F(CalendarDrawTest, BackgroundChoices) {
  SaveFlat("Calendar/calendar1.jpg", 195, 173, MakeColorRef(1, 1, 1));
  SaveFlat("Calendar/calendar3.jpg", 100, 50, MakeColorRef(3, 3, 3));
  SaveFlat("mine.bmp", 640, 480, MakeColorRef(9, 9, 9));
  cal_.LoadBackground(dir_.Path(), "", 0);
  EXPECT_EQ(cal_.background.GetPixelColor(0, 0).red, 1);
  cal_.LoadBackground(dir_.Path(), "", 2);  // built-ins keep their own size
  EXPECT_EQ(cal_.background.GetWidth(), 100u);
  cal_.LoadBackground(dir_.Path(), "", 7);  // keeps the picture held
  EXPECT_EQ(cal_.background.GetWidth(), 100u);
  EXPECT_TRUE(cal_.background.HasAlpha());
  cal_.LoadBackground(dir_.Path(), dir_.File("mine.bmp"), -1);  // the user's, resized
  EXPECT_EQ(cal_.background.GetWidth(), 195u);
  EXPECT_EQ(cal_.background.GetHeight(), 173u);
  EXPECT_EQ(cal_.background.GetPixelColor(5, 5).red, 9);
  EXPECT_TRUE(cal_.background.HasAlpha());
  cal_.LoadBackground(dir_.Path(), "", 1);  // missing: no background rather than the old one
  EXPECT_FALSE(cal_.background.IsValid());
  Image canvas = Canvas(300, 300, MakeColorRef(5, 6, 7));
  settings_.calendar_position = 0;
  cal_.Draw(canvas, settings_, dir_.Path());  // texts only
  EXPECT_EQ(At(canvas, 22, 300 - 193 + 2), MakeColorRef(5, 6, 7));
}

// Bounding box of the pixels of one colour (or, with other set, of every
// colour but that one) in top-down coordinates.
struct Box {
  std::int64_t left = INT64_MAX, top = INT64_MAX, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};
Box Find(const Image& img, ColorRef color, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
         bool other = false) {
  Box b;
  for (std::int64_t y = y0; y < y1; ++y)
    for (std::int64_t x = x0; x < x1; ++x) {
      const Rgba c = img.GetPixelColor(x, static_cast<std::int64_t>(img.GetHeight()) - 1 - y);
      if ((MakeColorRef(c.red, c.green, c.blue) == color) == other) continue;
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x);
      b.top = std::min(b.top, y);
      b.bottom = std::max(b.bottom, y);
    }
  return b;
}

TEST_F(CalendarDrawTest, TodaysMarkLiesUnderTodaysNumber) {
  // A solid green mark of 26 x 20 makes its placement measurable.
  SaveFlat("Calendar/check.ico", 26, 20, MakeColorRef(0, 255, 0));
  settings_.calendar_position = 0;  // texts from (20, 20) at the top-left
  settings_.shadow = 0;
  Image canvas = Canvas(1024, 768, MakeColorRef(0, 0, 0));
  cal_.Draw(canvas, settings_, dir_.Path());
  // 5 March 2008: grid row 1 (text row 2), column 2; the number's anchor is
  // (20 + 72, 20 + 49 + 36).
  const Box mark = Find(canvas, MakeColorRef(0, 255, 0), 0, 0, 300, 300);
  ASSERT_FALSE(mark.Empty());
  EXPECT_EQ(mark.left, 20 + 72 - 13);
  EXPECT_EQ(mark.right - mark.left, 25);
  EXPECT_EQ(mark.bottom, 20 + 49 + 36 + 5);  // from the bottom: top - (49 + 36) - 6
  // The white number "5" is drawn on top of the mark, inside it.
  const Box number = Find(canvas, MakeColorRef(255, 255, 255), mark.left, mark.top, mark.right + 1, mark.bottom + 1);
  ASSERT_FALSE(number.Empty());
  EXPECT_GT(number.left, mark.left + 4);
  EXPECT_LT(number.right, mark.right - 4);
  EXPECT_GT(number.top, mark.top);
  EXPECT_LT(number.bottom, mark.bottom);
  // Only today has it.
  const Box elsewhere = Find(canvas, MakeColorRef(0, 255, 0), 0, 20 + 49 + 36 + 6, 300, 300);
  EXPECT_TRUE(elsewhere.Empty());
}

TEST_F(CalendarDrawTest, TextsSitInTheirColumnsAndTheHeaderAlwaysHasItsShadow) {
  settings_.calendar_position = 0;
  settings_.shadow = 0;
  settings_.color_mf = settings_.color_saturday = settings_.color_sunday = MakeColorRef(255, 255, 255);
  settings_.color_shadow = MakeColorRef(0, 0, 255);
  Image canvas = Canvas(1024, 768, MakeColorRef(128, 128, 128));
  cal_.Draw(canvas, settings_, dir_.Path());
  // Header band (baseline 20 + 19): its shadow shows despite Cshadow = 0.
  EXPECT_FALSE(Find(canvas, MakeColorRef(0, 0, 255), 0, 20, 300, 20 + 21).Empty());
  // Below it no shadow at all.
  EXPECT_TRUE(Find(canvas, MakeColorRef(0, 0, 255), 0, 20 + 22, 300, 300).Empty());

  // The header is centred on 20 + 97 and reads inside the calendar.
  const ColorRef gray = MakeColorRef(128, 128, 128);
  const Box header = Find(canvas, gray, 0, 0, 300, 20 + 21, true);
  ASSERT_FALSE(header.Empty());
  EXPECT_NEAR((header.left + header.right) / 2.0, 20 + 97, 2.5);
  EXPECT_GE(header.top, 20);
  // Each weekday name is centred on its column's anchor.
  for (int c = 0; c < 7; ++c) {
    const std::int64_t anchor = 20 + 20 + 26 * c;
    const Box name = Find(canvas, gray, anchor - 13, 20 + 30, anchor + 13, 20 + 52, true);
    ASSERT_FALSE(name.Empty()) << c;
    EXPECT_NEAR((name.left + name.right) / 2.0, anchor, 2.5) << c;
    EXPECT_LE(name.bottom, 20 + 49);  // on the baseline, nothing hangs below
  }
  // The last week row stays inside the 173-pixel calendar.
  const Box all = Find(canvas, gray, 0, 0, 400, 400, true);
  EXPECT_LT(all.bottom, 20 + 173);
  EXPECT_LT(all.right, 20 + 195);
  EXPECT_GE(all.left, 20);

  // With Cshadow the names and numbers get theirs, one pixel right and down.
  settings_.shadow = 1;
  Image shadowed = Canvas(1024, 768, MakeColorRef(128, 128, 128));
  cal_.Draw(shadowed, settings_, dir_.Path());
  EXPECT_FALSE(Find(shadowed, MakeColorRef(0, 0, 255), 0, 20 + 22, 300, 300).Empty());
}

TEST(CalendarRenderer, SmallCanvasAndTheDefaultPipeline) {
  // On a canvas too small for the calendar everything still stays inside
  // the image, and the composition writes its file.
  testing::TestDir dir;
  testing::TestDesktop desktop(ScreenSize{120, 90});
  const TConfig r_settings = testing::SettingsIn(dir.Path());
  WallpaperRenderer r(dir.Path(), desktop, r_settings);
  r.Calendar().SetDate(2008, 3, 5);
  r.ComposeWallpaper();
  Image out;
  ASSERT_TRUE(out.Load(dir.File("pictora.bmp")));
  EXPECT_EQ(out.GetWidth(), 120u);
}

}  // namespace
}  // namespace vistelle
