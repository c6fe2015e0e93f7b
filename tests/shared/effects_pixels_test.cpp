// The image effects give the same pixels in every build: each effect's
// result on a fixed picture must have the checksum recorded here, natively
// and under Windows alike.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/effects.h"

namespace vistelle {
namespace {

// Odd size (padded rows), every channel varying on its own, with smooth
// parts, hard edges and a few saturated pixels.
Image Fixture() {
  Image img;
  img.Create(97, 61);
  for (std::uint32_t y = 0; y < 61; ++y)
    for (std::uint32_t x = 0; x < 97; ++x) {
      int r = (x * 255) / 96, g = (y * 255) / 60, b = ((x / 8 + y / 8) & 1) ? 220 : 30;
      if ((x * 7 + y * 13) % 29 == 0) r = g = b = 255;
      img.SetPixelColor(x, y, MakeColorRef(r, g, b));
    }
  return img;
}

std::uint64_t Checksum(const Image& img) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::uint32_t y = 0; y < img.GetHeight(); ++y) {
    const std::uint8_t* p = img.Row(y);
    for (std::size_t i = 0; i < static_cast<std::size_t>(img.GetWidth()) * 3; ++i) {
      h ^= p[i];
      h *= 1099511628211ull;
    }
  }
  return h;
}

TEST(EffectsPixels, EveryBuildGivesTheSamePixels) {
  const TEffects fx;
  struct Case {
    const char* name;
    std::function<void(Image&)> apply;
    std::uint64_t expected;
  };
  const std::vector<Case> cases = {
      {"smart blur", [&](Image& i) { fx.ApplySmartBlur(i); }, 0xd5b5c00b973ac3aaull},
      {"negative", [&](Image& i) { fx.ApplyNegative(i); }, 0x70d94ee0ddad56ddull},
      {"gray", [&](Image& i) { fx.ApplyGray(i); }, 0x8d7199b18d363eb8ull},
      {"pseudocolours", [&](Image& i) { fx.ApplyPseudocolors(i); }, 0x1d87f8931c8926b4ull},
      {"noise", [&](Image& i) {
         SeedImageNoise(2008);
         fx.ApplyNoise(i, 25);
       }, 0x5d5651ad62183e4dull},
      {"sharpen", [&](Image& i) { fx.ApplySharpen(i); }, 0x9ef93aef55e35476ull},
      {"blur", [&](Image& i) { fx.ApplyBlur(i); }, 0x576682990c3c9c3cull},
      {"contrast", [&](Image& i) { fx.ApplyContrast(i, 37); }, 0xc1afe055f1eb9b99ull},
      {"contrast down", [&](Image& i) { fx.ApplyContrast(i, -63); }, 0xa1dee9d31b9db5afull},
      {"brightness", [&](Image& i) { fx.ApplyLighten(i, -41); }, 0x6672f5ebfbeb1620ull},
      {"colorize", [&](Image& i) { fx.ApplyColorize(i, TEffects::PackColorize(255, 212, 36)); }, 0x73e68f90590e6e21ull},
      {"mix", [&](Image& i) {
         Image top = Fixture();
         top.Negative();
         top.AlphaCreate();
         top.AlphaSet(130);
         i.Mix(top, Image::kMixBlend, -11, 7, true);
       }, 0x79c8be6a481bd4afull},
  };
  for (const Case& c : cases) {
    Image img = Fixture();
    c.apply(img);
    EXPECT_EQ(Checksum(img), c.expected) << c.name << ": 0x" << std::hex << Checksum(img);
  }
}

}  // namespace
}  // namespace vistelle
