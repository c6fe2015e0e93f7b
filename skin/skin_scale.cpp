#include "skin/skin_scale.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "image/resample.h"

namespace vistelle {

int ScaleOfDpi(int dpi) {
  if (dpi <= 0) dpi = 96;
  return std::max(25, static_cast<int>((static_cast<std::int64_t>(dpi) * 100 + 48) / 96));
}

int ArtScaleFor(int scale, const std::vector<int>& drawn) {
  int best = 0, largest = 0;
  for (int s : drawn) {
    largest = std::max(largest, s);
    if (s >= scale && (best == 0 || s < best)) best = s;
  }
  if (best != 0) return best;
  return largest != 0 ? largest : 100;
}

int ScaledLength(int value, int scale) {
  const std::int64_t p = static_cast<std::int64_t>(value) * scale;
  const std::int64_t r = p >= 0 ? (p + 50) / 100 : -((-p + 50) / 100);
  return static_cast<int>(std::clamp<std::int64_t>(r, INT_MIN, INT_MAX));
}

SkinRect ScaledRect(const SkinRect& r, int scale) {
  const auto end = [](int from, int length) {
    return static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(from) + length, INT_MIN, INT_MAX));
  };
  SkinRect s;
  s.x = ScaledLength(r.x, scale);
  s.y = ScaledLength(r.y, scale);
  s.width = ScaledLength(end(r.x, r.width), scale) - s.x;
  s.height = ScaledLength(end(r.y, r.height), scale) - s.y;
  return s;
}

bool ScaleSkinPicture(const Image& from, std::uint32_t width, std::uint32_t height, bool hard_edges, Image& to) {
  if (!from.IsValid() || width == 0 || height == 0) return false;
  const std::uint32_t w = from.GetWidth(), h = from.GetHeight();
  Image scaled;
  if (!scaled.CreateUninitialised(width, height)) return false;
  if (!hard_edges) {
    // Rows are stored bottom-up in both, which the resampler does not mind.
    const ConstPixelRows src{from.Row(0), static_cast<std::ptrdiff_t>(from.Stride())};
    const PixelRows dst{scaled.Row(0), static_cast<std::ptrdiff_t>(scaled.Stride())};
    if (!ResampleBgr(src, ResampleAxis{w, width, 0, width}, ResampleAxis{h, height, 0, height}, dst)) return false;
  } else {
    // The source pixel under each output pixel's centre.
    std::vector<std::uint32_t> columns(width);
    for (std::uint32_t x = 0; x < width; ++x)
      columns[x] = static_cast<std::uint32_t>((2ull * x + 1) * w / (2ull * width));
    for (std::uint32_t y = 0; y < height; ++y) {
      const std::uint8_t* row = from.Row(static_cast<std::uint32_t>((2ull * y + 1) * h / (2ull * height)));
      std::uint8_t* out = scaled.Row(y);
      for (std::uint32_t x = 0; x < width; ++x) std::memcpy(out + 3ull * x, row + 3ull * columns[x], 3);
    }
  }
  to.Swap(scaled);
  return true;
}

}  // namespace vistelle
