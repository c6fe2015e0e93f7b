// The editing commands' questions, asked over the main window: its boxes,
// the picture chooser, the folder picker and the New-category dialog, each
// owned by the window and modal to it. A dialog that let the user browse
// may have moved the working directory; it is the program's folder again
// afterwards, for whatever relies on it.
#pragma once

#include <windows.h>

#include <string>

#include "base/win32/message_boxes_win32.h"
#include "library/user_choices.h"

namespace vistelle {

class MainWindowChoices final : public UserChoices {
 public:
  MainWindowChoices(const win32::MessageBoxes& boxes, std::string program_dir)
      : boxes_(boxes), program_dir_(std::move(program_dir)) {}
  // The owner of the dialogs, once the main window exists.
  void SetMainWindow(HWND window) { window_ = window; }

  Confirmation Confirm(const char* question) override { return boxes_.Confirm(question); }
  Confirmation ConfirmOrStopAsking(const char* question, bool& dont_ask_again) override {
    return boxes_.ConfirmOrStopAsking(question, dont_ask_again);
  }
  ChosenFiles ChoosePictures() override;
  std::optional<std::string> ChooseFolder() override;
  std::optional<std::string> NewCategoryName() override;

 private:
  void BackToProgramFolder() const;

  const win32::MessageBoxes& boxes_;
  std::string program_dir_;
  HWND window_ = nullptr;
};

}  // namespace vistelle
