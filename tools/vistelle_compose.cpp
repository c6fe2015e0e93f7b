// vistelle-compose: composes a wallpaper exactly as the program does, from a
// picture and a config.ini, at a given screen size or for given monitors,
// into a BMP file.
//
//   vistelle-compose [--config config.ini] [--screen 1920x1080]
//                    [--monitors LAYOUT] [--date YYYY-MM-DD] [--seed N]
//                    [--data DIR] picture [picture ...] [-o pictora.bmp]
//
// --data names the folder with the program's Skin and Calendar folders
// (default: the current folder). Without --screen the size of this
// computer's primary display is used where there is one, else 1920x1080.
// The calendar shows today's month, or that of --date. The noise effect is
// seeded from the clock, as in the program, or with --seed.
//
// --monitors gives the monitors instead of one screen, as
// "WIDTHxHEIGHT+X+Y,..." in virtual-screen coordinates (y downwards, signs
// required: "800x600-800+0"), the first one the primary. The config's
// monitor_mode decides as in the program: 0 the primary's canvas, 1 and 2
// one canvas across all monitors. More than one picture needs --monitors:
// the first is the primary's, the next ones go to the other monitors in the
// order they are written in, as far as there are pictures (mode 2; mode 1
// shows the first on all). A monitor left without a picture shows the first.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "config/profile_store.h"
#include "render/desktop.h"
#include "render/monitor_layout.h"
#include "render/wallpaper_renderer.h"

namespace {

using vistelle::ScreenSize;

class CommandLineDesktop final : public vistelle::Desktop {
 public:
  CommandLineDesktop(ScreenSize size, std::vector<vistelle::Monitor> monitors)
      : size_(size), monitors_(std::move(monitors)) {}
  ScreenSize PrimaryScreenSize() override { return size_; }
  std::vector<vistelle::Monitor> Monitors() override {
    return monitors_.empty() ? Desktop::Monitors() : monitors_;
  }
  bool SetWallpaper(const std::string&) override { return true; }

 private:
  ScreenSize size_;
  std::vector<vistelle::Monitor> monitors_;
};

int Usage() {
  std::fprintf(stderr,
               "usage: vistelle-compose [--config config.ini] [--screen WIDTHxHEIGHT]\n"
               "                        [--monitors WxH+X+Y,WxH+X+Y,...] [--date YYYY-MM-DD]\n"
               "                        [--seed N] [--data DIR] picture [picture ...] [-o output.bmp]\n");
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
  std::string config_path, output = "pictora.bmp", data_dir = ".";
  std::vector<std::string> pictures;
  ScreenSize screen;
  vistelle::MonitorLayout layout;
  std::vector<vistelle::Monitor> given;  // the monitors in the order written
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
    } else if (arg == "--monitors" && has_value) {
      std::string error;
      if (!vistelle::ParseMonitorLayout(argv[++i], layout, &error, &given)) {
        std::fprintf(stderr, "--monitors: %s\n", error.c_str());
        return Usage();
      }
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
    } else {
      pictures.push_back(arg);
    }
  }
  if (pictures.empty()) return Usage();
  if (!layout.Empty() && screen.width != 0) {
    std::fprintf(stderr, "--screen and --monitors exclude each other\n");
    return Usage();
  }
  if (layout.Empty() && pictures.size() > 1) {
    std::fprintf(stderr, "more than one picture needs --monitors\n");
    return Usage();
  }

  if (!layout.Empty()) {
    screen = {layout.Primary().width, layout.Primary().height};
  } else if (screen.width == 0) {
    if (auto system = vistelle::MakeSystemDesktop()) screen = system->PrimaryScreenSize();
    if (screen.width == 0 || screen.height == 0) screen = {1920, 1080};
  }

  // As the program does at start; the noise effect draws its seed from it.
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  if (have_seed) vistelle::SeedImageNoise(seed);

  vistelle::TConfig settings;
  if (!config_path.empty()) {
    auto store = vistelle::MakeSystemProfileStore();
    settings.SetPath(config_path);
    settings.Load(*store);
  }
  CommandLineDesktop desktop(screen, layout.Monitors());
  vistelle::WallpaperRenderer renderer(data_dir, desktop, settings);
  if (date.year != 0) renderer.Calendar().SetDate(date.year, date.month, date.day);
  renderer.SetWallpaperPath(output);
  if (!renderer.LoadCurrentPicture(pictures[0], false)) {
    std::fprintf(stderr, "%s: the picture cannot be read\n", pictures[0].c_str());
    return 1;
  }
  renderer.SetOtherMonitorPictures(vistelle::OtherPicturesInLayoutOrder(layout, given, pictures));
  // The size of what is written: the span canvas when the monitors share one.
  const vistelle::MonitorLayout span = renderer.SpanLayout();
  const vistelle::VirtualRect box = span.Bounds();
  if (!span.Empty()) screen = {static_cast<std::uint32_t>(box.width), static_cast<std::uint32_t>(box.height)};
  if (!renderer.ComposeWallpaper()) {
    std::fprintf(stderr, "%s: cannot be written\n", output.c_str());
    return 1;
  }
  if (renderer.FailedOtherPictures() != 0) {
    std::fprintf(stderr, "%u of the other monitors' pictures cannot be read (they show the first)\n",
                 static_cast<unsigned>(renderer.FailedOtherPictures()));
    return 1;
  }
  std::printf("%s: %ux%u\n", output.c_str(), screen.width, screen.height);
  return 0;
}
