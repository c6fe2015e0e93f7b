// The main window's commands, carried out by the library's editor and the
// About dialog. An editor is made for each command: it holds nothing that
// must outlive one command.
#include "app/main_window_commands_win32.h"

#include "app/about_dialog_win32.h"
#include "library/editing_commands_win32.h"

namespace vistelle {

void AddPictures(MainWindowContext& context) { LibraryEditor(context.library, context.window).AddPictures(); }
void MovePictureUp(MainWindowContext& context) { LibraryEditor(context.library, context.window).MovePictureUp(); }
void MovePictureDown(MainWindowContext& context) {
  LibraryEditor(context.library, context.window).MovePictureDown();
}
void DeletePicture(MainWindowContext& context) { LibraryEditor(context.library, context.window).DeletePicture(); }
void ClearCategory(MainWindowContext& context) { LibraryEditor(context.library, context.window).ClearCategory(); }
void AddCategoryWithDialog(MainWindowContext& context) {
  LibraryEditor(context.library, context.window).NewCategory();
}
void DeleteCategory(MainWindowContext& context) {
  LibraryEditor(context.library, context.window).DeleteCategory();
}
void ShowAboutDialog(HWND owner) { RunAboutDialog(owner); }

}  // namespace vistelle
