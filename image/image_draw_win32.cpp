#include "image/image_draw_win32.h"

#include <climits>

#include "base/win32/dib_win32.h"

namespace vistelle {

void Draw2(const Image& image, HDC dc, int x, int y, int w, int h) {
  if (!image.IsValid() || dc == nullptr || w <= 0 || h <= 0) return;
  if (image.Stride() * image.GetHeight() > static_cast<std::size_t>(UINT_MAX)) return;

  // The image's rows are already a bottom-up 24-bit DIB with 4-byte rows.
  BITMAPINFO info = win32::DibInfo(static_cast<LONG>(image.GetWidth()), static_cast<LONG>(image.GetHeight()), 24);
  info.bmiHeader.biSizeImage = static_cast<DWORD>(image.Stride() * image.GetHeight());

  // HALFTONE needs the brush origin set again after it is chosen.
  const int old_mode = SetStretchBltMode(dc, HALFTONE);
  POINT old_origin = {0, 0};
  SetBrushOrgEx(dc, 0, 0, &old_origin);
  StretchDIBits(dc, x, y, w, h, 0, 0, static_cast<int>(image.GetWidth()), static_cast<int>(image.GetHeight()),
                image.Bits(), &info, DIB_RGB_COLORS, SRCCOPY);
  SetBrushOrgEx(dc, old_origin.x, old_origin.y, nullptr);
  if (old_mode != 0) SetStretchBltMode(dc, old_mode);
}

}  // namespace vistelle
