#include "render/wallpaper_stream.h"

#include <cstring>

#include "image/bmp_header.h"

namespace vistelle {

namespace {

// Four interleaved multiply-xor lanes over the row's words: a change of any
// byte changes the hash but with a chance of 2^-64.
std::uint64_t RowHash(const std::uint8_t* p, std::size_t n) {
  constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15ull;
  std::uint64_t h[4] = {n, ~n, n * kOdd, 0x243F6A8885A308D3ull};
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32)
    for (int k = 0; k < 4; ++k) {
      std::uint64_t w;
      std::memcpy(&w, p + i + 8 * k, 8);
      h[k] = (h[k] ^ w) * kOdd;
      h[k] ^= h[k] >> 29;
    }
  for (; i < n; ++i) h[0] = (h[0] ^ p[i]) * kOdd;
  std::uint64_t r = 0;
  for (int k = 0; k < 4; ++k) r = (r ^ h[k]) * kOdd ^ (h[k] >> 31);
  return r;
}

}  // namespace

void WallpaperStream::Start(const std::string& path, const Image& canvas) {
  Drop();
  if (!canvas.IsValid() || !file_.Open(path)) {
    failed_ = true;
    return;
  }
  canvas_ = &canvas;
  height_ = canvas.GetHeight();
  stride_ = canvas.Stride();
  hashes_.assign(height_, 0);
}

bool WallpaperStream::WriteRows(std::uint32_t y0, std::uint32_t y1) {
  // Bottom-up, as in memory: the rows lie in the file as they lie there.
  for (std::uint32_t y = y0; y < y1; ++y) hashes_[y] = RowHash(canvas_->Row(y), stride_);
  return file_.WriteAt(kBmpHeaderSize + static_cast<std::uint64_t>(y0) * stride_, canvas_->Row(y0),
                       static_cast<std::size_t>(y1 - y0) * stride_);
}

void WallpaperStream::RowsFinal(std::uint32_t rows) {
  if (canvas_ == nullptr || failed_) return;
  if (rows < written_) written_ = 0;  // placed anew
  if (rows > height_) rows = height_;
  if (rows - written_ < kBandRows && rows != height_) return;
  if (rows == written_) return;
  if (!WriteRows(height_ - rows, height_ - written_)) {
    failed_ = true;
    return;
  }
  written_ = rows;
}

bool WallpaperStream::Holds(const Image& canvas) const {
  return canvas_ == &canvas && !failed_ && written_ == height_ && canvas.GetHeight() == height_ &&
         canvas.Stride() == stride_ && file_.IsOpen();
}

bool WallpaperStream::Finish(bool flush, bool changed_since) {
  bool ok = true;
  for (std::uint32_t y = 0; y < height_ && ok && changed_since;) {
    if (RowHash(canvas_->Row(y), stride_) == hashes_[y]) {
      ++y;
      continue;
    }
    std::uint32_t end = y + 1;
    while (end < height_ && RowHash(canvas_->Row(end), stride_) != hashes_[end]) ++end;
    ok = WriteRows(y, end);
    y = end;
  }
  const auto header = BmpHeader24(*canvas_);
  ok = ok && file_.WriteAt(0, header.data(), header.size()) && file_.Commit(flush);
  Drop();
  return ok;
}

void WallpaperStream::Drop() {
  file_.Abandon();
  canvas_ = nullptr;
  height_ = 0;
  written_ = 0;
  failed_ = false;
  hashes_.clear();
}

}  // namespace vistelle
