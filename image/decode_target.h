// What a picture is decoded for. A picture that will be scaled down to a
// screen need not be decoded in full: a JPEG decoder can decode at a fraction
// of the picture's size (in eighths) for far less work, as long as the result
// is still at least as large as the picture will be after scaling.
#pragma once

#include <cstdint>

namespace vistelle {

struct DecodeTarget {
  // The box the picture will be scaled into; 0 x 0 for the full size.
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // True: scaled to cover the box (fill), false: to fit in it (fit).
  bool cover = true;

  bool Any() const { return width != 0 && height != 0; }
};

// The eighths of its size (1, 2, 4 or 8) at which a picture of width x height
// may be decoded for the target: the fewest at which it is still no smaller
// than the target will scale it to; 8 (full size) without a target or when
// the picture is to be enlarged. Only halvings are taken: the decoders have
// fast paths for them, and the other fractions (3/8, 6/8, ...) take longer
// to decode than the next larger halving (libjpeg-turbo: 6/8 of a 6000x4000
// photo 126 ms, in full 96 ms; again with the rows streamed to the canvas,
// a noisy one at quality 90: in full 120-140 ms, 7/8 220-250 ms, 6/8
// 160-210 ms, so a fill at 3840x2160 still decodes in full). quarter_turn: the picture is turned by a quarter
// after decoding (EXIF orientations 5 to 8), so its width meets the box's
// height.
int DecodeEighths(std::uint32_t width, std::uint32_t height, const DecodeTarget& target, bool quarter_turn);

}  // namespace vistelle
