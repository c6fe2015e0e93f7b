// Placing a picture on the wallpaper canvas. Coordinates count x from the
// left and y from the bottom row upward; divisions truncate.
#pragma once

#include <cstdint>

#include "image/image.h"

namespace vistelle {

// Display positions of the picture ("sposob_wyswietlania").
constexpr int kPositionStretch = 0;
constexpr int kPositionCenter = 2;
constexpr int kPositionFill = 3;
constexpr int kPositionFit = 4;  // every value but these four tiles

struct Offset {
  std::int64_t x = 0;
  std::int64_t y = 0;
};

// Every pixel of the canvas in the colour.
void FillCanvas(Image& canvas, ColorRef color);

// Copies every pixel of source that is not transparent to destination, with
// source pixel (0, 0) at (x, y). Pixels that fall outside the destination
// are dropped; the destination's alpha plane is left alone.
void CopyOpaquePixels(Image& destination, const Image& source, std::int64_t x, std::int64_t y);

// Where a centred picture of w x h goes on a W x H canvas; a larger picture
// gets a negative offset and is cut on both sides.
Offset CenterOffset(std::uint32_t W, std::uint32_t H, std::uint32_t w, std::uint32_t h);

struct ScaledSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// The size of a w x h picture scaled by s = max(W / w, H / h) to fill a
// W x H canvas, or by s = min(W / w, H / h) to fit in it: the side that
// decides s gets the canvas's size exactly, the other one h * s (or w * s)
// rounded to the nearest pixel, halves upward, and at least 1. A picture
// of the canvas's shape gets the canvas's size.
ScaledSize FillSize(std::uint32_t W, std::uint32_t H, std::uint32_t w, std::uint32_t h);
ScaledSize FitSize(std::uint32_t W, std::uint32_t H, std::uint32_t w, std::uint32_t h);

// Where a picture of that size goes to be centred for fill and fit:
// (W - width) / 2 and (H - height) / 2, truncated toward zero, so that an
// odd pixel, whether cut off or left as margin, is at the right and at the
// top.
Offset ScaledOffset(std::uint32_t W, std::uint32_t H, ScaledSize size);

// Puts the picture on the canvas in the given position:
//  - stretch: resized to the canvas (nearest pixel) and, when it was
//    smaller in both directions, lightly smoothed; with alpha the resized
//    picture is made in scratch (kept by the caller, so that repeated
//    compositions allocate nothing) and then laid over the canvas.
//  - centre: copied at CenterOffset, never scaled.
//  - fill: scaled to FillSize and placed at ScaledOffset, so that what
//    lies beyond the canvas is cut equally on both sides (the odd pixel at
//    the right or the top).
//  - fit: scaled to FitSize and placed at ScaledOffset; the canvas shows
//    in the margins around it (the wider one at the right or the top).
//  - tiled (any other value): copies from the bottom-left corner, W/w + 1
//    columns by H/h + 1 rows, the last ones cut at the edges.
// Fill and fit resample at high quality (image/resample.h). A picture with
// an alpha plane is laid over the canvas, each pixel weighted by its alpha;
// in the other positions pixels with alpha 0 leave the canvas alone and all
// others replace it. The picture is left as it was. A decoder gives the
// same canvas row by row through a PlacementSink (placement_sink.h).
void PlacePicture(Image& canvas, const Image& picture, int position, Image* scratch = nullptr);

}  // namespace vistelle
