// The Windows decoders (WIC, GDI metafiles) on small pictures made by
// another encoder. The fixtures in tests/data/windows were written with
// ImageMagick from one 5x3 pattern, every pixel a different colour, so that
// flips, swapped channels and row padding show:
//   convert rgb.ppm BMP3:pattern24.bmp          (and .png, .gif, .tif -compress lzw)
//   convert rgba.pam pattern_alpha.png          (the pattern with alpha kAlpha)
//   convert rgb.ppm -transparent 'rgb(1,2,3)' pattern_transparent.gif
//   sizes.ico: 16x16 red, 32x32 blue over green with a transparent top-left
//   pixel, 24x24 white; quadrants.jpg: 32x32, red green / blue white.
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "render/image.h"
#include "render/image_codecs.h"

namespace vistelle {
namespace {

struct Rgb {
  int r, g, b;
};

// The pattern as shown, top row first.
const Rgb kPattern[3][5] = {
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}},
    {{255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {128, 128, 128}, {10, 20, 30}},
    {{200, 100, 50}, {200, 100, 50}, {200, 100, 50}, {200, 100, 50}, {1, 2, 3}},
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

// (column, row from the top) of the picture as shown.
Rgba PixelShown(const Image& image, int column, int row_from_top) {
  return image.GetPixelColor(column, static_cast<std::int64_t>(image.GetHeight()) - 1 - row_from_top);
}

void ExpectPattern(const Image& image) {
  ASSERT_EQ(image.GetWidth(), 5u);
  ASSERT_EQ(image.GetHeight(), 3u);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column) {
      const Rgba c = PixelShown(image, column, row);
      const Rgb& want = kPattern[row][column];
      EXPECT_EQ(c.red, want.r) << "column " << column << " row " << row;
      EXPECT_EQ(c.green, want.g) << "column " << column << " row " << row;
      EXPECT_EQ(c.blue, want.b) << "column " << column << " row " << row;
    }
}

struct LosslessCase {
  const char* file;
  ImageFormat format;
};

class LosslessDecode : public ::testing::TestWithParam<LosslessCase> {};

TEST_P(LosslessDecode, GivesThePatternUprightAndOpaque) {
  Image image;
  ASSERT_TRUE(Decode(GetParam().format, Fixture(GetParam().file), image));
  ExpectPattern(image);
  EXPECT_FALSE(image.HasAlpha());
}

TEST_P(LosslessDecode, RefusesTruncatedAndDamagedFiles) {
  const std::vector<std::uint8_t> bytes = Fixture(GetParam().file);
  ASSERT_GT(bytes.size(), 40u);
  for (const std::size_t keep : {bytes.size() * 6 / 10, bytes.size() / 3, std::size_t{12}}) {
    const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + keep);
    Image image;
    EXPECT_FALSE(Decode(GetParam().format, cut, image)) << "kept " << keep << " bytes";
    EXPECT_FALSE(image.IsValid());
  }
  // The signature followed by noise.
  std::vector<std::uint8_t> noise(bytes.begin(), bytes.begin() + 8);
  for (int i = 0; i < 200; ++i) noise.push_back(static_cast<std::uint8_t>(i * 37 + 11));
  Image image;
  EXPECT_FALSE(Decode(GetParam().format, noise, image));
}

INSTANTIATE_TEST_SUITE_P(Formats, LosslessDecode,
                         ::testing::Values(LosslessCase{"pattern24.bmp", ImageFormat::kBmp},
                                           LosslessCase{"pattern.png", ImageFormat::kPng},
                                           LosslessCase{"pattern.gif", ImageFormat::kGif},
                                           LosslessCase{"pattern.tif", ImageFormat::kTiff}),
                         [](const ::testing::TestParamInfo<LosslessCase>& info) {
                           std::string name = info.param.file;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST(PlatformDecode, PngAlphaGoesToTheAlphaPlaneWithStraightColours) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kPng, Fixture("pattern_alpha.png"), image));
  ASSERT_TRUE(image.HasAlpha());
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column) {
      const Rgba c = PixelShown(image, column, row);
      EXPECT_EQ(c.alpha, kAlpha[row][column]) << "column " << column << " row " << row;
      if (kAlpha[row][column] == 0) continue;  // the colour of an invisible pixel is free
      // Not multiplied by alpha.
      EXPECT_EQ(c.red, kPattern[row][column].r) << "column " << column << " row " << row;
      EXPECT_EQ(c.green, kPattern[row][column].g) << "column " << column << " row " << row;
      EXPECT_EQ(c.blue, kPattern[row][column].b) << "column " << column << " row " << row;
    }
  EXPECT_TRUE(image.IsTransparent(3, 2));
  EXPECT_FALSE(image.IsTransparent(1, 2));
}

TEST(PlatformDecode, GifTransparentColourIsTransparentAndOnlyThat) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kGif, Fixture("pattern_transparent.gif"), image));
  ASSERT_TRUE(image.HasAlpha());
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column) {
      const bool transparent = row == 2 && column == 4;
      EXPECT_EQ(image.IsTransparent(column, 2 - row), transparent) << "column " << column << " row " << row;
      if (!transparent) {
        EXPECT_EQ(PixelShown(image, column, row).red, kPattern[row][column].r);
        EXPECT_EQ(PixelShown(image, column, row).blue, kPattern[row][column].b);
      }
    }
}

TEST(PlatformDecode, JpegQuadrantsComeOutInPlace) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kJpeg, Fixture("quadrants.jpg"), image));
  ASSERT_EQ(image.GetWidth(), 32u);
  ASSERT_EQ(image.GetHeight(), 32u);
  EXPECT_FALSE(image.HasAlpha());
  const struct {
    int column, row;
    Rgb want;
  } probes[] = {{4, 4, {255, 0, 0}}, {27, 4, {0, 255, 0}}, {4, 27, {0, 0, 255}}, {27, 27, {255, 255, 255}}};
  for (const auto& p : probes) {
    const Rgba c = PixelShown(image, p.column, p.row);
    EXPECT_NEAR(c.red, p.want.r, 12) << p.column << "," << p.row;
    EXPECT_NEAR(c.green, p.want.g, 12) << p.column << "," << p.row;
    EXPECT_NEAR(c.blue, p.want.b, 12) << p.column << "," << p.row;
  }
}

TEST(PlatformDecode, JpegTruncatedOrDamagedIsRefused) {
  const std::vector<std::uint8_t> bytes = Fixture("quadrants.jpg");
  for (const std::size_t keep : {bytes.size() * 6 / 10, std::size_t{20}}) {
    Image image;
    EXPECT_FALSE(Decode(ImageFormat::kJpeg, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + keep), image))
        << "kept " << keep << " bytes";
  }
  std::vector<std::uint8_t> noise = {0xFF, 0xD8, 0xFF, 0xE0};
  for (int i = 0; i < 300; ++i) noise.push_back(static_cast<std::uint8_t>(i * 53 + 7));
  Image image;
  EXPECT_FALSE(Decode(ImageFormat::kJpeg, noise, image));
}

TEST(PlatformDecode, IconGivesItsLargestPictureWithItsMask) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kIco, Fixture("sizes.ico"), image));
  ASSERT_EQ(image.GetWidth(), 32u);
  ASSERT_EQ(image.GetHeight(), 32u);
  // Blue over green, the top-left pixel see-through.
  EXPECT_EQ(PixelShown(image, 5, 3).blue, 255);
  EXPECT_EQ(PixelShown(image, 5, 3).green, 0);
  EXPECT_EQ(PixelShown(image, 5, 28).green, 255);
  EXPECT_EQ(PixelShown(image, 5, 28).blue, 0);
  EXPECT_TRUE(image.IsTransparent(0, 31));
  EXPECT_FALSE(image.IsTransparent(1, 31));
  EXPECT_FALSE(image.IsTransparent(0, 0));
}

TEST(PlatformDecode, IconWithItsDataCutIsRefused) {
  const std::vector<std::uint8_t> bytes = Fixture("sizes.ico");
  Image image;
  EXPECT_FALSE(Decode(ImageFormat::kIco, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 40), image));
}

// A declared size beyond the image limits is refused from the header alone,
// before any pixel is fetched. (Decoders that read all pixels while opening
// the file would need the memory first, so BMP and TIFF are the ones used.)
void PatchTiffSize(std::vector<std::uint8_t>& tiff, std::uint32_t width, std::uint32_t height) {
  ASSERT_EQ(tiff[0], 'I');  // little-endian, as ImageMagick writes it here
  std::uint32_t ifd = 0;
  std::memcpy(&ifd, &tiff[4], 4);
  std::uint16_t count = 0;
  std::memcpy(&count, &tiff[ifd], 2);
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint8_t* entry = &tiff[ifd + 2 + 12u * i];
    std::uint16_t tag = 0, type = 0;
    std::memcpy(&tag, entry, 2);
    std::memcpy(&type, entry + 2, 2);
    if (tag != 256 && tag != 257) continue;
    const std::uint32_t value = tag == 256 ? width : height;
    if (type == 3) {
      const auto short_value = static_cast<std::uint16_t>(value);
      std::memcpy(entry + 8, &short_value, 2);
    } else {
      std::memcpy(entry + 8, &value, 4);
    }
  }
}

TEST(PlatformDecode, OversizedPicturesAreRefused) {
  struct Size {
    std::uint32_t width, height;
  };
  // A side beyond the limit, and sides within it but too many pixels.
  for (const Size size : {Size{40000, 3}, Size{3, 40000}, Size{20000, 20000}}) {
    std::vector<std::uint8_t> bmp = Fixture("pattern24.bmp");
    std::memcpy(&bmp[18], &size.width, 4);
    std::memcpy(&bmp[22], &size.height, 4);
    Image image;
    EXPECT_FALSE(Decode(ImageFormat::kBmp, bmp, image)) << size.width << "x" << size.height;
    EXPECT_FALSE(image.IsValid());

    std::vector<std::uint8_t> tiff = Fixture("pattern.tif");
    PatchTiffSize(tiff, size.width < 65536 ? size.width : 65535, size.height < 65536 ? size.height : 65535);
    EXPECT_FALSE(Decode(ImageFormat::kTiff, tiff, image)) << size.width << "x" << size.height;
  }
}

TEST(PlatformDecode, NothingOrNoPlatformFormatIsRefused) {
  Image image;
  EXPECT_FALSE(DecodeWithPlatform(ImageFormat::kPng, nullptr, 0, image));
  const std::uint8_t one = 0x89;
  EXPECT_FALSE(DecodeWithPlatform(ImageFormat::kPng, &one, 1, image));
  const std::vector<std::uint8_t> bmp = Fixture("pattern24.bmp");
  EXPECT_FALSE(Decode(ImageFormat::kTga, bmp, image));
  EXPECT_FALSE(image.IsValid());
}

// ---------------------------------------------------------------------------
// Windows metafiles, drawn here with GDI.

// A 2x1 inch picture (at 1440 units an inch): a red rectangle over the left
// half, white elsewhere. With the 22-byte placeable header in front when
// asked for.
std::vector<std::uint8_t> MakeWmf(bool placeable) {
  HDC dc = CreateMetaFileA(nullptr);
  EXPECT_NE(dc, nullptr);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, 2880, 1440, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old_brush = SelectObject(dc, red);
  HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, 1441, 1441);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  HMETAFILE metafile = CloseMetaFile(dc);
  DeleteObject(red);
  const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
  std::vector<std::uint8_t> records(size);
  GetMetaFileBitsEx(metafile, size, records.data());
  DeleteMetaFile(metafile);
  if (!placeable) return records;

  std::vector<std::uint8_t> out(22, 0);
  const std::uint16_t words[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 2880, 1440, 1440, 0, 0, 0};
  std::memcpy(out.data(), words, 22);
  std::uint16_t checksum = 0;
  for (int i = 0; i < 10; ++i) checksum ^= words[i];
  std::memcpy(&out[20], &checksum, 2);
  out.insert(out.end(), records.begin(), records.end());
  return out;
}

TEST(PlatformDecode, PlaceableMetafileIsDrawnAtItsSizeOnWhite) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kWmf, MakeWmf(true), image));
  // 2 x 1 inches at 96 pixels an inch.
  ASSERT_EQ(image.GetWidth(), 192u);
  ASSERT_EQ(image.GetHeight(), 96u);
  const Rgba left = PixelShown(image, 40, 20);
  EXPECT_EQ(left.red, 255);
  EXPECT_EQ(left.green, 0);
  EXPECT_EQ(left.blue, 0);
  const Rgba right = PixelShown(image, 150, 70);
  EXPECT_EQ(right.red, 255);
  EXPECT_EQ(right.green, 255);
  EXPECT_EQ(right.blue, 255);
}

TEST(PlatformDecode, BareMetafileIsDrawnAsWell) {
  Image image;
  ASSERT_TRUE(Decode(ImageFormat::kWmf, MakeWmf(false), image));
  EXPECT_TRUE(image.IsValid());
  EXPECT_LE(image.GetWidth(), 4096u);
  EXPECT_LE(image.GetHeight(), 4096u);
}

TEST(PlatformDecode, DamagedMetafilesAreRefused) {
  const std::vector<std::uint8_t> good = MakeWmf(true);
  Image image;
  // Cut inside the records: no end record.
  EXPECT_FALSE(Decode(ImageFormat::kWmf, std::vector<std::uint8_t>(good.begin(), good.end() - 7), image));
  // Only the placeable header.
  EXPECT_FALSE(Decode(ImageFormat::kWmf, std::vector<std::uint8_t>(good.begin(), good.begin() + 22), image));
  // A record claiming to reach beyond the file.
  std::vector<std::uint8_t> long_record = good;
  const std::uint32_t huge = 0x40000000;
  std::memcpy(&long_record[22 + 18], &huge, 4);
  EXPECT_FALSE(Decode(ImageFormat::kWmf, long_record, image));
  // An empty frame.
  std::vector<std::uint8_t> flat = good;
  std::memset(&flat[6], 0, 8);
  EXPECT_FALSE(Decode(ImageFormat::kWmf, flat, image));
  // A frame too large to draw whole is drawn smaller, keeping its shape.
  std::vector<std::uint8_t> vast = good;
  const std::uint16_t units_per_inch = 1;  // 2880 x 1440 inches
  std::memcpy(&vast[14], &units_per_inch, 2);
  ASSERT_TRUE(Decode(ImageFormat::kWmf, vast, image));
  EXPECT_EQ(image.GetWidth(), 4096u);
  EXPECT_EQ(image.GetHeight(), 2048u);
}

}  // namespace
}  // namespace vistelle
