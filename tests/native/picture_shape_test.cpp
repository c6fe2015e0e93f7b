// Picture shapes from file headers: the files the decoders are tested on
// (their shape as decoded and shown), hand-made headers that are cut short
// or absurd, and a JPEG whose frame comes after megabytes of metadata.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "image/image.h"
#include "image/image_codecs.h"
#include "image/picture_shape.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PictureShapeTest, FilesGetTheShapeTheirDecodeShows) {
  const struct {
    const char* name;
    std::uint32_t width, height;
  } cases[] = {
      {"ref.jpg", 5, 3},      {"quadrants_640x400.jpg", 640, 400}, {"quadrants_640x400_turned.jpg", 400, 640},
      {"ref.png", 5, 3},      {"ref_8bit.bmp", 5, 3},              {"ref.gif", 5, 3},
      {"ref_rle.tga", 5, 3},  {"ref_24bit.pcx", 5, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = std::string(VISTELLE_SOURCE_DIR) + "/tests/data/" + c.name;
    PictureShape shape;
    ASSERT_TRUE(ReadPictureShapeFromFile(path, shape));
    EXPECT_EQ(shape.width, c.width);
    EXPECT_EQ(shape.height, c.height);
    Bytes file;
    Image decoded;
    ASSERT_TRUE(ReadWholeFile(path, file, 1u << 24) && DecodeImage(file.data(), file.size(), decoded));
    EXPECT_EQ(decoded.GetWidth(), shape.width);
    EXPECT_EQ(decoded.GetHeight(), shape.height);
  }
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes kSoi = {0xFF, 0xD8};
const Bytes kFrame = {0xFF, 0xC2, 0, 11, 8, 0x01, 0x2C, 0x00, 0xC8, 1, 1, 0x11, 0};  // 200 x 300, progressive
const Bytes kPng = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
const Bytes kBmp = Concat({{'B', 'M'}, Bytes(12, 0)});

TEST(PictureShapeTest, HeadersCutShortOrAbsurdAreRefused) {
  const struct {
    const char* what;
    Bytes bytes;
    std::uint32_t width, height;  // 0 x 0: refused
  } cases[] = {
      {"png", Concat({kPng, {0, 0, 1, 0, 0, 0, 0, 9}}), 256, 9},
      {"png cut short", Concat({kPng, {0, 0, 1, 0, 0, 0, 0}}), 0, 0},
      {"png of width 0", Concat({kPng, {0, 0, 0, 0, 0, 0, 0, 9}}), 0, 0},
      {"png wider than 2^31 - 1", Concat({kPng, {0x80, 0, 0, 0, 0, 0, 0, 9}}), 0, 0},
      {"bmp core header", Concat({kBmp, {12, 0, 0, 0, 0x2C, 0x01, 0xC8, 0, 1, 0, 24, 0}}), 300, 200},
      {"bmp from the top", Concat({kBmp, {40, 0, 0, 0, 7, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF}, Bytes(28, 0)}), 7, 5},
      {"bmp of height -2^31", Concat({kBmp, {40, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0x80}, Bytes(28, 0)}), 0, 0},
      {"gif of height 0", {'G', 'I', 'F', '8', '9', 'a', 4, 0, 0, 0, 0, 0, 0}, 0, 0},
      // Fill bytes, a restart marker and a DHT segment (0xC4) before the frame.
      {"jpeg", Concat({kSoi, {0xFF, 0xFF, 0xD0, 0xFF, 0xC4, 0, 3, 0}, kFrame}), 200, 300},
      {"jpeg segment past the end", Concat({kSoi, {0xFF, 0xE0, 0x40, 0, 'J', 'F'}, kFrame}), 0, 0},
      {"jpeg frame cut short", Concat({kSoi, Bytes(kFrame.begin(), kFrame.begin() + 8)}), 0, 0},
      {"jpeg scan before the frame", Concat({kSoi, {0xFF, 0xDA, 0, 2}, kFrame}), 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PictureShape shape;
    EXPECT_EQ(ReadPictureShape(c.bytes.data(), c.bytes.size(), shape), c.width != 0);
    EXPECT_EQ(shape.width, c.width);
    EXPECT_EQ(shape.height, c.height);
  }
}

// Each APP2 segment as large as a segment can be.
Bytes JpegAfterMetadata(int segments) {
  Bytes app = {0xFF, 0xE2, 0xFF, 0xFF};
  app.resize(2 + 0xFFFF, 0x55);
  Bytes out = kSoi;
  for (int i = 0; i < segments; ++i) out.insert(out.end(), app.begin(), app.end());
  return Concat({out, kFrame, {0xFF, 0xD9}});
}

TEST(PictureShapeTest, FileIsReadUpToFourMegabytesForTheFrame) {
  testing::TestDir dir;
  const Bytes near = JpegAfterMetadata(20), far = JpegAfterMetadata(70);  // 1.3 MB, 4.6 MB
  dir.Write("near.jpg", std::string(near.begin(), near.end()));
  dir.Write("far.jpg", std::string(far.begin(), far.end()));
  PictureShape shape;
  EXPECT_TRUE(ReadPictureShapeFromFile(dir.File("near.jpg"), shape));
  EXPECT_EQ(shape.width, 200u);
  EXPECT_EQ(shape.height, 300u);
  EXPECT_TRUE(ReadPictureShape(far.data(), far.size(), shape));
  EXPECT_FALSE(ReadPictureShapeFromFile(dir.File("far.jpg"), shape));
}

}  // namespace
}  // namespace vistelle
