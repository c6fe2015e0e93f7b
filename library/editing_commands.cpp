#include "library/editing_commands.h"

#include <utility>

#include "base/legacy_code_page.h"
#include "library/library_text.h"

namespace vistelle {

EditingCommands::EditingCommands(WallpaperLibrary& library, UserMessages& messages)
    : library_(library), messages_(messages) {}

std::vector<std::string> EditingCommands::ParseChosenFiles(std::string_view buffer) {
  // The buffer's entries, up to the empty one that ends the list (or the
  // end of the buffer, should the dialog have left the final NUL out).
  std::vector<std::string_view> entries;
  std::size_t pos = 0;
  while (pos < buffer.size()) {
    std::size_t end = buffer.find('\0', pos);
    if (end == std::string_view::npos) end = buffer.size();
    if (end == pos) break;
    entries.push_back(buffer.substr(pos, end - pos));
    pos = end + 1;
  }

  std::vector<std::string> paths;
  const auto add = [&paths](std::string path) {
    // The program runs with the UTF-8 code page; a system that ignored it
    // gave its legacy code page.
    if (!IsValidUtf8(path)) path = LegacyToUtf8(path);
    // A path that does not fit a PicturePath is left out whole: cutting it
    // would name another file.
    if (Utf16Length(path) <= WallpaperLibrary::kMaxPathLength) paths.push_back(std::move(path));
  };
  if (entries.empty()) return paths;
  if (entries.size() == 1) {
    add(std::string(entries[0]));
    return paths;
  }
  std::string_view folder = entries[0];
  if (folder.back() == '\\') folder.remove_suffix(1);
  for (std::size_t i = 1; i < entries.size(); ++i) {
    std::string path;
    path.reserve(folder.size() + 1 + entries[i].size());
    path.append(folder).append(1, '\\').append(entries[i]);
    add(std::move(path));
  }
  return paths;
}

Category* EditingCommands::SelectedCategoryOrWarn(const char* text, MessageOwner owner) {
  Category* category = library_.CurrentCategory();
  if (library_.CategoryList().Selection() < 0 || category == nullptr) {
    messages_.Warning(text, owner);
    return nullptr;
  }
  return category;
}

std::int32_t EditingCommands::SelectedPictureOrWarn(const char* text) {
  const std::int32_t position = library_.PictureList().Selection();
  // The list shows the current category's pictures item for item; a
  // selection with no picture behind it is treated as no selection.
  if (position < 0 || position >= library_.CurrentPictureCount()) {
    messages_.Warning(text, MessageOwner::kNone);
    return -1;
  }
  return position;
}

void EditingCommands::AddPictures(PictureChooser& chooser) {
  if (!SelectedCategoryOrWarn(kSelectCategoryToAdd, MessageOwner::kMainWindow)) return;

  const ChosenFiles chosen = chooser.Choose();
  // The timer runs while the dialog is open; the category is looked up
  // again after it.
  Category* category = library_.CurrentCategory();
  if (chosen.outcome == ChosenFiles::Outcome::kChosen && category) {
    for (std::string& path : ParseChosenFiles(chosen.files)) category->pictures.push_back(std::move(path));
  } else if (chosen.outcome == ChosenFiles::Outcome::kBufferTooSmall) {
    messages_.Error(kTooManyFiles, kErrorCaptionPolish, MessageOwner::kMainWindow);
  }
  library_.FillPictureList();
  library_.PictureList().Select(library_.selectedPicture);
}

void EditingCommands::DeletePicture() {
  const std::int32_t position = SelectedPictureOrWarn(kSelectFileToDelete);
  if (position < 0) return;
  std::vector<std::string>& pictures = library_.CurrentCategory()->pictures;
  pictures.erase(pictures.begin() + position);
  ListView& list = library_.PictureList();
  list.Remove(position);
  // The picture that followed; after the last one nothing is selected.
  list.Select(position);
}

void EditingCommands::MovePictureUp() {
  const std::int32_t position = SelectedPictureOrWarn(kSelectFileToMoveUp);
  if (position < 0) return;
  std::vector<std::string>& pictures = library_.CurrentCategory()->pictures;
  ListView& list = library_.PictureList();
  const std::int32_t count = static_cast<std::int32_t>(pictures.size());
  std::int32_t moved_to;
  if (position > 0) {
    std::swap(pictures[static_cast<std::size_t>(position - 1)], pictures[static_cast<std::size_t>(position)]);
    const std::string text = list.Text(position - 1);
    list.Remove(position - 1);
    list.Insert(position, text);
    moved_to = position - 1;
  } else {
    // The first picture goes to the end and the others move up a place.
    std::string first = std::move(pictures.front());
    pictures.erase(pictures.begin());
    pictures.push_back(std::move(first));
    const std::string text = list.Text(0);
    list.Remove(0);
    list.Append(text);
    moved_to = count - 1;
  }
  list.Select(moved_to);
  library_.selectedPicture = moved_to;
}

void EditingCommands::MovePictureDown() {
  const std::int32_t position = SelectedPictureOrWarn(kSelectFileToMoveDown);
  if (position < 0) return;
  std::vector<std::string>& pictures = library_.CurrentCategory()->pictures;
  ListView& list = library_.PictureList();
  const std::int32_t count = static_cast<std::int32_t>(pictures.size());
  std::int32_t moved_to;
  if (position == count - 1) {
    // The last picture goes to the front and the others move down a place.
    std::string last = std::move(pictures.back());
    pictures.pop_back();
    pictures.insert(pictures.begin(), std::move(last));
    const std::string text = list.Text(position);
    list.Remove(position);
    list.Insert(0, text);
    moved_to = 0;
  } else {
    std::swap(pictures[static_cast<std::size_t>(position)], pictures[static_cast<std::size_t>(position + 1)]);
    const std::string text = list.Text(position + 1);
    list.Remove(position + 1);
    list.Insert(position, text);
    moved_to = position + 1;
  }
  list.Select(moved_to);
  library_.selectedPicture = moved_to;
}

void EditingCommands::ClearCategory() {
  Category* category = SelectedCategoryOrWarn(kSelectCategoryToClear, MessageOwner::kNone);
  if (!category) return;
  switch (messages_.Confirm(kAreYouSure, MessageOwner::kNone)) {
    case Confirmation::kYes:
      break;
    case Confirmation::kNo:
      return;
    case Confirmation::kFailed:
      messages_.Error(kClearFailed, kClearFailedCaption, MessageOwner::kNone);
      return;
  }
  library_.PictureList().Clear();
  category->pictures.clear();
}

void EditingCommands::DeleteCategory() {
  if (!SelectedCategoryOrWarn(kSelectCategoryToDelete, MessageOwner::kMainWindow)) return;
  switch (messages_.Confirm(kAreYouSure, MessageOwner::kMainWindow)) {
    case Confirmation::kYes:
      break;
    case Confirmation::kNo:
      return;
    case Confirmation::kFailed:
      messages_.Error(kDeleteFailed, kErrorCaptionPolish, MessageOwner::kMainWindow);
      return;
  }
  const std::int32_t position = library_.currentCategory;
  library_.PictureList().Clear();
  library_.categories.erase(library_.categories.begin() + position);
  ListView& categories = library_.CategoryList();
  categories.Remove(position);
  categories.Select(-1);
  library_.selectedPicture = 0;
  library_.currentWallpaper = 0;
  library_.currentCategory = -1;
}

void EditingCommands::AddCategory() {
  if (!pendingCategory) return;
  pendingCategory = false;
  // The dialog appended the name after the categories' items.
  ListView& list = library_.CategoryList();
  if (list.Count() <= library_.CategoryCount()) return;
  Category category;
  const std::string name = list.Text(list.Count() - 1);
  category.name = std::string(CutToUtf16Length(name, WallpaperLibrary::kMaxNameLength));
  library_.categories.push_back(std::move(category));
}

void EditingCommands::ClearPictureList() { library_.ClearPictureList(); }

}  // namespace vistelle
