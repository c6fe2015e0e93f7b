// Putting a picture on the wallpaper canvas as its rows come from the
// decoder, in any of the positions (composition.h says what each does):
// fill, fit and stretch resample each row as it comes, centre and tile copy
// it straight to where it shows. What waits is the canvas and a few rows,
// never the decoded picture. A picture in memory goes the same way
// (PlacePicture feeds its rows), so both give the same canvas.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image/effect_chain.h"
#include "image/image.h"
#include "image/resample.h"
#include "image/row_sink.h"

namespace vistelle {

class PlacementSink final : public RowSink {
 public:
  // Places onto the canvas as it is. With a background, the canvas (already
  // of the screen's size, its pixels perhaps not set) is first given it
  // wherever the picture may leave the canvas showing: around a centred or
  // fitted picture and through a transparent one (black for stretch and
  // tile, the background colour for the others). scratch: memory a
  // stretched picture with alpha is resized in, kept by the caller so that
  // repeated placements allocate nothing.
  PlacementSink(Image& canvas, int position, std::optional<ColorRef> background = std::nullopt,
                Image* scratch = nullptr);

  // The canvas as it is without a picture: the background colour for the
  // positions it shows in, black for the others.
  static void FillBackground(Image& canvas, int position, ColorRef background);

  bool Begin(const PictureShape& shape) override;
  RowSpan Wanted() const override { return wanted_; }
  RowMemory Memory(std::uint32_t n) override;
  void Put(std::uint32_t n, const SourceRow& row) override;
  // The stretched picture's smoothing and, with alpha, its copy onto the
  // canvas.
  bool Finish() override;

  // The canvas's rows go through the chain (started on the canvas) as they
  // become final: while the picture comes, when it comes from the top and
  // fills, fits or stretches without smoothing; else all at the end.
  void EffectsAsPlaced(EffectChain* chain) { effects_ = chain; }

  // The size the picture came in (0 x 0 before Begin).
  std::uint32_t PictureWidth() const { return shape_.width; }
  std::uint32_t PictureHeight() const { return shape_.height; }

 private:
  enum class Kind { kScaled, kCentre, kTile, kStretch };
  // The picture's row (counted from the bottom, as in Image) of row n.
  std::uint32_t PictureRow(std::uint32_t n) const { return shape_.bottom_up ? n : shape_.height - 1 - n; }
  // The rows n of the picture rows [lo, hi).
  RowSpan ArrivalSpan(std::uint32_t lo, std::uint32_t hi) const;
  // Copies the row's pixels that are not transparent onto canvas row y,
  // its first pixel at column x.
  void CopyRow(const SourceRow& row, std::uint32_t y, std::int64_t x);
  void StretchRow(std::uint32_t r, const SourceRow& row);
  // The canvas rows from the top that are final now.
  std::uint32_t FinalRows(std::uint32_t p) const;

  Image& canvas_;
  const int position_;
  const std::optional<ColorRef> background_;
  Image* scratch_;
  Image own_scratch_;
  Kind kind_ = Kind::kCentre;
  PictureShape shape_;
  RowSpan wanted_;
  std::int64_t offset_x_ = 0, offset_y_ = 0;  // centre
  RowResampler resampler_;                   // fill and fit
  Image* stretched_ = nullptr;               // stretch: the canvas, or the scratch with alpha
  std::vector<std::uint32_t> columns_;       // stretch: each column's picture column
  bool enlarged_ = false;                    // stretch: smaller both ways, so smoothed
  EffectChain* effects_ = nullptr;
  bool rows_final_as_placed_ = false;
  std::uint32_t rows_above_ = 0;   // fill and fit: canvas rows above the picture
  std::uint32_t rows_placed_ = 0;  // fill and fit: canvas rows the picture covers
  // A row for a decoder to write where it cannot go straight to its place.
  std::vector<std::uint8_t> row_bgr_, row_alpha_;
};

}  // namespace vistelle
