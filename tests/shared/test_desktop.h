// A desktop for the tests: a screen of a size of the test's choosing (or
// monitors), and a record of the wallpapers it was handed.
#pragma once

#include <string>
#include <vector>

#include "render/desktop.h"

namespace vistelle::testing {

class TestDesktop : public Desktop {
 public:
  explicit TestDesktop(ScreenSize screen = ScreenSize{64, 48}) : size(screen) {}
  ScreenSize PrimaryScreenSize() override { return size; }
  std::vector<Monitor> Monitors() override { return monitors.empty() ? Desktop::Monitors() : monitors; }
  bool SetWallpaper(const std::string& bmp_path) override {
    wallpapers.push_back(bmp_path);
    return true;
  }
  bool SetWallpaperOnMonitors(const std::string& bmp_path, bool span) override {
    spans.push_back(span);
    return SetWallpaper(bmp_path);
  }
  std::string ShownWallpaper() override { return shown_instead.empty() && !wallpapers.empty() ? wallpapers.back() : shown_instead; }

  // A wallpaper someone else set, shown instead of the last one handed over.
  std::string shown_instead;

  ScreenSize size;
  // Empty: one monitor of the screen's size.
  std::vector<Monitor> monitors;
  std::vector<std::string> wallpapers;
  std::vector<bool> spans;  // for each wallpaper, whether it spanned the monitors
};

}  // namespace vistelle::testing
