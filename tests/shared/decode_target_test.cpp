// Decoding for a target size, in both builds: a JPEG may come out smaller
// than in full (natively it does, by eighths), but never smaller than the
// target scales it to, and still upright and in its colours.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "image/decode_target.h"
#include "image/image.h"

namespace vistelle {
namespace {

std::string Fixture(const char* name) { return std::string(VISTELLE_SOURCE_DIR) + "/tests/data/" + name; }

// Near the colour, as a JPEG keeps it.
bool Near(const Image& image, double fx, double fy, ColorRef colour) {
  const Rgba c = image.GetPixelColor(static_cast<std::int64_t>(fx * image.GetWidth()),
                                     static_cast<std::int64_t>(fy * image.GetHeight()));
  auto close = [](int a, int b) { return a - b <= 16 && b - a <= 16; };
  return close(c.red, ColorRefRed(colour)) && close(c.green, ColorRefGreen(colour)) &&
         close(c.blue, ColorRefBlue(colour));
}

TEST(DecodeTarget, AJpegIsDecodedNoSmallerThanItWillBeShown) {
  struct Case {
    const char* file;
    DecodeTarget target;
    std::uint32_t least_w, least_h;  // what the target scales the picture to
    std::uint32_t native_w, native_h;  // the eighths the native decoder takes
  };
  const Case cases[] = {
      {"quadrants_640x400.jpg", {}, 640, 400, 640, 400},
      {"quadrants_640x400.jpg", {160, 100, true}, 160, 100, 160, 100},    // exactly a quarter
      {"quadrants_640x400.jpg", {161, 80, true}, 161, 101, 320, 200},     // 2/8 is too small
      {"quadrants_640x400.jpg", {100, 100, false}, 100, 63, 160, 100},    // fit: the width decides
      {"quadrants_640x400.jpg", {2000, 1000, true}, 1600, 1000, 640, 400},  // enlarged: in full
      // Shown turned by a quarter: 400 x 640.
      {"quadrants_640x400_turned.jpg", {100, 160, true}, 100, 160, 100, 160},
  };
  for (const Case& c : cases) {
    Image image;
    ASSERT_TRUE(image.Load(Fixture(c.file), c.target)) << c.file;
    const bool turned = std::string(c.file).find("turned") != std::string::npos;
    const std::uint32_t full_w = turned ? 400 : 640, full_h = turned ? 640 : 400;
    EXPECT_GE(image.GetWidth(), std::min(c.least_w, full_w)) << c.target.width << "x" << c.target.height;
    EXPECT_GE(image.GetHeight(), std::min(c.least_h, full_h)) << c.target.width << "x" << c.target.height;
    EXPECT_LE(image.GetWidth(), full_w);
    EXPECT_LE(image.GetHeight(), full_h);
#ifndef _WIN32
    EXPECT_EQ(image.GetWidth(), c.native_w) << c.target.width << "x" << c.target.height;
    EXPECT_EQ(image.GetHeight(), c.native_h) << c.target.width << "x" << c.target.height;
#endif
    // Red top left, green top right, blue bottom left, yellow bottom right
    // (rows count from the bottom); turned a quarter clockwise when shown.
    const ColorRef red = MakeColorRef(0xd0, 0x20, 0x20), green = MakeColorRef(0x20, 0xa0, 0x20);
    const ColorRef blue = MakeColorRef(0x20, 0x40, 0xd0), yellow = MakeColorRef(0xe0, 0xc0, 0x20);
    if (!turned) {
      EXPECT_TRUE(Near(image, 0.25, 0.75, red));
      EXPECT_TRUE(Near(image, 0.75, 0.75, green));
      EXPECT_TRUE(Near(image, 0.25, 0.25, blue));
      EXPECT_TRUE(Near(image, 0.75, 0.25, yellow));
    } else {
      EXPECT_TRUE(Near(image, 0.75, 0.75, red));
      EXPECT_TRUE(Near(image, 0.75, 0.25, green));
      EXPECT_TRUE(Near(image, 0.25, 0.75, blue));
      EXPECT_TRUE(Near(image, 0.25, 0.25, yellow));
    }
  }
}

TEST(DecodeTarget, OtherFormatsAreDecodedInFull) {
  Image image;
  ASSERT_TRUE(image.Load(Fixture("ref_rgba.png"), DecodeTarget{1, 1, true}));
  Image full;
  ASSERT_TRUE(full.Load(Fixture("ref_rgba.png")));
  EXPECT_EQ(image.GetWidth(), full.GetWidth());
  EXPECT_EQ(image.GetHeight(), full.GetHeight());
}

}  // namespace
}  // namespace vistelle
