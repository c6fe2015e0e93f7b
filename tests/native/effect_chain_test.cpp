#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/effect_chain.h"
#include "image/image.h"

namespace vistelle {
namespace {

const std::int32_t kSharpen[9] = {-1, -1, -1, -1, 15, -1, -1, -1, -1};
const std::int32_t kBlur[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};

Image Pattern(std::uint32_t w, std::uint32_t h) {
  Image img;
  img.Create(w, h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x)
      img.SetPixelColor(x, y, MakeColorRef((x * 37 + y * 5) & 255, (y * 61 + x) & 255, (x * y * 13 + 40) & 255));
  return img;
}

std::vector<std::uint8_t> Pixels(const Image& img) {
  std::vector<std::uint8_t> out;
  for (std::uint32_t y = 0; y < img.GetHeight(); ++y)
    out.insert(out.end(), img.Row(y), img.Row(y) + static_cast<std::size_t>(img.GetWidth()) * 3);
  return out;
}

// The 3x3 filter pixel by pixel, edges repeated: what the filter rows must
// give in whichever order the rows come.
void FilterByHand(Image& img, const std::int32_t* k, int divisor) {
  const Image in = img;
  const std::int64_t w = img.GetWidth(), h = img.GetHeight();
  for (std::int64_t y = 0; y < h; ++y)
    for (std::int64_t x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        std::int64_t sum = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const std::int64_t sx = std::clamp<std::int64_t>(x + dx, 0, w - 1);
            const std::int64_t sy = std::clamp<std::int64_t>(y + dy, 0, h - 1);
            sum += k[(1 - dy) * 3 + dx + 1] * in.Row(static_cast<std::uint32_t>(sy))[sx * 3 + c];
          }
        img.Row(static_cast<std::uint32_t>(y))[x * 3 + c] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(sum / divisor, 0, 255));
      }
}

struct Effect {
  const char* name;
  std::function<RowEffect()> row;
  std::function<void(Image&)> whole;  // the effect over the whole picture
};

const std::vector<Effect>& Effects() {
  static const std::vector<Effect> effects = {
      {"negative", [] { return RowEffect::Negative(); }, [](Image& i) { i.Negative(); }},
      {"gray", [] { return RowEffect::Gray(); }, [](Image& i) { i.GrayScale(); }},
      {"hues", [] { return RowEffect::HuePalette(1.0f); }, [](Image& i) { i.HuePalette(1.0f); }},
      {"noise", [] { return RowEffect::Noise(60); }, [](Image& i) { i.Noise(60); }},
      {"sharpen", [] { return *RowEffect::BoxFilter(kSharpen, 7, 0); }, [](Image& i) { FilterByHand(i, kSharpen, 7); }},
      {"blur", [] { return *RowEffect::BoxFilter(kBlur, 9, 0); }, [](Image& i) { FilterByHand(i, kBlur, 9); }},
      {"light", [] { return RowEffect::Light(-20, 35); }, [](Image& i) { i.Light(-20, 35); }},
      {"shift", [] { return RowEffect::ShiftRgb(40, -30, 5); }, [](Image& i) { i.ShiftRGB(40, -30, 5); }},
  };
  return effects;
}

// A chain of effects, run row by row from the top, gives what each effect
// gives over the whole picture in turn, and leaves the noise generator where
// those runs leave it; so does a chain whose rows come a few at a time, as
// a canvas is placed.
TEST(EffectChain, RowByRowFromTheTopEqualsEachEffectInTurn) {
  const std::vector<std::vector<int>> chains = {{0}, {1}, {2}, {3}, {4}, {5}, {6}, {7},
                                                {4, 3, 5}, {0, 1, 2, 3, 4, 5, 6, 7}, {5, 4, 6}};
  const struct { std::uint32_t w, h; } sizes[] = {{1, 1}, {1, 7}, {7, 1}, {37, 23}, {16, 3}, {101, 2}, {70, 9}};
  for (const auto& indices : chains) {
    for (const auto size : sizes) {
      std::string what;
      for (int i : indices) what += std::string(Effects()[static_cast<std::size_t>(i)].name) + " ";
      what += std::to_string(size.w) + "x" + std::to_string(size.h);
      const Image picture = Pattern(size.w, size.h);
      SeedImageNoise(11);
      Image expected = picture;
      for (int i : indices) Effects()[static_cast<std::size_t>(i)].whole(expected);
      const std::uint64_t state_after = NoiseState();

      for (const std::uint32_t step : {0u, 1u, 3u}) {
        EffectChain chain;
        for (int i : indices) ASSERT_TRUE(chain.Add(Effects()[static_cast<std::size_t>(i)].row()));
        SeedImageNoise(11);
        Image out = picture;
        if (step == 0) {
          chain.Run(out);
        } else {
          chain.Start(out);
          for (std::uint32_t rows = 0; rows < size.h; rows += step) chain.Advance(rows);
          chain.Finish();
        }
        EXPECT_TRUE(chain.Finished()) << what;
        EXPECT_EQ(Pixels(out), Pixels(expected)) << what << " in steps of " << step;
        EXPECT_EQ(NoiseState(), state_after) << what;
      }
    }
  }
}

TEST(EffectChain, PlacedAgainItStartsOverAndCancelledItGivesTheNoiseBack) {
  const Image picture = Pattern(33, 12);
  SeedImageNoise(5);
  Image expected = picture;
  expected.Noise(80);
  expected.Negative();

  EffectChain chain;
  ASSERT_TRUE(chain.Add(RowEffect::Noise(80)));
  EXPECT_FALSE(chain.Add(RowEffect::Noise(10)));  // one run of the generator serves one noise
  ASSERT_TRUE(chain.Add(RowEffect::Negative()));
  SeedImageNoise(5);
  const std::uint64_t before = NoiseState();
  Image out = picture;
  chain.Start(out);
  chain.Advance(7);
  chain.Cancel();
  EXPECT_EQ(NoiseState(), before);
  chain.Advance(12);  // a cancelled chain touches nothing
  chain.Start(out);
  chain.Advance(5);
  out = picture;  // the canvas placed anew
  chain.Restart();
  chain.Finish();
  EXPECT_EQ(Pixels(out), Pixels(expected));
}

}  // namespace
}  // namespace vistelle
