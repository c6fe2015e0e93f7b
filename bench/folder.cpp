// Adding a folder benchmark: a real folder of 10,000 empty picture files
// (IMG_0.JPG, IMG_1.jpeg, IMG_2.png ..., and a few other files), added to
// a category that holds 1,000 pictures already, as a drop of the folder on
// the main window adds it: the folder walked, the names filtered, sorted
// and checked against the category, the paths appended and the picture list
// filled again. Nothing is decoded. Prints the median of the scan alone and
// of the whole addition; the budget for the whole is 1 s.
//
//   bench_folder [runs]      (default 11 runs a measurement)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/folder_listing.h"
#include "bench/bench_support.h"
#include "config/profile_store.h"
#include "library/editing_commands.h"
#include "library/folder_scan.h"
#include "library/wallpaper_library.h"

using vistelle::bench::MedianMs;

int main(int argc, char** argv) {
  const int runs = vistelle::bench::RunsFrom(argc, argv, 11);
  constexpr int kPictures = 10000;
  constexpr int kPresent = 1000;
  const std::filesystem::path dir = vistelle::bench::FreshFolder("vistelle_bench_folder");
  const std::filesystem::path pictures = dir / "Pictures";
  std::filesystem::create_directories(pictures);
  std::vector<std::string> names = {"Thumbs.db", "notes.txt", ".picasa.ini"};
  for (int p = 0; p < kPictures; ++p)
    names.push_back("IMG_" + std::to_string(p) + (p % 3 == 0 ? ".JPG" : p % 3 == 1 ? ".jpeg" : ".png"));
  for (const std::string& name : names) {
    FILE* file = std::fopen((pictures / name).string().c_str(), "wb");
    if (file == nullptr) return 1;
    std::fclose(file);
  }

  auto store = vistelle::MakeIniFileProfileStore();
  vistelle::WallpaperLibrary library(dir.string(), *store);
  vistelle::EditingCommands editing(library);
  vistelle::Category category;
  category.name = "Pictures";
  for (int p = 0; p < kPresent; ++p)
    category.pictures.push_back("C:\\Users\\Someone\\Pictures\\Other\\IMG_" + std::to_string(p) + ".jpg");
  const std::vector<std::string> present = category.pictures;
  library.categories.push_back(std::move(category));
  library.ShowCategory(0);

  const auto listing = vistelle::MakeSystemFolderListing();
  const std::vector<std::string> dropped = {pictures.string()};
  bool ok = true;
  const double scan = MedianMs(
      runs, [] {},
      [&] { ok = vistelle::FindPictures(*listing, dropped, present).size() == kPictures && ok; });
  const double whole = MedianMs(
      runs, [&] { library.CategoryAt(0).pictures = present; },
      [&] {
        const vistelle::Outcome outcome = editing.AddPaths(dropped, *listing);
        ok = !outcome.notice && library.PictureListItems().size() == kPresent + kPictures && ok;
      });
  std::filesystem::remove_all(dir);
  if (!ok) {
    std::printf("folder benchmark: the pictures found were not the ones expected\n");
    return 1;
  }

  std::printf("a folder of %d pictures, into a category of %d, median of %d runs\n", kPictures, kPresent, runs);
  std::printf("  find the pictures (walk, filter, sort, check)   %8.2f ms\n", scan);
  std::printf("  add them (find, append, the picture list's items)  %8.2f ms  (budget 1000 ms: %s)\n", whole,
              whole < 1000 ? "met" : "MISSED");
  return whole < 1000 ? 0 : 2;
}
