// The commands of the main window that other parts of the program carry
// out: the library's editing commands and the two small dialogs. The main
// window calls them and repaints its lists and preview afterwards.
#pragma once

#include <windows.h>

#include "app/user_messages.h"
#include "library/wallpaper_library.h"

namespace vistelle {

struct MainWindowContext {
  WallpaperLibrary& library;
  UserMessages& messages;
  HWND window;  // the main window: owner of dialogs and of some message boxes
};

// "BUTTON_WALLPAPERADD": pictures chosen in the file dialog join the
// current category.
void AddPictures(MainWindowContext& context);
// "BUTTON_MOVEUP" / "BUTTON_MOVEDOWN": the selected picture one place up or
// down, wrapping at the ends.
void MovePictureUp(MainWindowContext& context);
void MovePictureDown(MainWindowContext& context);
// "BUTTON_WALLPAPERDELETE": removes the selected picture.
void DeletePicture(MainWindowContext& context);
// "BUTTON_CLEARLIST": after confirmation, empties the current category.
void ClearCategory(MainWindowContext& context);
// "BUTTON_CATEGORYADD": the New-category dialog, then the new category.
void AddCategoryWithDialog(MainWindowContext& context);
// "BUTTON_CATEGORYDEL": after confirmation, removes the current category.
void DeleteCategory(MainWindowContext& context);
// "BUTTON_ABOUT" and the tray's "About": the About dialog.
void ShowAboutDialog(HWND owner);

}  // namespace vistelle
