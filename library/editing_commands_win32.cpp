#include "library/editing_commands_win32.h"

#include "app/new_category_dialog_win32.h"
#include "settings/picture_chooser_win32.h"

namespace vistelle {

void MessageBoxEditingMessages::Warning(const std::string& text, MessageOwner owner) {
  MessageBoxA(Owner(owner), text.c_str(), kWarningCaption, MB_OK | MB_ICONWARNING);
}

Confirmation MessageBoxEditingMessages::Confirm(const std::string& text, MessageOwner owner) {
  switch (MessageBoxA(Owner(owner), text.c_str(), kConfirmCaption, MB_YESNO | MB_ICONQUESTION)) {
    case 0:
      return Confirmation::kFailed;
    case IDYES:
      return Confirmation::kYes;
    default:
      return Confirmation::kNo;
  }
}

void MessageBoxEditingMessages::Error(const std::string& text, const std::string& caption, MessageOwner owner) {
  MessageBoxA(Owner(owner), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

LibraryEditor::LibraryEditor(WallpaperLibrary& library, HWND main_window)
    : library_(library), main_window_(main_window), messages_(main_window), commands_(library, messages_) {}

void LibraryEditor::SetMainWindow(HWND main_window) {
  main_window_ = main_window;
  messages_.SetMainWindow(main_window);
}

bool LibraryEditor::RunSkinCommand(std::string_view name) {
  if (name == "BUTTON_WALLPAPERADD") AddPictures();
  else if (name == "BUTTON_WALLPAPERDELETE") DeletePicture();
  else if (name == "BUTTON_MOVEUP") MovePictureUp();
  else if (name == "BUTTON_MOVEDOWN") MovePictureDown();
  else if (name == "BUTTON_CLEARLIST") ClearCategory();
  else if (name == "BUTTON_CATEGORYADD") NewCategory();
  else if (name == "BUTTON_CATEGORYDEL") DeleteCategory();
  else if (name == "BUTTON_CLEAR") ClearPictureList();
  else return false;
  return true;
}

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
