#include "library/library_text.h"

#include <cstdint>

namespace vistelle {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    std::size_t extra;
    unsigned char low = 0x80;  // range of the first continuation byte
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) low = 0xA0;   // overlong
      if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) low = 0x90;   // overlong
      if (c == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
      return false;
    }
    if (static_cast<std::size_t>(end - p) <= extra) return false;
    if (p[1] < low || p[1] > high) return false;
    for (std::size_t i = 2; i <= extra; ++i)
      if (!IsContinuation(p[i])) return false;
    p += extra + 1;
  }
  return true;
}

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (!IsContinuation(c)) ++units;
    if (c >= 0xF0) ++units;  // a surrogate pair
  }
  return units;
}

std::string_view CutToUtf16Length(std::string_view utf8, std::size_t max_units) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (IsContinuation(c)) continue;
    units += c >= 0xF0 ? 2 : 1;
    if (units > max_units) return utf8.substr(0, i);
  }
  return utf8;
}

std::string DisplayName(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string_view::npos) return std::string(path);
  return std::string(path.substr(separator + 1));
}

}  // namespace vistelle
