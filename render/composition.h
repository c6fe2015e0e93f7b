// Placing a picture on the wallpaper canvas. Coordinates count x from the
// left and y from the bottom row upward; divisions truncate.
#pragma once

#include <cstdint>

#include "render/image.h"

namespace vistelle {

// Display positions of the picture ("sposob_wyswietlania").
constexpr int kPositionStretch = 0;
constexpr int kPositionCenter = 2;  // every other value tiles

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

// Puts the picture on the canvas in the given position:
//  - stretch: the picture itself is resized to the canvas (nearest pixel)
//    and, when it was smaller in both directions, lightly smoothed; then
//    copied at (0, 0). The picture keeps the canvas size afterwards. With a
//    scratch image the resizing happens in its memory (which then holds the
//    picture's old pixels), so repeated compositions allocate nothing.
//  - centre: copied at CenterOffset, never scaled.
//  - tiled (any other value): copies from the bottom-left corner, W/w + 1
//    columns by H/h + 1 rows, the last ones cut at the edges.
void PlacePicture(Image& canvas, Image& picture, int position, Image* scratch = nullptr);

// The same canvas as PlacePicture gives, for a picture that is not needed
// afterwards: a stretched picture without alpha is resampled straight into
// the canvas (no second canvas-sized image is made, and the picture is
// left as it was).
void PlacePictureOnce(Image& canvas, Image& picture, int position, Image* scratch = nullptr);

}  // namespace vistelle
