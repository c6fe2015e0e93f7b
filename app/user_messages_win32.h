// The program's warnings as message boxes.
#pragma once

#include <windows.h>

#include "app/user_messages.h"

namespace vistelle {

class MessageBoxUserMessages final : public UserMessages {
 public:
  explicit MessageBoxUserMessages(HWND main_window = nullptr) : main_window_(main_window) {}
  void SetMainWindow(HWND main_window) { main_window_ = main_window; }

  void Warning(const std::string& text, MessageOwner owner) override;

 private:
  HWND main_window_;
};

}  // namespace vistelle
