// Resampling of pixel rows to another size, for the fill and fit positions.
//
// Each axis on its own: where it shrinks, every output pixel is the average
// of the source pixels it covers, weighted by the part of each it covers
// (an area average); where it grows, a Mitchell-Netravali cubic (B = C = 1/3)
// over four source pixels, which is smooth and rings little; the result is
// clamped to 0..255, and pixels past the picture's edge repeat the edge.
// The values are averaged as stored (no gamma conversion).
//
// All of it is integer arithmetic: the weights are fixed-point numbers of
// 14 bits that sum to one exactly for every output pixel (so a flat colour
// stays exactly that colour), worked out with integer rounding only, and
// the SSE2 loops compute the same integers as the plain ones. Every build
// therefore gives the same bytes.
//
// The two passes run row by row through a buffer of a few rows: a shrink
// first combines source rows (columns) and then resizes each row, a growth
// the other way round, so the costlier per-pixel pass always runs on the
// smaller number of rows. No image-sized memory is made, and the source
// rows may come one at a time, straight from a decoder (RowResampler).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vistelle {

// One axis: the picture's `source` pixels become `scaled` pixels, of which
// output pixels first .. first + count - 1 are made (the rest is cut off).
// Source pixel i covers [i, i + 1) of the picture, output pixel j covers
// [j, j + 1) * source / scaled.
struct ResampleAxis {
  std::uint32_t source = 0;
  std::uint32_t scaled = 0;
  std::uint32_t first = 0;
  std::uint32_t count = 0;
};

// Limits of an axis: source at most 2^20 pixels, scaled at most 2^31, and
// at least one of each, with the window inside the scaled size.
bool ResampleAxisValid(const ResampleAxis& axis);

// Rows of pixels: row i starts at data + i * stride.
struct ConstPixelRows {
  const std::uint8_t* data = nullptr;
  std::ptrdiff_t stride = 0;
};
struct PixelRows {
  std::uint8_t* data = nullptr;
  std::ptrdiff_t stride = 0;
};

// kPlain runs the plain loops only (the SSE2 ones must give the same bytes).
enum class ResampleCode { kFastest, kPlain };

// Resamples 24-bit rows (B, G, R bytes) of x.source by y.source pixels and
// writes the window, x.count by y.count pixels, to dst (exactly 3 * x.count
// bytes a row). False, with nothing written, when an axis is not valid.
bool ResampleBgr(ConstPixelRows src, const ResampleAxis& x, const ResampleAxis& y, PixelRows dst,
                 ResampleCode code = ResampleCode::kFastest);

// The same for a picture with an alpha plane (one byte a pixel), laid over
// what dst holds. The colour is premultiplied by alpha before resampling
// (p = c * a / 255, rounded), so that the colour of transparent pixels does
// not spread into their neighbours, and the alpha plane is resampled with
// it; each pixel then becomes d' = p + d * (255 - a) / 255, rounded, which
// is the picture's colour where alpha is 255 and dst's where it is 0.
bool ResampleBgrOver(ConstPixelRows src, ConstPixelRows alpha, const ResampleAxis& x, const ResampleAxis& y,
                     PixelRows dst, ResampleCode code = ResampleCode::kFastest);

// The same resampling for a picture whose rows come one at a time: from the
// top (source row y.source - 1) down, or from the bottom (row 0) up. Rows
// FirstRow() .. EndRow() - 1 are the ones used; each of them must be put
// once, in order, and the others are ignored. Each output row is written to
// dst as soon as the rows it takes have come, so only a few rows are held.
class RowResampler {
 public:
  RowResampler();
  ~RowResampler();
  RowResampler(RowResampler&&) noexcept;
  RowResampler& operator=(RowResampler&&) noexcept;

  // False when an axis is not valid. With alpha the result is laid over
  // what dst holds, as ResampleBgrOver does.
  bool Start(const ResampleAxis& x, const ResampleAxis& y, bool alpha, bool from_top, PixelRows dst,
             ResampleCode code = ResampleCode::kFastest);
  std::uint32_t FirstRow() const;
  std::uint32_t EndRow() const;
  // Memory a decoder may write source row r to: x.source pixels of B, G, R
  // and, with alpha, x.source alpha bytes (nullptr without). A row taken
  // there costs no copy.
  std::uint8_t* ColourBuffer(std::uint32_t r);
  std::uint8_t* AlphaBuffer(std::uint32_t r);
  // Source row r is complete. Its pixels are either in the buffers above or
  // elsewhere; lasting says that memory stays as it is until the last row
  // is put (a picture in memory), so it need not be copied.
  void Put(std::uint32_t r, const std::uint8_t* bgr, const std::uint8_t* alpha, bool lasting);
  // The output rows written to dst so far, counted from the side the rows
  // come from (from the top: dst rows y.count - 1, y.count - 2, ...).
  std::uint32_t RowsMade() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vistelle
