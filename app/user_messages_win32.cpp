#include "app/user_messages_win32.h"

namespace vistelle {

void MessageBoxUserMessages::Warning(const std::string& text, MessageOwner owner) {
  const HWND owner_window = owner == MessageOwner::kMainWindow ? main_window_ : nullptr;
  MessageBoxA(owner_window, text.c_str(), kWarningCaption, MB_OK | MB_ICONWARNING);
}

}  // namespace vistelle
