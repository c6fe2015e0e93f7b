// What the program tells the user in small message boxes. The core decides
// what to say; the Windows side shows it (user_messages_win32.h), the tests
// record it.
#pragma once

#include <string>

namespace vistelle {

// Whose message box it is: none (a box of its own) or the main window's.
enum class MessageOwner { kNone, kMainWindow };

class UserMessages {
 public:
  static constexpr const char* kWarningCaption = "Communicat";

  virtual ~UserMessages() = default;
  // A warning with an OK button, titled kWarningCaption.
  virtual void Warning(const std::string& text, MessageOwner owner) = 0;
};

}  // namespace vistelle
