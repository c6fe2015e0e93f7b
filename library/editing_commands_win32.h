// The library's editing commands on Windows: the picture chooser and the
// New-category dialog over the main window, for the main window's buttons.
#pragma once

#include <windows.h>

#include "base/user_messages.h"
#include "library/editing_commands.h"
#include "library/wallpaper_library.h"

namespace vistelle {

// The editing commands of the main window. It lives as long as the main
// window's library; the main window is set once it exists.
class LibraryEditor {
 public:
  LibraryEditor(WallpaperLibrary& library, UserMessages& messages, HWND main_window = nullptr);

  LibraryEditor(const LibraryEditor&) = delete;
  LibraryEditor& operator=(const LibraryEditor&) = delete;

  void SetMainWindow(HWND main_window) { main_window_ = main_window; }

  // The picture chooser over the main window; the working directory is the
  // program's folder again afterwards, whatever happened.
  void AddPictures();
  void DeletePicture() { commands_.DeletePicture(); }
  void MovePictureUp() { commands_.MovePictureUp(); }
  void MovePictureDown() { commands_.MovePictureDown(); }
  void ClearCategory() { commands_.ClearCategory(); }
  void DeleteCategory() { commands_.DeleteCategory(); }
  // The New-category dialog over the main window, then AddCategory.
  void NewCategory();
  void ClearPictureList() { commands_.ClearPictureList(); }

  // For the tests: the same commands with another chooser.
  void AddPictures(PictureChooser& chooser);
  EditingCommands& Commands() { return commands_; }

 private:
  WallpaperLibrary& library_;
  HWND main_window_;
  EditingCommands commands_;
};

}  // namespace vistelle
