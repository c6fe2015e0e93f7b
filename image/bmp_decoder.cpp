// BMP files and the device-independent bitmaps inside icons.

#include <array>
#include <cstring>

#include "image/byte_reader.h"
#include "image/decoders_internal.h"
#include "image/image_codecs.h"

namespace vistelle {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

// One colour channel of a bit-field pixel, scaled to 0..255. A channel of
// fewer than 8 bits has its bits repeated downwards (5-bit 10000 becomes
// 10000100), the way GDI and WIC widen 555 and 565 pixels, so a picture
// shows the same levels in both builds; 0 stays 0 and full scale is 255.
// Wider channels keep their top 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  std::uint32_t shift = 0;
  std::uint32_t bits = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    while (((m >> shift) & 1u) == 0) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1u) != 0) ++bits;
  }

  std::uint8_t Extract(std::uint32_t v) const {
    if (mask == 0) return 0;
    std::uint32_t x = (v & mask) >> shift;
    if (bits < 32) x &= (1u << bits) - 1;
    if (bits >= 8) return static_cast<std::uint8_t>(x >> (bits - 8));
    const int n = static_cast<int>(bits);
    std::uint32_t level = 0;
    for (int at = 8 - n; at > -n; at -= n) level |= at >= 0 ? x << at : x >> -at;
    return static_cast<std::uint8_t>(level & 0xFF);
  }
};

// The four channels of a bit-field pixel.
struct BitFields {
  Channel red, green, blue, alpha;

  // One row of w pixels of kBytes bytes each (2 or 4, little-endian) into
  // 24-bit pixels d and, where there is a plane, alpha a. True when some
  // alpha is not zero.
  template <unsigned kBytes>
  bool PutRow(const std::uint8_t* s, std::uint32_t w, std::uint8_t* d, std::uint8_t* a) const {
    bool any_alpha = false;
    for (std::uint32_t x = 0; x < w; ++x, s += kBytes, d += 3) {
      const std::uint32_t v = kBytes == 4 ? bytes::Le32(s) : bytes::Le16(s);
      d[0] = blue.Extract(v);
      d[1] = green.Extract(v);
      d[2] = red.Extract(v);
      if (a) {
        a[x] = alpha.Extract(v);
        any_alpha = any_alpha || a[x] != 0;
      }
    }
    return any_alpha;
  }
};

using Palette = std::array<Rgba, 256>;

// Run-length compressed 8- or 4-bit pixels; rows come bottom-up. Pixels the
// stream skips stay black. Only a stream closed by its end marker counts as
// complete.
bool DecodeRle(const std::uint8_t* data, std::size_t size, std::size_t pos, bool four_bit,
               const Palette& palette, Image& img) {
  const std::uint64_t width = img.GetWidth();
  const std::uint64_t height = img.GetHeight();
  std::uint64_t x = 0, y = 0;
  auto put = [&](std::uint8_t index) {
    if (x < width && y < height) {
      std::uint8_t* p = img.Row(static_cast<std::uint32_t>(y)) + x * 3;
      const Rgba& c = palette[index];
      p[0] = c.blue;
      p[1] = c.green;
      p[2] = c.red;
    }
    ++x;
  };
  for (;;) {
    if (!bytes::Fits(pos, 2, size)) return false;
    const std::uint8_t count = data[pos];
    const std::uint8_t value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      if (y >= height || x >= width) {
        x += count;
        continue;
      }
      for (unsigned i = 0; i < count; ++i) {
        if (four_bit)
          put((i & 1) ? (value & 0x0F) : (value >> 4));
        else
          put(value);
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of picture
        return true;
      case 2:  // move right and up
        if (!bytes::Fits(pos, 2, size)) return false;
        x += data[pos];
        y += data[pos + 1];
        pos += 2;
        break;
      default: {  // a run of literal pixels, padded to a 16-bit boundary
        const std::size_t n = value;
        std::size_t length = four_bit ? (n + 1) / 2 : n;
        length += length & 1;
        if (!bytes::Fits(pos, length, size)) return false;
        const std::uint8_t* s = data + pos;
        for (std::size_t i = 0; i < n; ++i) {
          if (four_bit)
            put((i & 1) ? (s[i / 2] & 0x0F) : (s[i / 2] >> 4));
          else
            put(s[i]);
        }
        pos += length;
        break;
      }
    }
  }
}

// The picture into out or, with a sink, to the sink: row by row where the
// rows are stored as they are shown, whole first for run lengths (which
// jump between rows) and for icons (whose mask comes after the pixels).
bool DecodeDibTo(const std::uint8_t* data, std::size_t size, std::size_t header_pos, std::uint64_t bits_pos,
                 bool icon, Image& out, RowSink* sink) {
  if (data == nullptr || !bytes::Fits(header_pos, 4, size)) return false;
  const std::uint8_t* h = data + header_pos;
  const std::uint32_t header_size = bytes::Le32(h);
  const bool core = header_size == 12;
  std::int64_t width = 0, height = 0;
  std::uint32_t bpp = 0, compression = kBiRgb, colors_used = 0;
  if (core) {
    if (!bytes::Fits(header_pos, 12, size)) return false;
    width = bytes::Le16(h + 4);
    height = bytes::Le16(h + 6);
    bpp = bytes::Le16(h + 10);
  } else if (header_size == 40 || header_size == 52 || header_size == 56 || header_size == 64 ||
             header_size == 108 || header_size == 124) {
    if (!bytes::Fits(header_pos, header_size, size)) return false;
    width = bytes::LeS32(h + 4);
    const std::int32_t stored_height = bytes::LeS32(h + 8);
    if (stored_height == INT32_MIN) return false;
    height = stored_height;
    bpp = bytes::Le16(h + 14);
    compression = bytes::Le32(h + 16);
    colors_used = bytes::Le32(h + 32);
  } else {
    return false;
  }

  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (icon) {
    if (top_down) return false;
    height /= 2;  // the stored height counts the AND mask too
  }
  if (width <= 0 || !ImageSizeAcceptable(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
    return false;
  const auto w = static_cast<std::uint32_t>(width);
  const auto ht = static_cast<std::uint32_t>(height);

  std::uint64_t after_header = header_pos + static_cast<std::uint64_t>(header_size);
  std::uint32_t red_mask = 0, green_mask = 0, blue_mask = 0, alpha_mask = 0;
  switch (compression) {
    case kBiRgb:
      if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
      if (bpp == 16) {
        red_mask = 0x7C00;
        green_mask = 0x03E0;
        blue_mask = 0x001F;
      } else if (bpp == 32) {
        red_mask = 0x00FF0000;
        green_mask = 0x0000FF00;
        blue_mask = 0x000000FF;
        // Icons keep their transparency in the fourth byte; plain BMPs of
        // this kind are opaque.
        if (icon) alpha_mask = 0xFF000000;
      }
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (bpp != 16 && bpp != 32) return false;
      if (header_size == 40) {
        const unsigned n = compression == kBiAlphaBitfields ? 4 : 3;
        if (!bytes::Fits(after_header, n * 4, size)) return false;
        const std::uint8_t* m = data + after_header;
        red_mask = bytes::Le32(m);
        green_mask = bytes::Le32(m + 4);
        blue_mask = bytes::Le32(m + 8);
        if (n == 4) alpha_mask = bytes::Le32(m + 12);
        after_header += n * 4;
      } else if (header_size >= 52 && header_size != 64) {
        red_mask = bytes::Le32(h + 40);
        green_mask = bytes::Le32(h + 44);
        blue_mask = bytes::Le32(h + 48);
        if (header_size >= 56) alpha_mask = bytes::Le32(h + 52);
      } else {
        return false;  // OS/2 headers use these numbers for other codings
      }
      break;
    case kBiRle8:
      if (bpp != 8 || top_down || icon) return false;
      break;
    case kBiRle4:
      if (bpp != 4 || top_down || icon) return false;
      break;
    default:
      return false;
  }

  Palette palette{};
  std::uint64_t palette_end = after_header;
  if (bpp <= 8) {
    const std::uint32_t max_colors = 1u << bpp;
    const std::uint32_t colors = (colors_used == 0 || colors_used > max_colors) ? max_colors : colors_used;
    const unsigned entry = core ? 3 : 4;
    if (!bytes::Fits(after_header, static_cast<std::uint64_t>(colors) * entry, size)) return false;
    const std::uint8_t* p = data + after_header;
    for (std::uint32_t i = 0; i < colors; ++i, p += entry) {
      palette[i].blue = p[0];
      palette[i].green = p[1];
      palette[i].red = p[2];
      palette[i].alpha = 255;
    }
    palette_end = after_header + static_cast<std::uint64_t>(colors) * entry;
  }
  if (bits_pos == 0)
    bits_pos = palette_end;
  else if (bits_pos < after_header)
    return false;

  Image img;
  if (compression == kBiRle8 || compression == kBiRle4) {
    if (bits_pos >= size || !img.Create(w, ht) ||
        !DecodeRle(data, size, static_cast<std::size_t>(bits_pos), compression == kBiRle4, palette, img))
      return false;
    if (sink != nullptr) return FeedImage(img, *sink);
    out = std::move(img);
    return true;
  }

  // Uncompressed pixels must all be there before anything is allocated.
  const std::uint64_t row_bytes = (static_cast<std::uint64_t>(w) * bpp + 31) / 32 * 4;
  if (!bytes::Fits(bits_pos, row_bytes * ht, size)) return false;
  const BitFields fields{Channel(red_mask), Channel(green_mask), Channel(blue_mask), Channel(alpha_mask)};
  const bool plain32 = bpp == 32 && red_mask == 0x00FF0000 && green_mask == 0x0000FF00 && blue_mask == 0xFF &&
                       (alpha_mask == 0 || alpha_mask == 0xFF000000);
  bool any_alpha = false;

  // Stored row r (the bottom one first unless top_down) as 24-bit pixels
  // d and, with a plane, alpha a.
  const auto convert = [&](std::uint32_t r, std::uint8_t* d, std::uint8_t* a) {
    const std::uint8_t* s = data + bits_pos + row_bytes * r;
    switch (bpp) {
      case 24:
        std::memcpy(d, s, static_cast<std::size_t>(w) * 3);
        break;
      case 32:
        if (plain32) {
          for (std::uint32_t x = 0; x < w; ++x, s += 4, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            if (a) {
              a[x] = s[3];
              any_alpha = any_alpha || s[3] != 0;
            }
          }
          break;
        }
        any_alpha = fields.PutRow<4>(s, w, d, a) || any_alpha;
        break;
      case 16:
        any_alpha = fields.PutRow<2>(s, w, d, a) || any_alpha;
        break;
      case 8:
        for (std::uint32_t x = 0; x < w; ++x, d += 3) {
          const Rgba& c = palette[s[x]];
          d[0] = c.blue;
          d[1] = c.green;
          d[2] = c.red;
        }
        break;
      default: {  // 1, 2 or 4 bits, most significant first
        const unsigned index_mask = (1u << bpp) - 1;
        for (std::uint32_t x = 0; x < w; ++x, d += 3) {
          const std::uint64_t bit = static_cast<std::uint64_t>(x) * bpp;
          const unsigned index = (s[bit >> 3] >> (8 - bpp - (bit & 7))) & index_mask;
          const Rgba& c = palette[index];
          d[0] = c.blue;
          d[1] = c.green;
          d[2] = c.red;
        }
        break;
      }
    }
  };

  if (sink != nullptr && !icon) {
    // A writer that leaves every alpha byte at zero means an opaque
    // picture, so the stored pixels are looked through for one alpha that
    // is not zero before the first row goes out.
    bool alpha = false;
    for (std::uint32_t r = 0; alpha_mask != 0 && !alpha && r < ht; ++r) {
      const std::uint8_t* s = data + bits_pos + row_bytes * r;
      for (std::uint32_t x = 0; x < w && !alpha; ++x)
        alpha = fields.alpha.Extract(bpp == 32 ? bytes::Le32(s + x * 4u) : bytes::Le16(s + x * 2u)) != 0;
    }
    PictureShape shape;
    shape.width = w;
    shape.height = ht;
    shape.alpha = alpha;
    shape.bottom_up = !top_down;
    if (!sink->Begin(shape)) return false;
    const RowSpan wanted = sink->Wanted();
    for (std::uint32_t r = wanted.first; r < wanted.end && r < ht; ++r) {
      if (bpp == 24) {
        // The file's bytes are the row, and stay until the decode ends.
        sink->Put(r, {data + bits_pos + row_bytes * r, nullptr, true});
        continue;
      }
      RowMemory m = sink->Memory(r);
      if (!alpha) m.alpha = nullptr;
      convert(r, m.bgr, m.alpha);
      sink->Put(r, {m.bgr, m.alpha, false});
    }
    return true;
  }

  if (!img.Create(w, ht)) return false;
  if (alpha_mask != 0) img.AlphaCreate();
  for (std::uint32_t r = 0; r < ht; ++r) {
    const std::uint32_t y = top_down ? ht - 1 - r : r;
    convert(r, img.Row(y), img.AlphaRow(y));
  }
  // A writer that leaves every alpha byte at zero means an opaque picture.
  if (img.HasAlpha() && !any_alpha) img.AlphaDelete();

  if (icon && !img.HasAlpha()) {
    const std::uint64_t mask_pos = bits_pos + row_bytes * ht;
    const std::uint64_t mask_row = (static_cast<std::uint64_t>(w) + 31) / 32 * 4;
    if (bytes::Fits(mask_pos, mask_row * ht, size)) {
      img.AlphaCreate();
      for (std::uint32_t r = 0; r < ht; ++r) {
        const std::uint8_t* m = data + mask_pos + mask_row * r;
        std::uint8_t* a = img.AlphaRow(r);
        for (std::uint32_t x = 0; x < w; ++x)
          if ((m[x >> 3] >> (7 - (x & 7))) & 1) a[x] = 0;
      }
    } else if (bpp != 32) {
      return false;  // an icon below 32 bits cannot do without its mask
    }
  }

  if (sink != nullptr) return FeedImage(img, *sink);
  out = std::move(img);
  return true;
}

}  // namespace

bool DecodeDib(const std::uint8_t* data, std::size_t size, std::size_t header_pos, std::uint64_t bits_pos, bool icon,
               Image& out) {
  return DecodeDibTo(data, size, header_pos, bits_pos, icon, out, nullptr);
}

bool DecodeBmp(const std::uint8_t* data, std::size_t size, RowSink& sink) {
  if (data == nullptr || size < 18 || data[0] != 'B' || data[1] != 'M') return false;
  Image whole;
  return DecodeDibTo(data, size, 14, bytes::Le32(data + 10), false, whole, &sink);
}

}  // namespace vistelle
