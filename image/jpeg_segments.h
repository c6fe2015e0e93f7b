// The walk over a JPEG file's marker segments, from its start marker to
// the first scan, that the readers of its metadata and its frame header
// share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/byte_reader.h"

namespace vistelle {

// How a walk ended.
enum class JpegWalk {
  kStopped,  // the visitor stopped it
  kScan,     // it met a scan, the end or a second start marker
  kShort,    // the bytes ran out, at a marker or a segment's length
  kBad,      // something else than a marker where one belongs
};

// Calls visit(marker, pos, length) for each segment with a length after
// the start marker (pos: the segment's 0xFF; length: its length field,
// which counts itself, at least 2; the segment may reach past size, which
// the visitor checks as far as it reads). visit returns true to go on.
// Fill bytes and the markers without a length are passed over.
template <typename Visit>
JpegWalk WalkJpegSegments(const std::uint8_t* data, std::size_t size, Visit visit) {
  std::size_t pos = 2;  // after SOI
  for (;;) {
    if (!bytes::Fits(pos, 2, size)) return JpegWalk::kShort;
    if (data[pos] != 0xFF) return JpegWalk::kBad;
    const std::uint8_t marker = data[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      pos += 2;
      continue;
    }
    if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return JpegWalk::kScan;
    if (!bytes::Fits(pos, 4, size)) return JpegWalk::kShort;
    const std::size_t length = bytes::Be16(data + pos + 2);
    if (length < 2) return JpegWalk::kBad;
    if (!visit(marker, pos, length)) return JpegWalk::kStopped;
    pos += 2 + length;
  }
}

// The EXIF block of a JPEG's APP1 "Exif" segment (the TIFF structure after
// its six-byte header); false when there is none before the first scan.
inline bool FindJpegExif(const std::uint8_t* data, std::size_t size, const std::uint8_t*& tiff,
                         std::size_t& tiff_size) {
  static const std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  bool found = false;
  WalkJpegSegments(data, size, [&](std::uint8_t marker, std::size_t pos, std::size_t length) {
    if (marker != 0xE1 || length < 8 || !bytes::Fits(pos + 2, length, size)) return true;
    const std::uint8_t* payload = data + pos + 4;
    for (int i = 0; i < 6; ++i)
      if (payload[i] != kExif[i]) return true;
    tiff = payload + 6;
    tiff_size = length - 8;
    found = true;
    return false;
  });
  return found;
}

}  // namespace vistelle
