// The library's editing commands on Windows: message boxes, the picture
// chooser and the New-category dialog, for the main window's buttons.
#pragma once

#include <windows.h>

#include <string_view>

#include "library/editing_commands.h"
#include "library/wallpaper_library.h"

namespace vistelle {

// Warnings, questions and errors as message boxes; those of the main window
// are owned by it, the others by no window.
class MessageBoxEditingMessages final : public EditingMessages {
 public:
  explicit MessageBoxEditingMessages(HWND main_window = nullptr) : main_window_(main_window) {}
  void SetMainWindow(HWND main_window) { main_window_ = main_window; }

  void Warning(const std::string& text, MessageOwner owner) override;
  // kFailed when the box could not be shown.
  Confirmation Confirm(const std::string& text, MessageOwner owner) override;
  void Error(const std::string& text, const std::string& caption, MessageOwner owner) override;

 private:
  HWND Owner(MessageOwner owner) const { return owner == MessageOwner::kMainWindow ? main_window_ : nullptr; }

  HWND main_window_;
};

// The editing commands of the main window. It lives as long as the main
// window's library; the main window is set once it exists.
class LibraryEditor {
 public:
  explicit LibraryEditor(WallpaperLibrary& library, HWND main_window = nullptr);

  LibraryEditor(const LibraryEditor&) = delete;
  LibraryEditor& operator=(const LibraryEditor&) = delete;

  void SetMainWindow(HWND main_window);

  // Runs the command of a skin button: "BUTTON_WALLPAPERADD",
  // "BUTTON_WALLPAPERDELETE", "BUTTON_MOVEUP", "BUTTON_MOVEDOWN",
  // "BUTTON_CLEARLIST", "BUTTON_CATEGORYADD", "BUTTON_CATEGORYDEL" or
  // "BUTTON_CLEAR". False for any other name, which is left alone.
  bool RunSkinCommand(std::string_view name);

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
  MessageBoxEditingMessages messages_;
  EditingCommands commands_;
};

}  // namespace vistelle
