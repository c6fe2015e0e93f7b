#include "app/new_category_dialog_win32.h"

#include <string>

#include "base/win32/message_boxes_win32.h"
#include "base/win32/utf16_win32.h"
#include "library/library_text.h"
#include "library/wallpaper_library.h"
#include "resources/editing_ids.h"

namespace vistelle {

namespace {

constexpr int kCategoryListId = 203;

// The edit box's text as UTF-8, read in UTF-16 so that no character is cut
// in two, and kept to the length of a category name.
std::string ReadName(HWND dialog) {
  const HWND edit = GetDlgItem(dialog, IDC_NEW_CATEGORY_NAME);
  const int length = GetWindowTextLengthW(edit);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(edit, &text[0], length + 1);
  if (copied <= 0) return std::string();
  text.resize(static_cast<std::size_t>(copied));
  return std::string(CutToUtf16Length(win32::Narrow(text), WallpaperLibrary::kMaxNameLength));
}

void OnOk(HWND dialog) {
  const std::string name = ReadName(dialog);
  if (name.empty()) return;
  const HWND list = GetDlgItem(GetWindow(dialog, GW_OWNER), kCategoryListId);
  const LRESULT added = SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(name.c_str()));
  if (list && added >= 0) {
    auto* pending = reinterpret_cast<bool*>(GetWindowLongPtrA(dialog, DWLP_USER));
    *pending = true;
  }
}

INT_PTR CALLBACK NewCategoryProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      SetDlgItemTextA(dialog, IDC_NEW_CATEGORY_NAME, "");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          OnOk(dialog);
          EndDialog(dialog, 0);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

void RunNewCategoryDialog(HWND owner, bool& pending_category) {
  win32::RunDialog(IDD_NEW_CATEGORY, owner, NewCategoryProc, reinterpret_cast<LPARAM>(&pending_category));
}

}  // namespace vistelle
