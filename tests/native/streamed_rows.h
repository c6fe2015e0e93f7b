// A sink that wants only some of a picture's rows, as the canvas does for a
// picture cut at its edges, and checks that a decoder keeps to the rules of
// row_sink.h: one Begin, the wanted rows each put once and in order, every
// byte of them written. Its rows must be the ones of the same file decoded
// whole into an Image.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/row_sink.h"

namespace vistelle {

class RecordingSink final : public RowSink {
 public:
  // end 0: every row.
  explicit RecordingSink(RowSpan want) : want_(want) {}

  bool Begin(const PictureShape& shape) override {
    ++begins;
    shape_ = shape;
    if (want_.end == 0 || want_.end > shape.height) want_.end = shape.height;
    return true;
  }
  RowSpan Wanted() const override { return want_; }
  RowMemory Memory(std::uint32_t) override {
    // Filled with a pattern no decoder writes by chance over a whole row.
    bgr_.assign(static_cast<std::size_t>(shape_.width) * 3 + 1, 0xCD);
    alpha_.assign(static_cast<std::size_t>(shape_.width) + 1, 0xCD);
    return {bgr_.data(), shape_.alpha ? alpha_.data() : nullptr};
  }
  void Put(std::uint32_t n, const SourceRow& row) override {
    if (n >= shape_.height || (!rows.empty() && n <= rows.rbegin()->first)) out_of_order = true;
    Row& r = rows[n];
    r.bgr.assign(row.bgr, row.bgr + static_cast<std::size_t>(shape_.width) * 3);
    if (row.alpha != nullptr) r.alpha.assign(row.alpha, row.alpha + shape_.width);
  }
  bool Finish() override {
    ++finishes;
    return true;
  }

  const PictureShape& Shape() const { return shape_; }

  struct Row {
    std::vector<std::uint8_t> bgr, alpha;
  };
  std::map<std::uint32_t, Row> rows;
  int begins = 0, finishes = 0;
  bool out_of_order = false;

 private:
  RowSpan want_;
  PictureShape shape_;
  std::vector<std::uint8_t> bgr_, alpha_;
};

// Streams the file into a RecordingSink wanting `want` and compares every
// wanted row with the picture decode_whole gives.
inline testing::AssertionResult StreamsLikeWhole(
    const std::function<bool(const std::uint8_t*, std::size_t, RowSink&)>& decode_streamed,
    const std::function<bool(const std::uint8_t*, std::size_t, Image&)>& decode_whole,
    const std::vector<std::uint8_t>& file, RowSpan want) {
  Image whole;
  if (!decode_whole(file.data(), file.size(), whole)) return testing::AssertionFailure() << "no whole decode";
  {
    RecordingSink sink(want);
    if (!decode_streamed(file.data(), file.size(), sink)) return testing::AssertionFailure() << "no streamed decode";
    const PictureShape& shape = sink.Shape();
    if (sink.begins != 1 || sink.out_of_order)
      return testing::AssertionFailure() << sink.begins << " begins, rows in order: " << !sink.out_of_order;
    if (shape.width != whole.GetWidth() || shape.height != whole.GetHeight())
      return testing::AssertionFailure() << "shape " << shape.width << "x" << shape.height;
    const RowSpan wanted = sink.Wanted();
    for (std::uint32_t n = wanted.first; n < wanted.end; ++n) {
      const auto found = sink.rows.find(n);
      if (found == sink.rows.end()) return testing::AssertionFailure() << "row " << n << " missing";
      const std::uint32_t y = shape.bottom_up ? n : shape.height - 1 - n;
      const std::size_t width = whole.GetWidth();
      if (std::memcmp(found->second.bgr.data(), whole.Row(y), width * 3) != 0)
        return testing::AssertionFailure() << "row " << n << " differs";
      const std::vector<std::uint8_t>& alpha = found->second.alpha;
      if (whole.HasAlpha() ? alpha.empty() || std::memcmp(alpha.data(), whole.AlphaRow(y), width) != 0
                           : !alpha.empty() && alpha != std::vector<std::uint8_t>(width, 255))
        return testing::AssertionFailure() << "alpha of row " << n << " differs";
    }
  }
  return testing::AssertionSuccess();
}

}  // namespace vistelle
