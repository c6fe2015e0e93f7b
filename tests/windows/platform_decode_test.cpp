// The Windows decoders (WIC, GDI metafiles). The fixtures in
// tests/data/windows come from another encoder (ImageMagick): pattern.* is
// one 5x3 picture with every pixel its own colour (so flips, swapped
// channels and row padding show); pattern_alpha.png adds the alpha kAlpha;
// pattern_transparent.gif has its bottom-right pixel transparent;
// sizes.ico holds 16x16 red, 32x32 blue over green with a see-through
// top-left pixel, and 24x24 white; quadrants.jpg is 32x32, red green over
// blue white.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "image/image.h"
#include "image/image_codecs.h"
#include "tests/native/streamed_rows.h"

namespace vistelle {
namespace {

struct Rgb {
  int r, g, b;
};
// Top row first.
const Rgb kPattern[3][5] = {
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}},
    {{255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {128, 128, 128}, {10, 20, 30}},
    {{200, 100, 50}, {200, 100, 50}, {200, 100, 50}, {200, 100, 50}, {60, 180, 90}},
};
const int kAlpha[3][5] = {{255, 128, 64, 0, 255}, {255, 255, 255, 255, 255}, {255, 255, 255, 255, 200}};

std::vector<std::uint8_t> Fixture(const std::string& name) {
  std::vector<std::uint8_t> bytes;
  const std::string path = std::string(VISTELLE_SOURCE_DIR) + "/tests/data/windows/" + name;
  EXPECT_TRUE(ReadWholeFile(path, bytes, 1u << 20)) << path;
  return bytes;
}

bool Decode(ImageFormat format, const std::vector<std::uint8_t>& bytes, Image& out) {
  return DecodeWithPlatform(format, bytes.data(), bytes.size(), out);
}

// The pixel in `column`, `row` counted from the top as the picture shows.
Rgba Shown(const Image& image, int column, int row) {
  return image.GetPixelColor(column, static_cast<std::int64_t>(image.GetHeight()) - 1 - row);
}

void ExpectColor(const Rgba& c, const Rgb& want, int tolerance = 0) {
  EXPECT_NEAR(c.red, want.r, tolerance);
  EXPECT_NEAR(c.green, want.g, tolerance);
  EXPECT_NEAR(c.blue, want.b, tolerance);
}

struct FormatCase {
  const char* file;
  ImageFormat format;
};
const FormatCase kLossless[] = {{"pattern24.bmp", ImageFormat::kBmp},
                                {"pattern.png", ImageFormat::kPng},
                                {"pattern.gif", ImageFormat::kGif},
                                {"pattern.tif", ImageFormat::kTiff}};

TEST(PlatformDecode, LosslessFormatsGiveThePatternUprightAndOpaque) {
  for (const FormatCase& c : kLossless) {
    SCOPED_TRACE(c.file);
    Image image;
    ASSERT_TRUE(Decode(c.format, Fixture(c.file), image));
    ASSERT_EQ(image.GetWidth(), 5u);
    ASSERT_EQ(image.GetHeight(), 3u);
    EXPECT_FALSE(image.HasAlpha());
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 5; ++column) {
        SCOPED_TRACE(testing::Message() << "column " << column << " row " << row);
        ExpectColor(Shown(image, column, row), kPattern[row][column]);
      }
  }
}

TEST(PlatformDecode, TruncatedOrDamagedFilesAreRefused) {
  std::vector<FormatCase> cases(std::begin(kLossless), std::end(kLossless));
  cases.push_back({"quadrants.jpg", ImageFormat::kJpeg});
  cases.push_back({"sizes.ico", ImageFormat::kIco});
  cases.push_back({"pattern_alpha.png", ImageFormat::kPng});
  for (const FormatCase& c : cases) {
    const std::vector<std::uint8_t> bytes = Fixture(c.file);
    for (const std::size_t keep : {bytes.size() * 6 / 10, bytes.size() / 3, std::size_t{12}}) {
      SCOPED_TRACE(testing::Message() << c.file << " cut to " << keep << " bytes");
      Image image;
      EXPECT_FALSE(Decode(c.format, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + keep), image));
      EXPECT_FALSE(image.IsValid());
    }
    // The signature followed by noise.
    std::vector<std::uint8_t> noise(bytes.begin(), bytes.begin() + 8);
    for (int i = 0; i < 300; ++i) noise.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    Image image;
    EXPECT_FALSE(Decode(c.format, noise, image)) << c.file << " with noise";
  }
  Image image;
  EXPECT_FALSE(DecodeWithPlatform(ImageFormat::kPng, nullptr, 0, image));
}

TEST(PlatformDecode, PngAlphaGoesToTheAlphaPlaneWithStraightColours) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kPng, Fixture("pattern_alpha.png"), image));
  ASSERT_TRUE(image.HasAlpha());
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column) {
      SCOPED_TRACE(testing::Message() << "column " << column << " row " << row);
      const Rgba c = Shown(image, column, row);
      EXPECT_EQ(c.alpha, kAlpha[row][column]);
      // Not multiplied by alpha; an invisible pixel's colour is free.
      if (kAlpha[row][column] != 0) ExpectColor(c, kPattern[row][column]);
    }
}

TEST(PlatformDecode, GifTransparentColourIsTransparentAndOnlyThat) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kGif, Fixture("pattern_transparent.gif"), image));
  ASSERT_TRUE(image.HasAlpha());
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column) {
      const bool transparent = row == 2 && column == 4;
      EXPECT_EQ(image.IsTransparent(column, 2 - row), transparent) << "column " << column << " row " << row;
      if (!transparent) ExpectColor(Shown(image, column, row), kPattern[row][column]);
    }
}

TEST(PlatformDecode, JpegQuadrantsComeOutInPlace) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kJpeg, Fixture("quadrants.jpg"), image));
  ASSERT_EQ(image.GetWidth(), 32u);
  ASSERT_EQ(image.GetHeight(), 32u);
  EXPECT_FALSE(image.HasAlpha());
  ExpectColor(Shown(image, 4, 4), {255, 0, 0}, 12);
  ExpectColor(Shown(image, 27, 4), {0, 255, 0}, 12);
  ExpectColor(Shown(image, 4, 27), {0, 0, 255}, 12);
  ExpectColor(Shown(image, 27, 27), {255, 255, 255}, 12);
}

// WIC's rows go to a sink a band at a time, only those it wants: the rows
// of the picture decoded whole, a JPEG asked for at half its size too (Wine's
// JPEG decoder cannot make it smaller, Windows' can). Wanted: every row, a
// band in the middle, the last row.
TEST(PlatformDecode, RowsStreamAsTheyAreDecodedWhole) {
  const struct {
    const char* file;
    ImageFormat format;
    int eighths;
  } cases[] = {{"quadrants.jpg", ImageFormat::kJpeg, 8}, {"../quadrants_640x400.jpg", ImageFormat::kJpeg, 4},
               {"pattern_alpha.png", ImageFormat::kPng, 8}, {"pattern_transparent.gif", ImageFormat::kGif, 8},
               {"pattern24.bmp", ImageFormat::kBmp, 8}};
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> bytes = Fixture(c.file);
    const auto streamed = [&](const std::uint8_t* data, std::size_t size, RowSink& sink) {
      return DecodeWithPlatform(c.format, data, size, sink, c.eighths);
    };
    const auto whole = [&](const std::uint8_t* data, std::size_t size, Image& out) {
      return DecodeWithPlatform(c.format, data, size, out, c.eighths);
    };
    Image shown;
    ASSERT_TRUE(whole(bytes.data(), bytes.size(), shown)) << c.file;
    const std::uint32_t h = shown.GetHeight();
    for (const RowSpan want : {RowSpan{0, 0}, RowSpan{h / 3, h / 3 + (h + 2) / 3}, RowSpan{h - 1, h}})
      EXPECT_TRUE(StreamsLikeWhole(streamed, whole, bytes, want)) << c.file << " at " << c.eighths << "/8";
  }
}

TEST(PlatformDecode, IconGivesItsLargestPictureWithItsMask) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kIco, Fixture("sizes.ico"), image));
  ASSERT_EQ(image.GetWidth(), 32u);
  ASSERT_EQ(image.GetHeight(), 32u);
  ExpectColor(Shown(image, 5, 3), {0, 0, 255});
  ExpectColor(Shown(image, 5, 28), {0, 255, 0});
  EXPECT_TRUE(image.IsTransparent(0, 31));
  EXPECT_FALSE(image.IsTransparent(1, 31));
  EXPECT_FALSE(image.IsTransparent(0, 0));
}

// Refused from the header, before any pixel is fetched: a side beyond the
// limit, and sides within it but too many pixels in all.
TEST(PlatformDecode, OversizedPicturesAreRefused) {
  const std::uint32_t sizes[][2] = {{40000, 3}, {3, 40000}, {20000, 20000}};
  for (const auto& size : sizes) {
    std::vector<std::uint8_t> bmp = Fixture("pattern24.bmp");
    std::memcpy(&bmp[18], &size[0], 4);
    std::memcpy(&bmp[22], &size[1], 4);
    Image image;
    EXPECT_FALSE(Decode(ImageFormat::kBmp, bmp, image)) << size[0] << "x" << size[1];
    EXPECT_FALSE(image.IsValid());
  }
}

// ---------------------------------------------------------------------------
// Windows metafiles.

struct Record {
  std::uint16_t function;
  std::vector<std::uint16_t> params;
};

// A metafile of the records, with an object table of `objects` entries;
// placeable ones carry a frame of one inch square (96x96 pixels).
std::vector<std::uint8_t> BuildWmf(std::uint16_t objects, const std::vector<Record>& records,
                                   bool placeable = true) {
  std::vector<std::uint16_t> words;
  if (placeable) words = {0xCDD7, 0x9AC6, 0, 0, 0, 1440, 1440, 1440, 0, 0, 0};
  const std::size_t header = words.size();
  words.insert(words.end(), {1, 9, 0x0300, 0, 0, objects, 0, 0, 0});
  for (const Record& r : records) {
    words.insert(words.end(), {static_cast<std::uint16_t>(3 + r.params.size()), 0, r.function});
    words.insert(words.end(), r.params.begin(), r.params.end());
  }
  words.insert(words.end(), {3, 0, 0});
  words[header + 3] = static_cast<std::uint16_t>(words.size() - header);
  std::vector<std::uint8_t> out(words.size() * 2);
  std::memcpy(out.data(), words.data(), out.size());
  return out;
}

// A red brush in object 0, and the left half of the frame filled with it.
std::vector<Record> RedLeftHalf() {
  return {{0x0103, {8}},                 // SETMAPMODE anisotropic
          {0x020C, {1440, 1440}},        // SETWINDOWEXT
          {0x02FC, {0, 0x00FF, 0, 0}},   // CREATEBRUSHINDIRECT solid red
          {0x012D, {0}},                 // SELECTOBJECT 0
          {0x041B, {1441, 720, 0, 0}}};  // RECTANGLE (bottom, right, top, left)
}

TEST(PlatformDecode, MetafileIsDrawnAtItsFrameSizeOnWhite) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kWmf, BuildWmf(1, RedLeftHalf()), image));
  ASSERT_EQ(image.GetWidth(), 96u);
  ASSERT_EQ(image.GetHeight(), 96u);
  ExpectColor(Shown(image, 20, 70), {255, 0, 0});
  ExpectColor(Shown(image, 75, 20), {255, 255, 255});

  // Without the placeable header the picture still comes out, bounded.
  ASSERT_TRUE(Decode(ImageFormat::kWmf, BuildWmf(1, RedLeftHalf(), false), image));
  EXPECT_LE(image.GetWidth(), 4096u);
  EXPECT_LE(image.GetHeight(), 4096u);

  // A frame too large to draw whole is drawn smaller, keeping its shape.
  std::vector<std::uint8_t> vast = BuildWmf(1, RedLeftHalf());
  const std::uint16_t wide[3] = {2880, 1440, 1};  // right, bottom, units an inch
  std::memcpy(&vast[10], wide, 6);
  ASSERT_TRUE(Decode(ImageFormat::kWmf, vast, image));
  EXPECT_EQ(image.GetWidth(), 4096u);
  EXPECT_EQ(image.GetHeight(), 2048u);
}

TEST(PlatformDecode, DamagedMetafilesAreRefused) {
  const std::vector<std::uint8_t> good = BuildWmf(1, RedLeftHalf());
  Image image;
  // Cut before the end record, and nothing but the placeable header.
  EXPECT_FALSE(Decode(ImageFormat::kWmf, std::vector<std::uint8_t>(good.begin(), good.end() - 7), image));
  EXPECT_FALSE(Decode(ImageFormat::kWmf, std::vector<std::uint8_t>(good.begin(), good.begin() + 22), image));
  // A record reaching beyond the file.
  std::vector<std::uint8_t> long_record = good;
  const std::uint32_t huge = 0x40000000;
  std::memcpy(&long_record[22 + 18], &huge, 4);
  EXPECT_FALSE(Decode(ImageFormat::kWmf, long_record, image));
  // An empty frame.
  std::vector<std::uint8_t> flat = good;
  std::memset(&flat[6], 0, 8);
  EXPECT_FALSE(Decode(ImageFormat::kWmf, flat, image));
}

// Records whose parameters would make GDI read outside the file.
TEST(PlatformDecode, MetafileRecordsThatPointOutsideAreRefused) {
  const Record bad_records[] = {
      {0x012D, {1}},                          // SELECTOBJECT beyond the object table
      {0x01F0, {}},                           // DELETEOBJECT without its handle
      {0x0228, {0, 7}},                       // FILLREGION with a region beyond the table
      {0x0324, {100, 0, 0, 10, 10}},          // POLYGON of 100 points with 2 given
      {0x0538, {2, 2, 0xFFFF, 0, 0, 5, 5}},   // POLYPOLYGON with a negative count
      {0x0521, {50, 0x6548, 0, 0}},           // TEXTOUT of 50 characters with 2 given
      {0x0A32, {0, 0, 9, 0x0004, 1, 2}},      // EXTTEXTOUT clipped, without its rectangle
      {0x0626, {0x000F, 400, 0}},             // ESCAPE with 400 bytes of 2
      {0x0F43, {0x0020, 0x00CC, 0, 0, 0, 4, 4, 4, 4, 0, 0,  // STRETCHDIB: a header, no pixels
                40, 0, 4, 0, 4, 0, 1, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {0x01F9, {3, 0}},                       // CREATEPATTERNBRUSH (old bitmap)
  };
  for (const Record& bad : bad_records) {
    std::vector<Record> records = RedLeftHalf();
    records.insert(records.begin() + 4, bad);
    Image image;
    EXPECT_FALSE(Decode(ImageFormat::kWmf, BuildWmf(1, records), image)) << "function " << std::hex << bad.function;
  }
  // A font whose face name is shorter than the full record is fine.
  std::vector<Record> records = RedLeftHalf();
  records.push_back({0x02FB, {0xFFC0, 0, 0, 0, 400, 0, 0, 0, 0, 0x7241, 0x6169, 0x006C}});  // "Arial"
  records.push_back({0x012D, {1}});
  records.push_back({0x0521, {2, 0x4949, 100, 100}});  // TEXTOUT "II"
  Image image;
  EXPECT_TRUE(Decode(ImageFormat::kWmf, BuildWmf(2, records), image));
}

}  // namespace
}  // namespace vistelle
