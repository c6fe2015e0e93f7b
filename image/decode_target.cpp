#include "image/decode_target.h"

namespace vistelle {

int DecodeEighths(std::uint32_t width, std::uint32_t height, const DecodeTarget& target, bool quarter_turn) {
  if (!target.Any() || width == 0 || height == 0) return 8;
  // The box as the picture lies before it is turned.
  const std::uint64_t box_w = quarter_turn ? target.height : target.width;
  const std::uint64_t box_h = quarter_turn ? target.width : target.height;
  for (int eighths = 1; eighths < 8; eighths *= 2) {
    // At k/8 the picture is w*k/8 x h*k/8 (rounded up). Scaling by
    // s = max(W/w, H/h) (cover) or min(...) (fit) needs k/8 >= s.
    const bool wide_enough = static_cast<std::uint64_t>(width) * eighths >= 8 * box_w;
    const bool high_enough = static_cast<std::uint64_t>(height) * eighths >= 8 * box_h;
    if (target.cover ? (wide_enough && high_enough) : (wide_enough || high_enough)) return eighths;
  }
  return 8;
}

}  // namespace vistelle
