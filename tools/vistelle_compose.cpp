// vistelle-compose: composes a wallpaper exactly as the program does, from a
// picture and a config.ini, at a given screen size, into a BMP file.
//
//   vistelle-compose [--config config.ini] [--screen 1920x1080]
//                    [--date YYYY-MM-DD] [--seed N] [--data DIR]
//                    picture [-o pictora.bmp]
//
// --data names the folder with the program's Skin and Calendar folders
// (default: the current folder). Without --screen the size of this
// computer's primary display is used where there is one, else 1920x1080.
// The calendar shows today's month, or that of --date. The noise effect is
// seeded from the clock, as in the program, or with --seed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "config/profile_store.h"
#include "render/desktop.h"
#include "render/wallpaper_renderer.h"

namespace {

using vistelle::ScreenSize;

class CommandLineDesktop final : public vistelle::Desktop {
 public:
  explicit CommandLineDesktop(ScreenSize size) : size_(size) {}
  ScreenSize PrimaryScreenSize() override { return size_; }
  bool SetWallpaper(const std::string&) override { return true; }

 private:
  ScreenSize size_;
};

int Usage() {
  std::fprintf(stderr,
               "usage: vistelle-compose [--config config.ini] [--screen WIDTHxHEIGHT]\n"
               "                        [--date YYYY-MM-DD] [--seed N] [--data DIR]\n"
               "                        picture [-o output.bmp]\n");
  return 2;
}

bool ParseScreen(const char* text, ScreenSize& size) {
  char* end = nullptr;
  const unsigned long w = std::strtoul(text, &end, 10);
  if (end == text || (*end != 'x' && *end != 'X')) return false;
  const char* h_text = end + 1;
  const unsigned long h = std::strtoul(h_text, &end, 10);
  if (end == h_text || *end != '\0' || w == 0 || h == 0 || w > 32767 || h > 32767) return false;
  size.width = static_cast<std::uint32_t>(w);
  size.height = static_cast<std::uint32_t>(h);
  return true;
}

struct Date {
  int year = 0, month = 0, day = 0;
};

bool ParseDate(const char* text, Date& date) {
  char tail = 0;
  if (std::sscanf(text, "%4d-%2d-%2d%c", &date.year, &date.month, &date.day, &tail) != 3) return false;
  return date.year >= 1 && date.month >= 1 && date.month <= 12 && date.day >= 1 &&
         date.day <= vistelle::DaysInMonth(date.year, date.month);
}

bool ParseSeed(const char* text, unsigned& seed) {
  char* end = nullptr;
  const unsigned long v = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0' || v > 0xFFFFFFFFul) return false;
  seed = static_cast<unsigned>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string config_path, picture, output = "pictora.bmp", data_dir = ".";
  ScreenSize screen;
  Date date;
  bool have_seed = false;
  unsigned seed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--config" && has_value) {
      config_path = argv[++i];
    } else if (arg == "--screen" && has_value) {
      if (!ParseScreen(argv[++i], screen)) return Usage();
    } else if (arg == "--date" && has_value) {
      if (!ParseDate(argv[++i], date)) return Usage();
    } else if (arg == "--seed" && has_value) {
      if (!ParseSeed(argv[++i], seed)) return Usage();
      have_seed = true;
    } else if (arg == "--data" && has_value) {
      data_dir = argv[++i];
    } else if (arg == "-o" && has_value) {
      output = argv[++i];
    } else if (arg == "-h" || arg == "--help") {
      return Usage();
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else if (picture.empty()) {
      picture = arg;
    } else {
      return Usage();
    }
  }
  if (picture.empty()) return Usage();

  if (screen.width == 0) {
    if (auto system = vistelle::MakeSystemDesktop()) screen = system->PrimaryScreenSize();
    if (screen.width == 0 || screen.height == 0) screen = {1920, 1080};
  }

  // As the program does at start; the noise effect draws its seed from it.
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  if (have_seed) vistelle::SeedImageNoise(seed);

  auto store = vistelle::MakeSystemProfileStore();
  CommandLineDesktop desktop(screen);
  vistelle::WallpaperRenderer renderer(data_dir, desktop, *store);
  if (!config_path.empty()) {
    renderer.Settings().SetPath(config_path);
    renderer.Settings().Load(*store);
    renderer.LoadConfiguredCalendarBackground();
  }
  if (date.year != 0) renderer.Calendar().SetDate(date.year, date.month, date.day);
  renderer.SetWallpaperPath(output);
  if (!renderer.LoadCurrentPicture(picture)) {
    std::fprintf(stderr, "%s: the picture cannot be read\n", picture.c_str());
    return 1;
  }
  if (!renderer.ComposeWallpaper()) {
    std::fprintf(stderr, "%s: cannot be written\n", output.c_str());
    return 1;
  }
  std::printf("%s: %ux%u\n", output.c_str(), screen.width, screen.height);
  return 0;
}
