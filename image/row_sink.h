// Pictures handed over a row at a time. A decoder gives each row, as soon
// as it is decoded, to a sink that makes something of it: a picture in
// memory, the wallpaper canvas, the preview. So a picture that only passes
// through on its way to the screen is never held whole.
//
// Rows are numbered in the order they come: row 0 is the first. A picture
// comes from the top down (the usual way) or from the bottom up (a BMP).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image.h"

namespace vistelle {

struct PictureShape {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // The rows come with alpha bytes (0 transparent .. 255 opaque).
  bool alpha = false;
  // The alpha bytes are there whether or not the picture uses them (a
  // conversion to 32 bits): a picture in memory gets an alpha plane only
  // when some pixel is not opaque.
  bool alpha_if_used = false;
  // The first row is the bottom one.
  bool bottom_up = false;
};

// Where a decoder may write a row: width * 3 bytes of B, G, R and, with
// alpha, width bytes of alpha (else nullptr). Exactly those bytes: the
// memory may be part of a larger picture.
struct RowMemory {
  std::uint8_t* bgr = nullptr;
  std::uint8_t* alpha = nullptr;
};

// A complete row. lasting: its memory stays as it is until the last row has
// come (a picture in memory), so a sink may keep the pointer rather than
// copy the row.
struct SourceRow {
  const std::uint8_t* bgr = nullptr;
  const std::uint8_t* alpha = nullptr;
  bool lasting = false;
};

// Rows first .. end - 1.
struct RowSpan {
  std::uint32_t first = 0;
  std::uint32_t end = 0;
  bool Has(std::uint32_t n) const { return n >= first && n < end; }
};

class RowSink {
 public:
  virtual ~RowSink() = default;

  // Before the first row. False when the sink cannot take such a picture;
  // the decode then fails. May throw std::bad_alloc.
  virtual bool Begin(const PictureShape& shape) = 0;
  // The rows the sink makes use of (after Begin). A decoder may leave out
  // the others, as long as it puts the rows it does put in order.
  virtual RowSpan Wanted() const = 0;
  // Memory for row n, the decoder's to write until it puts row n.
  virtual RowMemory Memory(std::uint32_t n) = 0;
  // Row n is complete: in the memory Memory(n) gave, or in memory of the
  // decoder's own.
  virtual void Put(std::uint32_t n, const SourceRow& row) = 0;
  // After the last row, when the decode succeeded. False when what the
  // sink makes could not be made after all.
  virtual bool Finish() { return true; }
};

// Makes a picture in memory, bottom row first as Image keeps it. The
// picture is written to only as rows come; it is the caller's to use once
// the decode succeeded (and to drop when it failed).
class ImageSink final : public RowSink {
 public:
  explicit ImageSink(Image& out) : out_(out) {}
  bool Begin(const PictureShape& shape) override;
  RowSpan Wanted() const override { return {0, out_.GetHeight()}; }
  RowMemory Memory(std::uint32_t n) override;
  void Put(std::uint32_t n, const SourceRow& row) override;

 private:
  std::uint32_t ImageRow(std::uint32_t n) const { return bottom_up_ ? n : out_.GetHeight() - 1 - n; }
  Image& out_;
  bool bottom_up_ = false;
  bool alpha_ = false;
  std::vector<std::uint8_t> alpha_row_;  // while no alpha plane is made
};

// Hands every row to each of the sinks (a decode for the canvas and the
// preview at once). Each row is decoded once, into the memory of the first
// sink that wants it; the others read it from there.
class TeeSink final : public RowSink {
 public:
  explicit TeeSink(std::vector<RowSink*> sinks) : sinks_(std::move(sinks)) {}
  bool Begin(const PictureShape& shape) override;
  RowSpan Wanted() const override;
  RowMemory Memory(std::uint32_t n) override;
  void Put(std::uint32_t n, const SourceRow& row) override;
  bool Finish() override;

 private:
  std::vector<RowSink*> sinks_;
  std::vector<RowSpan> wanted_;
};

// Turns the rows of a picture stored mirrored or upside down (an EXIF
// orientation of 2, 3 or 4) the right way before they reach the sink;
// other orientations pass rows on as they are.
class OrientedSink final : public RowSink {
 public:
  OrientedSink(RowSink& sink, int orientation) : sink_(sink), orientation_(orientation) {}
  bool Begin(const PictureShape& shape) override;
  RowSpan Wanted() const override { return sink_.Wanted(); }
  RowMemory Memory(std::uint32_t n) override;
  void Put(std::uint32_t n, const SourceRow& row) override;
  bool Finish() override { return sink_.Finish(); }

 private:
  bool Mirrored() const { return orientation_ == 2 || orientation_ == 3; }
  RowSink& sink_;
  int orientation_;
  std::uint32_t width_ = 0;
  std::vector<std::uint8_t> bgr_, alpha_;
};

// Hands a picture in memory to the sink, bottom row first, the rows it
// wants straight from the picture's memory (the caller finishes the sink).
// False when the picture is empty or the sink refuses it.
bool FeedImage(const Image& picture, RowSink& sink);

}  // namespace vistelle
