// The skin at the display's scaling: which of its drawn sizes serves a
// monitor's DPI, and where the skin's coordinates (written for 100 %) land.
//
// A skin may name its pictures drawn at other scalings in [SCREEN] with the
// scale as a suffix of the key: "Main@150=Main@150.png" beside "Main=...".
// The window takes the smallest drawn scale at or above the monitor's and
// resamples it to the exact size; a skin drawn at 100 % alone is resampled
// from that. The outline's mask is resampled without smoothing, so that a
// pixel stays in or out.
#pragma once

#include <cstdint>
#include <vector>

#include "image/image.h"

namespace vistelle {

// The scalings a skin can be drawn at, in per cent (100 is [SCREEN]'s own).
constexpr int kSkinScales[] = {100, 125, 150, 175, 200, 250, 300};

// A monitor's DPI as a scaling in per cent (96 is 100 %), to the nearest
// per cent; at least 25 (a DPI of 0 or less reads as 96).
int ScaleOfDpi(int dpi);

// The drawn scale that serves a scaling: the smallest of drawn at or above
// it, else the largest of drawn (100 when drawn is empty).
int ArtScaleFor(int scale, const std::vector<int>& drawn);

// A skin coordinate at a scaling: value * scale / 100, halves away from 0.
int ScaledLength(int value, int scale);

// A rectangle of the skin at a scaling: its edges scaled, so that
// neighbouring rectangles still meet.
struct SkinRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
SkinRect ScaledRect(const SkinRect& r, int scale);

// A skin picture at width x height: resampled (image/resample.h), or with
// hard_edges each pixel taken whole from the one it lands on, for a mask
// whose pixels must stay black or white. The alpha plane is not kept. False
// for an empty picture or size.
bool ScaleSkinPicture(const Image& from, std::uint32_t width, std::uint32_t height, bool hard_edges, Image& to);

}  // namespace vistelle
