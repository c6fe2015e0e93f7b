// Small helpers for reading little- and big-endian fields out of a byte
// buffer. The callers check that the bytes are there before they read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistelle {
namespace bytes {

inline std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t LeS32(const std::uint8_t* p) {
  const std::uint32_t v = Le32(p);
  // Two's complement without relying on an implementation-defined cast.
  return v <= 0x7FFFFFFFu ? static_cast<std::int32_t>(v)
                          : -static_cast<std::int32_t>(~v) - 1;
}
inline std::uint16_t Be16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t Be32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
inline bool Fits(std::uint64_t offset, std::uint64_t length, std::size_t size) {
  return offset <= size && length <= size - offset;
}

}  // namespace bytes
}  // namespace vistelle
