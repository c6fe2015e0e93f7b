#include "render/placement_sink.h"

#include <algorithm>
#include <cstring>

#include "render/composition.h"

namespace vistelle {

namespace {

// A stretched picture enlarged both ways is lightly smoothed.
constexpr std::int32_t kSmooth[9] = {1, 1, 1, 1, 8, 1, 1, 1, 1};

// The colour in canvas rows [y0, y1), columns [x0, x1).
void FillRect(Image& canvas, const std::uint8_t bgr[3], std::uint32_t x0, std::uint32_t y0, std::uint32_t x1,
              std::uint32_t y1) {
  if (x0 >= x1 || y0 >= y1) return;
  std::uint8_t* first = canvas.Row(y0) + static_cast<std::size_t>(x0) * 3;
  for (std::uint32_t x = x0; x < x1; ++x) std::memcpy(first + static_cast<std::size_t>(x - x0) * 3, bgr, 3);
  const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * 3;
  for (std::uint32_t y = y0 + 1; y < y1; ++y) std::memcpy(canvas.Row(y) + static_cast<std::size_t>(x0) * 3, first, bytes);
}

// The colour everywhere but in the rectangle [x0, x1) x [y0, y1) (clipped).
void FillAround(Image& canvas, ColorRef color, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
  const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(ColorRefBlue(color)),
                               static_cast<std::uint8_t>(ColorRefGreen(color)),
                               static_cast<std::uint8_t>(ColorRefRed(color))};
  const std::int64_t W = canvas.GetWidth(), H = canvas.GetHeight();
  const auto clip = [](std::int64_t v, std::int64_t end) { return static_cast<std::uint32_t>(std::clamp<std::int64_t>(v, 0, end)); };
  const std::uint32_t l = clip(x0, W), r = clip(x1, W), b = clip(y0, H), t = clip(y1, H);
  if (l >= r || b >= t) {
    FillRect(canvas, bgr, 0, 0, static_cast<std::uint32_t>(W), static_cast<std::uint32_t>(H));
    return;
  }
  FillRect(canvas, bgr, 0, 0, static_cast<std::uint32_t>(W), b);
  FillRect(canvas, bgr, 0, t, static_cast<std::uint32_t>(W), static_cast<std::uint32_t>(H));
  FillRect(canvas, bgr, 0, b, l, t);
  FillRect(canvas, bgr, r, b, static_cast<std::uint32_t>(W), t);
}

}  // namespace

PlacementSink::PlacementSink(Image& canvas, int position, std::optional<ColorRef> background, Image* scratch)
    : canvas_(canvas), position_(position), background_(background), scratch_(scratch) {
  if (scratch_ == nullptr) scratch_ = &own_scratch_;
  if (position == kPositionFill || position == kPositionFit)
    kind_ = Kind::kScaled;
  else if (position == kPositionStretch)
    kind_ = Kind::kStretch;
  else if (position == kPositionCenter)
    kind_ = Kind::kCentre;
  else
    kind_ = Kind::kTile;
}

void PlacementSink::FillBackground(Image& canvas, int position, ColorRef background) {
  const bool coloured = position == kPositionCenter || position == kPositionFill || position == kPositionFit;
  FillCanvas(canvas, coloured ? background : ColorRef{0});
}

RowSpan PlacementSink::ArrivalSpan(std::uint32_t lo, std::uint32_t hi) const {
  if (lo >= hi) return {};
  if (shape_.bottom_up) return {lo, hi};
  return {shape_.height - hi, shape_.height - lo};
}

bool PlacementSink::Begin(const PictureShape& shape) {
  shape_ = shape;
  wanted_ = {};
  stretched_ = nullptr;
  const std::uint32_t W = canvas_.GetWidth(), H = canvas_.GetHeight();
  const std::uint32_t w = shape.width, h = shape.height;
  if (!canvas_.IsValid() || w == 0 || h == 0) return false;
  row_bgr_.resize(static_cast<std::size_t>(w) * 3);
  row_alpha_.assign(shape.alpha ? w : 0, 255);

  // Where the picture lies on the canvas, and the rows that reach it.
  std::int64_t x0 = 0, y0 = 0, x1 = W, y1 = H;
  bool placed = true;
  switch (kind_) {
    case Kind::kScaled: {
      const ScaledSize size = position_ == kPositionFill ? FillSize(W, H, w, h) : FitSize(W, H, w, h);
      const Offset o = ScaledOffset(W, H, size);
      x0 = o.x;
      y0 = o.y;
      x1 = o.x + size.width;
      y1 = o.y + size.height;
      ResampleAxis x, y;
      x.source = w;
      x.scaled = size.width;
      x.first = o.x < 0 ? static_cast<std::uint32_t>(-o.x) : 0;
      x.count = std::min(W, size.width);
      y.source = h;
      y.scaled = size.height;
      y.first = o.y < 0 ? static_cast<std::uint32_t>(-o.y) : 0;
      y.count = std::min(H, size.height);
      const auto ox = static_cast<std::uint32_t>(std::max<std::int64_t>(0, o.x));
      const auto oy = static_cast<std::uint32_t>(std::max<std::int64_t>(0, o.y));
      const PixelRows dst{canvas_.Row(oy) + static_cast<std::size_t>(ox) * 3,
                          static_cast<std::ptrdiff_t>(canvas_.Stride())};
      // A size the resampler cannot take leaves the canvas as it is.
      if (resampler_.Start(x, y, shape.alpha, !shape.bottom_up, dst)) {
        wanted_ = ArrivalSpan(resampler_.FirstRow(), resampler_.EndRow());
      } else {
        placed = false;
        x1 = x0;
      }
      break;
    }
    case Kind::kCentre: {
      const Offset o = CenterOffset(W, H, w, h);
      offset_x_ = o.x;
      offset_y_ = o.y;
      x0 = o.x;
      y0 = o.y;
      x1 = o.x + w;
      y1 = o.y + h;
      const auto lo = static_cast<std::uint32_t>(std::max<std::int64_t>(0, -o.y));
      const auto hi = static_cast<std::uint32_t>(std::clamp<std::int64_t>(static_cast<std::int64_t>(H) - o.y, 0, h));
      wanted_ = ArrivalSpan(lo, hi);
      break;
    }
    case Kind::kTile:
      wanted_ = ArrivalSpan(0, std::min(h, H));
      break;
    case Kind::kStretch: {
      enlarged_ = w < W && h < H;
      columns_.resize(W);
      for (std::uint32_t x = 0; x < W; ++x)
        columns_[x] = static_cast<std::uint32_t>((static_cast<std::uint64_t>(x) * w) / W);
      // A picture with alpha is resized on its own first, smoothed, and
      // then laid over the canvas; without, straight onto the canvas.
      if (shape.alpha) {
        if (!scratch_->CreateUninitialised(W, H)) return false;
        scratch_->AlphaCreateUninitialised();
        stretched_ = scratch_;
      } else {
        stretched_ = &canvas_;
      }
      // Every picture row shows in at least one canvas row only when the
      // picture is not higher than the canvas.
      wanted_ = {0, h};
      break;
    }
  }

  // Rows made from the top down are final as they are made, but for a
  // stretched picture smoothed or laid over the canvas at the end.
  rows_final_as_placed_ = !shape.bottom_up && ((kind_ == Kind::kScaled && placed) ||
                                              (kind_ == Kind::kStretch && !enlarged_ && stretched_ == &canvas_));
  if (kind_ == Kind::kScaled) {
    rows_above_ = static_cast<std::uint32_t>(H - std::clamp<std::int64_t>(y1, 0, H));
    rows_placed_ = static_cast<std::uint32_t>(std::clamp<std::int64_t>(y1, 0, H) - std::clamp<std::int64_t>(y0, 0, H));
  }

  if (background_) {
    // A picture without alpha that fills, stretches or tiles covers every
    // pixel; elsewhere the background shows around it, and through a
    // picture that may be transparent everywhere.
    const bool opaque = !shape.alpha && placed;
    const ColorRef colour = kind_ == Kind::kStretch || kind_ == Kind::kTile ? ColorRef{0} : *background_;
    if (!opaque)
      FillCanvas(canvas_, colour);
    else if (kind_ == Kind::kCentre || position_ == kPositionFit || !placed)
      FillAround(canvas_, colour, x0, y0, x1, y1);
  }
  if (effects_ != nullptr) effects_->Restart();
  return true;
}

std::uint32_t PlacementSink::FinalRows(std::uint32_t p) const {
  const std::uint64_t H = canvas_.GetHeight();
  if (kind_ == Kind::kStretch) {
    // Every canvas row showing picture row p or one above it.
    return static_cast<std::uint32_t>(H - (p * H + shape_.height - 1) / shape_.height);
  }
  // Below the picture the background was final from the start.
  const std::uint32_t made = resampler_.RowsMade();
  return made == rows_placed_ ? static_cast<std::uint32_t>(H) : rows_above_ + made;
}

RowMemory PlacementSink::Memory(std::uint32_t n) {
  if (wanted_.Has(n)) {
    const std::uint32_t p = PictureRow(n);
    if (kind_ == Kind::kScaled) return {resampler_.ColourBuffer(p), resampler_.AlphaBuffer(p)};
    // An opaque centred row wholly on the canvas is decoded in its place.
    if (kind_ == Kind::kCentre && !shape_.alpha && offset_x_ >= 0 &&
        offset_x_ + shape_.width <= static_cast<std::int64_t>(canvas_.GetWidth()))
      return {canvas_.Row(static_cast<std::uint32_t>(p + offset_y_)) + offset_x_ * 3, nullptr};
  }
  return {row_bgr_.data(), shape_.alpha ? row_alpha_.data() : nullptr};
}

void PlacementSink::CopyRow(const SourceRow& row, std::uint32_t y, std::int64_t x) {
  const std::int64_t W = canvas_.GetWidth(), w = shape_.width;
  const std::int64_t from = std::max<std::int64_t>(0, -x), to = std::min<std::int64_t>(w, W - x);
  if (from >= to) return;
  const std::uint8_t* s = row.bgr + from * 3;
  std::uint8_t* d = canvas_.Row(y) + (x + from) * 3;
  const auto count = static_cast<std::size_t>(to - from);
  if (!shape_.alpha || row.alpha == nullptr) {
    if (s != d) std::memcpy(d, s, count * 3);
    return;
  }
  const std::uint8_t* a = row.alpha + from;
  for (std::size_t i = 0; i < count; ++i)
    if (a[i] != 0) std::memcpy(d + i * 3, s + i * 3, 3);
}

void PlacementSink::StretchRow(std::uint32_t p, const SourceRow& row) {
  const std::uint64_t W = canvas_.GetWidth(), H = canvas_.GetHeight(), h = shape_.height;
  // The canvas rows y whose picture row y * h / H is p.
  const auto first = static_cast<std::uint32_t>((p * H + h - 1) / h);
  const auto end = static_cast<std::uint32_t>(std::min<std::uint64_t>(H, ((p + 1) * H + h - 1) / h));
  if (first >= end) return;
  Image& out = *stretched_;
  std::uint8_t* d = out.Row(first);
  const std::uint32_t* sx = columns_.data();
  for (std::uint64_t x = 0; x < W; ++x) std::memcpy(d + x * 3, row.bgr + static_cast<std::size_t>(sx[x]) * 3, 3);
  std::uint8_t* da = out.HasAlpha() ? out.AlphaRow(first) : nullptr;
  if (da != nullptr) {
    if (row.alpha == nullptr)
      std::memset(da, 255, W);
    else
      for (std::uint64_t x = 0; x < W; ++x) da[x] = row.alpha[sx[x]];
  }
  for (std::uint32_t y = first + 1; y < end; ++y) {
    std::memcpy(out.Row(y), d, W * 3);
    if (da != nullptr) std::memcpy(out.AlphaRow(y), da, W);
  }
}

void PlacementSink::Put(std::uint32_t n, const SourceRow& row) {
  if (!wanted_.Has(n) || row.bgr == nullptr) return;
  const std::uint32_t p = PictureRow(n);
  const std::uint8_t* alpha = shape_.alpha ? (row.alpha != nullptr ? row.alpha : row_alpha_.data()) : nullptr;
  switch (kind_) {
    case Kind::kScaled:
      resampler_.Put(p, row.bgr, alpha, row.lasting);
      break;
    case Kind::kCentre:
      CopyRow(row, static_cast<std::uint32_t>(p + offset_y_), offset_x_);
      break;
    case Kind::kTile: {
      const std::uint32_t W = canvas_.GetWidth(), H = canvas_.GetHeight(), w = shape_.width, h = shape_.height;
      for (std::uint64_t y = p; y < H; y += h) {
        // Opaque rows are laid out once and copied to the tiles above.
        if (y != p && row.alpha == nullptr) {
          std::memcpy(canvas_.Row(static_cast<std::uint32_t>(y)), canvas_.Row(p), static_cast<std::size_t>(W) * 3);
          continue;
        }
        for (std::uint64_t x = 0; x < W; x += w)
          CopyRow(row, static_cast<std::uint32_t>(y), static_cast<std::int64_t>(x));
      }
      break;
    }
    case Kind::kStretch:
      StretchRow(p, row);
      break;
  }
  if (effects_ != nullptr && rows_final_as_placed_) effects_->Advance(FinalRows(p));
}

bool PlacementSink::Finish() {
  if (kind_ == Kind::kStretch && stretched_ != nullptr) {
    if (enlarged_) stretched_->Filter(kSmooth, 3, 16, 0);
    if (stretched_ != &canvas_) CopyOpaquePixels(canvas_, *stretched_, 0, 0);
  }
  if (effects_ != nullptr) effects_->Finish();
  return true;
}

}  // namespace vistelle
