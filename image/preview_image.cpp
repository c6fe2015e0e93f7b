#include "image/preview_image.h"

#include <algorithm>
#include <vector>

namespace vistelle {

bool MakePreviewImage(const Image& source, std::uint32_t width, std::uint32_t height, Image& out) {
  out.Clear();
  if (!source.IsValid() || width == 0 || height == 0) return false;
  const std::uint32_t sw = source.GetWidth();
  const std::uint32_t sh = source.GetHeight();
  if (sw < width || sh < height) {
    // Small in at least one direction: rare, and cheap to copy.
    Image copy(source);
    return copy.Resample(width, height, 2, &out) && out.IsValid();
  }
  // The same sums as rows come from a decoder, fed from memory.
  PreviewSink sink(width, height, out);
  return FeedImage(source, sink) && sink.Finish();
}

namespace {

// The picture rows [first, end) that preview row g averages.
std::uint32_t GroupStart(std::uint32_t g, std::uint32_t picture, std::uint32_t preview) {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(g) * picture / preview);
}

}  // namespace

bool PreviewSink::Begin(const PictureShape& shape) {
  shape_ = shape;
  whole_.reset();
  out_.Clear();
  if (width_ == 0 || height_ == 0 || shape.width == 0 || shape.height == 0) return false;
  if (shape.width < width_ || shape.height < height_) {
    whole_ = std::make_unique<ImageSink>(small_);
    return whole_->Begin(shape);
  }
  if (!out_.Create(width_, height_)) return false;
  const std::uint32_t sw = shape.width;
  columns_in_.assign(width_, 0);
  for (std::uint32_t x = 0; x < sw; ++x)
    ++columns_in_[static_cast<std::size_t>(static_cast<std::uint64_t>(x) * width_ / sw)];
  column_sums_.assign(static_cast<std::size_t>(sw) * 3, 0);
  row_.resize(static_cast<std::size_t>(sw) * 3);
  alpha_.resize(shape.alpha ? sw : 0);
  // Rows from the top come in the order of the last preview row first.
  group_ = shape.bottom_up ? 0 : height_ - 1;
  group_rows_ = 0;
  return true;
}

RowMemory PreviewSink::Memory(std::uint32_t n) {
  if (whole_) return whole_->Memory(n);
  // The preview shows the colours alone, but a decoder writes the alpha.
  return {row_.data(), shape_.alpha ? alpha_.data() : nullptr};
}

void PreviewSink::Put(std::uint32_t n, const SourceRow& row) {
  if (whole_) {
    whole_->Put(n, row);
    return;
  }
  if (n >= shape_.height || row.bgr == nullptr) return;
  // The sums are exact, so the order the rows come in makes no difference.
  std::uint32_t* sums = column_sums_.data();
  const std::size_t bytes = column_sums_.size();
  for (std::size_t i = 0; i < bytes; ++i) sums[i] += row.bgr[i];
  ++group_rows_;
  const std::uint32_t rows = GroupStart(group_ + 1, shape_.height, height_) - GroupStart(group_, shape_.height, height_);
  if (group_rows_ == rows) EndGroup();
}

void PreviewSink::EndGroup() {
  std::uint8_t* out = out_.Row(group_);
  const std::uint32_t* column = column_sums_.data();
  for (std::uint32_t x = 0; x < width_; ++x) {
    std::uint64_t sum[3] = {0, 0, 0};
    for (std::uint32_t n = columns_in_[x]; n != 0; --n, column += 3) {
      sum[0] += column[0];
      sum[1] += column[1];
      sum[2] += column[2];
    }
    const std::uint64_t count = static_cast<std::uint64_t>(columns_in_[x]) * group_rows_;
    for (int c = 0; c < 3; ++c) out[x * 3 + c] = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
  }
  std::fill(column_sums_.begin(), column_sums_.end(), 0u);
  group_rows_ = 0;
  if (shape_.bottom_up)
    ++group_;
  else if (group_ > 0)
    --group_;
}

bool PreviewSink::Finish() {
  if (whole_) {
    whole_.reset();
    const bool made = MakePreviewImage(small_, width_, height_, out_);
    small_.Clear();
    return made;
  }
  return out_.IsValid();
}

}  // namespace vistelle
