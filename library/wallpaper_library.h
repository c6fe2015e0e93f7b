// WallpaperLibrary: the picture collection, an ordered list of named
// categories with an ordered list of picture paths each, and the positions
// of the current category, the selected picture and the last wallpaper.
// It is read from "pictora.txt" in the program's folder at start and
// written back when the program closes; the current category and wallpaper
// are remembered in "config.ini".
//
// The two list boxes of the main window are its view: the category list
// holds one item per category, and while a category is current the picture
// list holds the display names of its pictures, item i for picture i.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_store.h"
#include "library/list_view.h"
#include "render/desktop.h"
#include "render/wallpaper_renderer.h"

namespace vistelle {

struct Category {
  // At most kMaxNameLength characters.
  std::string name;
  // Full paths of at most kMaxPathLength characters, in the user's order;
  // the same path may stand more than once.
  std::vector<std::string> pictures;

  std::int32_t PictureCount() const { return static_cast<std::int32_t>(pictures.size()); }
  // The position must be below PictureCount().
  const std::string& PictureAt(std::int32_t position) const;
};

class WallpaperLibrary {
 public:
  static constexpr const char* kLibraryName = "pictora.txt";
  static constexpr const char* kConfigName = "config.ini";
  static constexpr const char* kSection = "setting";
  static constexpr const char* kCategoryKey = "category";
  static constexpr const char* kCurrentWallpaperKey = "current_wallpaper";
  // Lengths in characters (UTF-16 units, as Windows counts them).
  static constexpr std::size_t kMaxNameLength = 254;
  static constexpr std::size_t kMaxPathLength = 259;
  // Larger library files are not read (about a million paths).
  static constexpr std::uint64_t kMaxFileBytes = 256ull << 20;

  // program_dir holds pictora.txt, config.ini and the Skin folder. Builds
  // the renderer, which loads the settings. Until AttachLists the library
  // shows itself in two list views of its own.
  WallpaperLibrary(std::string program_dir, Desktop& desktop, ProfileStore& store);

  WallpaperLibrary(const WallpaperLibrary&) = delete;
  WallpaperLibrary& operator=(const WallpaperLibrary&) = delete;

  // The list boxes of the main window; they must outlive the library's use.
  void AttachLists(ListView& picture_list, ListView& category_list);

  // Reads the library file (a missing or unreadable one gives an empty
  // library), fills the category list and restores the selection. False
  // when the file was there but could not be read.
  bool Load();
  // Writes the selection to config.ini and the library file. The file is
  // replaced only once the new one is complete. False on any failure; the
  // library in memory is never changed. A library file that Load found but
  // could not read is not written over.
  bool Save();

  // The current category and wallpaper from / to config.ini.
  void LoadSelection();
  bool SaveSelection();

  // Makes the category list's selected item the current category, previews
  // its first picture (or the placeholder when it has none) and fills the
  // picture list with item 0 selected. Nothing happens when the category
  // list has no selection.
  void SelectCategory();
  // Empties the picture list and lists the current category's pictures by
  // display name; with no current category the list stays empty.
  void FillPictureList();
  // Empties the picture list and nothing else.
  void ClearPictureList();

  std::int32_t CategoryCount() const { return static_cast<std::int32_t>(categories.size()); }
  // The position must be below CategoryCount().
  Category& CategoryAt(std::int32_t position);
  const Category& CategoryAt(std::int32_t position) const;
  // The current category, nullptr when there is none.
  Category* CurrentCategory();
  const Category* CurrentCategory() const;
  // The number of pictures in the current category, 0 when there is none.
  std::int32_t CurrentPictureCount() const;

  // Makes the picture the renderer's current picture and its preview,
  // keeping only the preview in memory. A picture that does not load leaves
  // both as they were and is counted for TakeFailedPreviews.
  bool Preview(const std::string& path);
  // How many previews did not load since the last call (Load and
  // SelectCategory preview pictures too); the main window tells the user
  // of each.
  int TakeFailedPreviews();

  // The file contents that Save writes, and the reading of such contents
  // into categories (used by Load, the tests and the benchmark).
  static std::string Serialize(const std::vector<Category>& categories);
  static std::vector<Category> Parse(std::string_view bytes);

  const std::string& ProgramDirectory() const { return program_directory_; }
  std::string LibraryPath() const;
  const std::string& ConfigPath() const { return config_path_; }
  ListView& PictureList() { return *picture_list_; }
  ListView& CategoryList() { return *category_list_; }

  // Position of the picture selected in the picture list and previewed.
  std::int32_t selectedPicture = 0;
  // Position of the picture last made the wallpaper ("current_wallpaper").
  std::int32_t currentWallpaper = 0;
  // Position of the current category, -1 for none ("category").
  std::int32_t currentCategory = -1;

  WallpaperRenderer renderer;
  std::vector<Category> categories;

 private:
  // Makes the category current and lists its pictures with item 0
  // selected; previews its picture at preview (or the placeholder).
  void ShowCategory(std::int32_t position, std::int32_t preview);

  std::string program_directory_;
  std::string config_path_;
  MemoryListView own_picture_list_;
  MemoryListView own_category_list_;
  ListView* picture_list_;
  ListView* category_list_;
  bool keep_file_ = false;
  int failed_previews_ = 0;
};

}  // namespace vistelle
