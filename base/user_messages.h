// What a command of the program came to, as the windows show it: what the
// user is to be told (a Notice) and which views must be shown anew. The core
// decides what to say and returns it; the Windows side shows it in a box
// owned by the main window (base/win32/message_boxes_win32.h), the tests
// compare it.
#pragma once

#include <string>
#include <utility>

namespace vistelle {

struct Notice {
  static constexpr const char* kWarningCaption = "Communicat";

  enum class Kind { kNone, kWarning, kError };
  Kind kind = Kind::kNone;
  std::string text;
  const char* caption = "";

  // A warning with an OK button, titled kWarningCaption.
  static Notice Warning(std::string text) { return Notice{Kind::kWarning, std::move(text), kWarningCaption}; }
  // An error with an OK button and the error icon.
  static Notice Error(std::string text, const char* caption) {
    return Notice{Kind::kError, std::move(text), caption};
  }

  explicit operator bool() const { return kind != Kind::kNone; }
};

// The answer to a Yes/No question ("Are you sure?", titled "Vistelle");
// kFailed when the question could not be shown at all.
enum class Confirmation { kYes, kNo, kFailed };
constexpr const char* kConfirmCaption = "Vistelle";

// The views of the main window a command may have changed.
enum View : unsigned {
  kCategoryList = 1u << 0,       // the category list's items
  kCategorySelection = 1u << 1,  // which category is selected
  kPictureList = 1u << 2,        // the picture list's items
  kPictureSelection = 1u << 3,   // which picture is selected
  kPreview = 1u << 4,            // the preview of the current picture
  kWallpaper = 1u << 5,          // the wallpaper (and with it the countdown and the tray tip)
};
constexpr unsigned kBothLists = kCategoryList | kCategorySelection | kPictureList | kPictureSelection;

struct Outcome {
  Notice notice;
  unsigned views = 0;
  // A line for the window to show for a while (not a box): what adding
  // pictures came to.
  std::string status;

  Outcome() = default;
  explicit Outcome(unsigned changed, Notice said = Notice()) : notice(said), views(changed) {}
  static Outcome Told(Notice said) { return Outcome(0, said); }
  bool Changed(unsigned view) const { return (views & view) != 0; }
};

}  // namespace vistelle
