#include "image/image.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <utility>

#include "base/file_io.h"
#include "image/bmp_header.h"
#include "image/decoders_internal.h"
#include "image/effect_chain.h"
#include "image/image_codecs.h"

namespace vistelle {

namespace {

inline std::uint8_t ClampByte(int v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Bytes allocated past the last row, so that pixel loops may read and write
// a whole 32-bit word for a 3-byte pixel anywhere in the image.
constexpr std::size_t kRowSlack = 4;

}  // namespace

bool ImageSizeAcceptable(std::uint64_t width, std::uint64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

namespace {

std::atomic<std::size_t> g_memory_limit{std::numeric_limits<std::size_t>::max()};

}  // namespace

void Image::LimitMemoryForTests(std::size_t limit) { g_memory_limit = limit; }

bool Image::Allocate(std::uint32_t width, std::uint32_t height) {
  if (!ImageSizeAcceptable(width, height)) {
    Clear();
    return false;
  }
  if ((static_cast<std::size_t>(width) * 3 + 3) / 4 * 4 * height > g_memory_limit) throw std::bad_alloc();
  width_ = width;
  height_ = height;
  stride_ = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
  // The buffers keep their memory: an image made again at the same size (the
  // wallpaper canvas) touches no fresh pages, which cost far more than
  // clearing the old ones.
  pixels_.resize(stride_ * height + kRowSlack);
  alpha_.clear();
  return true;
}

bool Image::Create(std::uint32_t width, std::uint32_t height, int bpp) {
  if (bpp != 24) {
    Clear();
    return false;
  }
  if (!Allocate(width, height)) return false;
  std::memset(pixels_.data(), 0, pixels_.size());
  return true;
}

bool Image::CreateUninitialised(std::uint32_t width, std::uint32_t height) {
  if (!Allocate(width, height)) return false;
  const std::size_t used = static_cast<std::size_t>(width) * 3;
  if (used != stride_)
    for (std::uint32_t y = 0; y < height; ++y) std::memset(Row(y) + used, 0, stride_ - used);
  std::memset(pixels_.data() + stride_ * height, 0, kRowSlack);
  return true;
}

void Image::Swap(Image& other) noexcept {
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(stride_, other.stride_);
  pixels_.swap(other.pixels_);
  alpha_.swap(other.alpha_);
}

void Image::Clear() {
  width_ = height_ = 0;
  stride_ = 0;
  pixels_.clear();
  pixels_.shrink_to_fit();
  alpha_.clear();
  alpha_.shrink_to_fit();
}

bool Image::Load(const std::string& path, const DecodeTarget& target) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, kMaxPictureFileBytes)) return false;
  return Decode(bytes.data(), bytes.size(), target);
}

bool Image::Decode(const std::uint8_t* data, std::size_t size, const DecodeTarget& target) {
  Image decoded;
  if (!DecodeImage(data, size, decoded, target) || !decoded.IsValid()) return false;
  *this = std::move(decoded);
  return true;
}

bool Image::Save(const std::string& path, bool flush) const {
  if (!IsValid()) return false;
  // Header and pixel rows go to the file as they are, without a copy.
  const auto header = BmpHeader24(*this);
  return WriteFileReplacing(path, {{header.data(), header.size()}, {Bits(), Stride() * height_}}, flush);
}

std::vector<std::uint8_t> Image::EncodeBmp() const { return EncodeBmp24(*this); }

bool Image::Resample(std::uint32_t width, std::uint32_t height, int mode, Image* destination) {
  if (!IsValid() || destination == this) return false;
  // In place, the result is made beside the picture and then takes its
  // place; into a destination, the destination's memory is used again.
  Image local;
  Image& out = destination ? *destination : local;
  if (!out.Create(width, height)) return false;
  const bool alpha = HasAlpha();
  if (alpha) out.AlphaCreate();

  if (mode == 1) {
    // Nearest pixel: the source column of each destination column is worked
    // out once, then every row is a gather through that table.
    std::vector<std::uint32_t> src_x(width);
    for (std::uint32_t x = 0; x < width; ++x)
      src_x[x] = static_cast<std::uint32_t>((static_cast<std::uint64_t>(x) * width_) / width);
    std::uint32_t previous_sy = UINT32_MAX;
    for (std::uint32_t y = 0; y < height; ++y) {
      const auto sy = static_cast<std::uint32_t>((static_cast<std::uint64_t>(y) * height_) / height);
      std::uint8_t* d = out.Row(y);
      if (sy == previous_sy) {
        std::memcpy(d, out.Row(y - 1), static_cast<std::size_t>(width) * 3);
      } else {
        // Each pixel moves as one 32-bit word whose fourth byte the next
        // pixel overwrites; the row slack keeps the last word in bounds.
        const std::uint8_t* s = Row(sy);
        const std::uint32_t* sx = src_x.data();
        auto move_pixel = [s](std::uint8_t* to, std::uint32_t from) {
          std::uint32_t word;
          std::memcpy(&word, s + static_cast<std::size_t>(from) * 3, 4);
          std::memcpy(to, &word, 4);
        };
        std::uint32_t x = 0;
        for (; x + 4 <= width; x += 4, d += 12) {
          move_pixel(d, sx[x]);
          move_pixel(d + 3, sx[x + 1]);
          move_pixel(d + 6, sx[x + 2]);
          move_pixel(d + 9, sx[x + 3]);
        }
        for (; x < width; ++x, d += 3) move_pixel(d, sx[x]);
        // The stray byte after the row's last pixel lies in the row's
        // padding or in the next row, which is written after this one, or
        // in the slack; clear it where it is padding.
        if (width * 3 != out.Stride()) out.Row(y)[static_cast<std::size_t>(width) * 3] = 0;
      }
      if (alpha) {
        const std::uint8_t* sa = AlphaRow(sy);
        std::uint8_t* da = out.AlphaRow(y);
        for (std::uint32_t x = 0; x < width; ++x) da[x] = sa[src_x[x]];
      }
      previous_sy = sy;
    }
  } else {
    // Bilinear, in 8-bit fixed point, sampling at pixel centres.
    struct Tap {
      std::uint32_t i0, i1;
      int w1;  // weight of i1, 0..256
    };
    auto taps = [](std::uint32_t dst, std::uint32_t src) {
      std::vector<Tap> t(dst);
      for (std::uint32_t i = 0; i < dst; ++i) {
        const std::int64_t pos = ((2 * static_cast<std::int64_t>(i) + 1) * src * 256) / (2 * dst) - 128;
        std::int64_t base = pos < 0 ? 0 : pos >> 8;
        int frac = pos < 0 ? 0 : static_cast<int>(pos & 255);
        if (base >= static_cast<std::int64_t>(src) - 1) {
          base = src - 1;
          frac = 0;
        }
        t[i] = {static_cast<std::uint32_t>(base),
                static_cast<std::uint32_t>(std::min<std::int64_t>(base + 1, src - 1)), frac};
      }
      return t;
    };
    const std::vector<Tap> tx = taps(width, width_);
    const std::vector<Tap> ty = taps(height, height_);
    std::vector<int> row0(static_cast<std::size_t>(width) * 4), row1(static_cast<std::size_t>(width) * 4);
    auto horizontal = [&](std::uint32_t sy, std::vector<int>& r) {
      const std::uint8_t* s = Row(sy);
      const std::uint8_t* sa = AlphaRow(sy);
      for (std::uint32_t x = 0; x < width; ++x) {
        const Tap& t = tx[x];
        const std::uint8_t* a = s + static_cast<std::size_t>(t.i0) * 3;
        const std::uint8_t* b = s + static_cast<std::size_t>(t.i1) * 3;
        for (int c = 0; c < 3; ++c) r[x * 4 + c] = a[c] * (256 - t.w1) + b[c] * t.w1;
        r[x * 4 + 3] = sa ? sa[t.i0] * (256 - t.w1) + sa[t.i1] * t.w1 : 0;
      }
    };
    for (std::uint32_t y = 0; y < height; ++y) {
      const Tap& t = ty[y];
      horizontal(t.i0, row0);
      horizontal(t.i1, row1);
      std::uint8_t* d = out.Row(y);
      std::uint8_t* da = out.AlphaRow(y);
      for (std::uint32_t x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c)
          d[x * 3 + c] = ClampByte((row0[x * 4 + c] * (256 - t.w1) + row1[x * 4 + c] * t.w1 + 32768) >> 16);
        if (da) da[x] = ClampByte((row0[x * 4 + 3] * (256 - t.w1) + row1[x * 4 + 3] * t.w1 + 32768) >> 16);
      }
    }
  }

  if (!destination) Swap(local);
  return true;
}

bool Image::Filter(const std::int32_t* kernel, int kernel_size, int divisor, int offset) {
  if (!IsValid() || kernel == nullptr || kernel_size != 3) return false;
  if (divisor == 0) divisor = 1;
  if (std::optional<RowEffect> box = RowEffect::BoxFilter(kernel, divisor, offset)) {
    EffectChain chain;
    chain.Add(std::move(*box));
    chain.Run(*this);
    return true;
  }
  const std::uint32_t w = width_, h = height_;
  // Three source rows with one pixel of edge replication on each side,
  // refilled as the window moves up, so the filter works in place.
  const std::size_t padded = (static_cast<std::size_t>(w) + 2) * 3;
  std::vector<std::uint8_t> lines(padded * 3);
  auto load = [&](std::uint32_t y, std::uint8_t* dst) {
    const std::uint8_t* s = Row(y);
    std::memcpy(dst + 3, s, static_cast<std::size_t>(w) * 3);
    std::memcpy(dst, s, 3);
    std::memcpy(dst + 3 + static_cast<std::size_t>(w) * 3, s + (static_cast<std::size_t>(w) - 1) * 3, 3);
  };
  std::uint8_t* below = lines.data();
  std::uint8_t* here = lines.data() + padded;
  std::uint8_t* above = lines.data() + 2 * padded;
  load(0, below);
  load(0, here);
  load(h > 1 ? 1 : 0, above);
  // Kernel rows are given top row first; row y+1 lies above y.
  const std::int32_t* kt = kernel;
  const std::int32_t* km = kernel + 3;
  const std::int32_t* kb = kernel + 6;
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* d = Row(y);
    for (std::uint32_t x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(x) * 3;
      for (int c = 0; c < 3; ++c) {
        const std::size_t j = i + c;
        std::int64_t sum = static_cast<std::int64_t>(kt[0]) * above[j] + static_cast<std::int64_t>(kt[1]) * above[j + 3] +
                           static_cast<std::int64_t>(kt[2]) * above[j + 6] + static_cast<std::int64_t>(km[0]) * here[j] +
                           static_cast<std::int64_t>(km[1]) * here[j + 3] + static_cast<std::int64_t>(km[2]) * here[j + 6] +
                           static_cast<std::int64_t>(kb[0]) * below[j] + static_cast<std::int64_t>(kb[1]) * below[j + 3] +
                           static_cast<std::int64_t>(kb[2]) * below[j + 6];
        const std::int64_t v = sum / divisor + offset;
        d[j] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
    }
    // Slide the window: the old "here" becomes "below", and so on.
    std::swap(below, here);
    std::swap(here, above);
    load(y + 2 < h ? y + 2 : h - 1, above);
  }
  return true;
}

void Image::AlphaCreate() {
  if (!IsValid() || HasAlpha()) return;
  alpha_.assign(static_cast<std::size_t>(width_) * height_, 255);
}

void Image::AlphaCreateUninitialised() {
  if (!IsValid() || HasAlpha()) return;
  alpha_.resize(static_cast<std::size_t>(width_) * height_);
}

void Image::AlphaDelete() {
  alpha_.clear();
  alpha_.shrink_to_fit();
}

void Image::AlphaSet(std::uint8_t level) {
  if (!IsValid()) return;
  alpha_.assign(static_cast<std::size_t>(width_) * height_, level);
}

std::uint8_t Image::AlphaAt(std::uint32_t x, std::uint32_t y) const {
  if (x >= width_ || y >= height_) return 0;
  return alpha_.empty() ? 255 : alpha_[static_cast<std::size_t>(y) * width_ + x];
}

bool Image::IsTransparent(std::int64_t x, std::int64_t y) const {
  if (alpha_.empty() || x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return alpha_[static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x)] == 0;
}

Rgba Image::GetPixelColor(std::int64_t x, std::int64_t y, bool with_alpha) const {
  Rgba c;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return c;
  const std::uint8_t* p = Row(static_cast<std::uint32_t>(y)) + static_cast<std::size_t>(x) * 3;
  c.blue = p[0];
  c.green = p[1];
  c.red = p[2];
  c.alpha = with_alpha ? AlphaAt(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) : 0;
  return c;
}

void Image::SetPixelColor(std::int64_t x, std::int64_t y, ColorRef color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  std::uint8_t* p = Row(static_cast<std::uint32_t>(y)) + static_cast<std::size_t>(x) * 3;
  p[0] = static_cast<std::uint8_t>(ColorRefBlue(color));
  p[1] = static_cast<std::uint8_t>(ColorRefGreen(color));
  p[2] = static_cast<std::uint8_t>(ColorRefRed(color));
}

void Image::SetPixelColor(std::int64_t x, std::int64_t y, Rgba color, bool set_alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  std::uint8_t* p = Row(static_cast<std::uint32_t>(y)) + static_cast<std::size_t>(x) * 3;
  p[0] = color.blue;
  p[1] = color.green;
  p[2] = color.red;
  if (set_alpha && !alpha_.empty())
    alpha_[static_cast<std::size_t>(y) * width_ + static_cast<std::size_t>(x)] = color.alpha;
}

void Image::FlipVertical() {
  if (!IsValid()) return;
  std::vector<std::uint8_t> tmp(stride_);
  for (std::uint32_t y = 0, z = height_ - 1; y < z; ++y, --z) {
    std::memcpy(tmp.data(), Row(y), stride_);
    std::memcpy(Row(y), Row(z), stride_);
    std::memcpy(Row(z), tmp.data(), stride_);
  }
  if (!alpha_.empty()) {
    for (std::uint32_t y = 0, z = height_ - 1; y < z; ++y, --z)
      std::swap_ranges(AlphaRow(y), AlphaRow(y) + width_, AlphaRow(z));
  }
}

void Image::ApplyOrientation(int orientation) {
  if (!IsValid() || orientation < 2 || orientation > 8) return;
  // EXIF orientations, with (u, v) a pixel of the picture as displayed
  // (u from the left, v from the top) and (sx, sy) the stored pixel it shows
  // (also from the top-left).
  const bool swap = orientation >= 5;
  const std::uint32_t ow = swap ? height_ : width_;
  const std::uint32_t oh = swap ? width_ : height_;
  Image out;
  if (!out.Create(ow, oh)) return;
  if (HasAlpha()) out.AlphaCreate();
  const std::uint32_t W = width_, H = height_;
  for (std::uint32_t v = 0; v < oh; ++v) {
    std::uint8_t* d = out.Row(oh - 1 - v);
    std::uint8_t* da = out.AlphaRow(oh - 1 - v);
    for (std::uint32_t u = 0; u < ow; ++u) {
      std::uint32_t sx = 0, sy = 0;
      switch (orientation) {
        case 2: sx = W - 1 - u; sy = v; break;
        case 3: sx = W - 1 - u; sy = H - 1 - v; break;
        case 4: sx = u; sy = H - 1 - v; break;
        case 5: sx = v; sy = u; break;
        case 6: sx = v; sy = H - 1 - u; break;
        case 7: sx = W - 1 - v; sy = H - 1 - u; break;
        case 8: sx = W - 1 - v; sy = u; break;
        default: break;
      }
      const std::uint32_t row = H - 1 - sy;
      const std::uint8_t* s = Row(row) + static_cast<std::size_t>(sx) * 3;
      d[u * 3 + 0] = s[0];
      d[u * 3 + 1] = s[1];
      d[u * 3 + 2] = s[2];
      if (da) da[u] = AlphaRow(row)[sx];
    }
  }
  *this = std::move(out);
}

}  // namespace vistelle
