// A framework window whose look is a bitmap and whose outline is cut from a
// mask bitmap: the mask's white pixels are left out of the window.
#pragma once

#include <windows.h>

#include "skin/kwindow_win32.h"
#include "skin/skin_bitmap_win32.h"

namespace vistelle {

class SkinObject : public KWindow {
 public:
  SkinObject() = default;
  ~SkinObject() override;

  // Draws the look, when there is one.
  void OnPaint(HDC dc) override;

  // Loads the mask and the look from Windows bitmap files, creates the
  // window at the look's size and, when a mask file was named, gives it the
  // mask's outline.
  virtual HWND CreateFromFiles(DWORD ex_style, const char* class_name, const char* window_name, DWORD style,
                               int x, int y, HWND parent, HINSTANCE instance, const char* mask_file,
                               const char* image_file);

  // The same with bitmaps, which the object takes over. No mask leaves the
  // window rectangular.
  HWND CreateFromBitmaps(DWORD ex_style, const char* class_name, const char* window_name, DWORD style, int x,
                         int y, HWND parent, HINSTANCE instance, win32::Bitmap mask, win32::Bitmap image);

  HBITMAP NormalBitmap() const { return normal_.Get(); }
  HBITMAP MaskBitmap() const { return mask_.Get(); }

 protected:
  // Sets the window's outline from the mask; false when the mask gives none.
  bool ApplyMask();

  win32::Bitmap normal_;
  win32::Bitmap mask_;
};

}  // namespace vistelle
