// The EXIF readers (the orientation, and the caption's title, artist and
// date) on arbitrary bytes: as they come (a JPEG's segments or a TIFF
// file), as the directory of a TIFF header in either byte order, and as the
// EXIF block of a JPEG's APP1 segment, so that most inputs get past the
// headers. Besides crashes and sanitizer reports, an orientation outside
// 1..8, a tag that is not clean UTF-8 or a date not YYYY-MM-DD, or a TIFF
// structure that reads differently on its own than inside a JPEG, is a
// finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/exif_tags.h"
#include "image/image_codecs.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

int Orientation(const Bytes& b) {
  const int o = vistelle::ReadExifOrientation(b.data(), b.size());
  if (o < 1 || o > 8) std::abort();
  return o;
}

// A TIFF header whose first directory starts right after it.
Bytes Tiff(bool big_endian, const std::uint8_t* data, std::size_t size) {
  Bytes b = big_endian ? Bytes{'M', 'M', 0, 42, 0, 0, 0, 8} : Bytes{'I', 'I', 42, 0, 8, 0, 0, 0};
  b.insert(b.end(), data, data + size);
  return b;
}

// A JPEG start, one APP0 segment, the TIFF structure as its EXIF block, and
// the start of a scan; nothing when the block does not fit a segment.
bool Jpeg(const Bytes& tiff, Bytes& out) {
  const std::size_t length = 2 + 6 + tiff.size();
  if (length > 0xFFFF) return false;
  out = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  out.insert(out.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                         'E', 'x', 'i', 'f', 0, 0});
  out.insert(out.end(), tiff.begin(), tiff.end());
  out.insert(out.end(), {0xFF, 0xDA, 0, 2});
  return true;
}

// Tags are UTF-8 without control characters or blanks at the ends, and a
// date is YYYY-MM-DD.
bool Clean(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return false;
    std::size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return text.empty() || (text.front() != ' ' && text.back() != ' ');
}

vistelle::ExifTags Tags(const Bytes& b) {
  const vistelle::ExifTags tags = vistelle::ReadExifTags(b.data(), b.size());
  if (!Clean(tags.title) || !Clean(tags.artist)) std::abort();
  if (!tags.date.empty() && (tags.date.size() != 10 || tags.date[4] != '-' || tags.date[7] != '-')) std::abort();
  return tags;
}

bool Same(const vistelle::ExifTags& a, const vistelle::ExifTags& b) {
  return a.title == b.title && a.artist == b.artist && a.date == b.date;
}

// The structure on its own and inside a JPEG read the same.
void Agree(const Bytes& tiff) {
  const int alone = Orientation(tiff);
  const vistelle::ExifTags tags = Tags(tiff);
  Bytes jpeg;
  if (Jpeg(tiff, jpeg) && (Orientation(jpeg) != alone || !Same(Tags(jpeg), tags))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Also with no bytes at all behind a null pointer.
  if (vistelle::ReadExifOrientation(size == 0 ? nullptr : data, size) != 1 && size < 8) std::abort();

  const Bytes raw(data, data + size);
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
    Orientation(raw);
    Tags(raw);
  } else {
    Agree(raw);
  }
  Agree(Tiff(false, data, size));
  Agree(Tiff(true, data, size));

  // The bytes as the segments after a JPEG's start marker.
  Bytes segments = {0xFF, 0xD8};
  segments.insert(segments.end(), data, data + size);
  Orientation(segments);
  Tags(segments);
  return 0;
}
