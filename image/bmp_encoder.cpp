#include <cstring>

#include "image/bmp_header.h"
#include "image/image_codecs.h"

namespace vistelle {

namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v & 0xFFFF);
  Put16(p + 2, v >> 16);
}

}  // namespace

std::array<std::uint8_t, kBmpHeaderSize> BmpHeader24(const Image& image) {
  std::array<std::uint8_t, kBmpHeaderSize> h{};
  const std::uint64_t pixel_bytes = static_cast<std::uint64_t>(image.Stride()) * image.GetHeight();
  h[0] = 'B';
  h[1] = 'M';
  // Sizes beyond 4 GiB cannot occur: the image layer's pixel limit keeps a
  // 24-bit picture under 1 GiB.
  Put32(&h[2], static_cast<std::uint32_t>(kBmpHeaderSize + pixel_bytes));
  Put32(&h[10], kBmpHeaderSize);           // offset of the pixels
  Put32(&h[14], 40);                       // BITMAPINFOHEADER
  Put32(&h[18], image.GetWidth());
  Put32(&h[22], image.GetHeight());        // positive: bottom-up rows
  Put16(&h[26], 1);                        // planes
  Put16(&h[28], 24);                       // bits per pixel
  Put32(&h[30], 0);                        // BI_RGB
  Put32(&h[34], static_cast<std::uint32_t>(pixel_bytes));
  Put32(&h[38], 2835);                     // 72 dpi
  Put32(&h[42], 2835);
  return h;
}

std::vector<std::uint8_t> EncodeBmp24(const Image& image) {
  if (!image.IsValid()) return {};
  const auto header = BmpHeader24(image);
  const std::size_t pixel_bytes = image.Stride() * image.GetHeight();
  std::vector<std::uint8_t> out(kBmpHeaderSize + pixel_bytes);
  std::memcpy(out.data(), header.data(), kBmpHeaderSize);
  // The image keeps its rows bottom-up with 4-byte padding, exactly as a
  // BMP file stores them.
  std::memcpy(out.data() + kBmpHeaderSize, image.Bits(), pixel_bytes);
  return out;
}

}  // namespace vistelle
