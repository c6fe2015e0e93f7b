// WallpaperLibrary: the picture collection, an ordered list of named
// categories with an ordered list of picture paths each, and the positions
// of the current category, the selected picture and the last wallpaper.
// It is read from "pictora.txt" in the program's folder at start and
// written back when the program closes; the current category and wallpaper
// are remembered in "config.ini".
//
// The library is data only. The main window's two list boxes show it: the
// category list holds one item per category with the current one selected,
// and the picture list, while pictureListShown, the display names of the
// current category's pictures, item i for picture i.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_store.h"

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

  // program_dir holds pictora.txt and config.ini, read and written through
  // store. An empty library until Load.
  WallpaperLibrary(std::string program_dir, ProfileStore& store);

  WallpaperLibrary(const WallpaperLibrary&) = delete;
  WallpaperLibrary& operator=(const WallpaperLibrary&) = delete;

  // Reads the library file (a missing or unreadable one gives an empty
  // library) and the remembered category and wallpaper: a remembered
  // category lists its pictures with the remembered wallpaper selected (the
  // first picture when it is out of range); a category out of range leaves
  // none current. False when the file was there but could not be read.
  bool Load();
  // Writes the selection to config.ini and the library file. The file is
  // replaced only once the new one is complete. False on any failure; the
  // library in memory is never changed. A library file that Load found but
  // could not read is not written over.
  bool Save();
  // The current category and wallpaper to config.ini.
  bool SaveSelection();
  // The library file alone; false with the reason when it was not written.
  bool SaveFile(std::string* reason = nullptr);

  // Makes the category current and lists its pictures with the first one
  // selected; nothing for a position out of range.
  void ShowCategory(std::int32_t position);

  std::int32_t CategoryCount() const { return static_cast<std::int32_t>(categories.size()); }
  // The position must be below CategoryCount().
  Category& CategoryAt(std::int32_t position);
  const Category& CategoryAt(std::int32_t position) const;
  // The category of this name: the first of exactly this name, else the
  // first whose name differs only in the case of ASCII letters; -1 for none.
  std::int32_t FindCategory(std::string_view name) const;
  // The current category, nullptr when there is none.
  Category* CurrentCategory();
  const Category* CurrentCategory() const;
  // The number of pictures in the current category, 0 when there is none.
  std::int32_t CurrentPictureCount() const;

  // What the two lists show. The category list's selection is the current
  // category (-1 for none). The picture list's is selectedPicture while the
  // list shows the current category's pictures and that position is one of
  // them, else -1 (no item selected).
  std::vector<std::string> CategoryListItems() const;
  std::vector<std::string> PictureListItems() const;
  std::int32_t CategoryListSelection() const { return CurrentCategory() ? currentCategory : -1; }
  std::int32_t PictureListSelection() const;

  // Counts every change to the list of categories (one added or removed),
  // so that a command that asked the user something can tell whether the
  // positions it holds still name what they named.
  std::uint64_t CategoriesVersion() const { return categories_version_; }
  void CategoriesChanged() { ++categories_version_; }

  // The file contents that Save writes, and the reading of such contents
  // into categories (used by Load, the tests and the benchmark).
  static std::string Serialize(const std::vector<Category>& categories);
  static std::vector<Category> Parse(std::string_view bytes);

  const std::string& ProgramDirectory() const { return program_directory_; }
  std::string LibraryPath() const;
  const std::string& ConfigPath() const { return config_path_; }

  // Position of the picture selected in the picture list and previewed.
  std::int32_t selectedPicture = 0;
  // Position of the picture last made the wallpaper ("current_wallpaper").
  std::int32_t currentWallpaper = 0;
  // Position of the current category, -1 for none ("category").
  std::int32_t currentCategory = -1;
  // Whether the picture list shows the current category's pictures; "clear"
  // empties the list on screen alone.
  bool pictureListShown = false;

  // The positions of the last wallpapers drawn from categories other than
  // the current one (a monitor's own category, a schedule's), by category
  // name; in config.ini's section "rotation".
  std::map<std::string, std::int32_t> otherPositions;
  static constexpr const char* kRotationSection = "rotation";
  static constexpr std::size_t kMaxOtherPositions = 256;

  std::vector<Category> categories;

 private:
  void LoadSelection();

  std::string program_directory_;
  std::string config_path_;
  ProfileStore& store_;
  bool keep_file_ = false;
  std::uint64_t categories_version_ = 0;
};

}  // namespace vistelle
