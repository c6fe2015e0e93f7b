// Pieces shared between the program's own decoders and the format
// recognition, so that both agree on what a valid header looks like.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image.h"

namespace vistelle {

// The largest picture file read whole; far beyond any real picture.
constexpr std::uint64_t kMaxPictureFileBytes = 1ull << 30;

// A device-independent bitmap (info header, optional masks and palette,
// pixels) starting at `header_pos` within data[0, size). `bits_pos` is where
// the pixels start, or 0 for "right after the palette". In icon mode the
// stored height covers the picture and its AND mask, and the mask gives the
// transparency.
bool DecodeDib(const std::uint8_t* data, std::size_t size, std::size_t header_pos,
               std::uint64_t bits_pos, bool icon, Image& out);

// An icon directory whose every entry points inside the file.
bool IcoDirectorySane(const std::uint8_t* data, std::size_t size);

bool TgaHeaderSane(const std::uint8_t* data, std::size_t size);
bool PcxHeaderSane(const std::uint8_t* data, std::size_t size);

// A type 0 WBMP header whose picture fills the rest of the file exactly.
struct WbmpHeader {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  std::size_t bits_pos = 0;
};
bool ParseWbmpHeader(const std::uint8_t* data, std::size_t size, WbmpHeader& header);

}  // namespace vistelle
