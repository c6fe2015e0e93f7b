#include "skin/skin_scale.h"

#include <algorithm>
#include <climits>
#include <cstdint>

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

}  // namespace vistelle
