// The picture decoders: format recognition, pixels of every format, EXIF
// orientation, and hostile files.

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/image.h"
#include "image/image_codecs.h"
#include "tests/native/streamed_rows.h"

// The largest single allocation made through operator new, so that tests can
// check a hostile header did not make a decoder allocate for it. Every
// ordinary form is replaced, so that allocation and release always match.
static std::atomic<std::size_t> g_largest_allocation{0};

static void* CountedAllocation(std::size_t size) noexcept {
  std::size_t seen = g_largest_allocation.load();
  while (size > seen && !g_largest_allocation.compare_exchange_weak(seen, size)) {
  }
  return std::malloc(size ? size : 1);
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  if (void* p = CountedAllocation(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* p = CountedAllocation(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace vistelle {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The reference picture: 5 x 3, rows from the top, R,G,B. Red top-left,
// green top-right, blue bottom-left and white bottom-right, so any flip,
// rotation or channel swap shows. The fixtures in tests/data hold the same
// picture as written by ImageMagick.
constexpr int kW = 5, kH = 3;
const std::uint8_t kRef[kH][kW][3] = {
    {{255, 0, 0}, {10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {0, 255, 0}},
    {{100, 110, 120}, {130, 140, 150}, {160, 170, 180}, {190, 200, 210}, {220, 230, 240}},
    {{0, 0, 255}, {1, 2, 3}, {250, 128, 7}, {9, 99, 199}, {255, 255, 255}},
};

Bytes ReadFixture(const std::string& name) {
  std::ifstream in(std::string(VISTELLE_SOURCE_DIR) + "/tests/data/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Pixel at (x, y) counted from the top-left, as R,G,B,A.
struct Px {
  int r, g, b, a;
};
Px At(const Image& img, int x, int y_top) {
  const Rgba c = img.GetPixelColor(x, static_cast<std::int64_t>(img.GetHeight()) - 1 - y_top);
  return {c.red, c.green, c.blue, c.alpha};
}

// The picture equals the reference, each reference pixel covering a
// scale x scale block (its centre is compared).
void ExpectReference(const Image& img, int tolerance = 0, int scale = 1) {
  ASSERT_EQ(img.GetWidth(), static_cast<std::uint32_t>(kW * scale));
  ASSERT_EQ(img.GetHeight(), static_cast<std::uint32_t>(kH * scale));
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const Px p = At(img, x * scale + scale / 2, y * scale + scale / 2);
      EXPECT_NEAR(p.r, kRef[y][x][0], tolerance) << "at " << x << "," << y;
      EXPECT_NEAR(p.g, kRef[y][x][1], tolerance) << "at " << x << "," << y;
      EXPECT_NEAR(p.b, kRef[y][x][2], tolerance) << "at " << x << "," << y;
    }
}

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// ------------------------------------------------------------ file builders

// A minimal EXIF block: a TIFF header and one directory of two entries,
// something else first, then the orientation.
Bytes ExifApp1(int orientation, bool big_endian) {
  const auto o = static_cast<std::uint8_t>(orientation);
  if (big_endian)
    return {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 2, 0x01, 0x0F, 0, 2, 0, 0, 0, 4, 0, 0,
            0, 0, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, o, 0, 0, 0, 0, 0, 0};
  return {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0, 0x0F, 0x01, 2, 0, 4, 0, 0, 0, 0, 0,
          0, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, o, 0, 0, 0, 0, 0, 0, 0};
}

// The alpha of the reference pixel (x, y) in ref_rgba*.png and
// ref_palette_trns.png.
std::uint8_t RefAlpha(int x, int y) { return static_cast<std::uint8_t>((x * 60 + y * 7) & 0xFF); }

// A JPEG fixture with an EXIF block put in right after its start marker.
Bytes WithExif(Bytes jpeg, const Bytes& exif) {
  Bytes segment = {0xFF, 0xE1, static_cast<std::uint8_t>((exif.size() + 2) >> 8),
                   static_cast<std::uint8_t>(exif.size() + 2)};
  segment.insert(segment.end(), exif.begin(), exif.end());
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
  return jpeg;
}

// Rows of a device-independent bitmap, bottom-up (or top-down), each padded
// to 4 bytes; `value` gives the stored bits of pixel (x, y from the top).
Bytes DibBits(int bpp, int w, int h, bool top_down, const std::function<std::uint32_t(int, int)>& value) {
  const std::size_t stride = (static_cast<std::size_t>(w) * bpp + 31) / 32 * 4;
  Bytes bits(stride * h, 0);
  for (int r = 0; r < h; ++r) {
    const int y = top_down ? r : h - 1 - r;
    std::uint8_t* row = &bits[stride * r];
    for (int x = 0; x < w; ++x) {
      const std::uint32_t v = value(x, y);
      if (bpp < 8) {
        row[x * bpp / 8] |= static_cast<std::uint8_t>(v << (8 - bpp - (x * bpp) % 8));
      } else {
        for (int i = 0; i < bpp / 8; ++i) row[x * bpp / 8 + i] = static_cast<std::uint8_t>(v >> (8 * i));
      }
    }
  }
  return bits;
}

// Info header (40, 108 or 124 bytes) with masks, palette and bits.
Bytes DibHeader(std::uint32_t header_size, std::int32_t w, std::int32_t h, int bpp, std::uint32_t compression,
                const std::vector<std::uint32_t>& masks, int colors) {
  Bytes b;
  for (std::uint32_t v : {header_size, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)}) Put32(b, v);
  Put16(b, 1);
  Put16(b, static_cast<std::uint32_t>(bpp));
  for (std::uint32_t v : {compression, 0u, 2835u, 2835u, static_cast<std::uint32_t>(colors), 0u}) Put32(b, v);
  for (std::uint32_t m : masks) Put32(b, m);  // right after a 40-byte header, or inside a larger one
  if (header_size > 40) b.resize(header_size, 0);
  return b;
}

Bytes BmpFile(const Bytes& dib_header, const std::vector<Px>& palette, const Bytes& bits) {
  Bytes b = {'B', 'M'};
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + dib_header.size() + palette.size() * 4);
  Put32(b, offset + static_cast<std::uint32_t>(bits.size()));
  Put32(b, 0);
  Put32(b, offset);
  b.insert(b.end(), dib_header.begin(), dib_header.end());
  for (const Px& p : palette) {
    b.push_back(static_cast<std::uint8_t>(p.b));
    b.push_back(static_cast<std::uint8_t>(p.g));
    b.push_back(static_cast<std::uint8_t>(p.r));
    b.push_back(0);
  }
  b.insert(b.end(), bits.begin(), bits.end());
  return b;
}

std::vector<Px> RefPalette() {
  std::vector<Px> p;
  for (int i = 0; i < kW * kH; ++i) p.push_back({kRef[i / kW][i % kW][0], kRef[i / kW][i % kW][1], kRef[i / kW][i % kW][2], 255});
  return p;
}
std::uint32_t RefIndex(int x, int y) { return static_cast<std::uint32_t>(y * kW + x); }
std::uint32_t RefBgr(int x, int y) { return kRef[y][x][2] | (kRef[y][x][1] << 8) | (kRef[y][x][0] << 16); }

// TGA of the reference picture; `descriptor` carries the origin bits.
Bytes TgaFile(int type, int bpp, int descriptor) {
  Bytes b = {0, static_cast<std::uint8_t>(type == 1 ? 1 : 0), static_cast<std::uint8_t>(type)};
  Put16(b, 0);
  Put16(b, type == 1 ? kW * kH : 0);
  b.push_back(type == 1 ? 24 : 0);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, kW);
  Put16(b, kH);
  b.push_back(static_cast<std::uint8_t>(bpp));
  b.push_back(static_cast<std::uint8_t>(descriptor));
  if (type == 1)
    for (int i = 0; i < kW * kH; ++i)
      for (int c = 2; c >= 0; --c) b.push_back(kRef[i / kW][i % kW][c]);
  const bool top_down = descriptor & 0x20, right_to_left = descriptor & 0x10;
  for (int r = 0; r < kH; ++r)
    for (int c = 0; c < kW; ++c) {
      const int y = top_down ? r : kH - 1 - r;
      const int x = right_to_left ? kW - 1 - c : c;
      const std::uint8_t* p = kRef[y][x];
      if (type == 1) b.push_back(static_cast<std::uint8_t>(RefIndex(x, y)));
      if (type == 3) b.push_back(p[1]);
      if (type == 2) {
        b.push_back(p[2]), b.push_back(p[1]), b.push_back(p[0]);
        if (bpp == 32) b.push_back(RefAlpha(x, y));
      }
    }
  return b;
}

// ------------------------------------------------------------ recognition

TEST(ImageFormatTest, RecognisesEachFormatByContent) {
  struct Case {
    Bytes data;
    ImageFormat format;
  };
  Bytes wmf_standard = {1, 0, 9, 0, 0, 3};
  wmf_standard.resize(18, 0);
  Bytes wmf_placeable = {0xD7, 0xCD, 0xC6, 0x9A};
  wmf_placeable.resize(22, 0);
  Bytes webp = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
  Bytes heic = {0, 0, 0, 24, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c'};
  Bytes avif = {0, 0, 0, 24, 'f', 't', 'y', 'p', 'a', 'v', 'i', 'f'};
  Bytes mp4 = {0, 0, 0, 24, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm'};
  Bytes tiff_ii = {'I', 'I', 42, 0, 8, 0, 0, 0};
  Bytes tiff_mm = {'M', 'M', 0, 42, 0, 0, 0, 8};
  const Case cases[] = {
      {ReadFixture("ref_8bit.bmp"), ImageFormat::kBmp},
      {ReadFixture("ref.jpg"), ImageFormat::kJpeg},
      {ReadFixture("ref.png"), ImageFormat::kPng},
      {ReadFixture("ref.gif"), ImageFormat::kGif},
      {tiff_ii, ImageFormat::kTiff},
      {tiff_mm, ImageFormat::kTiff},
      {ReadFixture("ref_32bit.ico"), ImageFormat::kIco},
      {wmf_standard, ImageFormat::kWmf},
      {wmf_placeable, ImageFormat::kWmf},
      {webp, ImageFormat::kOther},
      {heic, ImageFormat::kOther},
      {avif, ImageFormat::kOther},
      {mp4, ImageFormat::kUnknown},
      {ReadFixture("ref_8bit.pcx"), ImageFormat::kPcx},
      {ReadFixture("ref.wbmp"), ImageFormat::kWbmp},
      {ReadFixture("ref_rle.tga"), ImageFormat::kTga},
      {TgaFile(2, 24, 0x20), ImageFormat::kTga},
      {Bytes{}, ImageFormat::kUnknown},
      {Bytes(100, 0x55), ImageFormat::kUnknown},
  };
  for (const Case& c : cases) EXPECT_EQ(DetectImageFormat(c.data.data(), c.data.size()), c.format);
}

TEST(ImageFormatTest, WeakSignaturesNeedAConsistentHeader) {
  // An icon directory pointing past the end of the file is not an icon.
  Bytes ico = ReadFixture("ref_32bit.ico");
  ico.pop_back();
  EXPECT_NE(DetectImageFormat(ico.data(), ico.size()), ImageFormat::kIco);
  // A WBMP whose size does not match its header is not recognised.
  Bytes wbmp = ReadFixture("ref.wbmp");
  wbmp.push_back(0);
  EXPECT_EQ(DetectImageFormat(wbmp.data(), wbmp.size()), ImageFormat::kUnknown);
  // TGA with an image type or depth that does not exist.
  Bytes tga = TgaFile(2, 24, 0);
  tga[2] = 4;
  EXPECT_EQ(DetectImageFormat(tga.data(), tga.size()), ImageFormat::kUnknown);
  tga = TgaFile(2, 24, 0);
  tga[16] = 12;
  EXPECT_EQ(DetectImageFormat(tga.data(), tga.size()), ImageFormat::kUnknown);
  // PCX with an unknown version or coding.
  Bytes pcx = ReadFixture("ref_8bit.pcx");
  pcx[1] = 1;
  EXPECT_NE(DetectImageFormat(pcx.data(), pcx.size()), ImageFormat::kPcx);
}

// ------------------------------------------------------------ platform formats

// A fixture decoded through the format recognition.
Image Decoded(const std::string& name) {
  const Bytes data = ReadFixture(name);
  Image img;
  EXPECT_TRUE(DecodeImage(data.data(), data.size(), img)) << name;
  return img;
}

TEST(JpegDecodeTest, ColourGreyAndCmyk) {
  // Each reference pixel as an 8x8 block, so that compression keeps it.
  Image img = Decoded("ref_x8.jpg");
  ExpectReference(img, 4, 8);
  EXPECT_FALSE(img.HasAlpha());
  img = Decoded("ref_x8_cmyk.jpg");  // Adobe's inverted CMYK
  ExpectReference(img, 4, 8);

  img = Decoded("ref_x8_gray.jpg");
  const Px g = At(img, 4, 4);
  EXPECT_NEAR(g.r, 54, 2);  // the red corner's luminance
  EXPECT_EQ(g.r, g.g);
  EXPECT_EQ(g.g, g.b);
  EXPECT_NEAR(At(img, 36, 4).g, 182, 2);
}

TEST(PngDecodeTest, EveryLayoutComesOutAsBgrWithRealAlpha) {
  for (const char* name : {"ref.png", "ref_adam7.png"}) {
    SCOPED_TRACE(name);
    const Image img = Decoded(name);
    ExpectReference(img);
    EXPECT_FALSE(img.HasAlpha());
  }
  // The palette version has only fully transparent and opaque entries.
  for (const char* name : {"ref_rgba.png", "ref_rgba_adam7.png", "ref_palette_trns.png"}) {
    SCOPED_TRACE(name);
    const bool palette = name[4] == 'p';
    const Image img = Decoded(name);
    ASSERT_TRUE(img.HasAlpha());
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        const int alpha = palette ? (RefAlpha(x, y) >= 128 ? 255 : 0) : RefAlpha(x, y);
        EXPECT_EQ(At(img, x, y).a, alpha) << x << "," << y;
      }
    EXPECT_TRUE(img.IsTransparent(0, kH - 1));  // top-left has alpha 0
    EXPECT_EQ(At(img, 4, 0).g, 255);
    EXPECT_EQ(At(img, 3, 2).b, 199);
  }
  const Image gray16 = Decoded("ref_gray16.png");
  const Px p = At(gray16, 0, 0);
  EXPECT_EQ(p.r, 54);  // 13936 / 65535
  EXPECT_EQ(p.r, p.b);
  EXPECT_EQ(At(gray16, 4, 2).g, 255);
}

TEST(GifDecodeTest, FirstFrameOnTheScreenWithTransparency) {
  Image img = Decoded("ref.gif");
  ExpectReference(img);
  EXPECT_FALSE(img.HasAlpha());
  // Interlaced, each reference row repeated 6 times, with a second
  // (negated) frame that must not show.
  img = Decoded("ref_anim.gif");
  ASSERT_EQ(img.GetHeight(), 18u);
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < kW; ++x) {
      EXPECT_EQ(At(img, x, y).r, kRef[y / 6][x][0]) << x << "," << y;
      EXPECT_EQ(At(img, x, y).b, kRef[y / 6][x][2]) << x << "," << y;
    }

  // The colour of pixel (2,1) is the transparent one.
  img = Decoded("ref_transparent.gif");
  EXPECT_EQ(At(img, 2, 1).a, 0);
  EXPECT_EQ(At(img, 1, 1).a, 255);
  EXPECT_EQ(At(img, 0, 0).r, 255);

  // A frame at (2,1) on a 9x6 screen: the rest of the screen is transparent.
  img = Decoded("ref_offset.gif");
  ASSERT_EQ(img.GetWidth(), 9u);
  ASSERT_EQ(img.GetHeight(), 6u);
  EXPECT_EQ(At(img, 2, 1).r, 255);
  EXPECT_EQ(At(img, 2, 1).a, 255);
  EXPECT_EQ(At(img, 6, 3).b, 255);
  EXPECT_EQ(At(img, 0, 0).a, 0);
  EXPECT_EQ(At(img, 8, 5).a, 0);
}

// ------------------------------------------------------------ BMP and icons

TEST(BmpDecodeTest, EveryDepthAndHeader) {
  const std::vector<Px> palette = RefPalette();
  struct Case {
    const char* name;
    Bytes file;
  };
  const Case cases[] = {
      {"8-bit", BmpFile(DibHeader(40, kW, kH, 8, 0, {}, 15), palette, DibBits(8, kW, kH, false, RefIndex))},
      {"4-bit", BmpFile(DibHeader(40, kW, kH, 4, 0, {}, 15), palette, DibBits(4, kW, kH, false, RefIndex))},
      {"24-bit top-down", BmpFile(DibHeader(40, kW, -kH, 24, 0, {}, 0), {}, DibBits(24, kW, kH, true, RefBgr))},
      {"32-bit", BmpFile(DibHeader(40, kW, kH, 32, 0, {}, 0), {}, DibBits(32, kW, kH, false, RefBgr))},
      {"32-bit v4 masks", BmpFile(DibHeader(108, kW, kH, 32, 3, {0xFF00, 0xFF0000, 0xFF000000, 0}, 0), {},
                                  DibBits(32, kW, kH, false, [](int x, int y) {
                                    return (kRef[y][x][0] << 8) | (kRef[y][x][1] << 16) |
                                           (static_cast<std::uint32_t>(kRef[y][x][2]) << 24);
                                  }))},
      {"ImageMagick 8-bit", ReadFixture("ref_8bit.bmp")},
      {"ImageMagick RLE8", ReadFixture("ref_rle8.bmp")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Image img;
    ASSERT_TRUE(DecodeImage(c.file.data(), c.file.size(), img));
    ExpectReference(img);
    EXPECT_FALSE(img.HasAlpha());
  }
}

TEST(BmpDecodeTest, LowDepthsBitfieldsAlphaAndRle4) {
  Image img;
  // 1-bit: a checkerboard of the two palette colours.
  Bytes bmp = BmpFile(DibHeader(40, 9, 2, 1, 0, {}, 2), {{200, 0, 0, 0}, {0, 0, 200, 0}},
                      DibBits(1, 9, 2, false, [](int x, int y) { return static_cast<std::uint32_t>((x + y) & 1); }));
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
  EXPECT_EQ(At(img, 0, 0).r, 200);
  EXPECT_EQ(At(img, 8, 0).r, 200);
  EXPECT_EQ(At(img, 8, 1).b, 200);

  // 16-bit 555 and 565 bit fields: white-ish top-left, pure red elsewhere.
  auto red555 = [](int x, int y) { return x == 0 && y == 0 ? 0x7FFFu : 0x7C00u; };
  bmp = BmpFile(DibHeader(40, 3, 2, 16, 0, {}, 0), {}, DibBits(16, 3, 2, false, red555));
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
  EXPECT_EQ(At(img, 0, 0).b, 255);
  EXPECT_EQ(At(img, 1, 0).r, 255);
  EXPECT_EQ(At(img, 1, 0).b, 0);
  auto green565 = [](int, int) { return 0x07E0u; };
  bmp = BmpFile(DibHeader(40, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, 0), {}, DibBits(16, 3, 2, false, green565));
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
  EXPECT_EQ(At(img, 2, 1).g, 255);
  EXPECT_EQ(At(img, 2, 1).r, 0);

  // 32-bit with an alpha mask (V5) keeps the alpha; all-zero alpha is opaque.
  auto with_alpha = [](int x, int y) { return RefBgr(x, y) | (static_cast<std::uint32_t>(RefAlpha(x, y)) << 24); };
  const std::vector<std::uint32_t> masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  bmp = BmpFile(DibHeader(124, kW, kH, 32, 3, masks, 0), {}, DibBits(32, kW, kH, false, with_alpha));
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
  ExpectReference(img);
  ASSERT_TRUE(img.HasAlpha());
  EXPECT_EQ(At(img, 3, 2).a, RefAlpha(3, 2));
  bmp = BmpFile(DibHeader(124, kW, kH, 32, 3, masks, 0), {}, DibBits(32, kW, kH, false, RefBgr));
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
  EXPECT_FALSE(img.HasAlpha());
  // Plain 32-bit BMPs are opaque whatever their fourth byte says.
  bmp = BmpFile(DibHeader(40, kW, kH, 32, 0, {}, 0), {}, DibBits(32, kW, kH, false, with_alpha));
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
  EXPECT_FALSE(img.HasAlpha());

  // RLE4: a run of colours 1,2 alternating, an absolute run, a move, end.
  const Bytes rle = {5, 0x12, 0, 0, 0, 3, 0x21, 0x20, 0, 0, 0, 2, 1, 0, 1, 0x11, 0, 1};
  bmp = BmpFile(DibHeader(40, kW, kH, 4, 2, {}, 3), {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}}, rle);
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
  EXPECT_EQ(At(img, 0, 2).r, 255);  // bottom row: 1 2 1 2 1
  EXPECT_EQ(At(img, 1, 2).b, 255);
  EXPECT_EQ(At(img, 4, 2).r, 255);
  EXPECT_EQ(At(img, 0, 1).b, 255);  // middle row: 2 1 2, then untouched
  EXPECT_EQ(At(img, 2, 1).b, 255);
  EXPECT_EQ(At(img, 3, 1).r + At(img, 3, 1).b, 0);
  EXPECT_EQ(At(img, 1, 0).r, 255);  // moved one right, one up
  EXPECT_EQ(At(img, 0, 0).r + At(img, 0, 0).b, 0);
}

// The program's own decoders hand their rows over as they go: a sink that
// wants only some rows gets those of the picture decoded whole, in order.
// Each conversion of BMP rows, TGA raw and run-length pixels from each
// origin (with alpha, and with all-zero alpha, which means opaque), PCX and
// WBMP.
TEST(OwnDecodersTest, StreamTheRowsASinkWants) {
  struct Case {
    std::string name;
    Bytes file;
    bool (*decode)(const std::uint8_t*, std::size_t, RowSink&);
    bool (*whole)(const std::uint8_t*, std::size_t, Image&);
  };
  std::vector<Case> cases;
  // 7 x 6 (most rows end in padding) of stored bits without a pattern,
  // but for the bits of `clear`.
  const int w = 7, h = 6;
  auto bmp = [&](std::string name, std::uint32_t header, int bpp, std::uint32_t compression,
                 std::vector<std::uint32_t> masks, bool top_down, std::uint32_t clear = 0) {
    std::vector<Px> colours = RefPalette();
    colours.resize(bpp <= 8 ? std::min(15, 1 << bpp) : 0);
    const Bytes bits = DibBits(bpp, w, h, top_down, [=](int x, int y) {
      std::uint32_t v = static_cast<std::uint32_t>(x) * 0x9E3779B1u + static_cast<std::uint32_t>(y) * 0x85EBCA77u;
      v ^= v >> 15;
      return (bpp == 32 ? v : v & ((1u << bpp) - 1)) & ~clear;
    });
    cases.push_back({std::move(name),
                     BmpFile(DibHeader(header, w, top_down ? -h : h, bpp, compression, masks,
                                       static_cast<int>(colours.size())), colours, bits),
                     DecodeBmp, DecodeBmp});
  };
  const std::vector<std::uint32_t> m8888 = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  bmp("1-bit", 40, 1, 0, {}, false);
  bmp("4-bit top-down", 40, 4, 0, {}, true);
  bmp("8-bit", 40, 8, 0, {}, false);
  bmp("16-bit 565", 40, 16, 3, {0xF800, 0x07E0, 0x001F}, false);
  bmp("16-bit 4444", 124, 16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, false);
  bmp("24-bit", 40, 24, 0, {}, false);
  bmp("24-bit top-down", 108, 24, 0, {}, true);
  bmp("32-bit, fourth byte unused", 40, 32, 0, {}, false);
  bmp("32-bit 10-bit fields", 40, 32, 3, {0x3FF00000, 0x000FFC00, 0x000003FF}, false);
  bmp("32-bit alpha fields", 40, 32, 6, m8888, false);
  bmp("32-bit V5 alpha top-down", 124, 32, 3, m8888, true);
  bmp("32-bit V5 all-zero alpha", 124, 32, 3, m8888, false, 0xFF000000);
  cases.push_back({"BMP RLE8", ReadFixture("ref_rle8.bmp"), DecodeBmp, DecodeBmp});

  for (int descriptor : {0x00, 0x20, 0x10, 0x30}) {
    const std::string origin = "TGA origin " + std::to_string(descriptor);
    cases.push_back({origin, TgaFile(2, 24, descriptor), DecodeTga, DecodeTga});
    Bytes alpha = TgaFile(2, 32, descriptor | 8);
    cases.push_back({origin + " alpha", alpha, DecodeTga, DecodeTga});
    for (std::size_t i = 18 + 3; i < alpha.size(); i += 4) alpha[i] = 0;
    cases.push_back({origin + " all-zero alpha", alpha, DecodeTga, DecodeTga});
  }
  cases.push_back({"TGA RLE", ReadFixture("ref_rle.tga"), DecodeTga, DecodeTga});
  // From the right, with alpha: a run of 7 across rows, 3 raw pixels, a
  // run cut at the end of the picture.
  Bytes rle = TgaFile(2, 32, 0x18);
  rle.resize(18);
  rle[2] = 10;
  for (int b : {0x86, 1, 2, 3, 0, 0x02, 4, 5, 6, 7, 8, 9, 10, 0, 11, 12, 13, 99, 0xFF, 14, 15, 16, 0})
    rle.push_back(static_cast<std::uint8_t>(b));
  cases.push_back({"TGA RLE alpha", rle, DecodeTga, DecodeTga});
  cases.push_back({"PCX 8", ReadFixture("ref_8bit.pcx"), DecodePcx, DecodePcx});
  cases.push_back({"PCX 24", ReadFixture("ref_24bit.pcx"), DecodePcx, DecodePcx});
  cases.push_back({"WBMP", ReadFixture("ref.wbmp"), DecodeWbmp, DecodeWbmp});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Image whole;
    ASSERT_TRUE(c.whole(c.file.data(), c.file.size(), whole));
    const std::uint32_t n = whole.GetHeight();
    // All, a band in the middle, the first row, the last.
    for (const RowSpan want : {RowSpan{0, 0}, RowSpan{n / 3, n - n / 3}, RowSpan{0, 1}, RowSpan{n - 1, n}})
      EXPECT_TRUE(StreamsLikeWhole(c.decode, c.whole, c.file, want)) << "rows " << want.first << ".." << want.end;
  }
}

// Channels narrower than 8 bits are widened by repeating their bits, as GDI
// and WIC widen 555 and 565 pixels: the Windows build reads those through
// WIC and must show the same levels. Every level of each width is checked.
TEST(BmpDecodeTest, NarrowChannelsRepeatTheirBits) {
  // The system's levels for each width (WIC's 555 and 565 conversions for
  // 5 and 6 bits).
  auto widen = [](std::uint32_t v, int bits) {
    static const int kThreeBit[8] = {0, 36, 73, 109, 146, 182, 219, 255};
    switch (bits) {
      case 2: return static_cast<int>(v * 85);
      case 3: return kThreeBit[v];
      case 4: return static_cast<int>(v * 17);
      case 5: return static_cast<int>((v << 3) | (v >> 2));
      default: return static_cast<int>((v << 2) | (v >> 4));
    }
  };

  struct Case {
    const char* name;
    std::uint32_t compression;
    std::vector<std::uint32_t> masks;  // red, green, blue, alpha
    int red_bits, green_bits, blue_bits, alpha_bits;
  };
  const Case cases[] = {
      {"555 without masks", 0, {}, 5, 5, 5, 0},
      {"565", 3, {0xF800, 0x07E0, 0x001F}, 5, 6, 5, 0},
      {"4444 with alpha", 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, 4, 4, 4, 4},
      {"332 with a 3-bit red", 3, {0x00E0, 0x001C, 0x0003}, 3, 3, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // One row of 64 pixels; pixel x holds level x (wrapped) in every channel.
    const int w = 64;
    auto value = [&](int x, int) {
      const int blue_at = 0, green_at = c.blue_bits, red_at = c.blue_bits + c.green_bits;
      std::uint32_t v = (static_cast<std::uint32_t>(x % (1 << c.blue_bits)) << blue_at) |
                        (static_cast<std::uint32_t>(x % (1 << c.green_bits)) << green_at) |
                        (static_cast<std::uint32_t>(x % (1 << c.red_bits)) << red_at);
      if (c.alpha_bits) v |= static_cast<std::uint32_t>(x % (1 << c.alpha_bits)) << 12;
      return v;
    };
    const std::uint32_t header = c.alpha_bits ? 124 : 40;
    const Bytes bmp = BmpFile(DibHeader(header, w, 1, 16, c.compression, c.masks, 0), {},
                              DibBits(16, w, 1, false, value));
    Image img;
    ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
    ASSERT_EQ(img.HasAlpha(), c.alpha_bits != 0);
    for (int x = 0; x < w; ++x) {
      SCOPED_TRACE(testing::Message() << "level " << x);
      const Px p = At(img, x, 0);
      EXPECT_EQ(p.r, widen(static_cast<std::uint32_t>(x % (1 << c.red_bits)), c.red_bits));
      EXPECT_EQ(p.g, widen(static_cast<std::uint32_t>(x % (1 << c.green_bits)), c.green_bits));
      EXPECT_EQ(p.b, widen(static_cast<std::uint32_t>(x % (1 << c.blue_bits)), c.blue_bits));
      if (c.alpha_bits) {
        EXPECT_EQ(p.a, (x % 16) * 17);
      }
    }
  }

  // Channels wider than 8 bits keep their top 8.
  const std::vector<std::uint32_t> ten = {0x3FF00000, 0x000FFC00, 0x000003FF};
  const Bytes bmp = BmpFile(DibHeader(40, 2, 1, 32, 3, ten, 0), {}, DibBits(32, 2, 1, false, [](int x, int) {
                              return x == 0 ? (0x3FFu << 20) | (0x200u << 10) | 0x0FFu : 0x001u << 20;
                            }));
  Image img;
  ASSERT_TRUE(DecodeBmp(bmp.data(), bmp.size(), img));
  EXPECT_EQ(At(img, 0, 0).r, 255);
  EXPECT_EQ(At(img, 0, 0).g, 128);
  EXPECT_EQ(At(img, 0, 0).b, 63);
  EXPECT_EQ(At(img, 1, 0).r, 0);
}

TEST(IcoDecodeTest, LargestPictureWithItsTransparency) {
  Image img;
  const Bytes im = ReadFixture("ref_32bit.ico");
  ASSERT_TRUE(DecodeImage(im.data(), im.size(), img));
  ExpectReference(img);

  // Two pictures: the 5x3 24-bit PNG first, then a 10x6 8-bit DIB whose AND
  // mask makes its top-right 2x2 block transparent. The larger one wins
  // over the deeper one.
  Bytes dib = DibHeader(40, 2 * kW, 4 * kH, 8, 0, {}, 15);
  for (const Px& p : RefPalette())
    dib.push_back(static_cast<std::uint8_t>(p.b)), dib.push_back(static_cast<std::uint8_t>(p.g)),
        dib.push_back(static_cast<std::uint8_t>(p.r)), dib.push_back(0);
  const Bytes xor_bits = DibBits(8, 2 * kW, 2 * kH, false, [](int x, int y) { return RefIndex(x / 2, y / 2); });
  const Bytes and_bits =
      DibBits(1, 2 * kW, 2 * kH, false, [](int x, int y) { return x / 2 == kW - 1 && y / 2 == 0 ? 1u : 0u; });
  dib.insert(dib.end(), xor_bits.begin(), xor_bits.end());
  dib.insert(dib.end(), and_bits.begin(), and_bits.end());
  const Bytes png = ReadFixture("ref.png");
  Bytes ico = {0, 0, 1, 0, 2, 0};
  auto entry = [&](int w, int h, int bpp, std::size_t length, std::size_t offset) {
    ico.push_back(static_cast<std::uint8_t>(w)), ico.push_back(static_cast<std::uint8_t>(h));
    ico.push_back(0), ico.push_back(0);
    Put16(ico, 1), Put16(ico, static_cast<std::uint32_t>(bpp));
    Put32(ico, static_cast<std::uint32_t>(length)), Put32(ico, static_cast<std::uint32_t>(offset));
  };
  entry(kW, kH, 24, png.size(), 38);
  entry(2 * kW, 2 * kH, 8, dib.size(), 38 + png.size());
  ico.insert(ico.end(), png.begin(), png.end());
  ico.insert(ico.end(), dib.begin(), dib.end());
  ASSERT_TRUE(DecodeImage(ico.data(), ico.size(), img));
  ExpectReference(img, 0, 2);
  EXPECT_TRUE(img.IsTransparent(2 * kW - 1, 2 * kH - 1));
  EXPECT_TRUE(img.IsTransparent(2 * kW - 2, 2 * kH - 2));
  EXPECT_FALSE(img.IsTransparent(2 * kW - 3, 2 * kH - 1));
  EXPECT_FALSE(img.IsTransparent(0, 2 * kH - 1));

  // Without its mask the 8-bit picture is unusable; the PNG is taken.
  Bytes no_mask = ico;
  no_mask.resize(no_mask.size() - and_bits.size());
  no_mask[6 + 16 + 8] = static_cast<std::uint8_t>(dib.size() - and_bits.size());
  ASSERT_TRUE(DecodeIco(no_mask.data(), no_mask.size(), img));
  ExpectReference(img);

  // The PNG picture alone decodes through the platform's PNG decoder.
  ico[4] = 1;
  ASSERT_TRUE(DecodeIco(ico.data(), ico.size(), img));
  ExpectReference(img);
}

// ------------------------------------------------------------ own formats

TEST(TgaDecodeTest, TypesOriginsAndRunLengths) {
  Image img;
  ASSERT_TRUE(DecodeImage(ReadFixture("ref_rle.tga").data(), ReadFixture("ref_rle.tga").size(), img));
  ExpectReference(img);

  for (int descriptor : {0x00, 0x20, 0x10, 0x30}) {
    SCOPED_TRACE(descriptor);
    Bytes tga = TgaFile(2, 24, descriptor);
    ASSERT_TRUE(DecodeImage(tga.data(), tga.size(), img));
    ExpectReference(img);
    tga = TgaFile(1, 8, descriptor);
    ASSERT_TRUE(DecodeImage(tga.data(), tga.size(), img));
    ExpectReference(img);
  }
  Bytes tga = TgaFile(3, 8, 0x20);
  ASSERT_TRUE(DecodeImage(tga.data(), tga.size(), img));
  EXPECT_EQ(At(img, 4, 0).r, 255);  // green level of the top-right pixel
  EXPECT_EQ(At(img, 0, 0).g, 0);

  // 32-bit keeps its alpha, unless every alpha byte is zero.
  tga = TgaFile(2, 32, 0x28);
  ASSERT_TRUE(DecodeImage(tga.data(), tga.size(), img));
  ExpectReference(img);
  ASSERT_TRUE(img.HasAlpha());
  EXPECT_EQ(At(img, 4, 2).a, RefAlpha(4, 2));
  for (std::size_t i = 18 + 3; i < tga.size(); i += 4) tga[i] = 0;
  ASSERT_TRUE(DecodeImage(tga.data(), tga.size(), img));
  EXPECT_FALSE(img.HasAlpha());

  // RLE: a run crossing a row, raw pixels, then a run longer than what is
  // left of the picture (cut at its end). 16-bit pixels 0x7C00 = red.
  Bytes rle = TgaFile(2, 16, 0x20);
  rle.resize(18);
  rle[2] = 10;
  for (int b : {0x86, 0x00, 0x7C, 0x01, 0x1F, 0x00, 0xE0, 0x03, 0xFF, 0xFF, 0xFF}) rle.push_back(static_cast<std::uint8_t>(b));
  ASSERT_TRUE(DecodeImage(rle.data(), rle.size(), img));
  EXPECT_EQ(At(img, 4, 0).r, 255);
  EXPECT_EQ(At(img, 1, 1).r, 255);
  EXPECT_EQ(At(img, 2, 1).b, 255);
  EXPECT_EQ(At(img, 3, 1).g, 255);
  EXPECT_EQ(At(img, 4, 2).r + At(img, 4, 2).g + At(img, 4, 2).b, 3 * 255);
  // ... and a run stopping short of the picture is a broken file.
  rle.resize(rle.size() - 3);
  EXPECT_FALSE(DecodeTga(rle.data(), rle.size(), img));
}

// A PCX file: header fields, then the given run-length data.
Bytes PcxFile(int bpp, int planes, int w, int h, int bytes_per_line, const Bytes& header_palette, const Bytes& data) {
  Bytes b(128, 0);
  b[0] = 0x0A, b[1] = 5, b[2] = 1, b[3] = static_cast<std::uint8_t>(bpp);
  b[8] = static_cast<std::uint8_t>(w - 1), b[10] = static_cast<std::uint8_t>(h - 1);
  std::copy(header_palette.begin(), header_palette.end(), b.begin() + 16);
  b[65] = static_cast<std::uint8_t>(planes), b[66] = static_cast<std::uint8_t>(bytes_per_line);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

TEST(PcxDecodeTest, PalettedTrueColourAndPlanar) {
  Image img;
  for (const char* name : {"ref_8bit.pcx", "ref_24bit.pcx"}) {
    SCOPED_TRACE(name);
    const Bytes pcx = ReadFixture(name);
    ASSERT_TRUE(DecodeImage(pcx.data(), pcx.size(), img));
    ExpectReference(img);
  }
  // Monochrome with an empty header palette: black and white. The run
  // (0xC2) crosses from the first line into the second.
  Bytes pcx = PcxFile(1, 1, 9, 2, 2, {}, {0xC1, 0x80, 0xC2, 0x80, 0x01});
  ASSERT_TRUE(DecodePcx(pcx.data(), pcx.size(), img));
  EXPECT_EQ(At(img, 0, 0).r, 255);
  EXPECT_EQ(At(img, 1, 0).r, 0);
  EXPECT_EQ(At(img, 7, 0).r, 0);
  EXPECT_EQ(At(img, 8, 0).r, 255);
  EXPECT_EQ(At(img, 0, 1).r, 255);
  EXPECT_EQ(At(img, 7, 1).r, 0);
  EXPECT_EQ(At(img, 8, 1).r, 0);
  // Four planes, 16 colours from the header: pixel x has colour index x.
  Bytes palette;
  for (int i = 0; i < 16; ++i) palette.insert(palette.end(), {static_cast<std::uint8_t>(i * 16), 7, 9});
  pcx = PcxFile(1, 4, 8, 1, 1, palette, {0x55, 0x33, 0x0F, 0x00});
  ASSERT_TRUE(DecodeImage(pcx.data(), pcx.size(), img));
  EXPECT_EQ(At(img, 0, 0).r, 0);
  EXPECT_EQ(At(img, 1, 0).r, 1 * 16);  // plane bits 1,0,0,0
  EXPECT_EQ(At(img, 6, 0).r, 6 * 16);  // 0,1,1,0
  EXPECT_EQ(At(img, 7, 0).r, 7 * 16);  // 1,1,1,0
  EXPECT_EQ(At(img, 6, 0).b, 9);
  // Lines missing at the end: broken.
  pcx.pop_back();
  EXPECT_FALSE(DecodePcx(pcx.data(), pcx.size(), img));
}

TEST(WbmpDecodeTest, OneBitWhiteOnBlack) {
  Image img;
  const Bytes wbmp = ReadFixture("ref.wbmp");
  ASSERT_TRUE(DecodeImage(wbmp.data(), wbmp.size(), img));
  ASSERT_EQ(img.GetWidth(), 5u);
  const char* rows[] = {"....#", ".####", "..#.#"};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(img, x, y).g, rows[y][x] == '#' ? 255 : 0) << x << "," << y;
  // Width in a two-byte integer: 130 pixels over 17 bytes.
  Bytes wide = {0, 0, 0x81, 0x02, 1};
  wide.resize(wide.size() + 17, 0);
  wide.back() = 0x40;  // pixel 129
  ASSERT_TRUE(DecodeImage(wide.data(), wide.size(), img));
  ASSERT_EQ(img.GetWidth(), 130u);
  EXPECT_EQ(At(img, 129, 0).r, 255);
  EXPECT_EQ(At(img, 128, 0).r, 0);
  // Five continuation bytes are too many.
  Bytes endless = {0, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01, 1, 0};
  EXPECT_FALSE(DecodeWbmp(endless.data(), endless.size(), img));
}

// ------------------------------------------------------------ orientation

TEST(ExifOrientationTest, AllEightOrientationsPutThePictureUpright) {
  // Where the stored top-left (red) and top-right (green) pixels end up, as
  // (right?, bottom?) of the displayed picture.
  struct Corner {
    bool right, bottom;
  };
  const Corner red[9] = {{}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const Corner green[9] = {{}, {1, 0}, {0, 0}, {0, 1}, {1, 1}, {0, 1}, {1, 1}, {1, 0}, {0, 0}};
  for (int o = 1; o <= 8; ++o) {
    for (bool big_endian : {false, true}) {
      SCOPED_TRACE(o * 10 + big_endian);
      const Bytes jpeg = WithExif(ReadFixture("ref_x8.jpg"), ExifApp1(o, big_endian));
      EXPECT_EQ(ReadExifOrientation(jpeg.data(), jpeg.size()), o);
      Image img;
      ASSERT_TRUE(DecodeImage(jpeg.data(), jpeg.size(), img));
      const bool swapped = o >= 5;
      ASSERT_EQ(img.GetWidth(), static_cast<std::uint32_t>((swapped ? kH : kW) * 8));
      const int w = static_cast<int>(img.GetWidth()), h = static_cast<int>(img.GetHeight());
      const Px r = At(img, red[o].right ? w - 1 : 0, red[o].bottom ? h - 1 : 0);
      const Px g = At(img, green[o].right ? w - 1 : 0, green[o].bottom ? h - 1 : 0);
      EXPECT_GT(r.r, 240);
      EXPECT_LT(r.g, 15);
      EXPECT_GT(g.g, 240);
      EXPECT_LT(g.r, 15);
    }
  }
}

TEST(ExifOrientationTest, TiffFilesAndDamagedBlocks) {
  // A TIFF file is its own EXIF block.
  Bytes tiff = ExifApp1(6, true);
  tiff.erase(tiff.begin(), tiff.begin() + 6);
  EXPECT_EQ(ReadExifOrientation(tiff.data(), tiff.size()), 6);
  Bytes little = ExifApp1(3, false);
  little.erase(little.begin(), little.begin() + 6);
  EXPECT_EQ(ReadExifOrientation(little.data(), little.size()), 3);
  // Out-of-range values, a cut directory or a wrong type mean "as stored".
  Bytes bad = ExifApp1(9, false);
  bad.erase(bad.begin(), bad.begin() + 6);
  EXPECT_EQ(ReadExifOrientation(bad.data(), bad.size()), 1);
  for (std::size_t n = 0; n < little.size() - 4; ++n) EXPECT_EQ(ReadExifOrientation(little.data(), n), 1);
  little[8 + 2 + 12 + 2] = 4;  // LONG instead of SHORT
  EXPECT_EQ(ReadExifOrientation(little.data(), little.size()), 1);
  const Bytes plain = ReadFixture("ref.jpg");
  EXPECT_EQ(ReadExifOrientation(plain.data(), plain.size()), 1);
  // A JPEG whose EXIF block claims more bytes than the file has.
  Bytes cut = WithExif(ReadFixture("ref.jpg"), ExifApp1(6, false));
  cut.resize(40);
  EXPECT_EQ(ReadExifOrientation(cut.data(), cut.size()), 1);
}

// ------------------------------------------------------------ hostile files

struct Sample {
  const char* name;
  Bytes data;
  bool (*decoder)(const std::uint8_t*, std::size_t, Image&);
};

bool DecodePngPlatform(const std::uint8_t* d, std::size_t n, Image& img) {
  return DecodeWithPlatform(ImageFormat::kPng, d, n, img);
}
bool DecodeJpegPlatform(const std::uint8_t* d, std::size_t n, Image& img) {
  return DecodeWithPlatform(ImageFormat::kJpeg, d, n, img);
}
bool DecodeGifPlatform(const std::uint8_t* d, std::size_t n, Image& img) {
  return DecodeWithPlatform(ImageFormat::kGif, d, n, img);
}

std::vector<Sample> AllSamples() {
  return {
      {"jpeg", ReadFixture("ref.jpg"), DecodeJpegPlatform},
      {"png", ReadFixture("ref_rgba_adam7.png"), DecodePngPlatform},
      {"gif", ReadFixture("ref_anim.gif"), DecodeGifPlatform},
      {"bmp", ReadFixture("ref_8bit.bmp"), DecodeBmp},
      {"bmp rle", ReadFixture("ref_rle8.bmp"), DecodeBmp},
      {"ico", ReadFixture("ref_32bit.ico"), DecodeIco},
      {"tga", TgaFile(1, 8, 0), DecodeTga},
      {"tga rle", ReadFixture("ref_rle.tga"), DecodeTga},
      {"pcx 8", ReadFixture("ref_8bit.pcx"), DecodePcx},
      {"pcx 24", ReadFixture("ref_24bit.pcx"), DecodePcx},
      {"wbmp", ReadFixture("ref.wbmp"), DecodeWbmp},
  };
}

TEST(HostileFileTest, TruncatedFilesAreRefusedAtEveryLength) {
  for (const Sample& s : AllSamples()) {
    SCOPED_TRACE(s.name);
    Image img;
    ASSERT_TRUE(s.decoder(s.data.data(), s.data.size(), img));
    for (std::size_t n = 0; n < s.data.size(); ++n) {
      // A fresh copy of exactly n bytes, so any overread is caught.
      const Bytes cut(s.data.begin(), s.data.begin() + static_cast<std::ptrdiff_t>(n));
      Image out;
      EXPECT_FALSE(s.decoder(cut.data(), cut.size(), out)) << "cut at " << n;
      EXPECT_FALSE(DecodeImage(cut.data(), cut.size(), out)) << "cut at " << n;
      EXPECT_FALSE(out.IsValid());
    }
  }
}

TEST(HostileFileTest, CorruptBytesNeverCrash) {
  std::uint32_t seed = 12345;
  auto next = [&]() { return seed = seed * 1103515245u + 12345u; };
  for (const Sample& s : AllSamples()) {
    SCOPED_TRACE(s.name);
    for (int round = 0; round < 300; ++round) {
      Bytes bad = s.data;
      const int flips = 1 + static_cast<int>(next() % 4);
      for (int i = 0; i < flips; ++i) bad[(next() >> 8) % bad.size()] = static_cast<std::uint8_t>(next() >> 16);
      Image img;
      if (s.decoder(bad.data(), bad.size(), img)) {
        EXPECT_TRUE(img.IsValid());
      }
      DecodeImage(bad.data(), bad.size(), img);
    }
  }
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void SetBe32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

TEST(HostileFileTest, OversizedHeadersAreRefusedWithoutAllocating) {
  std::vector<std::pair<const char*, Bytes>> files;
  auto add = [&](const char* name, Bytes b) { files.emplace_back(name, std::move(b)); };

  add("bmp", BmpFile(DibHeader(40, 100000, 100000, 24, 0, {}, 0), {}, Bytes(64, 0)));
  add("bmp int_min", BmpFile(DibHeader(40, 10, INT32_MIN, 24, 0, {}, 0), {}, Bytes(64, 0)));
  // An RLE8 picture of acceptable size needs no pixel data, so only the
  // image itself is allocated: 100000 wide is refused.
  add("bmp rle", BmpFile(DibHeader(40, 100000, 2, 8, 1, {}, 1), {{0, 0, 0, 0}}, {0, 1}));
  Bytes jpeg = ReadFixture("ref.jpg");
  for (std::size_t i = 2; i + 8 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {  // SOF0: height and width
      jpeg[i + 5] = 20000 >> 8, jpeg[i + 6] = 20000 & 0xFF, jpeg[i + 7] = 20000 >> 8, jpeg[i + 8] = 20000 & 0xFF;
      break;
    }
  add("jpeg", jpeg);
  for (std::uint32_t side : {100000u, 16000u}) {
    // 16000 x 16000 is an acceptable size, but no 400-byte file could hold it.
    Bytes png = ReadFixture("ref.png");
    SetBe32(png, 16, side);
    SetBe32(png, 20, side);
    SetBe32(png, 29, Crc32(&png[12], 17));
    add("png", png);
  }
  Bytes gif = ReadFixture("ref.gif");
  gif[6] = 0x20, gif[7] = 0x4E, gif[8] = 0x20, gif[9] = 0x4E;  // screen 20000 x 20000
  Bytes big_frame = gif;
  big_frame[0x4A] = 0x20, big_frame[0x4B] = 0x4E, big_frame[0x4C] = 0x20, big_frame[0x4D] = 0x4E;
  add("gif", big_frame);
  Bytes ico = ReadFixture("ref_32bit.ico");
  ico[22 + 4] = 0xA0, ico[22 + 5] = 0x86, ico[22 + 6] = 0x01;  // DIB width 100000
  add("ico", ico);
  Bytes tga = TgaFile(2, 24, 0);
  tga[12] = tga[13] = tga[14] = tga[15] = 0xFF;
  add("tga", tga);
  // 30000 x 8000 is acceptable, but a few packets cannot cover it.
  tga = ReadFixture("ref_rle.tga");
  tga[12] = 0x30, tga[13] = 0x75, tga[14] = 0x40, tga[15] = 0x1F;
  add("tga rle", tga);
  Bytes pcx = ReadFixture("ref_24bit.pcx");
  pcx[8] = pcx[9] = pcx[10] = pcx[11] = 0xFF;
  add("pcx", pcx);
  pcx = ReadFixture("ref_24bit.pcx");
  pcx[8] = 0x2F, pcx[9] = 0x75, pcx[10] = 0x40, pcx[11] = 0x1F, pcx[66] = 0x30, pcx[67] = 0x75;
  add("pcx acceptable size", pcx);
  Bytes wbmp = {0, 0, 0x86, 0x8D, 0x20, 1};  // 100000 x 1, every byte there
  wbmp.resize(wbmp.size() + 12500, 0);
  add("wbmp", wbmp);

  for (const auto& f : files) {
    SCOPED_TRACE(f.first);
    g_largest_allocation = 0;
    Image img;
    EXPECT_FALSE(DecodeImage(f.second.data(), f.second.size(), img));
    EXPECT_LT(g_largest_allocation.load(), 16u << 20);
  }
  // A huge screen around a small first frame is cut to the frame.
  g_largest_allocation = 0;
  Image img;
  ASSERT_TRUE(DecodeImage(gif.data(), gif.size(), img));
  ExpectReference(img);
  EXPECT_LT(g_largest_allocation.load(), 16u << 20);
}

}  // namespace
}  // namespace vistelle
