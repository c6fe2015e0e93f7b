// The Windows desktop: the primary display's mode and the wallpaper setting
// of the user's profile.
#include <windows.h>

#include "render/desktop.h"

namespace vistelle {

namespace {

class SystemDesktop final : public Desktop {
 public:
  ScreenSize PrimaryScreenSize() override {
    // The current mode is in real pixels. GetSystemMetrics answers a smaller
    // virtual size on a scaled high-DPI display (the program is not marked
    // DPI-aware), so it is only the fallback.
    DEVMODEA mode;
    ZeroMemory(&mode, sizeof mode);
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmPelsWidth > 0 &&
        mode.dmPelsHeight > 0)
      return ScreenSize{mode.dmPelsWidth, mode.dmPelsHeight};
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) return ScreenSize{};
    return ScreenSize{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
  }

  bool SetWallpaper(const std::string& bmp_path) override {
    // The function takes a writable pointer but only reads the name.
    std::string path = bmp_path;
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, &path[0], SPIF_UPDATEINIFILE) != FALSE;
  }
};

}  // namespace

std::unique_ptr<Desktop> MakeSystemDesktop() { return std::make_unique<SystemDesktop>(); }

}  // namespace vistelle
