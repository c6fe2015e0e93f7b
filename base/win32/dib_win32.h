// The header of an uncompressed device-independent bitmap.
#pragma once

#include <windows.h>

namespace vistelle::win32 {

// Rows go bottom-up for a positive height, top-down for a negative one.
inline BITMAPINFO DibInfo(LONG width, LONG height, WORD bits_per_pixel) {
  BITMAPINFO info;
  ZeroMemory(&info, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bits_per_pixel;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace vistelle::win32
