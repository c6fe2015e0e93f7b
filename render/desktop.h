// What the composition needs from the desktop it runs on: the screen's size
// and setting the wallpaper. On Windows these are the real display mode and
// SystemParametersInfoA; the command-line composer and the tests give their
// own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vistelle {

struct ScreenSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // The primary display's size in real pixels.
  virtual ScreenSize PrimaryScreenSize() = 0;
  // Makes the file the desktop wallpaper and stores the choice in the
  // user's profile. False when the system refused.
  virtual bool SetWallpaper(const std::string& bmp_path) = 0;
};

// The desktop of this platform (Windows only; natively nullptr).
std::unique_ptr<Desktop> MakeSystemDesktop();

}  // namespace vistelle
