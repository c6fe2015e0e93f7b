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

void MessageBoxes::Warning(const std::string& text, MessageOwner owner) {
  Show(Owner(owner), text, kWarningCaption, MB_OK | MB_ICONWARNING);
}

Confirmation MessageBoxes::Confirm(const std::string& text, MessageOwner owner) {
  switch (Show(Owner(owner), text, kConfirmCaption, MB_YESNO | MB_ICONQUESTION)) {
    case 0:
      return Confirmation::kFailed;
    case IDYES:
      return Confirmation::kYes;
    default:
      return Confirmation::kNo;
  }
}

void MessageBoxes::Error(const std::string& text, const std::string& caption, MessageOwner owner) {
  Show(Owner(owner), text, caption, MB_OK | MB_ICONERROR);
}

}  // namespace vistelle::win32
