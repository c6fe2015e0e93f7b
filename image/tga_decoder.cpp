// Truevision TGA: colour-mapped, true-colour and grey pictures, plain or
// run-length compressed.

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

// Pixels come in file order. Without alpha each row goes to the sink when
// it is complete; with alpha the picture is made whole first, since only its
// last pixel can tell that every alpha byte is zero (which many writers
// mean as opaque).
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
  Image img;
  RowSpan wanted;
  if (alpha_source) {
    if (!img.Create(h.width, h.height)) return false;
    img.AlphaCreate();
  } else {
    PictureShape shape;
    shape.width = h.width;
    shape.height = h.height;
    shape.bottom_up = !top_down;
    if (!sink.Begin(shape)) return false;
    wanted = sink.Wanted();
  }
  const bool right_to_left = (h.descriptor & 0x10) != 0;
  const std::uint32_t width = h.width;
  bool any_alpha = false;

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

  // Pixels arrive in file order; each one lands where the descriptor's
  // origin bits put it.
  std::uint32_t file_row = 0, column = 0;
  std::uint8_t* row = nullptr;
  std::uint8_t* alpha_row = nullptr;
  auto select_row = [&]() {
    if (!alpha_source) {
      row = sink.Memory(file_row).bgr;
      return;
    }
    const std::uint32_t y = top_down ? h.height - 1 - file_row : file_row;
    row = img.Row(y);
    alpha_row = img.AlphaRow(y);
  };
  select_row();
  auto emit = [&](const Rgba& c) {
    const std::uint32_t x = right_to_left ? width - 1 - column : column;
    std::uint8_t* d = row + static_cast<std::size_t>(x) * 3;
    d[0] = c.blue;
    d[1] = c.green;
    d[2] = c.red;
    if (alpha_row != nullptr) {
      alpha_row[x] = c.alpha;
      any_alpha = any_alpha || c.alpha != 0;
    }
    if (++column == width) {
      column = 0;
      if (!alpha_source && wanted.Has(file_row)) sink.Put(file_row, {row, nullptr, false});
      if (++file_row < h.height) select_row();
    }
  };

  std::size_t pos = static_cast<std::size_t>(h.pixels_pos);
  if (!rle) {
    for (std::uint64_t i = 0; i < total; ++i, pos += pixel_bytes) emit(read_pixel(data + pos));
  } else {
    std::uint64_t done = 0;
    while (done < total) {
      if (pos >= size) return false;
      const std::uint8_t packet = data[pos++];
      std::uint64_t count = (packet & 0x7Fu) + 1;
      // A packet running past the picture is cut at its end.
      if (count > total - done) count = total - done;
      if (packet & 0x80) {
        if (!bytes::Fits(pos, pixel_bytes, size)) return false;
        const Rgba c = read_pixel(data + pos);
        pos += pixel_bytes;
        for (std::uint64_t i = 0; i < count; ++i) emit(c);
      } else {
        if (!bytes::Fits(pos, count * pixel_bytes, size)) return false;
        for (std::uint64_t i = 0; i < count; ++i, pos += pixel_bytes) emit(read_pixel(data + pos));
      }
      done += count;
    }
  }
  // Many writers store 32-bit pictures with every alpha byte at zero and
  // mean them opaque.
  if (!alpha_source) return true;
  if (!any_alpha) img.AlphaDelete();
  return FeedImage(img, sink);
}

}  // namespace vistelle
