// Text set in the font built into the program (Liberation Sans 2, Arial's
// metrics; its licence is in data/Licences) by a rasterizer that goes with it, so that a text comes out as
// the same pixels in every build, unlike the platform's own text engine.
#pragma once

#include <string>

#include "image/text_raster.h"

namespace vistelle {

// The coverage of info.text (UTF-8; at most TextInfo::kMaxText bytes) at
// info.height, read as a LOGFONT height: negative the em, positive the cell
// (ascent + descent), 0 a cell of 12 pixels. The face and weight are not
// read: there is one face. A character the font lacks shows its box. False
// when the height is out of reach (above 1000 pixels).
bool RasterizeBuiltInText(const TextInfo& info, TextMask& mask);

// How far the text advances the pen at that height, in pixels, without
// drawing it (0 for a height out of reach).
int BuiltInTextAdvance(const std::string& text, int height);

// The font's line at that height: pixels above and below the baseline.
struct LineMetrics {
  int ascent = 0;
  int descent = 0;
};
LineMetrics BuiltInFontLine(int height);

// The text as it fits in max_width pixels of advance at that height: the
// whole of it when it fits, else its longest start (whole characters, blanks
// at its end dropped) followed by "...", or "" when not even "..." fits.
std::string FitBuiltInText(const std::string& text, int height, int max_width);

}  // namespace vistelle
