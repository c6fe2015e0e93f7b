#include "render/preview_image.h"

#include <algorithm>
#include <vector>

namespace vistelle {

bool MakePreviewImage(const Image& source, std::uint32_t width, std::uint32_t height, Image& out) {
  out.Clear();
  if (!source.IsValid() || width == 0 || height == 0) return false;
  const std::uint32_t sw = source.GetWidth();
  const std::uint32_t sh = source.GetHeight();
  if (sw < width || sh < height) {
    // Small in at least one direction: rare, and cheap to copy.
    Image copy(source);
    return copy.Resample(width, height, 2, &out) && out.IsValid();
  }
  if (!out.Create(width, height)) return false;

  // Which preview column each source column falls into, and how many
  // source pixels make up each preview pixel of a row.
  std::vector<std::uint32_t> column_of(sw);
  std::vector<std::uint32_t> columns_in(width, 0);
  for (std::uint32_t x = 0; x < sw; ++x) {
    column_of[x] = static_cast<std::uint32_t>(static_cast<std::uint64_t>(x) * width / sw);
    ++columns_in[column_of[x]];
  }
  // Sums of one preview row; at most 32767 x 32767 source pixels of 255
  // each fall into one preview pixel, which fits 64 bits easily.
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 3);
  std::uint32_t y = 0;
  for (std::uint32_t out_y = 0; out_y < height; ++out_y) {
    std::fill(sums.begin(), sums.end(), 0);
    const std::uint32_t y_end = static_cast<std::uint32_t>((static_cast<std::uint64_t>(out_y) + 1) * sh / height);
    const std::uint32_t rows = y_end - y;
    for (; y < y_end; ++y) {
      const std::uint8_t* in = source.Row(y);
      for (std::uint32_t x = 0; x < sw; ++x, in += 3) {
        std::uint64_t* sum = &sums[static_cast<std::size_t>(column_of[x]) * 3];
        sum[0] += in[0];
        sum[1] += in[1];
        sum[2] += in[2];
      }
    }
    std::uint8_t* row = out.Row(out_y);
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint64_t count = static_cast<std::uint64_t>(columns_in[x]) * rows;
      for (int c = 0; c < 3; ++c)
        row[x * 3 + c] = static_cast<std::uint8_t>((sums[static_cast<std::size_t>(x) * 3 + c] + count / 2) / count);
    }
  }
  return true;
}

}  // namespace vistelle
