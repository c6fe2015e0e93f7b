#include "app/new_category_dialog_win32.h"

#include <string>

#include "base/win32/message_boxes_win32.h"
#include "base/win32/utf16_win32.h"
#include "library/library_text.h"
#include "library/wallpaper_library.h"
#include "resources/editing_ids.h"

namespace vistelle {

namespace {

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

INT_PTR CALLBACK NewCategoryProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      SetDlgItemTextA(dialog, IDC_NEW_CATEGORY_NAME, "");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK: {
          auto* name = reinterpret_cast<std::string*>(GetWindowLongPtrA(dialog, DWLP_USER));
          if (name != nullptr) *name = ReadName(dialog);
          EndDialog(dialog, 0);
          return TRUE;
        }
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

std::optional<std::string> RunNewCategoryDialog(HWND owner) {
  std::string name;
  win32::RunDialog(IDD_NEW_CATEGORY, owner, NewCategoryProc, reinterpret_cast<LPARAM>(&name));
  if (name.empty()) return std::nullopt;
  return name;
}

}  // namespace vistelle
