// Library file benchmark: a library of 10,000 categories of 10 pictures each
// (about 5 MB), loaded from pictora.txt into the library with its lists and
// saved again (the save flushed to the disk, as at every close). Prints the
// median of each and of the two together; the budget for both is 200 ms.
//
//   bench_library [runs]      (default 15 runs a measurement)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "config/profile_store.h"
#include "library/wallpaper_library.h"

using vistelle::bench::MedianMs;

int main(int argc, char** argv) {
  constexpr int kCategories = 10000;
  constexpr int kPictures = 10;
  const int runs = vistelle::bench::RunsFrom(argc, argv, 15);
  const std::filesystem::path dir = vistelle::bench::FreshFolder("vistelle_bench_library");

  std::vector<vistelle::Category> library(kCategories);
  for (int c = 0; c < kCategories; ++c) {
    library[c].name = "Category " + std::to_string(c);
    for (int p = 0; p < kPictures; ++p)
      library[c].pictures.push_back("C:\\Users\\Someone\\Pictures\\Holidays " + std::to_string(c) + "\\IMG_" +
                                    std::to_string(1000 + p) + ".jpg");
  }
  const std::string bytes = vistelle::WallpaperLibrary::Serialize(library);
  {
    FILE* f = std::fopen((dir / "pictora.txt").string().c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return 1;
    std::fclose(f);
  }

  auto store = vistelle::MakeIniFileProfileStore();
  vistelle::WallpaperLibrary lib(dir.string(), *store);

  bool ok = true;
  const double parse = MedianMs(runs, [&] { ok = vistelle::WallpaperLibrary::Parse(bytes).size() == kCategories && ok; });
  const double serialize = MedianMs(runs, [&] { ok = vistelle::WallpaperLibrary::Serialize(library).size() == bytes.size() && ok; });
  const double load = MedianMs(runs, [&] { ok = lib.Load() && lib.CategoryCount() == kCategories && ok; });
  const double save = MedianMs(runs, [&] { ok = lib.Save() && ok; });
  const double both = MedianMs(runs, [&] {
    ok = lib.Load() && ok;
    ok = lib.Save() && ok;
  });
  std::filesystem::remove_all(dir);
  if (!ok) {
    std::printf("library benchmark: a load or save failed\n");
    return 1;
  }

  std::printf("library of %d categories x %d pictures, %.1f MB, median of %d runs\n", kCategories, kPictures,
              static_cast<double>(bytes.size()) / 1e6, runs);
  std::printf("  parse the file contents      %8.2f ms\n", parse);
  std::printf("  serialize the library        %8.2f ms\n", serialize);
  std::printf("  Load (read, parse, select)   %8.2f ms\n", load);
  std::printf("  Save (selection, write, sync)%8.2f ms\n", save);
  std::printf("  Load + Save                  %8.2f ms  (budget 200 ms: %s)\n", both, both < 200 ? "met" : "MISSED");
  return both < 200 ? 0 : 2;
}
