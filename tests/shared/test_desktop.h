// A desktop for the tests: a screen of a size of the test's choosing, and a
// record of the wallpapers it was handed.
#pragma once

#include <string>
#include <vector>

#include "render/desktop.h"

namespace vistelle::testing {

class TestDesktop : public Desktop {
 public:
  explicit TestDesktop(ScreenSize screen = ScreenSize{64, 48}) : size(screen) {}
  ScreenSize PrimaryScreenSize() override { return size; }
  bool SetWallpaper(const std::string& bmp_path) override {
    wallpapers.push_back(bmp_path);
    return true;
  }

  ScreenSize size;
  std::vector<std::string> wallpapers;
};

}  // namespace vistelle::testing
