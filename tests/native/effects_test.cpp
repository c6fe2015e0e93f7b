#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/effects.h"
#include "render/wallpaper_renderer.h"
#include "tests/shared/test_desktop.h"
#include "tests/shared/test_dir.h"
#include "tests/shared/test_settings.h"

namespace vistelle {
namespace {

// An asymmetric picture with every channel varying on its own, odd size so
// that row padding shows.
Image Pattern(std::uint32_t w = 37, std::uint32_t h = 23) {
  Image img;
  img.Create(w, h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x)
      img.SetPixelColor(x, y, MakeColorRef((x * 7) & 255, (y * 11) & 255, (x * y + 40) & 255));
  return img;
}

Image Flat(std::uint32_t w, std::uint32_t h, ColorRef color) {
  Image img;
  img.Create(w, h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) img.SetPixelColor(x, y, color);
  return img;
}

ColorRef At(const Image& img, std::int64_t x, std::int64_t y) {
  const Rgba c = img.GetPixelColor(x, y);
  return MakeColorRef(c.red, c.green, c.blue);
}

bool Same(const Image& a, const Image& b) { return a.EncodeBmp() == b.EncodeBmp(); }

const TEffects kEffects;

TEST(Effects, AmountsOutOfRangeAreReplaced) {
  const Image source = Pattern();
  auto expect_as = [&](auto apply, auto reference) {
    Image a = source, b = source;
    apply(a);
    reference(b);
    EXPECT_TRUE(Same(a, b));
  };
  // Brightness: outside -255..255 counts as 20; the limits are used as given.
  expect_as([](Image& i) { kEffects.ApplyLighten(i, 300); }, [](Image& i) { i.Light(20, 0); });
  expect_as([](Image& i) { kEffects.ApplyLighten(i, -256); }, [](Image& i) { i.Light(20, 0); });
  expect_as([](Image& i) { kEffects.ApplyLighten(i, -255); }, [](Image& i) { i.Light(-255, 0); });
  expect_as([](Image& i) { kEffects.ApplyLighten(i, 255); }, [](Image& i) { i.Light(255, 0); });
  // Contrast: outside -100..100 counts as 25 (not the setting's default 20).
  expect_as([](Image& i) { kEffects.ApplyContrast(i, -150); }, [](Image& i) { i.Light(0, 25); });
  expect_as([](Image& i) { kEffects.ApplyContrast(i, 101); }, [](Image& i) { i.Light(0, 25); });
  expect_as([](Image& i) { kEffects.ApplyContrast(i, -100); }, [](Image& i) { i.Light(0, -100); });
  expect_as([](Image& i) { kEffects.ApplyContrast(i, 100); }, [](Image& i) { i.Light(0, 100); });
  // Noise: outside 0..255 counts as 50.
  for (int bad : {-1, 256}) {
    expect_as(
        [bad](Image& i) {
          SeedImageNoise(99);
          kEffects.ApplyNoise(i, bad);
        },
        [](Image& i) {
          SeedImageNoise(99);
          i.Noise(50);
        });
  }
  expect_as(
      [](Image& i) {
        SeedImageNoise(5);
        kEffects.ApplyNoise(i, 255);
      },
      [](Image& i) {
        SeedImageNoise(5);
        i.Noise(255);
      });
}

TEST(Effects, LightArithmetic) {
  Image img = Flat(3, 2, MakeColorRef(0, 100, 200));
  img.Light(255, 0);
  EXPECT_EQ(At(img, 2, 1), MakeColorRef(255, 255, 255));
  img = Flat(3, 2, MakeColorRef(0, 100, 200));
  img.Light(-255, 0);
  EXPECT_EQ(At(img, 0, 0), MakeColorRef(0, 0, 0));
  img = Flat(3, 2, MakeColorRef(0, 100, 200));
  img.Light(0, -100);  // no contrast left: middle gray
  EXPECT_EQ(At(img, 0, 0), MakeColorRef(128, 128, 128));
  img = Flat(3, 2, MakeColorRef(0, 100, 200));
  img.Light(0, 100);  // doubled about 128: 128-256, 128-56, 128+144
  EXPECT_EQ(At(img, 0, 0), MakeColorRef(0, 72, 255));
  img = Flat(3, 2, MakeColorRef(0, 100, 200));
  img.Light(10, 50);  // contrast first, then brightness: 128 + round(-28 * 1.5) + 10
  EXPECT_EQ(ColorRefGreen(At(img, 1, 1)), 128 - 42 + 10);
  const Image p = Pattern();
  img = p;
  img.Light(0, 0);
  EXPECT_TRUE(Same(img, p));
}

TEST(Effects, ColorizeShiftsByComponentLess128) {
  // The default colour (255, 212, 36) shifts by 127, 84, -92.
  const ColorRef packed = TEffects::PackColorize(255, 212, 36);
  Image img = Flat(4, 3, MakeColorRef(128, 128, 128));
  kEffects.ApplyColorize(img, packed);
  EXPECT_EQ(At(img, 3, 2), MakeColorRef(255, 212, 36));
  img = Flat(4, 3, MakeColorRef(10, 100, 200));
  kEffects.ApplyColorize(img, packed);
  EXPECT_EQ(At(img, 0, 0), MakeColorRef(137, 184, 108));
  img = Flat(4, 3, MakeColorRef(200, 200, 60));
  kEffects.ApplyColorize(img, packed);
  EXPECT_EQ(At(img, 0, 0), MakeColorRef(255, 255, 0));  // clamped both ways

  // (128, 128, 128) changes nothing.
  const Image p = Pattern();
  img = p;
  kEffects.ApplyColorize(img, TEffects::PackColorize(128, 128, 128));
  EXPECT_TRUE(Same(img, p));

  // A component of 300 keeps its low 8 bits: 44, a red shift of -84.
  EXPECT_EQ(TEffects::PackColorize(300, 128, 128), MakeColorRef(44, 128, 128));
  EXPECT_EQ(TEffects::PackColorize(-1, 256, 128 + 512), MakeColorRef(255, 0, 128));
  img = Flat(2, 2, MakeColorRef(128, 128, 128));
  kEffects.ApplyColorize(img, TEffects::PackColorize(300, 128, 128));
  EXPECT_EQ(At(img, 0, 0), MakeColorRef(44, 128, 128));
}

TEST(Effects, NegativeGrayAndPseudocolours) {
  Image img = Flat(5, 3, MakeColorRef(254, 1, 1));
  kEffects.ApplyNegative(img);
  EXPECT_EQ(At(img, 4, 2), MakeColorRef(1, 254, 254));

  img = Pattern();
  kEffects.ApplyGray(img);
  EXPECT_TRUE(img.IsGrayScale());
  EXPECT_FALSE(Pattern().IsGrayScale());
  Image bw = Flat(2, 2, MakeColorRef(255, 255, 255));
  bw.SetPixelColor(0, 0, MakeColorRef(255, 0, 0));
  bw.GrayScale();
  EXPECT_EQ(At(bw, 1, 1), MakeColorRef(255, 255, 255));  // white stays white
  EXPECT_EQ(At(bw, 0, 0), MakeColorRef(77, 77, 77));     // (77 * 255 + 128) >> 8

  // On a gray picture only the hue palette acts; a coloured one is made
  // gray first.
  Image gray = Pattern();
  gray.GrayScale();
  Image expected = gray;
  expected.HuePalette(1.0f);
  Image got = gray;
  kEffects.ApplyPseudocolors(got);
  EXPECT_TRUE(Same(got, expected));
  got = Pattern();
  kEffects.ApplyPseudocolors(got);
  EXPECT_TRUE(Same(got, expected));

  // Dark levels are blue, bright ones red, the middle green.
  Image ramp;
  ramp.Create(3, 1);
  ramp.SetPixelColor(0, 0, MakeColorRef(0, 0, 0));
  ramp.SetPixelColor(1, 0, MakeColorRef(128, 128, 128));
  ramp.SetPixelColor(2, 0, MakeColorRef(255, 255, 255));
  ramp.HuePalette(1.0f);
  EXPECT_EQ(At(ramp, 0, 0), MakeColorRef(0, 0, 255));
  EXPECT_EQ(ColorRefGreen(At(ramp, 1, 0)), 255);
  EXPECT_EQ(At(ramp, 2, 0), MakeColorRef(255, 0, 0));
}

TEST(Effects, NoiseIsBoundedSeededAndCentred) {
  const Image gray = Flat(101, 53, MakeColorRef(128, 128, 128));
  Image a = gray, b = gray;
  SeedImageNoise(1234);
  a.Noise(40);
  SeedImageNoise(1234);
  b.Noise(40);
  EXPECT_TRUE(Same(a, b));
  // Further calls continue the run's sequence instead of repeating it.
  Image c = gray;
  c.Noise(40);
  EXPECT_FALSE(Same(a, c));

  long long sum = 0;
  int lo = 255, hi = 0;
  for (std::uint32_t y = 0; y < a.GetHeight(); ++y) {
    const std::uint8_t* p = a.Row(y);
    for (std::uint32_t i = 0; i < a.GetWidth() * 3; ++i) {
      sum += p[i] - 128;
      lo = std::min<int>(lo, p[i]);
      hi = std::max<int>(hi, p[i]);
    }
  }
  EXPECT_EQ(lo, 128 - 20);
  EXPECT_EQ(hi, 128 + 20);
  EXPECT_LT(std::llabs(sum) / (101 * 53 * 3.0), 1.0);  // no drift

  Image none = gray;
  none.Noise(0);
  EXPECT_TRUE(Same(none, gray));
}

// Standard deviation of a row's red channel over columns [x0, x1).
double Spread(const Image& img, std::uint32_t y, std::uint32_t x0, std::uint32_t x1) {
  double s = 0, s2 = 0;
  for (std::uint32_t x = x0; x < x1; ++x) {
    const double v = img.GetPixelColor(x, y).red;
    s += v;
    s2 += v * v;
  }
  const double n = x1 - x0;
  return std::sqrt(std::max(0.0, s2 / n - (s / n) * (s / n)));
}

TEST(Effects, SmartBlurSmoothsNoiseButKeepsEdges) {
  // Left half dark, right half light, both with a little noise.
  Image img;
  img.Create(60, 20);
  SeedImageNoise(7);
  for (std::uint32_t y = 0; y < 20; ++y)
    for (std::uint32_t x = 0; x < 60; ++x) {
      const int base = x < 30 ? 40 : 200;
      img.SetPixelColor(x, y, MakeColorRef(base, base, base));
    }
  img.Noise(16);
  const Image before = img;
  kEffects.ApplySmartBlur(img);
  EXPECT_LT(Spread(img, 10, 2, 28), Spread(before, 10, 2, 28) * 0.8);
  // The edge stays a step: the columns beside it keep their levels (a 3x3
  // box blur would move them by 53).
  double left = 0, right = 0;
  for (std::uint32_t y = 0; y < 20; ++y) {
    left += img.GetPixelColor(29, y).red / 20.0;
    right += img.GetPixelColor(30, y).red / 20.0;
  }
  EXPECT_NEAR(left, 40, 4);
  EXPECT_NEAR(right, 200, 4);
  // A flat picture does not change at all, nor does a zero radius.
  Image flat = Flat(9, 9, MakeColorRef(90, 10, 250));
  const Image flat_before = flat;
  flat.Repair(0.25f, 2, 0);
  EXPECT_TRUE(Same(flat, flat_before));
  Image p = Pattern();
  p.Repair(0.0f, 2, 0);
  EXPECT_TRUE(Same(p, Pattern()));
}

TEST(Effects, FiltersKeepFlatAreas) {
  for (auto apply : {&TEffects::ApplySharpen, &TEffects::ApplyBlur}) {
    Image flat = Flat(7, 5, MakeColorRef(13, 130, 250));
    const Image before = flat;
    (kEffects.*apply)(flat);
    EXPECT_TRUE(Same(flat, before));
  }
}

TEST(Mix, BlendsByTheSourceAlphaAtItsOffset) {
  Image canvas = Flat(10, 8, MakeColorRef(200, 100, 0));
  Image src = Flat(4, 3, MakeColorRef(0, 0, 255));
  src.AlphaCreate();
  src.AlphaSet(255);
  // Source pixel (x + ox, y + oy) goes onto (x, y): the corner lands at (5, 2).
  EXPECT_TRUE(canvas.Mix(src, Image::kMixBlend, -5, -2, true));
  EXPECT_EQ(At(canvas, 5, 2), MakeColorRef(0, 0, 255));
  EXPECT_EQ(At(canvas, 8, 4), MakeColorRef(0, 0, 255));
  EXPECT_EQ(At(canvas, 9, 4), MakeColorRef(200, 100, 0));
  EXPECT_EQ(At(canvas, 5, 5), MakeColorRef(200, 100, 0));
  EXPECT_EQ(At(canvas, 4, 2), MakeColorRef(200, 100, 0));

  Image c0 = Flat(10, 8, MakeColorRef(200, 100, 0));
  src.AlphaSet(0);
  c0.Mix(src, Image::kMixBlend, 0, 0, true);
  EXPECT_TRUE(Same(c0, Flat(10, 8, MakeColorRef(200, 100, 0))));

  Image half = Flat(10, 8, MakeColorRef(200, 100, 0));
  src.AlphaSet(128);
  half.Mix(src, Image::kMixBlend, 0, 0, true);
  // (s * 128 + d * 127) / 255, rounded.
  EXPECT_EQ(At(half, 0, 0), MakeColorRef(100, 50, 128));

  // Partly and wholly outside the canvas; other operations refused.
  Image edge = Flat(10, 8, MakeColorRef(1, 2, 3));
  src.AlphaSet(255);
  EXPECT_TRUE(edge.Mix(src, Image::kMixBlend, 2, 1, false));  // source (2..3, 1..2) at (0..1, 0..1)
  EXPECT_EQ(At(edge, 1, 1), MakeColorRef(0, 0, 255));
  EXPECT_EQ(At(edge, 2, 0), MakeColorRef(1, 2, 3));
  EXPECT_TRUE(edge.Mix(src, Image::kMixBlend, 100, -100, false));
  EXPECT_FALSE(edge.Mix(src, 3, 0, 0, false));
  EXPECT_FALSE(edge.Mix(Image(), Image::kMixBlend, 0, 0, false));
}

TEST(Effects, EmptyImagesAreLeftAlone) {
  Image empty;
  EXPECT_FALSE(empty.Repair());
  EXPECT_FALSE(empty.Negative());
  EXPECT_FALSE(empty.GrayScale());
  EXPECT_FALSE(empty.IsGrayScale());
  EXPECT_FALSE(empty.HuePalette());
  EXPECT_FALSE(empty.Noise(10));
  EXPECT_FALSE(empty.Light(1, 1));
  EXPECT_FALSE(empty.ShiftRGB(1, 1, 1));
  TConfig all;
  all.smartblur = all.negativ = all.gray = all.pseudocolors = all.noise = all.sharpen = all.blur = 1;
  all.contrast = all.lighten = all.colorize = 1;
  kEffects.ApplyConfigured(empty, all);
  EXPECT_FALSE(empty.IsValid());
  Image one = Flat(1, 1, MakeColorRef(9, 8, 7));
  kEffects.ApplyConfigured(one, all);  // one pixel: no neighbours to read past
  EXPECT_TRUE(one.IsValid());
}

// The effects inside the composition.
class EffectsPipelineTest : public ::testing::Test {
 protected:
  Image Compose(const std::string& settings, const Image& picture, std::uint32_t w = 48, std::uint32_t h = 32) {
    dir_.Write("config.ini", "[setting]\r\nCactivecalendar=0\r\n" + settings);
    const TConfig r_settings = testing::SettingsIn(dir_.Path());
    WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
    r.CurrentPicture() = picture;
    return r.ComposeCanvas(w, h);
  }
  testing::TestDir dir_;
  testing::TestDesktop desktop_{ScreenSize{48, 32}};
  std::unique_ptr<ProfileStore> store_ = MakeIniFileProfileStore();
};

TEST_F(EffectsPipelineTest, NegativeActsOnTheBackgroundToo) {
  const Image out = Compose("sposob_wyswietlania=2\r\nNegativ=1\r\n", Flat(4, 4, MakeColorRef(0, 0, 0)));
  EXPECT_EQ(At(out, 0, 0), MakeColorRef(1, 254, 254));
  EXPECT_EQ(At(out, 23, 15), MakeColorRef(255, 255, 255));
}

TEST_F(EffectsPipelineTest, SharpenComesBeforeBlur) {
  const Image picture = Pattern(48, 32);
  const Image out = Compose("Sharpen=1\r\nBlur=1\r\n", picture);
  Image sharpen_then_blur = picture;
  kEffects.ApplySharpen(sharpen_then_blur);
  kEffects.ApplyBlur(sharpen_then_blur);
  Image blur_then_sharpen = picture;
  kEffects.ApplyBlur(blur_then_sharpen);
  kEffects.ApplySharpen(blur_then_sharpen);
  EXPECT_TRUE(Same(out, sharpen_then_blur));
  EXPECT_FALSE(Same(out, blur_then_sharpen));
}

TEST_F(EffectsPipelineTest, AllTenRunInTheFixedOrder) {
  const Image picture = Pattern(48, 32);
  SeedImageNoise(42);
  const Image out = Compose(
      "Smartblur=1\r\nNegativ=1\r\nGray=1\r\nPseudocolors=1\r\nNoise=1\r\nNoiseInt=300\r\nSharpen=1\r\n"
      "Blur=1\r\nContrast=1\r\nContrastInt=-30\r\nLighten=1\r\nLightenInt=-20\r\nColorize=1\r\n"
      "CoorizeIntR=140\r\nCoorizeIntG=120\r\nCoorizeIntB=128\r\n",
      picture);
  Image expected = picture;
  SeedImageNoise(42);
  expected.Repair(0.25f, 2, 0);
  expected.Negative();
  expected.GrayScale();
  expected.HuePalette(1.0f);
  expected.Noise(50);
  kEffects.ApplySharpen(expected);
  kEffects.ApplyBlur(expected);
  expected.Light(0, -30);
  expected.Light(-20, 0);
  expected.ShiftRGB(12, -8, 0);
  EXPECT_TRUE(Same(out, expected));
}

// Effects that went with the rows as the picture was placed are made again
// when the settings change before the wallpaper is composed.
TEST_F(EffectsPipelineTest, EffectsPlacedWithThePictureFollowSettingsChangedSince) {
  const Image picture = Pattern(48, 32);
  ASSERT_TRUE(picture.Save(JoinPath(dir_.Path(), "p.bmp"), false));
  dir_.Write("config.ini", "[setting]\r\nCactivecalendar=0\r\nsposob_wyswietlania=0\r\nNegativ=1\r\n");
  TConfig settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, settings);
  ASSERT_TRUE(r.LoadCurrentPicture(JoinPath(dir_.Path(), "p.bmp")));
  settings.negativ = 0;
  settings.gray = 1;
  ASSERT_TRUE(r.ComposeWallpaper());
  Image out, expected = picture;
  ASSERT_TRUE(out.Load(r.WallpaperPath()));
  expected.GrayScale();
  EXPECT_TRUE(Same(out, expected));
}

}  // namespace
}  // namespace vistelle
