#include "library/editing_commands.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include "base/legacy_code_page.h"
#include "library/folder_scan.h"
#include "library/library_text.h"

namespace vistelle {

EditingCommands::EditingCommands(WallpaperLibrary& library) : library_(library) {}

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

namespace {

constexpr unsigned kPictures = kPictureList | kPictureSelection;

}  // namespace

bool EditingCommands::StillCurrent(const Held& held) const {
  return held.version == library_.CategoriesVersion() && held.category == library_.currentCategory &&
         library_.CurrentCategory() != nullptr;
}

Outcome EditingCommands::AddPictures(UserChoices& choices) {
  if (library_.CurrentCategory() == nullptr) return Outcome::Told(Notice::Warning(kSelectCategoryToAdd));
  const Held held = Hold();
  const ChosenFiles chosen = choices.ChoosePictures();
  Outcome outcome(kPictures);
  if (chosen.outcome == ChosenFiles::Outcome::kChosen && StillCurrent(held)) {
    std::vector<std::string>& pictures = library_.CurrentCategory()->pictures;
    for (std::string& path : ParseChosenFiles(chosen.files)) pictures.push_back(std::move(path));
  } else if (chosen.outcome == ChosenFiles::Outcome::kBufferTooSmall) {
    outcome.notice = Notice::Error(kTooManyFiles, kErrorCaptionPolish);
  }
  library_.pictureListShown = true;
  return outcome;
}

Outcome EditingCommands::AddPaths(const std::vector<std::string>& paths, FolderListing& listing) {
  if (paths.empty()) return Outcome();
  const Category* category = library_.CurrentCategory();
  if (category == nullptr) return Outcome::Told(Notice::Warning(kSelectCategoryToAdd));
  return AddFound(Hold(), ScanForPictures(listing, paths, category->pictures));
}

Outcome EditingCommands::AddFound(const Held& held, ScanResult found) {
  if (!StillCurrent(held)) return Outcome();
  std::vector<std::string>& pictures = library_.CurrentCategory()->pictures;
  // The category may have been edited while the scan ran.
  const std::vector<std::string> added = NotYetIn(found.pictures, pictures);
  found.skipped.duplicates += found.pictures.size() - added.size();
  pictures.insert(pictures.end(), added.begin(), added.end());
  library_.pictureListShown = true;
  Outcome outcome(kPictures);
  outcome.status = ScanSummaryText(added.size(), found.skipped);
  return outcome;
}

Outcome EditingCommands::DeletePicture() {
  const std::int32_t position = SelectedPicture();
  if (position < 0) return Outcome::Told(Notice::Warning(kSelectFileToDelete));
  std::vector<std::string>& pictures = library_.CurrentCategory()->pictures;
  pictures.erase(pictures.begin() + position);
  // The picture that followed is selected now; after the last one nothing.
  return Outcome(kPictures);
}

Outcome EditingCommands::MovePicture(int step, const char* warning) {
  const std::int32_t position = SelectedPicture();
  if (position < 0) return Outcome::Told(Notice::Warning(warning));
  std::vector<std::string>& pictures = library_.CurrentCategory()->pictures;
  const auto count = static_cast<std::int32_t>(pictures.size());
  std::int32_t moved_to = position + step;
  if (moved_to < 0) {
    // The first picture goes to the end and the others move up a place.
    std::rotate(pictures.begin(), pictures.begin() + 1, pictures.end());
    moved_to = count - 1;
  } else if (moved_to >= count) {
    // The last picture goes to the front and the others move down a place.
    std::rotate(pictures.begin(), pictures.end() - 1, pictures.end());
    moved_to = 0;
  } else {
    std::iter_swap(pictures.begin() + position, pictures.begin() + moved_to);
  }
  library_.selectedPicture = moved_to;
  return Outcome(kPictures);
}

std::optional<Outcome> EditingCommands::Unsure(UserChoices& choices, const char* none, Notice failed,
                                               Held& held) {
  if (library_.CurrentCategory() == nullptr) return Outcome::Told(Notice::Warning(none));
  held = Hold();
  switch (choices.Confirm(kAreYouSure)) {
    case Confirmation::kYes:
      // Only the category the question was about.
      if (StillCurrent(held)) return std::nullopt;
      break;
    case Confirmation::kNo:
      break;
    case Confirmation::kFailed:
      return Outcome::Told(failed);
  }
  return Outcome();
}

Outcome EditingCommands::ClearCategory(UserChoices& choices) {
  Held held{};
  if (auto refused = Unsure(choices, kSelectCategoryToClear, Notice::Error(kClearFailed, kClearFailedCaption), held))
    return *refused;
  library_.CurrentCategory()->pictures.clear();
  return Outcome(kPictures);
}

Outcome EditingCommands::DeleteCategory(UserChoices& choices) {
  Held held{};
  if (auto refused = Unsure(choices, kSelectCategoryToDelete, Notice::Error(kDeleteFailed, kErrorCaptionPolish), held))
    return *refused;
  library_.categories.erase(library_.categories.begin() + held.category);
  library_.CategoriesChanged();
  library_.selectedPicture = 0;
  library_.currentWallpaper = 0;
  library_.currentCategory = -1;
  library_.pictureListShown = false;
  return Outcome(kBothLists);
}

Outcome EditingCommands::AddCategory(UserChoices& choices) {
  const std::optional<std::string> name = choices.NewCategoryName();
  if (!name || name->empty()) return Outcome();
  Category category;
  category.name = std::string(CutToUtf16Length(*name, WallpaperLibrary::kMaxNameLength));
  library_.categories.push_back(std::move(category));
  library_.CategoriesChanged();
  return Outcome(kCategoryList);
}

Outcome EditingCommands::ClearPictureList() {
  library_.pictureListShown = false;
  return Outcome(kPictures);
}

}  // namespace vistelle
