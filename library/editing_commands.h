// The user's commands that edit the library: adding pictures through the
// picture chooser, deleting a picture, moving one up or down, emptying a
// category, adding and deleting categories, and emptying the picture list on
// screen. Each changes the model and the two list boxes together; none of
// them writes a file (the library is saved when the program closes).
//
// The commands only decide what to say; UserMessages shows it (message
// boxes on Windows, a record in the tests), and PictureChooser is the
// open-file dialog.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/user_messages.h"
#include "library/wallpaper_library.h"

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

class PictureChooser {
 public:
  virtual ~PictureChooser() = default;
  // Lets the user choose one or more picture files.
  virtual ChosenFiles Choose() = 0;
};

class EditingCommands {
 public:
  static constexpr const char* kSelectCategoryToAdd = "Please select a category.";
  static constexpr const char* kTooManyFiles = "Zbyt du\xC5\xBC" "o zaznaczonych plik\xC3\xB3w.";
  static constexpr const char* kErrorCaptionPolish = "B\xC5\x82\xC4\x85" "d";
  static constexpr const char* kSelectFileToDelete = "Please select a file.";
  static constexpr const char* kSelectFileToMoveUp = "Please, select a file.";
  static constexpr const char* kSelectFileToMoveDown = "Please select a file.";
  static constexpr const char* kSelectCategoryToClear = "Please select category";
  static constexpr const char* kSelectCategoryToDelete = "Please select a category";
  static constexpr const char* kAreYouSure = "Are you sure?";
  static constexpr const char* kClearFailed = "Error.";
  static constexpr const char* kClearFailedCaption = "Error";
  static constexpr const char* kDeleteFailed = "Error";

  EditingCommands(WallpaperLibrary& library, UserMessages& messages);

  EditingCommands(const EditingCommands&) = delete;
  EditingCommands& operator=(const EditingCommands&) = delete;

  // BUTTON_WALLPAPERADD: the chosen files are appended to the current
  // category, in the dialog's order, duplicates included; a path longer
  // than a PicturePath holds is left out. Whatever the dialog did, the
  // picture list is refilled with item selectedPicture selected.
  void AddPictures(PictureChooser& chooser);
  // BUTTON_WALLPAPERDELETE: the picture that followed becomes selected.
  void DeletePicture();
  // BUTTON_MOVEUP: one place up; the first picture goes to the end.
  void MovePictureUp();
  // BUTTON_MOVEDOWN: one place down; the last picture goes to the front.
  void MovePictureDown();
  // BUTTON_CLEARLIST: after a Yes, the current category loses its pictures.
  void ClearCategory();
  // BUTTON_CATEGORYDEL: after a Yes, the current category is removed and no
  // category is current.
  void DeleteCategory();
  // BUTTON_CATEGORYADD, after the New-category dialog: when it raised
  // pendingCategory, the category list's last item becomes a new, empty
  // category at the end; the flag is lowered.
  void AddCategory();
  // BUTTON_CLEAR: empties the picture list on screen; the category keeps
  // its pictures.
  void ClearPictureList();

  // The paths in an open-file dialog's buffer: one full path, or a folder
  // and names joined with a backslash (a folder that ends in a backslash,
  // such as a drive root, keeps just the one). Paths too long for a
  // PicturePath are left out.
  static std::vector<std::string> ParseChosenFiles(std::string_view buffer);

  // Raised by the New-category dialog when it has appended a name to the
  // category list, lowered by AddCategory.
  bool pendingCategory = false;

 private:
  // The selected picture of the current category, or -1 after telling the
  // user (with text) that none is selected.
  std::int32_t SelectedPictureOrWarn(const char* text);
  // The current category when the category list has a selection, or
  // nullptr after telling the user (with text).
  Category* SelectedCategoryOrWarn(const char* text, MessageOwner owner);

  WallpaperLibrary& library_;
  UserMessages& messages_;
};

}  // namespace vistelle
