// The outline of a skinned window from its mask picture: every run of
// pixels in a row that are not of the key colour becomes a rectangle one
// pixel high; the window's region is the union of these rectangles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image.h"

namespace vistelle {

// Same layout as the Windows RECT: right and bottom are exclusive.
struct RegionRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

inline bool operator==(const RegionRect& a, const RegionRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// No region call is given more rectangles than this at once.
constexpr std::size_t kRegionBatchSize = 2000;

// The runs of non-key pixels of a picture in memory, top row first, left to
// right, appended to out. top_row points at the first byte of the picture's
// top row; stride is the distance in bytes from one row to the next one
// below it (negative for pictures stored bottom-up); bytes_per_pixel is 3 or
// 4, the first three bytes of a pixel being blue, green and red.
//
// A pixel is a key pixel when each of its first three bytes lies within
// [k, min(k + t, 255)] of the key's and tolerance's bytes taken in the
// colour reference's order (red, green, blue). As a colour reference keeps
// red in its lowest byte while a pixel stores blue first, the key's red is
// held against the pixel's blue and the key's blue against its red; for a
// grey key such as white that makes no difference.
void CollectRegionRuns(const std::uint8_t* top_row, int width, int height, std::ptrdiff_t stride,
                       int bytes_per_pixel, ColorRef key, ColorRef tolerance,
                       std::vector<RegionRect>& out);

// The same for a picture of the image layer (24-bit, stored bottom-up).
std::vector<RegionRect> RegionRunsOf(const Image& mask, ColorRef key, ColorRef tolerance);

// The smallest rectangle holding all of rects[first, first + count); for no
// rectangles the empty bound (2147483647, 2147483647, 0, 0).
RegionRect RegionBound(const RegionRect* rects, std::size_t count);

}  // namespace vistelle
