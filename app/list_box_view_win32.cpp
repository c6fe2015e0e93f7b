#include "app/list_box_view_win32.h"

namespace vistelle {

void ListBoxView::Insert(std::int32_t position, const std::string& text) {
  SendMessageA(list_box_, LB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBoxView::Remove(std::int32_t position) {
  if (position >= 0) SendMessageA(list_box_, LB_DELETESTRING, static_cast<WPARAM>(position), 0);
}

void ListBoxView::Clear() { SendMessageA(list_box_, LB_RESETCONTENT, 0, 0); }

void ListBoxView::Select(std::int32_t position) {
  SendMessageA(list_box_, LB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

void ListBoxView::HoldDrawing(bool hold) {
  SendMessageA(list_box_, WM_SETREDRAW, hold ? FALSE : TRUE, 0);
  if (!hold) InvalidateRect(list_box_, nullptr, TRUE);
}

}  // namespace vistelle
