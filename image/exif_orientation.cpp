// The EXIF orientation tag of a JPEG or TIFF file.

#include "image/byte_reader.h"
#include "image/image_codecs.h"
#include "image/jpeg_segments.h"

namespace vistelle {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;

// The orientation tag in the first directory of a TIFF structure occupying
// tiff[0, size); offsets inside it count from its start.
int OrientationFromTiff(const std::uint8_t* tiff, std::size_t size) {
  if (size < 8) return 1;
  bool little;
  if (tiff[0] == 'I' && tiff[1] == 'I')
    little = true;
  else if (tiff[0] == 'M' && tiff[1] == 'M')
    little = false;
  else
    return 1;
  auto u16 = [&](const std::uint8_t* p) { return little ? bytes::Le16(p) : bytes::Be16(p); };
  auto u32 = [&](const std::uint8_t* p) { return little ? bytes::Le32(p) : bytes::Be32(p); };
  if (u16(tiff + 2) != 42) return 1;
  const std::uint32_t ifd = u32(tiff + 4);
  if (!bytes::Fits(ifd, 2, size)) return 1;
  const std::uint32_t count = u16(tiff + ifd);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t entry = static_cast<std::uint64_t>(ifd) + 2 + static_cast<std::uint64_t>(i) * 12;
    if (!bytes::Fits(entry, 12, size)) return 1;
    const std::uint8_t* e = tiff + entry;
    if (u16(e) != kOrientationTag) continue;
    if (u16(e + 2) != kTypeShort || u32(e + 4) < 1) return 1;
    const int value = u16(e + 8);
    return value >= 1 && value <= 8 ? value : 1;
  }
  return 1;
}

}  // namespace

int ReadExifOrientation(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4) return 1;
  if (data[0] == 0xFF && data[1] == 0xD8) {
    const std::uint8_t* tiff = nullptr;
    std::size_t tiff_size = 0;
    return FindJpegExif(data, size, tiff, tiff_size) ? OrientationFromTiff(tiff, tiff_size) : 1;
  }
  return OrientationFromTiff(data, size);
}

}  // namespace vistelle
