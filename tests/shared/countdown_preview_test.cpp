// The main window's minute counter and countdown, and its preview copy of
// the current picture.
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "app/countdown.h"
#include "image/preview_image.h"
#include "config/config.h"
#include "image/image.h"

namespace vistelle {
namespace {

TEST(Countdown, DefaultsShow599MinutesAndNeverCountDown) {
  TConfig settings;  // as with no config.ini: 10 hours, counter 1, mode 0
  EXPECT_EQ(CountdownText(MinutesLeft(settings)), "Wallpaper will change in: 599 min.");
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(MinuteTick(settings, true));
  EXPECT_EQ(MinutesLeft(settings), 599);
}

TEST(Countdown, EveryFifthTickChangesInMinuteMode) {
  TConfig settings;
  settings.zmiana_tapety_co = 1;
  settings.godz_sek = 1;
  settings.co_ile_sek_godz = 5;
  settings.second_counter = 0;
  EXPECT_EQ(MinutesLeft(settings), 5);
  for (int left = 4; left >= 1; --left) {
    EXPECT_FALSE(MinuteTick(settings, true));
    EXPECT_EQ(MinutesLeft(settings), left);
  }
  EXPECT_TRUE(MinuteTick(settings, true));
  settings.second_counter = 0;  // as the change does
  EXPECT_EQ(MinutesLeft(settings), 5);

  // Without a selected category the counter stands still.
  EXPECT_FALSE(MinuteTick(settings, false));
  EXPECT_EQ(settings.second_counter, 0);
}

TEST(Countdown, LoweredAmountsAndExtremeValuesNeitherWrapNorStall) {
  TConfig settings;
  settings.zmiana_tapety_co = 1;
  settings.godz_sek = 1;
  settings.co_ile_sek_godz = 2;
  settings.second_counter = 7;  // the amount was lowered meanwhile
  EXPECT_EQ(CountdownText(MinutesLeft(settings)), "Wallpaper will change in: -5 min.");
  EXPECT_TRUE(MinuteTick(settings, true));

  settings.godz_sek = 0;  // hours
  settings.co_ile_sek_godz = std::numeric_limits<std::int32_t>::max();
  settings.second_counter = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(IntervalMinutes(settings), std::int64_t{60} * std::numeric_limits<std::int32_t>::max());
  EXPECT_FALSE(MinuteTick(settings, true));
  EXPECT_EQ(settings.second_counter, std::numeric_limits<std::int32_t>::max());
  EXPECT_GT(MinutesLeft(settings), 0);
}

// (x, y) counted from the top-left corner as shown.
void FillShown(Image& image, std::uint32_t x0, std::uint32_t y0, std::uint32_t w, std::uint32_t h, ColorRef c) {
  for (std::uint32_t y = y0; y < y0 + h; ++y)
    for (std::uint32_t x = x0; x < x0 + w; ++x) image.SetPixelColor(x, image.GetHeight() - 1 - y, c);
}

Rgba Shown(const Image& image, std::uint32_t x, std::uint32_t y) {
  return image.GetPixelColor(x, image.GetHeight() - 1 - y, false);
}

TEST(PreviewImage, AveragesEveryPixelAndKeepsTheLayout) {
  // Red left half, blue right half, a green band across the top; odd sizes
  // so that the preview pixels take unequal shares.
  Image source;
  ASSERT_TRUE(source.Create(1001, 703));
  FillShown(source, 0, 0, 500, 703, MakeColorRef(255, 0, 0));
  FillShown(source, 500, 0, 501, 703, MakeColorRef(0, 0, 255));
  FillShown(source, 0, 0, 1001, 52, MakeColorRef(0, 255, 0));
  // A single white pixel in a black block must still count.
  FillShown(source, 100, 300, 6, 6, MakeColorRef(0, 0, 0));
  source.SetPixelColor(102, source.GetHeight() - 1 - 302, MakeColorRef(255, 255, 255));

  Image preview;
  ASSERT_TRUE(MakePreviewImage(source, 173, 136, preview));
  ASSERT_EQ(preview.GetWidth(), 173u);
  ASSERT_EQ(preview.GetHeight(), 136u);
  const Rgba top_left = Shown(preview, 0, 0);
  EXPECT_EQ(top_left.green, 255);
  EXPECT_EQ(top_left.red, 0);
  const Rgba left = Shown(preview, 10, 100);
  EXPECT_EQ(left.red, 255);
  EXPECT_EQ(left.blue, 0);
  const Rgba right = Shown(preview, 170, 100);
  EXPECT_EQ(right.blue, 255);
  EXPECT_EQ(right.red, 0);
  // The block around the white pixel is dark red-grey, not pure black.
  const Rgba block = Shown(preview, 100 * 173 / 1001, 302 * 136 / 703);
  EXPECT_GT(block.green, 0);
}

// Against the plain definition, on seeded random pictures: each preview
// pixel is the rounded mean of the source pixels that fall into it (column
// x into x * width / sw, rows likewise).
TEST(PreviewImage, IsTheMeanOfTheSourcePixelsOfEachPreviewPixel) {
  struct Case {
    std::uint32_t sw, sh, width, height;
  };
  const Case cases[] = {{1001, 703, 173, 136}, {173, 136, 173, 136}, {174, 137, 173, 136},
                        {6000, 41, 173, 7},    {2, 900, 1, 3},       {513, 257, 16, 16}};
  std::uint32_t seed = 2024;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " to " + std::to_string(c.width) + "x" +
                 std::to_string(c.height));
    Image source;
    ASSERT_TRUE(source.Create(c.sw, c.sh));
    for (std::uint32_t y = 0; y < c.sh; ++y) {
      std::uint8_t* row = source.Row(y);
      for (std::uint32_t i = 0; i < c.sw * 3; ++i) {
        seed = seed * 1664525u + 1013904223u;
        row[i] = static_cast<std::uint8_t>(seed >> 24);
      }
    }
    Image preview;
    ASSERT_TRUE(MakePreviewImage(source, c.width, c.height, preview));
    int wrong = 0;
    for (std::uint32_t oy = 0; oy < c.height; ++oy) {
      const std::uint32_t y0 = static_cast<std::uint32_t>(std::uint64_t{oy} * c.sh / c.height);
      const std::uint32_t y1 = static_cast<std::uint32_t>((std::uint64_t{oy} + 1) * c.sh / c.height);
      for (std::uint32_t ox = 0; ox < c.width; ++ox) {
        std::uint64_t sum[3] = {0, 0, 0};
        std::uint64_t count = 0;
        for (std::uint32_t y = y0; y < y1; ++y) {
          for (std::uint32_t x = 0; x < c.sw; ++x) {
            if (std::uint64_t{x} * c.width / c.sw != ox) continue;
            for (int k = 0; k < 3; ++k) sum[k] += source.Row(y)[x * 3 + k];
            ++count;
          }
        }
        for (int k = 0; k < 3; ++k) {
          const auto expected = static_cast<int>((sum[k] + count / 2) / count);
          if (preview.Row(oy)[ox * 3 + k] != expected && ++wrong <= 3)
            ADD_FAILURE() << "preview pixel " << ox << "," << oy << " channel " << k;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(PreviewImage, SmallAndEmptyPictures) {
  Image small;
  ASSERT_TRUE(small.Create(40, 300));
  FillShown(small, 0, 0, 40, 300, MakeColorRef(10, 20, 30));
  Image preview;
  ASSERT_TRUE(MakePreviewImage(small, 173, 136, preview));
  EXPECT_EQ(preview.GetWidth(), 173u);
  EXPECT_EQ(Shown(preview, 86, 68).blue, 30);

  EXPECT_FALSE(MakePreviewImage(Image(), 173, 136, preview));
  EXPECT_FALSE(preview.IsValid());
  EXPECT_FALSE(MakePreviewImage(small, 0, 136, preview));
}

}  // namespace
}  // namespace vistelle
