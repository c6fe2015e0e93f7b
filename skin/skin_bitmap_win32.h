// Bitmaps of the skin engine: loading pictures, cutting and drawing them.
// The bitmaps are held in the kit's owning win32::Bitmap.
#pragma once

#include <windows.h>

#include <string>

#include "base/win32/handle_win32.h"

namespace vistelle {

// Width and height of a bitmap; 0 x 0 for none.
SIZE BitmapSize(HBITMAP bitmap);

// Decodes a picture file (BMP, JPEG, GIF) with the system's picture decoder
// into a new 32-bit bitmap. Empty when the file cannot be read or decoded.
win32::Bitmap LoadPicture(const std::string& path);

// A skin picture at width x height, through the program's own decoders (so
// PNG too): as it is when it has that size, else made for it by
// ScaleSkinPicture (skin/skin_scale.h), with hard_edges for a mask. A new
// 32-bit bitmap, empty when the file cannot be read or decoded.
win32::Bitmap LoadSkinPicture(const std::string& path, int width, int height, bool hard_edges);

// Loads a Windows bitmap file into the holder (its earlier bitmap is
// deleted first). False, with the holder empty, when that fails.
bool LoadBitmapFile(win32::Bitmap& holder, const std::string& path);

// A new bitmap of width x height in the source's format holding the source's
// rectangle at (x, y); empty for no source or an empty size. Parts outside
// the source come out black.
win32::Bitmap CropBitmap(HBITMAP source, int x, int y, int width, int height);

// Copies the whole bitmap to (0, 0) of the device context; nothing for none.
void DrawBitmap(HDC dc, HBITMAP bitmap);

}  // namespace vistelle
