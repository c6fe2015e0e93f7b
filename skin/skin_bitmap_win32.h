// Bitmaps of the skin engine: the owning holder, loading pictures, cutting
// and drawing them.
#pragma once

#include <windows.h>

#include <string>

namespace vistelle {

// Owns one bitmap and deletes it exactly once: when destroyed, when given
// another one, or never when it was handed on with Release or a move.
class BitmapHolder {
 public:
  BitmapHolder() = default;
  explicit BitmapHolder(HBITMAP bitmap) : bitmap_(bitmap) {}
  ~BitmapHolder() { Reset(); }
  BitmapHolder(const BitmapHolder&) = delete;
  BitmapHolder& operator=(const BitmapHolder&) = delete;
  BitmapHolder(BitmapHolder&& other) noexcept : bitmap_(other.Release()) {}
  BitmapHolder& operator=(BitmapHolder&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  HBITMAP Get() const { return bitmap_; }
  explicit operator bool() const { return bitmap_ != nullptr; }
  // Deletes the bitmap held so far (unless it is the same one) and takes this.
  void Reset(HBITMAP bitmap = nullptr) {
    if (bitmap_ != nullptr && bitmap_ != bitmap) DeleteObject(bitmap_);
    bitmap_ = bitmap;
  }
  // Hands the bitmap on; the holder is empty afterwards.
  HBITMAP Release() {
    HBITMAP b = bitmap_;
    bitmap_ = nullptr;
    return b;
  }

 private:
  HBITMAP bitmap_ = nullptr;
};

// Width and height of a bitmap; 0 x 0 for none.
SIZE BitmapSize(HBITMAP bitmap);

// Decodes a picture file (BMP, JPEG, GIF) with the system's picture decoder
// into a new 32-bit bitmap that the caller owns. Null when the file cannot
// be read or decoded.
HBITMAP LoadPicture(const std::string& path);

// Loads a Windows bitmap file into the holder (its earlier bitmap is
// deleted first). False, with the holder empty, when that fails.
bool LoadBitmapFile(BitmapHolder& holder, const std::string& path);

// A new bitmap of width x height in the source's format holding the source's
// rectangle at (x, y); null for no source or an empty size. Parts outside
// the source come out black.
HBITMAP CropBitmap(HBITMAP source, int x, int y, int width, int height);

// Copies the whole bitmap to (0, 0) of the device context; nothing for none.
void DrawBitmap(HDC dc, HBITMAP bitmap);

}  // namespace vistelle
