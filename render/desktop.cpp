#include "render/desktop.h"

namespace vistelle {

std::vector<Monitor> Desktop::Monitors() {
  const ScreenSize screen = PrimaryScreenSize();
  Monitor primary;
  primary.width = screen.width;
  primary.height = screen.height;
  primary.primary = true;
  return {primary};
}

bool Desktop::SetWallpaperOnMonitors(const std::string& bmp_path, bool) { return SetWallpaper(bmp_path); }

}  // namespace vistelle
