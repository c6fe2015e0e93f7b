// Text through GDI: anchored and centred as the calendar needs it.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include <gtest/gtest.h>

#include "render/calendar.h"
#include "image/text.h"

namespace vistelle {
namespace {

struct Ink {
  std::int64_t left = INT64_MAX, top = INT64_MAX, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};

// Pixels that differ from the background, top-down coordinates.
Ink FindInk(const Image& img, ColorRef background) {
  Ink ink;
  const std::int64_t h = img.GetHeight();
  for (std::int64_t y = 0; y < h; ++y)
    for (std::int64_t x = 0; x < img.GetWidth(); ++x) {
      const Rgba c = img.GetPixelColor(x, h - 1 - y);
      if (MakeColorRef(c.red, c.green, c.blue) == background) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  return ink;
}

Image Canvas(std::uint32_t w, std::uint32_t h, ColorRef color) {
  Image img;
  img.Create(w, h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) img.SetPixelColor(x, y, color);
  return img;
}

TEST(TextDraw, CentredOnXWithItsBaselineAtY) {
  const ColorRef gray = MakeColorRef(40, 40, 40);
  for (int height : {15, 17}) {
    Image canvas = Canvas(200, 60, gray);
    TextInfo info;
    InitTextInfo(info);
    info.height = height;
    info.weight = height == 17 ? 600 : 500;
    info.color = MakeColorRef(255, 255, 0);
    info.text = "March 2008";
    ASSERT_TRUE(DrawStringEx(canvas, 100, 40, info));
    const Ink ink = FindInk(canvas, gray);
    ASSERT_FALSE(ink.Empty());
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 3.0) << height;
    EXPECT_LE(ink.bottom, 40) << height;  // no descenders in the text
    EXPECT_GE(ink.bottom, 38) << height;
    EXPECT_GE(ink.top, 40 - height) << height;
    EXPECT_GT(ink.right - ink.left, 50) << height;
    // Antialiased and in the colour: some pixels fully yellow, some between.
    int full = 0, partial = 0;
    for (std::uint32_t y = 0; y < canvas.GetHeight(); ++y)
      for (std::uint32_t x = 0; x < canvas.GetWidth(); ++x) {
        const Rgba c = canvas.GetPixelColor(x, y);
        if (c.red == 255 && c.green == 255 && c.blue == 0) ++full;
        else if (c.red > 40 && c.red < 255 && c.red == c.green) ++partial;
      }
    EXPECT_GT(full, 10);  // (fewer with Liberation Sans 2 standing in for Arial under Wine)
    EXPECT_GT(partial, 5);
  }
}

TEST(TextDraw, TextAtTheEdgesIsCutNotWrittenOutside) {
  const ColorRef gray = MakeColorRef(10, 20, 30);
  Image canvas = Canvas(30, 12, gray);
  TextInfo info;
  InitTextInfo(info);
  info.height = 17;
  info.color = MakeColorRef(255, 255, 255);
  info.text = "Wednesday";
  EXPECT_TRUE(DrawStringEx(canvas, 0, 5, info));
  EXPECT_TRUE(DrawStringEx(canvas, 29, 30, info));
  EXPECT_TRUE(DrawStringEx(canvas, -500, -500, info));
  EXPECT_FALSE(FindInk(canvas, gray).Empty());
  info.text.clear();
  EXPECT_TRUE(DrawStringEx(canvas, 5, 5, info));
  Image empty;
  EXPECT_FALSE(DrawStringEx(empty, 0, 0, info));
}

TEST(TextDraw, TheCalendarLeavesNoGdiObjectsBehind) {
  CalendarState cal;
  cal.SetDate(2008, 3, 5);
  TConfig settings;
  settings.SetDefaults();
  settings.DeriveColors();
  Image canvas = Canvas(400, 300, MakeColorRef(0, 0, 0));
  cal.Draw(canvas, settings, ".");
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int i = 0; i < 5; ++i) cal.Draw(canvas, settings, ".");
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
  EXPECT_FALSE(FindInk(canvas, MakeColorRef(0, 0, 0)).Empty());
}

}  // namespace
}  // namespace vistelle
