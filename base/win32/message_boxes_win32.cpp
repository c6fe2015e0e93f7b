#include "base/win32/message_boxes_win32.h"

namespace vistelle::win32 {

INT_PTR RunDialog(int template_id, HWND owner, DLGPROC procedure, LPARAM parameter) {
  const ModalLoop loop;
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(template_id), owner, procedure, parameter);
}

int MessageBoxes::Show(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  const ModalLoop loop;
  return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

void MessageBoxes::Tell(const Notice& notice) const {
  switch (notice.kind) {
    case Notice::Kind::kWarning:
      Show(main_window_, notice.text, notice.caption, MB_OK | MB_ICONWARNING);
      break;
    case Notice::Kind::kError:
      Show(main_window_, notice.text, notice.caption, MB_OK | MB_ICONERROR);
      break;
    case Notice::Kind::kNone:
      break;
  }
}

Confirmation MessageBoxes::Confirm(const std::string& text) const {
  switch (Show(main_window_, text, kConfirmCaption, MB_YESNO | MB_ICONQUESTION)) {
    case 0:
      return Confirmation::kFailed;
    case IDYES:
      return Confirmation::kYes;
    default:
      return Confirmation::kNo;
  }
}

}  // namespace vistelle::win32
