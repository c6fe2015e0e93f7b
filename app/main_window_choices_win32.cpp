#include "app/main_window_choices_win32.h"

#include "app/folder_picker_win32.h"
#include "app/new_category_dialog_win32.h"
#include "settings/picture_chooser_win32.h"

namespace vistelle {

void MainWindowChoices::BackToProgramFolder() const { SetCurrentDirectoryA(program_dir_.c_str()); }

ChosenFiles MainWindowChoices::ChoosePictures() {
  OpenFilePictureChooser chooser(window_);
  ChosenFiles chosen = chooser.Choose();
  BackToProgramFolder();
  return chosen;
}

std::optional<std::string> MainWindowChoices::ChooseFolder() {
  std::string folder = vistelle::ChooseFolder(window_);
  BackToProgramFolder();
  if (folder.empty()) return std::nullopt;
  return folder;
}

std::optional<std::string> MainWindowChoices::NewCategoryName() { return RunNewCategoryDialog(window_); }

}  // namespace vistelle
