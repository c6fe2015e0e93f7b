// The main window's preview: a small copy of the current picture, made once
// when the picture changes, so that painting never scales a large photo.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "image/image.h"
#include "image/row_sink.h"

namespace vistelle {

// Scales source to exactly width x height into out. A larger source is
// averaged over the source pixels that fall into each preview pixel (no
// pixel of the picture is skipped); a smaller one is enlarged smoothly.
// False, with out empty, for an empty source or size.
bool MakePreviewImage(const Image& source, std::uint32_t width, std::uint32_t height, Image& out);

// The same preview, made from the rows as a decoder gives them: each
// preview row once the picture rows it averages have come. A picture
// smaller than the preview in either direction is held whole and enlarged
// at Finish. out is the caller's to use once the decode succeeded.
class PreviewSink final : public RowSink {
 public:
  PreviewSink(std::uint32_t width, std::uint32_t height, Image& out) : width_(width), height_(height), out_(out) {}
  bool Begin(const PictureShape& shape) override;
  RowSpan Wanted() const override { return {0, shape_.height}; }
  RowMemory Memory(std::uint32_t n) override;
  void Put(std::uint32_t n, const SourceRow& row) override;
  bool Finish() override;

 private:
  void EndGroup();
  const std::uint32_t width_, height_;
  Image& out_;
  PictureShape shape_;
  Image small_;                      // a picture smaller than the preview
  std::unique_ptr<ImageSink> whole_;  // ... and the sink that makes it
  std::vector<std::uint32_t> columns_in_, column_sums_;
  std::vector<std::uint8_t> row_, alpha_;
  std::uint32_t group_ = 0;       // the preview row being summed
  std::uint32_t group_rows_ = 0;  // picture rows summed into it so far
};

}  // namespace vistelle
