// What the settings pages work out without the window system: the colour
// swatches' hit test, the calendar's position grid, the order of the
// effects in the Effects page's preview, the command line that starts the
// program with the system and the Caption page's places and text.
#pragma once

#include <cstdint>
#include <string>

#include "config/config.h"
#include "render/effects.h"
#include "image/image.h"

namespace vistelle {

// A colour swatch drawn on a page, in the page's client pixels (given for
// the standard dialog font, see PageScale).
struct SwatchRect {
  int left;
  int top;
  int right;
  int bottom;

  // Strictly inside: a click on the swatch's border does not count.
  bool Contains(int x, int y) const { return left < x && x < right && top < y && y < bottom; }
};

// Things a page places or draws itself (the swatches, the drop-down lists;
// the previews follow their frames) are given in the pixels of a page whose
// dialog font has the standard base units of 6 x 13 pixels, which are those
// of the pages' font on Windows. On a system whose font measures otherwise
// they move and grow with the template's controls: value * base / standard
// base, rounded to the nearest pixel (halves away from zero).
constexpr int kStandardBaseX = 6;
constexpr int kStandardBaseY = 13;
int ScaleDesignPixels(int value, int base, int standard_base);

struct PageScale {
  int base_x = kStandardBaseX;
  int base_y = kStandardBaseY;

  int X(int x) const { return ScaleDesignPixels(x, base_x, kStandardBaseX); }
  int Y(int y) const { return ScaleDesignPixels(y, base_y, kStandardBaseY); }
  SwatchRect Scale(const SwatchRect& r) const { return SwatchRect{X(r.left), Y(r.top), X(r.right), Y(r.bottom)}; }
};

// The calendar's position grid: nine buttons, top-left to bottom-right,
// with the ids 1001 and 1010 to 1017.
constexpr int kCalendarPositionButtons[9] = {1001, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017};
// The position a grid button stands for; -1 for any other id.
int CalendarPositionOfButton(int id);
// The grid button of a position; 0 for a position outside 0..8.
int CalendarButtonOfPosition(int position);

// The boxes of the Effects page as they are ticked.
struct PreviewEffects {
  bool negative = false;
  bool gray = false;
  bool lighten = false;
  bool contrast = false;
  bool blur = false;
  bool sharpen = false;
  bool smartblur = false;
  bool noise = false;
  bool pseudocolors = false;
  bool colorize = false;
};

// Applies the ticked effects to the preview picture in the page's own
// order (not the wallpaper's): negative, gray, brightness, contrast, blur,
// sharpen, repair, noise, pseudocolours, colorize; amounts from settings,
// the colorize colour as the page's swatch shows it.
void ApplyPreviewEffects(const TEffects& effects, Image& image, const PreviewEffects& ticks,
                         const TConfig& settings, ColorRef colorize);

// The program in its folder: the folder followed by "\Pictora.exe".
std::string ProgramPath(const std::string& program_dir);
// The value that starts the program with the system: the program's path in
// quotes (a folder may hold spaces), then "hide".
std::string StartupCommand(const std::string& program_dir);

// The interval units in the order of the Options page's list: the index is
// the unit of the settings (0 hours, 1 minutes).
constexpr const char* kIntervalUnitNames[2] = {"hour.", "min."};

// The three built-in calendar backgrounds, in the order of the Calendar
// page's list; the index is "Ccalendar_background_prog".
constexpr const char* kCalendarBackgroundNames[3] = {"blue", "black", "green"};
// The file of a built-in background, relative to the program's folder;
// null outside 0..2.
const char* BuiltInCalendarBackground(int choice);

// The caption's nine places in the order of the Caption page's list: the
// index is "caption_position".
constexpr const char* kCaptionPlaceNames[9] = {"Top left",    "Top centre",    "Top right",
                                               "Middle left", "Centre",        "Middle right",
                                               "Bottom left", "Bottom centre", "Bottom right"};

// The longest start of a UTF-8 text that takes at most most_bytes bytes and
// does not end inside a character, so that a text cut to what the settings
// file keeps stays whole characters.
std::string CutUtf8(const std::string& text, std::size_t most_bytes);

}  // namespace vistelle
