// The EXIF orientation tag of a JPEG or TIFF file.

#include "image/byte_reader.h"
#include "image/image_codecs.h"

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

int OrientationFromJpeg(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 2;  // after SOI
  while (pos + 4 <= size) {
    if (data[pos] != 0xFF) return 1;
    const std::uint8_t marker = data[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    // Markers without a length.
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      pos += 2;
      continue;
    }
    // The metadata sits before the first scan.
    if (marker == 0xDA || marker == 0xD9) return 1;
    const std::size_t length = bytes::Be16(data + pos + 2);
    if (length < 2 || !bytes::Fits(pos + 2, length, size)) return 1;
    const std::uint8_t* payload = data + pos + 4;
    const std::size_t payload_size = length - 2;
    static const std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (marker == 0xE1 && payload_size >= 6) {
      bool exif = true;
      for (int i = 0; i < 6; ++i) exif = exif && payload[i] == kExif[i];
      if (exif) return OrientationFromTiff(payload + 6, payload_size - 6);
    }
    pos += 2 + length;
  }
  return 1;
}

}  // namespace

int ReadExifOrientation(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4) return 1;
  if (data[0] == 0xFF && data[1] == 0xD8) return OrientationFromJpeg(data, size);
  return OrientationFromTiff(data, size);
}

}  // namespace vistelle
