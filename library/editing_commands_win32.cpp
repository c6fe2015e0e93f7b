#include "library/editing_commands_win32.h"

#include "app/new_category_dialog_win32.h"
#include "settings/picture_chooser_win32.h"

namespace vistelle {

LibraryEditor::LibraryEditor(WallpaperLibrary& library, UserMessages& messages, HWND main_window)
    : library_(library), main_window_(main_window), commands_(library, messages) {}

void LibraryEditor::AddPictures() {
  OpenFilePictureChooser chooser(main_window_);
  AddPictures(chooser);
}

void LibraryEditor::AddPictures(PictureChooser& chooser) {
  commands_.AddPictures(chooser);
  // The dialog may have moved the working directory, against which the
  // program finds its skin and calendar pictures.
  SetCurrentDirectoryA(library_.ProgramDirectory().c_str());
}

void LibraryEditor::NewCategory() {
  RunNewCategoryDialog(main_window_, commands_.pendingCategory);
  commands_.AddCategory();
}

}  // namespace vistelle
