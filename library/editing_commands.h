// The user's commands that edit the library: adding pictures (chosen files,
// a folder, dropped files and folders), deleting a picture, moving one up or
// down, emptying a category, adding and deleting categories, and emptying
// the picture list on screen. Each changes the library's data and answers
// what to tell the user and which lists changed; none of them writes a file.
//
// Questions on the way go through UserChoices; a command checks again after
// the answer that what it was about is still there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/folder_listing.h"
#include "base/user_messages.h"
#include "library/folder_scan.h"
#include "library/user_choices.h"
#include "library/wallpaper_library.h"

namespace vistelle {

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

  explicit EditingCommands(WallpaperLibrary& library);

  EditingCommands(const EditingCommands&) = delete;
  EditingCommands& operator=(const EditingCommands&) = delete;

  // BUTTON_WALLPAPERADD: needs a current category (kSelectCategoryToAdd);
  // the chosen files are appended to it, in the dialog's order, duplicates
  // included; a path longer than a PicturePath holds is left out. Whatever
  // the dialog did, the picture list shows the category again.
  Outcome AddPictures(UserChoices& choices);
  // A position in the library, as a command holds it across a question or
  // a scan.
  struct Held {
    std::int32_t category;
    std::uint64_t version;
  };
  Held Hold() const { return Held{library_.currentCategory, library_.CategoriesVersion()}; }
  // Whether the held category is still the current one, at its place.
  bool StillCurrent(const Held& held) const;

  // Dropped files and folders: the pictures they give (ScanForPictures) that
  // the current category does not hold yet are appended to it.
  // kSelectCategoryToAdd without a category.
  Outcome AddPaths(const std::vector<std::string>& paths, FolderListing& listing);
  // The pictures a scan started for the held category found, appended to it
  // when it is still the current one (those it holds by now left out); the
  // outcome's status says what came in and what was skipped.
  Outcome AddFound(const Held& held, ScanResult found);
  // BUTTON_WALLPAPERDELETE: the picture that followed becomes selected.
  Outcome DeletePicture();
  // BUTTON_MOVEUP: one place up; the first picture goes to the end.
  Outcome MovePictureUp() { return MovePicture(-1, kSelectFileToMoveUp); }
  // BUTTON_MOVEDOWN: one place down; the last picture goes to the front.
  Outcome MovePictureDown() { return MovePicture(1, kSelectFileToMoveDown); }
  // BUTTON_CLEARLIST: after a Yes, the current category loses its pictures.
  Outcome ClearCategory(UserChoices& choices);
  // BUTTON_CATEGORYDEL: after a Yes, the current category is removed and no
  // category is current.
  Outcome DeleteCategory(UserChoices& choices);
  // BUTTON_CATEGORYADD: the name the user gives becomes a new, empty
  // category at the end (any name, also one that another category has).
  Outcome AddCategory(UserChoices& choices);
  // BUTTON_CLEAR: empties the picture list on screen; the category keeps
  // its pictures.
  Outcome ClearPictureList();

  // The paths in an open-file dialog's buffer: one full path, or a folder
  // and names joined with a backslash (a folder that ends in a backslash,
  // such as a drive root, keeps just the one). Paths too long for a
  // PicturePath are left out.
  static std::vector<std::string> ParseChosenFiles(std::string_view buffer);

 private:
  // The selected picture of the current category, or -1 when the picture
  // list has none.
  std::int32_t SelectedPicture() const { return library_.PictureListSelection(); }
  // Asks "Are you sure?" about the current category, which it holds: nothing
  // on a Yes while the category is still the one asked about, else what the
  // command comes to (without a category the warning none; without a box
  // failed).
  std::optional<Outcome> Unsure(UserChoices& choices, const char* none, Notice failed, Held& held);
  // The selected picture one place up (step -1) or down (1), round from one
  // end to the other; the warning without a selected picture.
  Outcome MovePicture(int step, const char* warning);

  WallpaperLibrary& library_;
};

}  // namespace vistelle
