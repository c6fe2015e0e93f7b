#include "image/row_sink.h"

#include <algorithm>
#include <cstring>

namespace vistelle {

bool ImageSink::Begin(const PictureShape& shape) {
  // Every row is written as it comes.
  if (!out_.CreateUninitialised(shape.width, shape.height)) return false;
  bottom_up_ = shape.bottom_up;
  alpha_ = shape.alpha;
  alpha_row_.clear();
  if (shape.alpha && !shape.alpha_if_used)
    out_.AlphaCreateUninitialised();
  else if (shape.alpha)
    alpha_row_.resize(shape.width);
  return true;
}

RowMemory ImageSink::Memory(std::uint32_t n) {
  const std::uint32_t y = ImageRow(std::min(n, out_.GetHeight() - 1));
  RowMemory m;
  m.bgr = out_.Row(y);
  if (out_.HasAlpha())
    m.alpha = out_.AlphaRow(y);
  else if (alpha_)
    m.alpha = alpha_row_.data();
  return m;
}

void ImageSink::Put(std::uint32_t n, const SourceRow& row) {
  if (n >= out_.GetHeight() || row.bgr == nullptr) return;
  const std::uint32_t y = ImageRow(n);
  const std::uint32_t width = out_.GetWidth();
  if (row.bgr != out_.Row(y)) std::memcpy(out_.Row(y), row.bgr, static_cast<std::size_t>(width) * 3);
  if (!alpha_ || row.alpha == nullptr) return;
  if (!out_.HasAlpha()) {
    // The rows before this one were all opaque, which is what a new plane
    // holds.
    if (std::all_of(row.alpha, row.alpha + width, [](std::uint8_t a) { return a == 255; })) return;
    out_.AlphaCreate();
  }
  if (row.alpha != out_.AlphaRow(y)) std::memcpy(out_.AlphaRow(y), row.alpha, width);
}

bool TeeSink::Begin(const PictureShape& shape) {
  wanted_.clear();
  for (RowSink* sink : sinks_) {
    if (!sink->Begin(shape)) return false;
    wanted_.push_back(sink->Wanted());
  }
  return true;
}

RowSpan TeeSink::Wanted() const {
  RowSpan all;
  bool any = false;
  for (const RowSpan& span : wanted_) {
    if (span.first >= span.end) continue;
    all.first = any ? std::min(all.first, span.first) : span.first;
    all.end = any ? std::max(all.end, span.end) : span.end;
    any = true;
  }
  return all;
}

RowMemory TeeSink::Memory(std::uint32_t n) {
  for (std::size_t i = 0; i < sinks_.size(); ++i)
    if (wanted_[i].Has(n)) return sinks_[i]->Memory(n);
  return sinks_.empty() ? RowMemory() : sinks_.front()->Memory(n);
}

void TeeSink::Put(std::uint32_t n, const SourceRow& row) {
  for (std::size_t i = 0; i < sinks_.size(); ++i)
    if (wanted_[i].Has(n)) sinks_[i]->Put(n, row);
}

bool TeeSink::Finish() {
  bool ok = true;
  for (RowSink* sink : sinks_) ok = sink->Finish() && ok;
  return ok;
}

bool OrientedSink::Begin(const PictureShape& shape) {
  PictureShape turned = shape;
  if (orientation_ == 3 || orientation_ == 4) turned.bottom_up = !shape.bottom_up;
  width_ = shape.width;
  if (Mirrored()) {
    bgr_.resize(static_cast<std::size_t>(width_) * 3);
    alpha_.resize(shape.alpha ? width_ : 0);
  }
  return sink_.Begin(turned);
}

RowMemory OrientedSink::Memory(std::uint32_t n) {
  if (!Mirrored()) return sink_.Memory(n);
  return {bgr_.data(), alpha_.empty() ? nullptr : alpha_.data()};
}

void OrientedSink::Put(std::uint32_t n, const SourceRow& row) {
  if (!Mirrored()) {
    sink_.Put(n, row);
    return;
  }
  if (!sink_.Wanted().Has(n) || row.bgr == nullptr) return;
  const RowMemory to = sink_.Memory(n);
  const std::uint8_t* s = row.bgr;
  for (std::uint32_t x = 0; x < width_; ++x) std::memcpy(to.bgr + static_cast<std::size_t>(width_ - 1 - x) * 3, s + x * 3, 3);
  if (to.alpha != nullptr && row.alpha != nullptr)
    std::reverse_copy(row.alpha, row.alpha + width_, to.alpha);
  sink_.Put(n, {to.bgr, row.alpha != nullptr ? to.alpha : nullptr, false});
}

bool FeedImage(const Image& picture, RowSink& sink) {
  if (!picture.IsValid()) return false;
  PictureShape shape;
  shape.width = picture.GetWidth();
  shape.height = picture.GetHeight();
  shape.alpha = picture.HasAlpha();
  shape.bottom_up = true;
  if (!sink.Begin(shape)) return false;
  const RowSpan wanted = sink.Wanted();
  for (std::uint32_t n = wanted.first; n < std::min(wanted.end, shape.height); ++n)
    sink.Put(n, {picture.Row(n), picture.AlphaRow(n), true});
  return true;
}

}  // namespace vistelle
