#include "skin/skin_object_win32.h"

#include <utility>

#include "image/image.h"
#include "skin/skin_region_win32.h"

namespace vistelle {

SkinObject::~SkinObject() { Detach(); }

void SkinObject::OnPaint(HDC dc) {
  if (normal_) DrawBitmap(dc, normal_.Get());
}

bool SkinObject::ApplyMask() {
  if (hwnd_ == nullptr) return false;
  win32::Region region = BuildRegion(mask_.Get(), MakeColorRef(255, 255, 255), 0);
  if (!region) return false;
  if (!SetWindowRgn(hwnd_, region.Get(), TRUE)) return false;
  // The system owns the region from here on.
  static_cast<void>(region.Release());
  return true;
}

HWND SkinObject::CreateFromFiles(DWORD ex_style, const char* class_name, const char* window_name, DWORD style,
                                 int x, int y, HWND parent, HINSTANCE instance, const char* mask_file,
                                 const char* image_file) {
  if (mask_file != nullptr) LoadBitmapFile(mask_, mask_file);
  if (image_file != nullptr) LoadBitmapFile(normal_, image_file);
  const SIZE size = BitmapSize(normal_.Get());
  HWND hwnd = Create(ex_style, class_name, window_name, style, x, y, size.cx, size.cy, parent, nullptr, instance);
  if (hwnd != nullptr && mask_file != nullptr) ApplyMask();
  return hwnd;
}

HWND SkinObject::CreateFromBitmaps(DWORD ex_style, const char* class_name, const char* window_name, DWORD style,
                                   int x, int y, HWND parent, HINSTANCE instance, win32::Bitmap mask,
                                   win32::Bitmap image) {
  mask_ = std::move(mask);
  normal_ = std::move(image);
  const SIZE size = BitmapSize(normal_.Get());
  HWND hwnd = Create(ex_style, class_name, window_name, style, x, y, size.cx, size.cy, parent, nullptr, instance);
  if (hwnd != nullptr && mask_) ApplyMask();
  return hwnd;
}

}  // namespace vistelle
