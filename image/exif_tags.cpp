#include "image/exif_tags.h"

#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "image/byte_reader.h"
#include "image/jpeg_segments.h"

namespace vistelle {

namespace {

constexpr std::uint16_t kImageDescription = 0x010E;
constexpr std::uint16_t kArtist = 0x013B;
constexpr std::uint16_t kExifDirectory = 0x8769;
constexpr std::uint16_t kDateTimeOriginal = 0x9003;
constexpr std::uint16_t kXpTitle = 0x9C9B;
constexpr std::uint16_t kXpAuthor = 0x9C9D;
constexpr std::size_t kLongestText = 1000;  // bytes of UTF-8 kept of a text

// A TIFF structure: offsets count from its start.
struct Tiff {
  const std::uint8_t* data;
  std::size_t size;
  bool little;
  std::uint16_t U16(const std::uint8_t* p) const { return little ? bytes::Le16(p) : bytes::Be16(p); }
  std::uint32_t U32(const std::uint8_t* p) const { return little ? bytes::Le32(p) : bytes::Be32(p); }
};

// The value of a directory entry of one-byte items (ASCII, BYTE,
// UNDEFINED): inside the entry when it fits four bytes, else where its
// offset points. Empty when it lies outside the structure.
std::string_view ByteValue(const Tiff& t, const std::uint8_t* entry) {
  const std::uint16_t type = t.U16(entry + 2);
  if (type != 1 && type != 2 && type != 7) return {};
  const std::uint32_t count = t.U32(entry + 4);
  if (count <= 4) return {reinterpret_cast<const char*>(entry + 8), count};
  const std::uint32_t offset = t.U32(entry + 8);
  if (!bytes::Fits(offset, count, t.size)) return {};
  return {reinterpret_cast<const char*>(t.data + offset), count};
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The length of the UTF-8 sequence at text[i], 0 when it is not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(i);
  std::size_t length;
  std::uint32_t code;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) length = 2, code = c & 0x1F;
  else if ((c & 0xF0) == 0xE0) length = 3, code = c & 0x0F;
  else if ((c & 0xF8) == 0xF0) length = 4, code = c & 0x07;
  else return 0;
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  static const std::uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// The text up to its first terminator, as UTF-8 (Latin-1 when it is not),
// control characters as blanks, without blanks at either end.
std::string CleanText(std::string_view raw) {
  raw = raw.substr(0, raw.find('\0'));
  bool utf8 = true;
  for (std::size_t i = 0; i < raw.size() && utf8;) {
    const std::size_t length = Utf8Length(raw, i);
    utf8 = length > 0;
    i += length;
  }
  std::string out;
  for (std::size_t i = 0; i < raw.size();) {
    const unsigned char c = static_cast<unsigned char>(raw[i]);
    std::string piece;
    std::size_t step = 1;
    if (c < 0x20 || c == 0x7F) {
      piece = " ";
    } else if (!utf8) {
      AppendUtf8(piece, c);
    } else {
      step = Utf8Length(raw, i);
      piece = std::string(raw.substr(i, step));
    }
    // Whole characters only.
    if (out.size() + piece.size() > kLongestText) break;
    out += piece;
    i += step;
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

// The UTF-16LE text Windows writes into its XP tags.
std::string CleanUtf16(std::string_view raw) {
  std::string utf8;
  for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
    std::uint32_t unit = static_cast<unsigned char>(raw[i]) | (static_cast<unsigned char>(raw[i + 1]) << 8);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < raw.size()) {
      const std::uint32_t low = static_cast<unsigned char>(raw[i + 2]) | (static_cast<unsigned char>(raw[i + 3]) << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        unit = 0xFFFD;
      }
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      unit = 0xFFFD;
    }
    AppendUtf8(utf8, unit);
  }
  return CleanText(utf8);
}

// "YYYY:MM:DD HH:MM:SS" as "YYYY-MM-DD".
std::string CleanDate(std::string_view raw) {
  if (raw.size() < 10 || raw[4] != ':' || raw[7] != ':') return std::string();
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (raw[i] < '0' || raw[i] > '9') return std::string();
  const int month = (raw[5] - '0') * 10 + (raw[6] - '0'), day = (raw[8] - '0') * 10 + (raw[9] - '0');
  if (raw.substr(0, 4) == "0000" || month < 1 || month > 12 || day < 1 || day > 31) return std::string();
  std::string date(raw.substr(0, 10));
  date[4] = date[7] = '-';
  return date;
}

// Calls found(tag, entry) for each entry of the directory at offset.
template <typename Found>
void ForEachEntry(const Tiff& t, std::uint32_t offset, Found found) {
  if (!bytes::Fits(offset, 2, t.size)) return;
  const std::uint32_t count = t.U16(t.data + offset);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint64_t entry = static_cast<std::uint64_t>(offset) + 2 + static_cast<std::uint64_t>(i) * 12;
    if (!bytes::Fits(entry, 12, t.size)) return;
    found(t.U16(t.data + entry), t.data + entry);
  }
}

ExifTags FromTiff(const std::uint8_t* data, std::size_t size) {
  ExifTags tags;
  if (size < 8) return tags;
  Tiff t{data, size, data[0] == 'I'};
  if (!((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')) || t.U16(data + 2) != 42)
    return tags;
  std::string xp_title, xp_author;
  std::uint32_t exif = 0;
  ForEachEntry(t, t.U32(data + 4), [&](std::uint16_t tag, const std::uint8_t* entry) {
    if (tag == kImageDescription && tags.title.empty()) tags.title = CleanText(ByteValue(t, entry));
    if (tag == kArtist && tags.artist.empty()) tags.artist = CleanText(ByteValue(t, entry));
    if (tag == kXpTitle && xp_title.empty()) xp_title = CleanUtf16(ByteValue(t, entry));
    if (tag == kXpAuthor && xp_author.empty()) xp_author = CleanUtf16(ByteValue(t, entry));
    if (tag == kExifDirectory && t.U16(entry + 2) == 4 && t.U32(entry + 4) == 1) exif = t.U32(entry + 8);
  });
  if (tags.title.empty()) tags.title = xp_title;
  if (tags.artist.empty()) tags.artist = xp_author;
  if (exif != 0) {
    ForEachEntry(t, exif, [&](std::uint16_t tag, const std::uint8_t* entry) {
      if (tag == kDateTimeOriginal && tags.date.empty()) tags.date = CleanDate(ByteValue(t, entry));
    });
  }
  return tags;
}

}  // namespace

ExifTags ReadExifTags(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4) return ExifTags();
  if (!(data[0] == 0xFF && data[1] == 0xD8)) return FromTiff(data, size);
  const std::uint8_t* tiff = nullptr;
  std::size_t tiff_size = 0;
  return FindJpegExif(data, size, tiff, tiff_size) ? FromTiff(tiff, tiff_size) : ExifTags();
}

ExifTags ReadExifTagsFromFile(const std::string& path) {
  // An APP1 segment holds at most 64 KB, and comes first.
  std::vector<std::uint8_t> head;
  if (!ReadFilePrefix(path, 256 * 1024, head)) return ExifTags();
  return ReadExifTags(head.data(), head.size());
}

}  // namespace vistelle
