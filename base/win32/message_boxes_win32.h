// The program's message boxes and modal dialogs. Every box goes through
// MessageBoxes, the one caller of MessageBoxA, and every box, dialog, sheet
// or menu runs inside a ModalLoop, so that the main window knows when one of
// its nested message loops is running: a close request that arrives then
// waits for it to end.
#pragma once

#include <windows.h>

#include <string>

#include "base/user_messages.h"

namespace vistelle::win32 {

// Marks a nested message loop of the program (a message box, a dialog, the
// settings sheet, a popup menu) for as long as it lives.
class ModalLoop {
 public:
  ModalLoop() noexcept { ++depth_; }
  ~ModalLoop() { --depth_; }
  ModalLoop(const ModalLoop&) = delete;
  ModalLoop& operator=(const ModalLoop&) = delete;

  // How many are running now, one inside the other.
  static int Depth() noexcept { return depth_; }

 private:
  static inline int depth_ = 0;
};

// A dialog resource of this program run modally (DialogBoxParamA).
INT_PTR RunDialog(int template_id, HWND owner, DLGPROC procedure, LPARAM parameter);

// The boxes of the main window: each is owned by it and modal to it, so
// that nothing in the window can be used while one is open.
class MessageBoxes final {
 public:
  explicit MessageBoxes(HWND main_window = nullptr) : main_window_(main_window) {}
  void SetMainWindow(HWND main_window) { main_window_ = main_window; }

  // A warning or an error, as the notice says; nothing for no notice.
  void Tell(const Notice& notice) const;
  // A question with Yes and No buttons and the question icon, titled
  // kConfirmCaption; kFailed when the box could not be shown.
  Confirmation Confirm(const std::string& text) const;
  // The same with a "Don't ask again" box under the question (a task
  // dialog), which sets stop_asking when ticked; where the system has no
  // task dialogs, Confirm's box.
  Confirmation ConfirmOrStopAsking(const std::string& text, bool& stop_asking) const;

  // A box over any owner: the framework's own failures ("Error tray").
  // Answers MessageBoxA's button id, 0 when it could not be shown.
  static int Show(HWND owner, const std::string& text, const std::string& caption, UINT type);

 private:
  HWND main_window_;
};

}  // namespace vistelle::win32
