// What the editing commands ask of the user on their way: a Yes or No, the
// picture files to add, a folder, the name of a new category. Each answer is
// a value; on Windows the main window asks in boxes and dialogs it owns
// (app/main_window_choices_win32.h), the tests answer from a script.
//
// The program goes on while a question is open (the timer and the hotkeys
// keep working), so a command holds positions, never pointers, across a
// question, and checks them again once it has the answer.
#pragma once

#include <optional>
#include <string>

#include "base/user_messages.h"

namespace vistelle {

// What the open-file dialog gave back.
struct ChosenFiles {
  enum class Outcome {
    kChosen,          // files holds the dialog's buffer
    kNone,            // cancelled, or failed for a reason nobody is told
    kBufferTooSmall,  // the selection did not fit the file-name buffer
  };
  Outcome outcome = Outcome::kNone;
  // Either one full path, or a folder followed by file names; each is ended
  // by a NUL, and one more NUL ends the list.
  std::string files;
};

class UserChoices {
 public:
  virtual ~UserChoices() = default;
  // "Are you sure?" and the like, with Yes and No.
  virtual Confirmation Confirm(const char* question) = 0;
  // The same with a "Don't ask again" box, which sets dont_ask_again when
  // ticked; without one, Confirm's question.
  virtual Confirmation ConfirmOrStopAsking(const char* question, bool& dont_ask_again) {
    (void)dont_ask_again;
    return Confirm(question);
  }
  // One or more picture files.
  virtual ChosenFiles ChoosePictures() = 0;
  // A folder of pictures; nothing when the user cancelled.
  virtual std::optional<std::string> ChooseFolder() = 0;
  // The name of a new category (not empty, at most a category name long);
  // nothing when the user cancelled or gave none.
  virtual std::optional<std::string> NewCategoryName() = 0;
};

}  // namespace vistelle
