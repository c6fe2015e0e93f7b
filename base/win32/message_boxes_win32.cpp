#include "base/win32/message_boxes_win32.h"

#include <commctrl.h>

#include "base/win32/utf16_win32.h"

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

Confirmation MessageBoxes::ConfirmOrStopAsking(const std::string& text, bool& stop_asking) const {
  // Task dialogs come with version 6 of the common controls, which the
  // program's manifest asks for; MinGW's import library lacks them.
  using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  const HMODULE controls = GetModuleHandleA("comctl32.dll");
  const auto task_dialog = controls == nullptr ? nullptr
                                               : reinterpret_cast<TaskDialogFunction>(reinterpret_cast<void*>(
                                                     GetProcAddress(controls, "TaskDialogIndirect")));
  if (task_dialog == nullptr) return Confirm(text);
  const std::wstring wide_text = Widen(text), caption = Widen(kConfirmCaption);
  TASKDIALOGCONFIG config = {};
  config.cbSize = sizeof config;
  config.hwndParent = main_window_;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_NO_BUTTON;
  config.pszWindowTitle = caption.c_str();
  config.pszMainIcon = TD_INFORMATION_ICON;
  config.pszContent = wide_text.c_str();
  config.pszVerificationText = L"Don't ask again";
  config.nDefaultButton = IDNO;
  int button = 0;
  BOOL ticked = FALSE;
  HRESULT shown;
  {
    const ModalLoop loop;
    shown = task_dialog(&config, &button, nullptr, &ticked);
  }
  if (FAILED(shown)) return Confirm(text);
  if (button != IDYES) return Confirmation::kNo;
  stop_asking = ticked != FALSE;
  return Confirmation::kYes;
}

}  // namespace vistelle::win32
