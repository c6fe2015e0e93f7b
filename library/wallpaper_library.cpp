#include "library/wallpaper_library.h"

#include <cassert>
#include <utility>

#include "base/file_io.h"
#include "base/legacy_code_page.h"
#include "base/paths.h"
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

WallpaperLibrary::WallpaperLibrary(std::string program_dir, Desktop& desktop, ProfileStore& store)
    : renderer(program_dir, desktop, store),
      program_directory_(std::move(program_dir)),
      config_path_(JoinPath(program_directory_, kConfigName)),
      picture_list_(&own_picture_list_),
      category_list_(&own_category_list_) {}

void WallpaperLibrary::AttachLists(ListView& picture_list, ListView& category_list) {
  picture_list_ = &picture_list;
  category_list_ = &category_list;
}

std::string WallpaperLibrary::LibraryPath() const { return JoinPath(program_directory_, kLibraryName); }

Category& WallpaperLibrary::CategoryAt(std::int32_t position) {
  assert(position >= 0 && position < CategoryCount());
  return categories[static_cast<std::size_t>(position)];
}

const Category& WallpaperLibrary::CategoryAt(std::int32_t position) const {
  assert(position >= 0 && position < CategoryCount());
  return categories[static_cast<std::size_t>(position)];
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

bool WallpaperLibrary::Preview(const std::string& path) {
  // Only the preview is wanted now; a change decodes the picture again.
  const bool loaded = renderer.LoadPreview(path);
  if (!loaded) ++failed_previews_;
  return loaded;
}

int WallpaperLibrary::TakeFailedPreviews() {
  const int failed = failed_previews_;
  failed_previews_ = 0;
  return failed;
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
  picture_list_->Clear();
  category_list_->Clear();

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
  for (const Category& category : categories) category_list_->Append(category.name);
  LoadSelection();
  return ok;
}

bool WallpaperLibrary::Save() {
  bool ok = SaveSelection();
  if (keep_file_) return false;
  const std::string data = Serialize(categories);
  ok = WriteFileReplacing(LibraryPath(), data.data(), data.size()) && ok;
  return ok;
}

void WallpaperLibrary::LoadSelection() {
  config_path_ = JoinPath(program_directory_, kConfigName);
  ProfileStore& store = renderer.Store();
  const std::int32_t category = store.GetInt(config_path_, kSection, kCategoryKey, 0);
  const std::int32_t wallpaper = store.GetInt(config_path_, kSection, kCurrentWallpaperKey, 0);
  if (category < 0 || category >= CategoryCount()) {
    currentCategory = -1;
    currentWallpaper = 0;
    return;
  }
  // The remembered wallpaper is previewed straight away, without decoding
  // the category's first picture before it.
  const bool wallpaper_valid = wallpaper >= 0 && wallpaper < CategoryAt(category).PictureCount();
  category_list_->Select(category);
  ShowCategory(category, wallpaper_valid ? wallpaper : 0);
  if (wallpaper_valid) {
    picture_list_->Select(wallpaper);
    selectedPicture = wallpaper;
    currentWallpaper = wallpaper;
  }
}

bool WallpaperLibrary::SaveSelection() {
  ProfileStore& store = renderer.Store();
  bool ok = store.WriteString(config_path_, kSection, kCategoryKey, std::to_string(currentCategory));
  ok = store.WriteString(config_path_, kSection, kCurrentWallpaperKey, std::to_string(currentWallpaper)) && ok;
  return ok;
}

void WallpaperLibrary::SelectCategory() {
  const std::int32_t position = category_list_->Selection();
  if (position < 0 || position >= CategoryCount()) return;
  ShowCategory(position, 0);
}

void WallpaperLibrary::ShowCategory(std::int32_t position, std::int32_t preview) {
  selectedPicture = 0;
  currentWallpaper = 0;
  currentCategory = position;
  const Category& category = CategoryAt(position);
  if (category.PictureCount() > 0) Preview(category.PictureAt(preview));
  else Preview(JoinPath(program_directory_, WallpaperRenderer::kPlaceholder));
  FillPictureList();
  picture_list_->Select(0);
}

void WallpaperLibrary::FillPictureList() {
  picture_list_->Clear();
  const Category* category = CurrentCategory();
  if (!category) return;
  for (const std::string& path : category->pictures) picture_list_->Append(DisplayName(path));
}

void WallpaperLibrary::ClearPictureList() { picture_list_->Clear(); }

}  // namespace vistelle
