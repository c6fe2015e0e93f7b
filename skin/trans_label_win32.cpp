#include "skin/trans_label_win32.h"

namespace vistelle {

TransLabel::~TransLabel() { Detach(); }

HWND TransLabel::Create(DWORD ex_style, const char* class_name, const char* window_name, DWORD style, int x, int y,
                        int width, int height, HWND parent, HINSTANCE instance, const char* face, int font_height,
                        ColorRef colour) {
  HWND hwnd = KWindow::Create(ex_style, class_name, window_name, style | WS_CHILD | WS_VISIBLE, x, y, width, height,
                              parent, nullptr, instance);
  SetFont(face, font_height, colour);
  return hwnd;
}

void TransLabel::SetFont(const char* face, int height, ColorRef colour) {
  font_.Reset(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                      CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, 0, face != nullptr ? face : ""));
  colour_ = colour;
}

void TransLabel::SetText(const char* text) {
  if (hwnd_ == nullptr) return;
  SetWindowTextA(hwnd_, text != nullptr ? text : "");
  HWND parent = GetParent(hwnd_);
  if (parent != nullptr) InvalidateRect(parent, nullptr, TRUE);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TransLabel::OnPaint(HDC dc) {
  if (hwnd_ == nullptr) return;
  RECT r;
  GetClientRect(hwnd_, &r);
  char text[kMaxShown + 1] = {};
  const int length = GetWindowTextA(hwnd_, text, kMaxShown + 1);
  if (length <= 0) return;
  SetBkMode(dc, TRANSPARENT);
  const win32::ScopedSelect font(dc, font_.Get());
  SetTextColor(dc, colour_);
  r.left += 4;
  DrawTextA(dc, text, lstrlenA(text), &r, DT_SINGLELINE | DT_VCENTER);
}

}  // namespace vistelle
