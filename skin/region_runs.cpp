#include "skin/region_runs.h"

#include <algorithm>
#include <climits>

namespace vistelle {

void CollectRegionRuns(const std::uint8_t* top_row, int width, int height, std::ptrdiff_t stride,
                       int bytes_per_pixel, ColorRef key, ColorRef tolerance,
                       std::vector<RegionRect>& out) {
  if (top_row == nullptr || width <= 0 || height <= 0 || (bytes_per_pixel != 3 && bytes_per_pixel != 4))
    return;
  // Byte i of the key and tolerance goes with stored byte i of a pixel.
  std::uint8_t low[3];
  std::uint8_t high[3];
  for (int i = 0; i < 3; ++i) {
    const int k = static_cast<int>((key >> (8 * i)) & 0xFF);
    const int t = static_cast<int>((tolerance >> (8 * i)) & 0xFF);
    low[i] = static_cast<std::uint8_t>(k);
    high[i] = static_cast<std::uint8_t>(std::min(k + t, 255));
  }
  const std::size_t step = static_cast<std::size_t>(bytes_per_pixel);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = top_row + static_cast<std::ptrdiff_t>(y) * stride;
    int x = 0;
    while (x < width) {
      const int x0 = x;
      while (x < width) {
        const std::uint8_t* px = p + static_cast<std::size_t>(x) * step;
        const bool is_key = px[0] >= low[0] && px[0] <= high[0] && px[1] >= low[1] && px[1] <= high[1] &&
                            px[2] >= low[2] && px[2] <= high[2];
        if (is_key) break;
        ++x;
      }
      if (x > x0) out.push_back(RegionRect{x0, y, x, y + 1});
      ++x;  // past the key pixel that ended the run
    }
  }
}

std::vector<RegionRect> RegionRunsOf(const Image& mask, ColorRef key, ColorRef tolerance) {
  std::vector<RegionRect> runs;
  if (!mask.IsValid()) return runs;
  const int w = static_cast<int>(mask.GetWidth());
  const int h = static_cast<int>(mask.GetHeight());
  const std::ptrdiff_t stride = -static_cast<std::ptrdiff_t>(mask.Stride());
  CollectRegionRuns(mask.Row(mask.GetHeight() - 1), w, h, stride, 3, key, tolerance, runs);
  return runs;
}

RegionRect RegionBound(const RegionRect* rects, std::size_t count) {
  RegionRect b{INT_MAX, INT_MAX, 0, 0};
  for (std::size_t i = 0; i < count; ++i) {
    b.left = std::min(b.left, rects[i].left);
    b.top = std::min(b.top, rects[i].top);
    b.right = std::max(b.right, rects[i].right);
    b.bottom = std::max(b.bottom, rects[i].bottom);
  }
  return b;
}

}  // namespace vistelle
