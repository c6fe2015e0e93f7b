// Text drawn into an Image: a small text-style record (face, height, weight,
// colour, alignment) and DrawStringEx, which draws antialiased text with it.
// Natively the text is set with FreeType in Liberation Sans (Arial's
// metrics); on Windows GDI draws it with the named face; either way, text
// may ask for the font built into the program instead.
#pragma once

#include <cstdint>
#include <string>

#include "image/image.h"

namespace vistelle {

// Horizontal alignment about the x anchor (the values of DT_LEFT,
// DT_CENTER and DT_RIGHT).
constexpr int kTextAlignLeft = 0;
constexpr int kTextAlignCenter = 1;
constexpr int kTextAlignRight = 2;

struct TextInfo {
  static constexpr std::size_t kMaxText = 4095;
  static constexpr std::size_t kMaxFace = 31;

  std::string text;            // the string to draw (longer ones are cut)
  std::string face = "Arial";  // font face name
  // As a LOGFONT's lfHeight: positive, the character cell height in pixels
  // (ascent + descent); negative, the em height; 0, a default of 12 pixels.
  int height = 0;
  int weight = 400;            // 100..900; 600 and above is bold
  ColorRef color = 0;          // text colour, red + 256 green + 65536 blue
  int align = kTextAlignLeft;  // kTextAlign...
  // Set in the font built into the program (image/built_in_font.h), the
  // same pixels in every build, instead of the platform's face.
  bool built_in_font = false;
};

// The record as the calendar sets it up: face "Arial" (at most 31
// characters kept), centred, and no box behind the text.
void InitTextInfo(TextInfo& info, const std::string& face = "Arial");

// Draws info.text into the image. x is the anchor of the alignment (left
// edge, centre or right edge of the text's advance), y the baseline, counted
// from the top row of the image downward. Only the text's own pixels change:
// each is blended with the colour by the glyph coverage. Text outside the
// image is cut. False when nothing could be drawn (no font, empty image).
bool DrawStringEx(Image& image, std::int64_t x, std::int64_t y, const TextInfo& info);

}  // namespace vistelle
