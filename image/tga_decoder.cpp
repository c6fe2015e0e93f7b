// Truevision TGA: colour-mapped, true-colour and grey pictures, plain or
// run-length compressed.

#include <algorithm>
#include <vector>

#include "image/byte_reader.h"
#include "image/decoders_internal.h"
#include "image/image_codecs.h"

namespace vistelle {

namespace {

constexpr std::size_t kHeaderSize = 18;

struct TgaHeader {
  std::uint32_t id_length = 0;
  std::uint32_t map_type = 0;
  std::uint32_t image_type = 0;
  std::uint32_t map_first = 0;
  std::uint32_t map_length = 0;
  std::uint32_t map_bits = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bpp = 0;
  std::uint32_t descriptor = 0;
  std::uint64_t map_pos = 0;
  std::uint64_t pixels_pos = 0;
};

bool MapBitsValid(std::uint32_t bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

bool ParseHeader(const std::uint8_t* data, std::size_t size, TgaHeader& h) {
  if (data == nullptr || size < kHeaderSize) return false;
  h.id_length = data[0];
  h.map_type = data[1];
  h.image_type = data[2];
  h.map_first = bytes::Le16(data + 3);
  h.map_length = bytes::Le16(data + 5);
  h.map_bits = data[7];
  h.width = bytes::Le16(data + 12);
  h.height = bytes::Le16(data + 14);
  h.bpp = data[16];
  h.descriptor = data[17];

  if (h.map_type > 1 || h.width == 0 || h.height == 0 || (h.descriptor & 0xC0) != 0) return false;
  switch (h.image_type) {
    case 1:
    case 9:
      if (h.map_type != 1 || h.map_length == 0 || (h.bpp != 8 && h.bpp != 16)) return false;
      break;
    case 2:
    case 10:
      if (h.bpp != 15 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32) return false;
      break;
    case 3:
    case 11:
      if (h.bpp != 8 && h.bpp != 16) return false;
      break;
    default:
      return false;
  }
  if (h.map_type == 1) {
    if (!MapBitsValid(h.map_bits)) return false;
  } else if (h.map_first != 0 || h.map_length != 0 || (h.map_bits != 0 && !MapBitsValid(h.map_bits))) {
    return false;
  }
  h.map_pos = kHeaderSize + h.id_length;
  const std::uint64_t map_bytes = h.map_type == 1 ? static_cast<std::uint64_t>(h.map_length) * ((h.map_bits + 7) / 8) : 0;
  h.pixels_pos = h.map_pos + map_bytes;
  return h.pixels_pos < size;
}

// A 15/16/24/32-bit little-endian colour; 16-bit ones are taken as opaque,
// since few writers set their attribute bit meaningfully.
Rgba ReadColor(const std::uint8_t* p, std::uint32_t bits) {
  Rgba c;
  c.alpha = 255;
  if (bits == 15 || bits == 16) {
    const std::uint32_t v = bytes::Le16(p);
    const std::uint32_t b = v & 0x1F, g = (v >> 5) & 0x1F, r = (v >> 10) & 0x1F;
    c.blue = static_cast<std::uint8_t>((b << 3) | (b >> 2));
    c.green = static_cast<std::uint8_t>((g << 3) | (g >> 2));
    c.red = static_cast<std::uint8_t>((r << 3) | (r >> 2));
  } else {
    c.blue = p[0];
    c.green = p[1];
    c.red = p[2];
    if (bits == 32) c.alpha = p[3];
  }
  return c;
}

}  // namespace

bool TgaHeaderSane(const std::uint8_t* data, std::size_t size) {
  TgaHeader h;
  return ParseHeader(data, size, h);
}

// Pixels come in file order, and each row goes to the sink as soon as it is
// complete; stored pixels are read only for the rows the sink wants, run
// lengths are followed to the end of the picture whatever it wants.
bool DecodeTga(const std::uint8_t* data, std::size_t size, RowSink& sink) {
  TgaHeader h;
  if (!ParseHeader(data, size, h) || !ImageSizeAcceptable(h.width, h.height)) return false;
  const std::uint32_t base_type = h.image_type & 7;
  const bool rle = h.image_type >= 9;
  const std::uint32_t pixel_bytes = (h.bpp + 7) / 8;
  const std::uint64_t total = static_cast<std::uint64_t>(h.width) * h.height;
  const std::uint64_t available = size - h.pixels_pos;
  // Enough data for every pixel must be there before allocating: stored
  // pixels one by one, or packets of at most 128.
  if (!rle && total * pixel_bytes > available) return false;
  if (rle && (total + 127) / 128 > available / (1 + pixel_bytes)) return false;

  std::vector<Rgba> palette;
  bool alpha_source = (base_type == 2 && h.bpp == 32) || (base_type == 3 && h.bpp == 16);
  if (base_type == 1) {
    const std::uint32_t entry_bytes = (h.map_bits + 7) / 8;
    palette.resize(h.map_length);
    const std::uint8_t* p = data + h.map_pos;
    for (std::uint32_t i = 0; i < h.map_length; ++i, p += entry_bytes) palette[i] = ReadColor(p, h.map_bits);
    alpha_source = h.map_bits == 32;
  }

  const bool top_down = (h.descriptor & 0x20) != 0;
  const bool right_to_left = (h.descriptor & 0x10) != 0;
  const std::uint32_t width = h.width;

  auto read_pixel = [&](const std::uint8_t* p) -> Rgba {
    switch (base_type) {
      case 1: {
        const std::uint32_t index = h.bpp == 8 ? p[0] : bytes::Le16(p);
        if (index < h.map_first || index - h.map_first >= palette.size()) return Rgba{0, 0, 0, 255};
        return palette[index - h.map_first];
      }
      case 3: {
        Rgba c{p[0], p[0], p[0], 255};
        if (h.bpp == 16) c.alpha = p[1];
        return c;
      }
      default:
        return ReadColor(p, h.bpp);
    }
  };

  // Hands the pixels to visit(p, count, run) in file order: count pixels
  // stored from p or, for a run, the one at p count times; stops when visit
  // answers false. False when the data ends before the picture does.
  const auto walk = [&](auto&& visit) {
    std::size_t pos = static_cast<std::size_t>(h.pixels_pos);
    if (!rle) {
      visit(data + pos, total, false);
      return true;
    }
    for (std::uint64_t done = 0; done < total;) {
      if (pos >= size) return false;
      const std::uint8_t packet = data[pos++];
      std::uint64_t count = (packet & 0x7Fu) + 1;
      // A packet running past the picture is cut at its end.
      if (count > total - done) count = total - done;
      const bool run = (packet & 0x80) != 0;
      const std::uint64_t stored = run ? pixel_bytes : count * pixel_bytes;
      if (!bytes::Fits(pos, stored, size)) return false;
      const std::uint8_t* p = data + pos;
      pos += static_cast<std::size_t>(stored);
      done += count;
      if (!visit(p, count, run)) return true;
    }
    return true;
  };

  // Many writers store 32-bit pictures with every alpha byte at zero and
  // mean them opaque, so the pixels are looked through for one alpha that
  // is not zero before the first row goes out.
  bool alpha = false;
  if (alpha_source && !walk([&](const std::uint8_t* p, std::uint64_t count, bool run) {
        for (std::uint64_t i = 0; i < (run ? 1 : count) && !alpha; ++i)
          alpha = read_pixel(p + i * pixel_bytes).alpha != 0;
        return !alpha;
      }))
    return false;

  PictureShape shape;
  shape.width = width;
  shape.height = h.height;
  shape.alpha = alpha;
  shape.bottom_up = !top_down;
  if (!sink.Begin(shape)) return false;
  RowSpan wanted = sink.Wanted();
  wanted.end = std::min(wanted.end, h.height);

  // The row being filled: file row n, column pixels of it done, its memory
  // when the sink wants it.
  std::uint32_t n = 0, column = 0;
  RowMemory row;
  const auto start_row = [&]() {
    row = wanted.Has(n) ? sink.Memory(n) : RowMemory();
    if (!alpha) row.alpha = nullptr;
  };
  const auto put = [&](const std::uint8_t* p, std::uint64_t count, bool run) {
    while (count > 0) {
      const auto take = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, width - column));
      if (row.bgr != nullptr) {
        Rgba c = read_pixel(p);
        for (std::uint32_t i = 0; i < take; ++i) {
          if (!run && i > 0) c = read_pixel(p + static_cast<std::size_t>(i) * pixel_bytes);
          // Each pixel lands where the descriptor's origin bits put it.
          const std::uint32_t x = right_to_left ? width - 1 - column - i : column + i;
          std::uint8_t* d = row.bgr + static_cast<std::size_t>(x) * 3;
          d[0] = c.blue;
          d[1] = c.green;
          d[2] = c.red;
          if (row.alpha != nullptr) row.alpha[x] = c.alpha;
        }
      }
      if (!run) p += static_cast<std::size_t>(take) * pixel_bytes;
      count -= take;
      column += take;
      if (column == width) {
        if (row.bgr != nullptr) sink.Put(n, {row.bgr, row.alpha, false});
        column = 0;
        ++n;
        start_row();
      }
    }
    return true;
  };

  if (rle) {
    start_row();
    return walk(put);
  }
  // Every stored pixel is there (checked above): only the wanted rows are
  // read.
  if (wanted.first >= wanted.end) return true;
  n = wanted.first;
  start_row();
  const std::uint64_t row_pixels = width;
  put(data + h.pixels_pos + wanted.first * row_pixels * pixel_bytes, (wanted.end - wanted.first) * row_pixels, false);
  return true;
}

}  // namespace vistelle
