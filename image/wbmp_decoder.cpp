// Wireless bitmaps (type 0): one bit a pixel, 1 white, rows padded to bytes.

#include "image/decoders_internal.h"
#include "image/image_codecs.h"

namespace vistelle {

namespace {

// A multi-byte integer: seven bits a byte, high bit set on all but the last,
// with at most four continuation bytes.
bool ReadUintvar(const std::uint8_t* data, std::size_t size, std::size_t& pos, std::uint64_t& value) {
  value = 0;
  for (int i = 0; i < 5; ++i) {
    if (pos >= size) return false;
    const std::uint8_t b = data[pos++];
    value = (value << 7) | (b & 0x7Fu);
    if ((b & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

bool ParseWbmpHeader(const std::uint8_t* data, std::size_t size, WbmpHeader& header) {
  if (data == nullptr || size < 4 || data[0] != 0 || data[1] != 0) return false;
  std::size_t pos = 2;
  std::uint64_t width = 0, height = 0;
  if (!ReadUintvar(data, size, pos, width) || !ReadUintvar(data, size, pos, height)) return false;
  if (width == 0 || height == 0) return false;
  // The file has no signature, so its size has to match the header exactly.
  const std::uint64_t row_bytes = (width + 7) / 8;
  const std::uint64_t remaining = size - pos;
  if (row_bytes > remaining || height > remaining || row_bytes * height != remaining) return false;
  header.width = width;
  header.height = height;
  header.bits_pos = pos;
  return true;
}

// Rows from the top down, only those the sink wants (every byte of the
// file was counted by the header's check).
bool DecodeWbmp(const std::uint8_t* data, std::size_t size, RowSink& sink) {
  WbmpHeader header;
  if (!ParseWbmpHeader(data, size, header) || !ImageSizeAcceptable(header.width, header.height)) return false;
  PictureShape shape;
  shape.width = static_cast<std::uint32_t>(header.width);
  shape.height = static_cast<std::uint32_t>(header.height);
  if (!sink.Begin(shape)) return false;
  const std::size_t row_bytes = (shape.width + 7) / 8;
  const RowSpan wanted = sink.Wanted();
  for (std::uint32_t r = wanted.first; r < wanted.end && r < shape.height; ++r) {
    const std::uint8_t* s = data + header.bits_pos + row_bytes * r;
    const RowMemory m = sink.Memory(r);
    std::uint8_t* d = m.bgr;
    for (std::uint32_t x = 0; x < shape.width; ++x, d += 3) {
      const std::uint8_t level = ((s[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
      d[0] = d[1] = d[2] = level;
    }
    sink.Put(r, {m.bgr, nullptr, false});
  }
  return true;
}

}  // namespace vistelle
