// The platform's half of DrawStringEx: turning a string into a coverage
// mask. FreeType natively (text_native.cpp), GDI on Windows (text_win32.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "image/text.h"

namespace vistelle {

// Antialiased coverage of a string, 0 (none) .. 255 (full), rows top-down.
// The mask's top-left pixel lies at (left, top) from the pen origin: the
// start of the string on its baseline (so top is negative above the
// baseline). advance is the width the string advances the pen.
struct TextMask {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  int advance = 0;
  std::vector<std::uint8_t> coverage;
};

bool RasterizeText(const TextInfo& info, TextMask& mask);

// Blends the mask into the image in the colour, each pixel by its coverage,
// with the pen origin at column x on the baseline y (rows from the top).
// What falls outside the image is cut.
void DrawTextMask(Image& image, std::int64_t x, std::int64_t y, const TextMask& mask, ColorRef color);

}  // namespace vistelle
