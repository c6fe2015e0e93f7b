#include "library/list_box_view_win32.h"

#include <vector>

namespace vistelle {

std::int32_t ListBoxView::Count() const {
  const LRESULT count = SendMessageA(list_box_, LB_GETCOUNT, 0, 0);
  return count == LB_ERR ? 0 : static_cast<std::int32_t>(count);
}

void ListBoxView::Append(const std::string& text) { Insert(-1, text); }

void ListBoxView::Insert(std::int32_t position, const std::string& text) {
  SendMessageA(list_box_, LB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBoxView::Remove(std::int32_t position) {
  if (position < 0) return;
  SendMessageA(list_box_, LB_DELETESTRING, static_cast<WPARAM>(position), 0);
}

std::string ListBoxView::Text(std::int32_t position) const {
  if (position < 0) return std::string();
  // The length may be more than the text needs, and may be counted in
  // UTF-16 units rather than bytes: room for three bytes a unit holds the
  // UTF-8 text either way.
  const LRESULT length = SendMessageA(list_box_, LB_GETTEXTLEN, static_cast<WPARAM>(position), 0);
  if (length == LB_ERR || length < 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) * 3 + 1, '\0');
  const LRESULT copied =
      SendMessageA(list_box_, LB_GETTEXT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(buffer.data()));
  if (copied == LB_ERR || copied < 0) return std::string();
  return std::string(buffer.data());
}

void ListBoxView::Clear() { SendMessageA(list_box_, LB_RESETCONTENT, 0, 0); }

std::int32_t ListBoxView::Selection() const {
  const LRESULT selection = SendMessageA(list_box_, LB_GETCURSEL, 0, 0);
  return selection == LB_ERR ? -1 : static_cast<std::int32_t>(selection);
}

void ListBoxView::Select(std::int32_t position) {
  // A position with no item leaves nothing selected, as -1 does.
  if (position >= Count()) position = -1;
  SendMessageA(list_box_, LB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

}  // namespace vistelle
