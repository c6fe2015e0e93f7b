// What the composition needs from the desktop it runs on: the screen's size,
// the monitors and setting the wallpaper. On Windows these are the real
// display modes and SystemParametersInfoA; the command-line composer and the
// tests give their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/monitor_layout.h"

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
  // Every monitor of the desktop as it is now, each at its real pixel size
  // and position, the primary flagged. Asked again for every composition,
  // so a changed layout counts from the next one. A desktop that knows only
  // its primary screen gives that one at (0, 0).
  virtual std::vector<Monitor> Monitors();
  // Makes the file the desktop wallpaper and stores the choice in the
  // user's profile. False when the system refused.
  virtual bool SetWallpaper(const std::string& bmp_path) = 0;
  // The same for a canvas made for the monitors: span true for one canvas
  // across all of them (the system must lay it over the virtual screen, not
  // repeat it on each monitor), false for a canvas of the primary's size.
  // A desktop without that choice sets the file as SetWallpaper does.
  virtual bool SetWallpaperOnMonitors(const std::string& bmp_path, bool span);
  // The file the desktop shows now (the user or another program may have
  // set another); empty when it cannot tell.
  virtual std::string ShownWallpaper() { return std::string(); }
};

// The desktop of this platform (Windows only; natively nullptr).
std::unique_ptr<Desktop> MakeSystemDesktop();

}  // namespace vistelle
