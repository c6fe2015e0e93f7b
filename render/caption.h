// The caption drawn on the wallpaper: a line of text about the picture
// (render/caption_text.h) in the font built into the program, so that both
// builds draw the same pixels, at one of nine places.
#pragma once

#include <cstdint>
#include <string>

#include "config/config.h"
#include "image/image.h"

namespace vistelle {

struct CaptionLook {
  int position = 8;  // 0..8: three rows of three, top-left first
  int points = 20;   // the text's size in points at 96 pixels an inch
  ColorRef color = 0xFFFFFF;
  bool shadow = true;  // a dark copy of the text a little down and right
  bool plate = false;  // a translucent dark plate behind the text
};

CaptionLook CaptionLookOf(const TConfig& settings);

// Where a caption goes on a W x H canvas. Positions count from the top row.
// The caption is a block of its text's line with a margin of a quarter of
// its em around it (the plate, when there is one); the block keeps 20
// pixels from the sides and the top of the canvas, and from the bottom 7 %
// of it, where the taskbar usually lies. A text wider than the room is cut
// with "..."; with no room at all, or an empty text, nothing is drawn.
struct CaptionPlacement {
  std::string text;  // as drawn; empty: nothing
  int height = 0;    // the font's height in pixels (a LOGFONT's: minus the em)
  std::int64_t pen_x = 0;
  std::int64_t baseline = 0;
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;  // the block
};
CaptionPlacement PlaceCaption(std::uint32_t W, std::uint32_t H, const std::string& text, const CaptionLook& look);

// Draws the caption of that text on the canvas.
void DrawCaption(Image& canvas, const std::string& text, const CaptionLook& look);

}  // namespace vistelle
