// The wallpaper's file written while its canvas is still being placed: each
// band of rows goes to the file, from the thread that places them, as soon
// as every effect is done with it, so that what is left at the end is the
// header and the rows drawn on since (the calendar, the caption). Those are
// found by each row's hash as it was written. Anything that goes wrong
// leaves the file to be written whole, as it was before.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "image/image.h"

namespace vistelle {

class WallpaperStream {
 public:
  // A new file for path, to hold the canvas (of the size it has now).
  void Start(const std::string& path, const Image& canvas);
  // The top `rows` rows of the canvas are final (0: it is placed anew).
  void RowsFinal(std::uint32_t rows);
  // Whether the file holds all of this canvas, as it was when final.
  bool Holds(const Image& canvas) const;
  // The rows changed since (when any may have been), the header; then the
  // file takes path's place. False, with LastWriteError() telling why, when
  // it fails.
  bool Finish(bool flush, bool changed_since = true);
  void Drop();

  // Rows are written in bands of at least this many.
  static constexpr std::uint32_t kBandRows = 32;

 private:
  bool WriteRows(std::uint32_t y0, std::uint32_t y1);  // canvas rows [y0, y1)

  ReplacingFile file_;
  const Image* canvas_ = nullptr;
  std::uint32_t height_ = 0;
  std::size_t stride_ = 0;
  std::uint32_t written_ = 0;  // rows from the top that are in the file
  bool failed_ = false;
  std::vector<std::uint64_t> hashes_;  // of each row as written, by row
};

}  // namespace vistelle
