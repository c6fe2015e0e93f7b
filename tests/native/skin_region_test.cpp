// The row runs that make a skinned window's outline.
#include <vector>

#include <gtest/gtest.h>

#include "image/image.h"
#include "skin/region_runs.h"

namespace vistelle {
namespace {

constexpr ColorRef kWhite = MakeColorRef(255, 255, 255);
constexpr ColorRef kDark = MakeColorRef(20, 30, 40);

// A picture given as rows of characters, top row first: '#' dark, '.' white.
Image Mask(const std::vector<std::string>& rows) {
  Image img;
  img.Create(static_cast<std::uint32_t>(rows[0].size()), static_cast<std::uint32_t>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t x = 0; x < rows[r].size(); ++x)
      img.SetPixelColor(static_cast<std::int64_t>(x), static_cast<std::int64_t>(rows.size() - 1 - r),
                        rows[r][x] == '.' ? kWhite : kDark);
  return img;
}

using Rects = std::vector<RegionRect>;

TEST(RegionRuns, RowWithTwoHoles) {
  // First and fourth of five pixels white: (1,y,3,y+1) and (4,y,5,y+1).
  EXPECT_EQ(RegionRunsOf(Mask({"#####", ".##.#"}), kWhite, 0),
            (Rects{{0, 0, 5, 1}, {1, 1, 3, 2}, {4, 1, 5, 2}}));
}

TEST(RegionRuns, NoWhiteGivesFullRowsAndAllWhiteGivesNothing) {
  EXPECT_EQ(RegionRunsOf(Mask({"###", "###"}), kWhite, 0), (Rects{{0, 0, 3, 1}, {0, 1, 3, 2}}));
  EXPECT_TRUE(RegionRunsOf(Mask({"...", "..."}), kWhite, 0).empty());
  EXPECT_TRUE(RegionRunsOf(Image(), kWhite, 0).empty());
}

TEST(RegionRuns, NearlyWhiteStaysWithoutTolerance) {
  Image img = Mask({"..."});
  img.SetPixelColor(1, 0, MakeColorRef(254, 255, 255));
  EXPECT_EQ(RegionRunsOf(img, kWhite, 0), (Rects{{1, 0, 2, 1}}));
  // The key's blue byte meets the pixel's red: a key of (255, 255, 254)
  // with a tolerance of 1 in blue takes the pixel in, (254, 255, 255) with 1
  // in red does not. A byte's range stops at 255.
  EXPECT_TRUE(RegionRunsOf(img, MakeColorRef(255, 255, 254), MakeColorRef(0, 0, 1)).empty());
  EXPECT_EQ(RegionRunsOf(img, MakeColorRef(254, 255, 255), MakeColorRef(1, 0, 0)), (Rects{{1, 0, 2, 1}}));
  EXPECT_TRUE(RegionRunsOf(img, MakeColorRef(254, 250, 250), MakeColorRef(200, 200, 200)).empty());
}

TEST(RegionRuns, KeyBytesMeetStoredBytesInOrder) {
  // The key's lowest byte (red) is held against the first stored byte
  // (blue): a key of pure red cuts out pure blue pixels, not red ones.
  Image img;
  img.Create(3, 1);
  img.SetPixelColor(0, 0, MakeColorRef(255, 0, 0));
  img.SetPixelColor(1, 0, MakeColorRef(0, 0, 255));
  img.SetPixelColor(2, 0, MakeColorRef(255, 0, 0));
  EXPECT_EQ(RegionRunsOf(img, MakeColorRef(255, 0, 0), 0), (Rects{{0, 0, 1, 1}, {2, 0, 3, 1}}));
}

TEST(RegionRuns, ThirtyTwoBitBottomUpRows) {
  // Two rows of 32-bit pixels stored bottom-up, with padding in the 4th byte
  // that must not count.
  const std::uint8_t bits[] = {
      // bottom row: dark, white, dark
      1, 2, 3, 0xAA, 255, 255, 255, 0x00, 1, 2, 3, 0xAA,
      // top row: white, white, dark
      255, 255, 255, 7, 255, 255, 255, 9, 9, 9, 9, 9,
  };
  Rects out;
  CollectRegionRuns(bits + 12, 3, 2, -12, 4, kWhite, 0, out);
  EXPECT_EQ(out, (Rects{{2, 0, 3, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}}));
  out.clear();
  CollectRegionRuns(bits, 3, 2, 12, 5, kWhite, 0, out);  // unknown depth: nothing
  EXPECT_TRUE(out.empty());
}

TEST(RegionRuns, BoundOfRects) {
  const Rects r{{4, 1, 9, 2}, {2, 3, 5, 4}};
  EXPECT_EQ(RegionBound(r.data(), r.size()), (RegionRect{2, 1, 9, 4}));
  EXPECT_EQ(RegionBound(nullptr, 0), (RegionRect{2147483647, 2147483647, 0, 0}));
}

}  // namespace
}  // namespace vistelle
