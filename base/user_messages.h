// What the program tells the user in small message boxes: warnings,
// questions and errors. The core decides what to say; the Windows side
// shows it (base/win32/message_boxes_win32.h), the tests record it.
#pragma once

#include <string>

namespace vistelle {

// Whose message box it is: none (a box of its own) or the main window's.
enum class MessageOwner { kNone, kMainWindow };

// The answer to a Yes/No question; kFailed when the question could not be
// shown at all.
enum class Confirmation { kYes, kNo, kFailed };

class UserMessages {
 public:
  static constexpr const char* kWarningCaption = "Communicat";
  static constexpr const char* kConfirmCaption = "Vistelle";

  virtual ~UserMessages() = default;
  // A warning with an OK button, titled kWarningCaption.
  virtual void Warning(const std::string& text, MessageOwner owner) = 0;
  // A question with Yes and No buttons and the question icon, titled
  // kConfirmCaption.
  virtual Confirmation Confirm(const std::string& text, MessageOwner owner) = 0;
  // An error with an OK button and the error icon.
  virtual void Error(const std::string& text, const std::string& caption, MessageOwner owner) = 0;
};

}  // namespace vistelle
