// The 54-byte header of a 24-bit bottom-up BMP file for a picture.
#pragma once

#include <array>
#include <cstdint>

#include "image/image.h"

namespace vistelle {

constexpr std::uint32_t kBmpHeaderSize = 54;

std::array<std::uint8_t, kBmpHeaderSize> BmpHeader24(const Image& image);

}  // namespace vistelle
