// Picture sizes from file headers: the frame header of a JPEG (after its
// metadata segments), the IHDR chunk of a PNG, the info header of a BMP, the
// logical screen of a GIF and the fixed headers of TGA and PCX files.

#include "image/picture_shape.h"

#include <cstring>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "image/byte_reader.h"
#include "image/image_codecs.h"
#include "image/jpeg_segments.h"

namespace vistelle {

namespace {

// What a header reader found: the size, bytes that end before the size is
// reached (more of the file may hold it), or a header that is not sound.
enum class Header { kFound, kShort, kBad };

// The file is read in pieces of 64 KiB, 256 KiB, 1 MiB and 4 MiB.
constexpr std::size_t kFirstRead = std::size_t{64} << 10;
constexpr std::size_t kMostRead = std::size_t{4} << 20;

Header Sides(std::uint64_t width, std::uint64_t height, PictureShape& shape) {
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return Header::kBad;
  shape = PictureShape();
  shape.width = static_cast<std::uint32_t>(width);
  shape.height = static_cast<std::uint32_t>(height);
  return Header::kFound;
}

// The markers from the start of the file to the first frame header
// (SOF0..SOF15, which share their codes with DHT, JPG and DAC).
Header JpegFrame(const std::uint8_t* data, std::size_t size, std::uint32_t& width, std::uint32_t& height) {
  Header found = Header::kBad;
  const JpegWalk walk = WalkJpegSegments(data, size, [&](std::uint8_t marker, std::size_t pos, std::size_t length) {
    if (marker < 0xC0 || marker > 0xCF || marker == 0xC4 || marker == 0xC8 || marker == 0xCC) return true;
    // Precision, then height and width.
    if (length < 7) {
      found = Header::kBad;
    } else if (!bytes::Fits(pos + 4, 5, size)) {
      found = Header::kShort;
    } else {
      height = bytes::Be16(data + pos + 5);
      width = bytes::Be16(data + pos + 7);
      found = width != 0 && height != 0 ? Header::kFound : Header::kBad;
    }
    return false;
  });
  // A scan (or the end, or a second start) before any frame is no picture.
  if (walk == JpegWalk::kShort) return Header::kShort;
  return walk == JpegWalk::kStopped ? found : Header::kBad;
}

Header JpegShape(const std::uint8_t* data, std::size_t size, PictureShape& shape) {
  std::uint32_t width = 0, height = 0;
  const Header found = JpegFrame(data, size, width, height);
  if (found != Header::kFound) return found;
  // The metadata comes before the frame, so it is all in the bytes read.
  if (ReadExifOrientation(data, size) >= 5) std::swap(width, height);
  return Sides(width, height, shape);
}

Header PngShape(const std::uint8_t* data, std::size_t size, PictureShape& shape) {
  // The signature, then the first chunk's length and type, width, height.
  if (size < 24) return Header::kShort;
  if (std::memcmp(data + 12, "IHDR", 4) != 0) return Header::kBad;
  return Sides(bytes::Be32(data + 16), bytes::Be32(data + 20), shape);
}

// The info headers the BMP decoder knows: the old 12-byte one with 16-bit
// sides, and the later ones with signed 32-bit sides, a negative height
// meaning the rows are stored from the top.
Header BmpShape(const std::uint8_t* data, std::size_t size, PictureShape& shape) {
  constexpr std::size_t kInfo = 14;  // after the file header
  if (!bytes::Fits(kInfo, 12, size)) return Header::kShort;
  const std::uint8_t* h = data + kInfo;
  const std::uint32_t header_size = bytes::Le32(h);
  if (header_size == 12) return Sides(bytes::Le16(h + 4), bytes::Le16(h + 6), shape);
  if (header_size != 40 && header_size != 52 && header_size != 56 && header_size != 64 && header_size != 108 &&
      header_size != 124)
    return Header::kBad;
  const std::int64_t width = bytes::LeS32(h + 4);
  std::int64_t height = bytes::LeS32(h + 8);
  if (height < 0) height = -height;
  if (width <= 0) return Header::kBad;
  return Sides(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), shape);
}

Header GifShape(const std::uint8_t* data, std::size_t size, PictureShape& shape) {
  if (size < 10) return Header::kShort;
  return Sides(bytes::Le16(data + 6), bytes::Le16(data + 8), shape);
}

Header TgaShape(const std::uint8_t* data, std::size_t size, PictureShape& shape) {
  if (size < 18) return Header::kShort;
  return Sides(bytes::Le16(data + 12), bytes::Le16(data + 14), shape);
}

// The corners of the picture, inclusive.
Header PcxShape(const std::uint8_t* data, std::size_t size, PictureShape& shape) {
  if (size < 12) return Header::kShort;
  const std::uint32_t xmin = bytes::Le16(data + 4), ymin = bytes::Le16(data + 6);
  const std::uint32_t xmax = bytes::Le16(data + 8), ymax = bytes::Le16(data + 10);
  if (xmax < xmin || ymax < ymin) return Header::kBad;
  return Sides(xmax - xmin + 1, ymax - ymin + 1, shape);
}

// The format is recognised as the decoders recognise it, so that a file
// gets a shape here exactly when it is taken for a picture of that format.
Header ReadShape(const std::uint8_t* data, std::size_t size, PictureShape& shape) {
  switch (DetectImageFormat(data, size)) {
    case ImageFormat::kJpeg:
      return JpegShape(data, size, shape);
    case ImageFormat::kPng:
      return PngShape(data, size, shape);
    case ImageFormat::kBmp:
      return BmpShape(data, size, shape);
    case ImageFormat::kGif:
      return GifShape(data, size, shape);
    case ImageFormat::kTga:
      return TgaShape(data, size, shape);
    case ImageFormat::kPcx:
      return PcxShape(data, size, shape);
    default:
      return Header::kBad;
  }
}

}  // namespace

bool ReadJpegFrameSize(const std::uint8_t* data, std::size_t size, std::uint32_t& width, std::uint32_t& height) {
  if (data == nullptr || size < 2 || data[0] != 0xFF || data[1] != 0xD8) return false;
  return JpegFrame(data, size, width, height) == Header::kFound;
}

bool ReadPictureShape(const std::uint8_t* data, std::size_t size, PictureShape& shape) {
  if (data == nullptr) return false;
  PictureShape found;
  if (ReadShape(data, size, found) != Header::kFound) return false;
  shape = found;
  return true;
}

bool ReadPictureShapeFromFile(const std::string& path, PictureShape& shape) {
  std::vector<std::uint8_t> head;
  for (std::size_t want = kFirstRead;; want *= 4) {
    if (!ReadFilePrefix(path, want, head)) return false;
    PictureShape found;
    const Header header = ReadShape(head.data(), head.size(), found);
    if (header == Header::kFound) {
      shape = found;
      return true;
    }
    // Read more only where more of the file may hold the header.
    if (header == Header::kBad || head.size() < want || want >= kMostRead) return false;
  }
}

}  // namespace vistelle
