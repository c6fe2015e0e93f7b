// The picture type of the whole program: 24-bit BGR pixels with an optional
// 8-bit alpha plane, rows stored bottom-up (row 0 is the bottom row as shown),
// which is also the layout of a Windows DIB and of a BMP file. Coordinates
// passed to the pixel operations count x from the left and y from the bottom.
//
// Pixel work goes over rows through direct pointers; no operation makes a
// virtual or bounds-checked call per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "image/decode_target.h"

namespace vistelle {

// A 32-bit Windows colour reference: red in bits 0-7, green 8-15, blue 16-23.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColorRef(int r, int g, int b) {
  return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColorRefRed(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int ColorRefGreen(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColorRefBlue(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

// Same field order as the Windows RGBQUAD.
struct Rgba {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t alpha = 0;
};

// Limits on what the image layer agrees to hold. A picture beyond them is
// refused before anything is allocated, so a hostile header cannot make the
// program allocate without bound.
constexpr std::uint32_t kMaxImageSide = 32767;
constexpr std::uint64_t kMaxImagePixels = 268435456ull;  // 2^28

bool ImageSizeAcceptable(std::uint64_t width, std::uint64_t height);

// Seeds the generator behind Image::Noise; the same seed gives the same
// noise in every build.
void SeedImageNoise(std::uint32_t seed);

// An allocator whose vectors leave new elements uninitialised when they
// grow: the pixel memory of a picture that is written in full before it is
// read (a decode, a canvas the picture covers) is not cleared first, which
// on a large picture costs as much as the writing itself.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() noexcept = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible<U>::value) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

class Image {
 public:
  Image() = default;
  Image(const Image&) = default;
  Image& operator=(const Image&) = default;
  Image(Image&&) noexcept = default;
  Image& operator=(Image&&) noexcept = default;

  // A new black 24-bit image without alpha, in the memory the image already
  // holds where it is large enough. Only 24 bits per pixel are supported;
  // false (and an empty image) for any other depth or an unacceptable size.
  // Throws std::bad_alloc when the memory cannot be had.
  bool Create(std::uint32_t width, std::uint32_t height, int bpp = 24);
  // The same for an image whose every pixel will be written before it is
  // read: the pixels hold whatever the memory held (only the row padding is
  // cleared, so that a saved file never carries stray bytes).
  bool CreateUninitialised(std::uint32_t width, std::uint32_t height);
  // For the tests of what runs out of memory: from now on a Create of more
  // pixel bytes than limit throws std::bad_alloc (the largest size_t: no
  // limit, as without a call).
  static void LimitMemoryForTests(std::size_t limit);
  // Empties the image and gives its memory back.
  void Clear();
  void Swap(Image& other) noexcept;

  // Decodes a file of any supported format, recognised from its content.
  // False, with the image left as it was, when the file is missing, unknown,
  // corrupt or too large. JPEG and TIFF pictures come out upright according
  // to their EXIF orientation.
  // With a target, a JPEG may come out smaller than its full size, but never
  // smaller than the target scales it to (see decode_target.h).
  bool Load(const std::string& path, const DecodeTarget& target = DecodeTarget());
  // Decodes from memory (same rules as Load).
  bool Decode(const std::uint8_t* data, std::size_t size, const DecodeTarget& target = DecodeTarget());
  // Writes a 24-bit BMP; the file is replaced only once it is complete.
  // With flush false the file is not forced to the disk first (see
  // WriteFileReplacing).
  bool Save(const std::string& path, bool flush = true) const;
  // The BMP file image of this picture.
  std::vector<std::uint8_t> EncodeBmp() const;

  bool IsValid() const { return width_ != 0 && height_ != 0; }
  std::uint32_t GetWidth() const { return width_; }
  std::uint32_t GetHeight() const { return height_; }

  // Resizes to exactly width x height. mode 1 is the fast nearest-pixel
  // method; any other mode is bilinear. With a destination (not this image)
  // the result goes there, in the destination's memory where it is large
  // enough, and this image is unchanged.
  bool Resample(std::uint32_t width, std::uint32_t height, int mode = 1,
                Image* destination = nullptr);

  // 3x3 integer convolution of each colour channel: (sum of kernel-weighted
  // neighbours) / divisor + offset, clamped to 0..255. Edge pixels take their
  // nearest neighbour for the missing ones. A divisor of 0 counts as 1.
  bool Filter(const std::int32_t* kernel, int kernel_size, int divisor, int offset);

  // Image effects. Every one works on the three colour channels in integer
  // arithmetic (so every build gives the same pixels), clamps its results to
  // 0..255 and leaves the alpha plane alone; each is false on an empty image.

  // Edge-preserving smoothing (anisotropic diffusion): each iteration moves
  // every channel value v by radius * (sum over its four neighbours n of
  // f(n - v)), rounded, where the flow f(d) is d for |d| <= 16 and falls
  // linearly to 0 at |d| = 32: small differences even out, edges stay.
  // radius is the step, 0..0.25 (larger steps would overshoot, so they
  // count as 0.25); only colour space 0 (RGB).
  bool Repair(float radius = 0.25f, int iterations = 2, int color_space = 0);
  // v' = 255 - v.
  bool Negative();
  // Each pixel becomes (y, y, y) with y = (77 r + 150 g + 29 b + 128) >> 8;
  // the image stays 24-bit.
  bool GrayScale();
  // Whether every pixel has equal red, green and blue.
  bool IsGrayScale() const;
  // False colours: the gray level y (the luma above) of each pixel picks a
  // hue, from blue (0) through cyan, green and yellow to red (255), at full
  // saturation. correction is a gamma applied to y first (1: none).
  bool HuePalette(float correction = 1.0f);
  // Adds to every channel of every pixel its own random offset, uniform in
  // -level/2 .. level - level/2 (level clamped to 0..255). The generator is
  // seeded once per run (SeedImageNoise, else from one std::rand() call).
  bool Noise(int level);
  // Contrast about the middle gray, then brightness:
  // v' = 128 + round((v - 128) * (100 + contrast) / 100) + brightness,
  // brightness -255..255 and contrast -100..100 (clamped to these ranges).
  bool Light(int brightness, int contrast = 0);
  // v' = v + shift, per channel (red, green, blue).
  bool ShiftRGB(int red, int green, int blue);
  // Blends source over this image, source pixel (x + x_offset, y + y_offset)
  // onto pixel (x, y); pixels that the source does not cover are unchanged.
  // The only operation is kMixBlend: d' = (s * a + d * (255 - a)) / 255,
  // rounded, with a the source's alpha (255 without an alpha plane). With
  // mix_alpha and an alpha plane here, that plane becomes a + d_a (255 - a) / 255.
  static constexpr int kMixBlend = 9;
  bool Mix(const Image& source, int op, std::int64_t x_offset, std::int64_t y_offset, bool mix_alpha = false);

  // Alpha plane.
  bool HasAlpha() const { return !alpha_.empty(); }
  void AlphaCreate();       // fully opaque plane, kept if there is one
  // A plane whose every byte will be written before it is read.
  void AlphaCreateUninitialised();
  void AlphaDelete();
  void AlphaSet(std::uint8_t level);
  std::uint8_t AlphaAt(std::uint32_t x, std::uint32_t y) const;

  // A pixel is transparent when the alpha plane holds 0 for it.
  bool IsTransparent(std::int64_t x, std::int64_t y) const;
  // Pixels outside the image read as black, alpha 0.
  Rgba GetPixelColor(std::int64_t x, std::int64_t y, bool with_alpha = true) const;
  // Writes outside the image are ignored.
  void SetPixelColor(std::int64_t x, std::int64_t y, ColorRef color);
  void SetPixelColor(std::int64_t x, std::int64_t y, Rgba color, bool set_alpha = false);

  // Copies everything of source.
  void Copy(const Image& source) { *this = source; }

  // Row access for pixel work. Rows are bottom-up; each row holds width*3
  // bytes in B, G, R order and is padded to 4 bytes (DIB layout).
  std::size_t Stride() const { return stride_; }
  std::uint8_t* Row(std::uint32_t y) { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
  const std::uint8_t* Row(std::uint32_t y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * stride_;
  }
  std::uint8_t* Bits() { return pixels_.data(); }
  const std::uint8_t* Bits() const { return pixels_.data(); }
  std::uint8_t* AlphaRow(std::uint32_t y) {
    return alpha_.empty() ? nullptr : alpha_.data() + static_cast<std::size_t>(y) * width_;
  }
  const std::uint8_t* AlphaRow(std::uint32_t y) const {
    return alpha_.empty() ? nullptr : alpha_.data() + static_cast<std::size_t>(y) * width_;
  }

  // Turns the picture upside down (top-down decoders fill rows in reading
  // order and flip once at the end).
  void FlipVertical();
  // Applies an EXIF orientation value (1..8); other values change nothing.
  void ApplyOrientation(int orientation);

 private:
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::size_t stride_ = 0;
  bool Allocate(std::uint32_t width, std::uint32_t height);
  std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> pixels_;
  std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> alpha_;
};

}  // namespace vistelle
