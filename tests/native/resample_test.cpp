#include "image/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vistelle {
namespace {

// A picture as the resampler sees it: rows of B, G, R bytes (rows padded
// to 4 bytes, as in Image) and an alpha plane.
struct Picture {
  std::uint32_t width = 0, height = 0;
  std::size_t stride = 0;
  std::vector<std::uint8_t> bgr, alpha;

  Picture(std::uint32_t w, std::uint32_t h)
      : width(w), height(h), stride((w * 3 + 3) & ~3u), bgr(stride * h), alpha(static_cast<std::size_t>(w) * h, 255) {}
  std::uint8_t* At(std::uint32_t x, std::uint32_t y) { return bgr.data() + y * stride + x * 3; }
  const std::uint8_t* At(std::uint32_t x, std::uint32_t y) const { return bgr.data() + y * stride + x * 3; }
  ConstPixelRows In() const { return {bgr.data(), static_cast<std::ptrdiff_t>(stride)}; }
  PixelRows Out() { return {bgr.data(), static_cast<std::ptrdiff_t>(stride)}; }
  ConstPixelRows AlphaRows() const { return {alpha.data(), static_cast<std::ptrdiff_t>(width)}; }
};

ResampleAxis Whole(std::uint32_t source, std::uint32_t scaled) { return {source, scaled, 0, scaled}; }

// The definitions, in double precision and without any cleverness: the
// weights of output pixel j of the axis over source pixels.
double MitchellReference(double t) {
  const double B = 1.0 / 3, C = 1.0 / 3;
  t = std::fabs(t);
  if (t < 1) return ((12 - 9 * B - 6 * C) * t * t * t + (-18 + 12 * B + 6 * C) * t * t + (6 - 2 * B)) / 6;
  if (t < 2) return ((-B - 6 * C) * t * t * t + (6 * B + 30 * C) * t * t + (-12 * B - 48 * C) * t + (8 * B + 24 * C)) / 6;
  return 0;
}

std::vector<double> ReferenceWeights(const ResampleAxis& a, std::uint32_t j) {
  std::vector<double> w(a.source, 0.0);
  const double J = static_cast<double>(a.first) + j;
  const double ratio = static_cast<double>(a.source) / a.scaled;
  if (a.scaled <= a.source) {
    const double lo = J * ratio, hi = (J + 1) * ratio;
    for (std::uint32_t i = 0; i < a.source; ++i) w[i] = std::max(0.0, std::min<double>(i + 1, hi) - std::max<double>(i, lo)) / ratio;
  } else {
    const double centre = (J + 0.5) * ratio - 0.5;
    for (int i = static_cast<int>(std::floor(centre)) - 1; i <= static_cast<int>(std::floor(centre)) + 2; ++i)
      w[std::clamp(i, 0, static_cast<int>(a.source) - 1)] += MitchellReference(centre - i);
  }
  return w;
}

// The picture resampled (premultiplied by alpha when over is given, and
// laid over it), each value rounded once at the end.
std::vector<double> Reference(const Picture& p, const ResampleAxis& x, const ResampleAxis& y, const Picture* over) {
  std::vector<double> out(static_cast<std::size_t>(x.count) * y.count * 3);
  std::vector<std::vector<double>> wx, wy;
  for (std::uint32_t i = 0; i < x.count; ++i) wx.push_back(ReferenceWeights(x, i));
  for (std::uint32_t j = 0; j < y.count; ++j) wy.push_back(ReferenceWeights(y, j));
  for (std::uint32_t j = 0; j < y.count; ++j)
    for (std::uint32_t i = 0; i < x.count; ++i) {
      double sum[4] = {};
      for (std::uint32_t sy = 0; sy < p.height; ++sy) {
        if (wy[j][sy] == 0) continue;
        for (std::uint32_t sx = 0; sx < p.width; ++sx) {
          const double w = wy[j][sy] * wx[i][sx];
          if (w == 0) continue;
          const int a = over ? p.alpha[sy * p.width + sx] : 255;
          for (int c = 0; c < 3; ++c) {
            const int v = p.At(sx, sy)[c];
            // Colour premultiplied as stored bytes: v * a / 255 rounded.
            sum[c] += w * (over ? std::floor(v * a / 255.0 + 0.5) : v);
          }
          sum[3] += w * a;
        }
      }
      for (int c = 0; c < 3; ++c) {
        double v = std::clamp(sum[c], 0.0, 255.0);
        if (over) {
          const double a = std::clamp(sum[3], 0.0, 255.0);
          v = std::min(255.0, v + over->At(i, j)[c] * (255 - a) / 255);
        }
        out[(static_cast<std::size_t>(j) * x.count + i) * 3 + c] = v;
      }
    }
  return out;
}

// A random axis: shrinking, growing or the same size, and now and then
// only a window of the scaled pixels.
ResampleAxis RandomAxis(std::mt19937& rng) {
  ResampleAxis a;
  a.source = 1 + rng() % 40;
  switch (rng() % 3) {
    case 0: a.scaled = 1 + rng() % a.source; break;
    case 1: a.scaled = a.source + rng() % 90; break;
    default: a.scaled = 1 + rng() % 60; break;
  }
  a.first = 0;
  a.count = a.scaled;
  if (rng() % 3 == 0 && a.scaled > 2) {
    a.first = rng() % (a.scaled / 2);
    a.count = 1 + rng() % (a.scaled - a.first);
  }
  return a;
}

void Randomise(Picture& p, std::mt19937& rng, bool with_alpha) {
  for (std::uint32_t y = 0; y < p.height; ++y)
    for (std::uint32_t x = 0; x < p.width; ++x) {
      // Any value, a quarter of them 0 or 255 (hard edges, clamping).
      for (int c = 0; c < 3; ++c) {
        const std::uint32_t r = rng();
        p.At(x, y)[c] = r % 4 == 0 ? static_cast<std::uint8_t>((r >> 8) % 2 * 255) : static_cast<std::uint8_t>(r >> 8);
      }
      if (with_alpha) {
        const std::uint32_t r = rng() % 4;
        p.alpha[y * p.width + x] = r == 0 ? 0 : r == 1 ? 255 : static_cast<std::uint8_t>(rng());
      }
    }
}

// The picture's rows handed to a RowResampler one at a time, from the top
// down or the bottom up, each in memory that is used again for the next
// row (as a decoder's would be) or in the resampler's own.
void Streamed(const Picture& src, const ResampleAxis& x, const ResampleAxis& y, bool alpha, bool from_top,
              bool into_buffers, Picture& out) {
  RowResampler resampler;
  ASSERT_TRUE(resampler.Start(x, y, alpha, from_top, out.Out()));
  std::vector<std::uint8_t> colour(src.width * 3), opacity(src.width);
  for (std::uint32_t n = 0; n < src.height; ++n) {
    const std::uint32_t r = from_top ? src.height - 1 - n : n;
    std::uint8_t* c = into_buffers ? resampler.ColourBuffer(r) : colour.data();
    std::uint8_t* a = into_buffers && alpha ? resampler.AlphaBuffer(r) : opacity.data();
    std::copy_n(src.At(0, r), src.width * 3, c);
    std::copy_n(src.alpha.data() + r * src.width, src.width, a);
    resampler.Put(r, c, alpha ? a : nullptr, false);
  }
}

TEST(Resample, MatchesTheDefinitionsAndTheSse2LoopsGiveTheSameBytes) {
  // Opaque pictures within 1 of the exact value; laid over a background
  // within 2, since the premultiplied colour, the alpha and the
  // background's share are each rounded once.
  std::mt19937 rng(20261209);
  for (int round = 0; round < 400; ++round) {
    const bool alpha = round % 2 == 1;
    const ResampleAxis x = RandomAxis(rng), y = RandomAxis(rng);
    Picture src(x.source, y.source), fast(x.count, y.count);
    Randomise(src, rng, alpha);
    Randomise(fast, rng, false);
    Picture plain = fast, under = fast;
    const ResampleCode codes[] = {ResampleCode::kFastest, ResampleCode::kPlain};
    Picture* outs[] = {&fast, &plain};
    for (int k = 0; k < 2; ++k)
      ASSERT_TRUE(alpha ? ResampleBgrOver(src.In(), src.AlphaRows(), x, y, outs[k]->Out(), codes[k])
                        : ResampleBgr(src.In(), x, y, outs[k]->Out(), codes[k]));
    const std::string what = std::to_string(x.source) + "x" + std::to_string(y.source) + " to " +
                             std::to_string(x.scaled) + "x" + std::to_string(y.scaled) + " from " +
                             std::to_string(x.first) + "," + std::to_string(y.first) + (alpha ? " over" : "");
    ASSERT_EQ(fast.bgr, plain.bgr) << what;
    for (int order = 0; order < 4; ++order) {
      Picture streamed = under;
      Streamed(src, x, y, alpha, order / 2 == 0, order % 2 == 0, streamed);
      ASSERT_EQ(fast.bgr, streamed.bgr) << what << " streamed " << order;
    }
    const std::vector<double> ref = Reference(src, x, y, alpha ? &under : nullptr);
    for (std::uint32_t j = 0; j < y.count; ++j)
      for (std::uint32_t i = 0; i < x.count; ++i)
        for (int c = 0; c < 3; ++c)
          ASSERT_LE(std::fabs(fast.At(i, j)[c] - ref[(j * x.count + i) * 3 + c]), alpha ? 2.0 : 1.0)
              << what << " at " << i << "," << j;
  }
}

TEST(Resample, AFineCheckerboardShrinksToAnEvenGray) {
  // A box of r x r source pixels over a checkerboard of single pixels has
  // as much black as white but for the part of a pixel at its edges: the
  // ratios below leave at most the tolerance, never the stripes that
  // picking pixels gives.
  struct Case {
    std::uint32_t source, scaled;
    int tolerance;
  };
  const Case cases[] = {{600, 300, 1}, {600, 240, 6}, {1000, 320, 11}, {999, 233, 2}, {640, 100, 2}, {500, 37, 2}};
  for (const Case& c : cases) {
    Picture src(c.source, c.source);
    for (std::uint32_t y = 0; y < c.source; ++y)
      for (std::uint32_t x = 0; x < c.source; ++x) std::fill_n(src.At(x, y), 3, ((x + y) & 1) ? 255 : 0);
    Picture out(c.scaled, c.scaled);
    ASSERT_TRUE(ResampleBgr(src.In(), Whole(c.source, c.scaled), Whole(c.source, c.scaled), out.Out()));
    int lo = 255, hi = 0;
    for (std::uint32_t y = 0; y < c.scaled; ++y)
      for (std::uint32_t x = 0; x < c.scaled; ++x) {
        lo = std::min<int>(lo, out.At(x, y)[1]);
        hi = std::max<int>(hi, out.At(x, y)[1]);
      }
    EXPECT_GE(lo, 127 - c.tolerance) << c.source << " to " << c.scaled;
    EXPECT_LE(hi, 128 + c.tolerance) << c.source << " to " << c.scaled;
  }
}

TEST(Resample, EnlargedEdgesRingLittleAndFlatPartsStayFlat) {
  // A step from 64 to 192, enlarged 1 to 9: the cubic over- and undershoots
  // by under 4 % of the step next to the edge, and the flat parts two
  // source pixels away from it are exact.
  const std::uint32_t w = 12, sw = 108;
  Picture src(w, 1);
  for (std::uint32_t x = 0; x < w; ++x) std::fill_n(src.At(x, 0), 3, x < w / 2 ? 64 : 192);
  Picture out(sw, 1);
  ASSERT_TRUE(ResampleBgr(src.In(), Whole(w, sw), Whole(1, 1), out.Out()));
  for (std::uint32_t x = 0; x < sw; ++x) {
    const int v = out.At(x, 0)[0];
    EXPECT_GE(v, 64 - 5) << x;
    EXPECT_LE(v, 192 + 5) << x;
    if (x < 36) {
      EXPECT_EQ(v, 64) << x;
    } else if (x >= 72) {
      EXPECT_EQ(v, 192) << x;
    }
  }
}

TEST(Resample, RefusesAxesItCannotMake) {
  Picture src(4, 4), dst(4, 4);
  const ResampleAxis good = Whole(4, 4);
  const ResampleAxis bad[] = {{0, 4, 0, 4}, {4, 0, 0, 0}, {4, 4, 0, 0}, {4, 4, 2, 3}, {4, 4, 4294967295u, 2}};
  for (const ResampleAxis& a : bad) {
    EXPECT_FALSE(ResampleBgr(src.In(), a, good, dst.Out()));
    EXPECT_FALSE(ResampleBgr(src.In(), good, a, dst.Out()));
    EXPECT_FALSE(ResampleBgrOver(src.In(), src.AlphaRows(), a, good, dst.Out()));
  }
  EXPECT_FALSE(ResampleBgrOver(src.In(), ConstPixelRows{}, good, good, dst.Out()));
}

}  // namespace
}  // namespace vistelle
