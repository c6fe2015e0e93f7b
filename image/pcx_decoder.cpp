// ZSoft PCX: monochrome, planar EGA, 256-colour and 24-bit pictures, all
// run-length compressed.

#include <array>
#include <vector>

#include "image/byte_reader.h"
#include "image/decoders_internal.h"
#include "image/image_codecs.h"

namespace vistelle {

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kVgaPaletteSize = 769;  // 0x0C marker and 256 RGB entries

struct PcxHeader {
  std::uint32_t version = 0;
  std::uint32_t bpp = 0;
  std::uint32_t planes = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bytes_per_line = 0;
};

bool ParseHeader(const std::uint8_t* data, std::size_t size, PcxHeader& h) {
  if (data == nullptr || size <= kHeaderSize || data[0] != 0x0A || data[2] != 1) return false;
  h.version = data[1];
  if (h.version != 0 && h.version != 2 && h.version != 3 && h.version != 4 && h.version != 5) return false;
  h.bpp = data[3];
  h.planes = data[65];
  const std::uint32_t xmin = bytes::Le16(data + 4), ymin = bytes::Le16(data + 6);
  const std::uint32_t xmax = bytes::Le16(data + 8), ymax = bytes::Le16(data + 10);
  if (xmax < xmin || ymax < ymin) return false;
  h.width = xmax - xmin + 1;
  h.height = ymax - ymin + 1;
  h.bytes_per_line = bytes::Le16(data + 66);
  const bool supported = (h.bpp == 1 && h.planes >= 1 && h.planes <= 4) ||
                         ((h.bpp == 2 || h.bpp == 4) && h.planes == 1) ||
                         (h.bpp == 8 && (h.planes == 1 || h.planes == 3));
  if (!supported) return false;
  const std::uint64_t needed = (static_cast<std::uint64_t>(h.width) * h.bpp + 7) / 8;
  return h.bytes_per_line >= needed;
}

}  // namespace

bool PcxHeaderSane(const std::uint8_t* data, std::size_t size) {
  PcxHeader h;
  return ParseHeader(data, size, h);
}

// Lines come from the top down, each to the sink as soon as it is expanded
// (the runs carry on from line to line, so every line is expanded).
bool DecodePcx(const std::uint8_t* data, std::size_t size, RowSink& sink) {
  PcxHeader h;
  if (!ParseHeader(data, size, h) || !ImageSizeAcceptable(h.width, h.height)) return false;

  std::array<Rgba, 256> palette{};
  std::size_t end = size;
  if (h.bpp == 8 && h.planes == 1) {
    const bool has_vga = size >= kHeaderSize + kVgaPaletteSize && data[size - kVgaPaletteSize] == 0x0C;
    if (has_vga) {
      end = size - kVgaPaletteSize;
      const std::uint8_t* p = data + end + 1;
      for (auto& c : palette) {
        c = Rgba{p[2], p[1], p[0], 255};
        p += 3;
      }
    } else if (h.version >= 5) {
      return false;  // the palette belongs at the end of such a file
    } else {
      for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        palette[i] = Rgba{level, level, level, 255};
      }
    }
  } else {
    const std::uint8_t* p = data + 16;  // 16 entries in the header
    for (int i = 0; i < 16; ++i, p += 3) palette[i] = Rgba{p[2], p[1], p[0], 255};
    if (h.bpp == 1 && h.planes == 1) {
      // Monochrome files often leave the header palette empty.
      const Rgba& a = palette[0];
      const Rgba& b = palette[1];
      if (a.red == b.red && a.green == b.green && a.blue == b.blue) {
        palette[0] = Rgba{0, 0, 0, 255};
        palette[1] = Rgba{255, 255, 255, 255};
      }
    }
  }

  const std::size_t bpl = h.bytes_per_line;
  const std::size_t line_bytes = bpl * h.planes;
  // One two-byte run expands to at most 63 bytes: a header promising more
  // than the file can hold is refused before allocating.
  const std::uint64_t decoded_total = static_cast<std::uint64_t>(line_bytes) * h.height;
  if (decoded_total / 32 > end - kHeaderSize) return false;

  PictureShape shape;
  shape.width = h.width;
  shape.height = h.height;
  if (!sink.Begin(shape)) return false;
  const RowSpan wanted = sink.Wanted();
  std::vector<std::uint8_t> line(line_bytes);
  std::size_t pos = kHeaderSize;
  std::uint32_t run = 0;
  std::uint8_t run_value = 0;
  for (std::uint32_t r = 0; r < h.height; ++r) {
    // Runs may carry on from one line into the next.
    for (std::size_t i = 0; i < line_bytes;) {
      if (run > 0) {
        line[i++] = run_value;
        --run;
        continue;
      }
      if (pos >= end) return false;
      const std::uint8_t b = data[pos++];
      if ((b & 0xC0) == 0xC0) {
        if (pos >= end) return false;
        run = b & 0x3Fu;
        run_value = data[pos++];
      } else {
        line[i++] = b;
      }
    }

    if (!wanted.Has(r)) continue;
    const RowMemory m = sink.Memory(r);
    std::uint8_t* d = m.bgr;
    const std::uint8_t* s = line.data();
    if (h.bpp == 8 && h.planes == 3) {
      for (std::uint32_t x = 0; x < h.width; ++x, d += 3) {
        d[0] = s[2 * bpl + x];
        d[1] = s[bpl + x];
        d[2] = s[x];
      }
    } else if (h.bpp == 8) {
      for (std::uint32_t x = 0; x < h.width; ++x, d += 3) {
        const Rgba& c = palette[s[x]];
        d[0] = c.blue;
        d[1] = c.green;
        d[2] = c.red;
      }
    } else if (h.bpp == 1) {
      // One bit of the colour index in each plane.
      for (std::uint32_t x = 0; x < h.width; ++x, d += 3) {
        unsigned index = 0;
        for (std::uint32_t p = 0; p < h.planes; ++p)
          index |= ((s[p * bpl + (x >> 3)] >> (7 - (x & 7))) & 1u) << p;
        const Rgba& c = palette[index];
        d[0] = c.blue;
        d[1] = c.green;
        d[2] = c.red;
      }
    } else {  // 2 or 4 bits packed
      const unsigned mask = (1u << h.bpp) - 1;
      for (std::uint32_t x = 0; x < h.width; ++x, d += 3) {
        const std::size_t bit = static_cast<std::size_t>(x) * h.bpp;
        const unsigned index = (s[bit >> 3] >> (8 - h.bpp - (bit & 7))) & mask;
        const Rgba& c = palette[index];
        d[0] = c.blue;
        d[1] = c.green;
        d[2] = c.red;
      }
    }
    sink.Put(r, {m.bgr, nullptr, false});
  }
  return true;
}

}  // namespace vistelle
