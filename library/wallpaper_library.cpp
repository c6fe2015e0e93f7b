#include "library/wallpaper_library.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "base/file_io.h"
#include "base/legacy_code_page.h"
#include "base/paths.h"
#include "config/screens_and_times.h"
#include "library/library_text.h"

namespace vistelle {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A CR at the end of a line is part of its line end: CR LF, CR CR LF where
// a CR LF went through a text-mode stream, or CRs at the end of the file.
// No name or path ends in one, so that what Save writes (the last line with
// no line end) reads back the same.
std::string_view WithoutFinalCrs(std::string_view line) {
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

const std::string& Category::PictureAt(std::int32_t position) const {
  assert(position >= 0 && position < PictureCount());
  return pictures[static_cast<std::size_t>(position)];
}

WallpaperLibrary::WallpaperLibrary(std::string program_dir, ProfileStore& store)
    : program_directory_(std::move(program_dir)),
      config_path_(JoinPath(program_directory_, kConfigName)),
      store_(store) {}

std::string WallpaperLibrary::LibraryPath() const { return JoinPath(program_directory_, kLibraryName); }

Category& WallpaperLibrary::CategoryAt(std::int32_t position) {
  assert(position >= 0 && position < CategoryCount());
  return categories[static_cast<std::size_t>(position)];
}

const Category& WallpaperLibrary::CategoryAt(std::int32_t position) const {
  assert(position >= 0 && position < CategoryCount());
  return categories[static_cast<std::size_t>(position)];
}

std::int32_t WallpaperLibrary::FindCategory(std::string_view name) const {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  std::int32_t alike = -1;
  for (std::int32_t i = 0; i < CategoryCount(); ++i) {
    const std::string& have = categories[static_cast<std::size_t>(i)].name;
    if (have == name) return i;
    if (alike == -1 && have.size() == name.size() &&
        std::equal(have.begin(), have.end(), name.begin(), [&](char a, char b) { return lower(a) == lower(b); }))
      alike = i;
  }
  return alike;
}

Category* WallpaperLibrary::CurrentCategory() {
  if (currentCategory < 0 || currentCategory >= CategoryCount()) return nullptr;
  return &categories[static_cast<std::size_t>(currentCategory)];
}

const Category* WallpaperLibrary::CurrentCategory() const {
  if (currentCategory < 0 || currentCategory >= CategoryCount()) return nullptr;
  return &categories[static_cast<std::size_t>(currentCategory)];
}

std::int32_t WallpaperLibrary::CurrentPictureCount() const {
  const Category* category = CurrentCategory();
  return category ? category->PictureCount() : 0;
}

std::int32_t WallpaperLibrary::PictureListSelection() const {
  if (!pictureListShown) return -1;
  return selectedPicture >= 0 && selectedPicture < CurrentPictureCount() ? selectedPicture : -1;
}

std::vector<std::string> WallpaperLibrary::CategoryListItems() const {
  std::vector<std::string> names;
  names.reserve(categories.size());
  for (const Category& category : categories) names.push_back(category.name);
  return names;
}

std::vector<std::string> WallpaperLibrary::PictureListItems() const {
  std::vector<std::string> names;
  const Category* category = CurrentCategory();
  if (!pictureListShown || category == nullptr) return names;
  names.reserve(category->pictures.size());
  for (const std::string& path : category->pictures) names.push_back(DisplayName(path));
  return names;
}

// The file: each category is its name on one line and then one line per
// picture; one empty line stands between two categories, and no line end
// follows the last line. An empty library is an empty file.
std::string WallpaperLibrary::Serialize(const std::vector<Category>& categories) {
  std::size_t size = 0;
  for (const Category& category : categories) {
    size += category.name.size() + 2 * kLineEnd.size();
    for (const std::string& path : category.pictures) size += path.size() + kLineEnd.size();
  }
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; i < categories.size(); ++i) {
    if (i > 0) {
      out += kLineEnd;
      out += kLineEnd;
    }
    out += categories[i].name;
    for (const std::string& path : categories[i].pictures) {
      out += kLineEnd;
      out += path;
    }
  }
  return out;
}

// Reading is forgiving: lines end with CR LF or LF alone (CRs before the
// LF or the end of the file count as part of the line end), a final line
// end may be there or not, and nothing in the file makes the reader stop
// early.
//  - The first line names the first category, also when it is empty (then
//    the category's name is empty, as Save writes it).
//  - An empty line ends a category; the line after it names the next one,
//    whatever it holds. An empty line at the very end starts a category with
//    an empty name.
//  - Every other line is a picture of the category last started. A picture
//    line too long for a path is left out and reading goes on.
//  - Names too long are cut to kMaxNameLength characters.
// The file is UTF-8; a file that is not is from an older program that wrote
// the system's legacy code page, and is read in that code page.
std::vector<Category> WallpaperLibrary::Parse(std::string_view bytes) {
  // Byte-order marks, also one written twice, are not part of the first name.
  while (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) bytes.remove_prefix(kUtf8Mark.size());
  std::string converted;
  if (!IsValidUtf8(bytes)) {
    converted = LegacyToUtf8(bytes);
    bytes = converted;
  }

  std::vector<Category> categories;
  bool name_follows = false;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    // Names and paths end at a NUL, as they do for every Windows function.
    line = WithoutFinalCrs(line.substr(0, line.find('\0')));

    if (categories.empty() || name_follows) {
      Category category;
      category.name = std::string(WithoutFinalCrs(CutToUtf16Length(line, kMaxNameLength)));
      categories.push_back(std::move(category));
      name_follows = false;
    } else if (line.empty()) {
      name_follows = true;
    } else if (Utf16Length(line) <= kMaxPathLength) {
      categories.back().pictures.emplace_back(line);
    }
  }
  if (name_follows) categories.emplace_back();
  return categories;
}

bool WallpaperLibrary::Load() {
  categories.clear();
  currentCategory = -1;
  selectedPicture = 0;
  currentWallpaper = 0;
  pictureListShown = false;
  CategoriesChanged();

  bool ok = true;
  const std::string path = LibraryPath();
  std::vector<std::uint8_t> bytes;
  if (ReadWholeFile(path, bytes, kMaxFileBytes)) {
    categories = Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } else {
    ok = !FileExists(path);  // no library yet is not a failure
  }
  // A library file that is there but could not be read is left alone at
  // close: writing the empty library over it would destroy it.
  keep_file_ = !ok;
  LoadSelection();
  return ok;
}

bool WallpaperLibrary::Save() {
  const bool selection = SaveSelection();
  return SaveFile() && selection;
}

bool WallpaperLibrary::SaveFile(std::string* reason) {
  if (keep_file_) {
    if (reason != nullptr) *reason = "it could not be read when Vistelle started, so it is left as it was";
    return false;
  }
  const std::string data = Serialize(categories);
  if (WriteFileReplacing(LibraryPath(), data.data(), data.size())) return true;
  if (reason != nullptr) *reason = LastWriteError();
  return false;
}

void WallpaperLibrary::LoadSelection() {
  otherPositions.clear();
  const int others = store_.GetInt(config_path_, kRotationSection, "count", 0);
  for (int i = 1; i <= others && i <= static_cast<int>(kMaxOtherPositions); ++i) {
    const std::string n = std::to_string(i);
    const std::string name =
        DecodeProfileText(store_.GetString(config_path_, kRotationSection, "category" + n, "", 1024));
    const int position = store_.GetInt(config_path_, kRotationSection, "position" + n, 0);
    if (!name.empty() && position >= 0) otherPositions[name] = position;
  }
  const std::int32_t category = store_.GetInt(config_path_, kSection, kCategoryKey, 0);
  const std::int32_t wallpaper = store_.GetInt(config_path_, kSection, kCurrentWallpaperKey, 0);
  if (category < 0 || category >= CategoryCount()) return;
  ShowCategory(category);
  if (wallpaper >= 0 && wallpaper < CategoryAt(category).PictureCount()) {
    selectedPicture = wallpaper;
    currentWallpaper = wallpaper;
  }
}

bool WallpaperLibrary::SaveSelection() {
  bool ok = store_.WriteString(config_path_, kSection, kCategoryKey, std::to_string(currentCategory));
  ok = store_.WriteString(config_path_, kSection, kCurrentWallpaperKey, std::to_string(currentWallpaper)) && ok;
  // The positions of categories that are no longer there are dropped.
  std::size_t n = 0;
  for (const auto& [name, position] : otherPositions) {
    if (n == kMaxOtherPositions) break;
    if (FindCategory(name) < 0) continue;
    ++n;
    ok = store_.WriteString(config_path_, kRotationSection, "category" + std::to_string(n), EncodeProfileText(name)) &&
         ok;
    ok = store_.WriteString(config_path_, kRotationSection, "position" + std::to_string(n), std::to_string(position)) &&
         ok;
  }
  if (n > 0 || store_.GetInt(config_path_, kRotationSection, "count", 0) != 0)
    ok = store_.WriteString(config_path_, kRotationSection, "count", std::to_string(n)) && ok;
  return ok;
}

void WallpaperLibrary::ShowCategory(std::int32_t position) {
  if (position < 0 || position >= CategoryCount()) return;
  selectedPicture = 0;
  currentWallpaper = 0;
  currentCategory = position;
  pictureListShown = true;
}

}  // namespace vistelle
