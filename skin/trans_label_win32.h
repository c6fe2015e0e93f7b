// One line of text in its own font and colour over the parent's background:
// the label paints nothing but the letters.
#pragma once

#include <windows.h>

#include "base/win32/handle_win32.h"
#include "image/image.h"
#include "skin/kwindow_win32.h"

namespace vistelle {

class TransLabel : public KWindow {
 public:
  TransLabel() = default;
  ~TransLabel() override;

  using KWindow::Create;
  // A visible child window (WS_CHILD and WS_VISIBLE are added to style)
  // drawing in the given font and colour.
  virtual HWND Create(DWORD ex_style, const char* class_name, const char* window_name, DWORD style, int x, int y,
                      int width, int height, HWND parent, HINSTANCE instance, const char* face, int font_height,
                      ColorRef colour);

  void OnPaint(HDC dc) override;

  void SetFont(const char* face, int height, ColorRef colour);
  // Sets the window text and has the parent's background repainted under
  // the label before the new text is drawn over it.
  void SetText(const char* text);

  ColorRef Colour() const { return colour_; }
  HFONT Font() const { return font_.Get(); }

  // Longest text shown; the rest is left out.
  static constexpr int kMaxShown = 127;

 private:
  ColorRef colour_ = 0;
  win32::Font font_;
};

}  // namespace vistelle
