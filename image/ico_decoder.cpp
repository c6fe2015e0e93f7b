// Windows icons: the largest, then deepest picture of the file, stored as a
// PNG or as a device-independent bitmap with an AND mask.

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/byte_reader.h"
#include "image/decoders_internal.h"
#include "image/image_codecs.h"

namespace vistelle {

namespace {

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kMaxAttempts = 4;

struct Candidate {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
  std::uint64_t pixels = 0;
  std::uint32_t depth = 0;
  std::size_t order = 0;
};

bool IsPngPayload(const std::uint8_t* p, std::size_t size) {
  static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return size >= 8 && std::memcmp(p, kPng, 8) == 0;
}

// Size and depth as the picture itself declares them; the directory's own
// numbers are often wrong (and cannot express sizes above 256).
void Measure(const std::uint8_t* p, std::size_t size, const std::uint8_t* entry, Candidate& c) {
  std::uint64_t width = entry[0] == 0 ? 256 : entry[0];
  std::uint64_t height = entry[1] == 0 ? 256 : entry[1];
  std::uint32_t depth = bytes::Le16(entry + 6);
  if (IsPngPayload(p, size) && size >= 29) {
    width = bytes::Be32(p + 16);
    height = bytes::Be32(p + 20);
    const std::uint32_t bit_depth = p[24];
    const std::uint8_t color_type = p[25];
    const std::uint32_t channels = color_type == 2 ? 3 : color_type == 4 ? 2 : color_type == 6 ? 4 : 1;
    depth = bit_depth * channels;
  } else if (size >= 16 && bytes::Le32(p) >= 40) {
    width = bytes::Le32(p + 4);
    height = bytes::Le32(p + 8) / 2;
    depth = bytes::Le16(p + 14);
  }
  c.pixels = width * height;
  c.depth = depth;
}

}  // namespace

bool IcoDirectorySane(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kDirectoryHeader) return false;
  if (bytes::Le16(data) != 0 || bytes::Le16(data + 2) != 1) return false;
  const std::size_t count = bytes::Le16(data + 4);
  if (count == 0) return false;
  const std::uint64_t directory_end = kDirectoryHeader + static_cast<std::uint64_t>(count) * kEntrySize;
  if (directory_end > size) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data + kDirectoryHeader + i * kEntrySize;
    const std::uint32_t length = bytes::Le32(e + 8);
    const std::uint32_t offset = bytes::Le32(e + 12);
    if (length == 0 || offset < directory_end || !bytes::Fits(offset, length, size)) return false;
  }
  return true;
}

bool DecodeIco(const std::uint8_t* data, std::size_t size, Image& out) {
  if (!IcoDirectorySane(data, size)) return false;
  const std::size_t count = bytes::Le16(data + 4);
  std::vector<Candidate> candidates(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data + kDirectoryHeader + i * kEntrySize;
    Candidate& c = candidates[i];
    c.length = bytes::Le32(e + 8);
    c.offset = bytes::Le32(e + 12);
    c.order = i;
    Measure(data + c.offset, c.length, e, c);
  }
  std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return a.pixels != b.pixels ? a.pixels > b.pixels : a.depth > b.depth;
  });
  // The best picture that decodes; a damaged one falls back to the next.
  // Only a few are tried, since every entry may point at the same large
  // picture.
  std::size_t attempts = 0;
  for (const Candidate& c : candidates) {
    if (++attempts > kMaxAttempts) break;
    const std::uint8_t* p = data + c.offset;
    Image img;
    bool ok;
    if (IsPngPayload(p, c.length))
      ok = DecodeWithPlatform(ImageFormat::kPng, p, c.length, img);
    else
      ok = DecodeDib(p, c.length, 0, 0, true, img);
    if (ok && img.IsValid()) {
      out = std::move(img);
      return true;
    }
  }
  return false;
}

}  // namespace vistelle
