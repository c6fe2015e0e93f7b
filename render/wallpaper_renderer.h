// WallpaperRenderer: the current picture, and the composition of the
// wallpaper from it. One exists for the whole run.
#pragma once

#include <cstdint>
#include <string>

#include "config/config.h"
#include "config/profile_store.h"
#include "render/calendar.h"
#include "render/desktop.h"
#include "render/effects.h"
#include "render/image.h"

namespace vistelle {

class WallpaperRenderer {
 public:
  static constexpr const char* kErrorNoFile = "Error. The file doesn't exist.";
  static constexpr const char* kErrorCaption = "Vistelle";
  static constexpr const char* kPlaceholder = "Skin\\clear.jpg";
  static constexpr const char* kWallpaperName = "pictora.bmp";
  static constexpr const char* kConfigName = "config.ini";

  // program_dir holds config.ini, the Skin and Calendar folders and the
  // composed wallpaper. Reads the date for the calendar, loads the
  // placeholder picture (silently), the settings and the calendar's
  // background picture.
  WallpaperRenderer(std::string program_dir, Desktop& desktop, ProfileStore& store);
  virtual ~WallpaperRenderer() = default;

  WallpaperRenderer(const WallpaperRenderer&) = delete;
  WallpaperRenderer& operator=(const WallpaperRenderer&) = delete;

  // Loads the picture into the current picture. A picture that does not
  // load is reported in an error box and the current picture stays as it
  // was. Returns whether it loaded (callers are free to ignore it).
  bool LoadCurrentPicture(const std::string& path);

  // Composes the wallpaper from the current picture and the settings,
  // writes it to the wallpaper file and hands that file to the desktop.
  void ComposeWallpaper();

  // Reads the clock for the month calendar; the rotation calls it before
  // every composition so that the calendar shows the month of the change.
  void RefreshCalendarDate();

  // Loads the calendar's background picture: choice -1 the picture at path
  // (resized to 195 x 173), 0..2 a built-in one; any other choice keeps the
  // picture held.
  void LoadCalendarBackground(const std::string& path, int choice);
  // The same with the choice the settings make (after the settings change).
  void LoadConfiguredCalendarBackground();

  // The composition alone, on a canvas of the given size (stretch changes
  // the current picture, as in ComposeWallpaper). The canvas belongs to the
  // renderer and is made again by the next composition.
  const Image& ComposeCanvas(std::uint32_t width, std::uint32_t height);

  CalendarState& Calendar() { return calendar_; }
  const TEffects& Effects() const { return effects_; }
  Image& CurrentPicture() { return current_; }
  const Image& CurrentPicture() const { return current_; }
  TConfig& Settings() { return settings_; }
  const TConfig& Settings() const { return settings_; }
  ProfileStore& Store() { return store_; }
  const std::string& ProgramDir() const { return program_dir_; }

  // The composed wallpaper's file: the program folder's "pictora.bmp"
  // unless set otherwise (the command-line composer writes elsewhere).
  const std::string& WallpaperPath() const { return wallpaper_path_; }
  void SetWallpaperPath(const std::string& path) { wallpaper_path_ = path; }

 private:
  std::string program_dir_;
  Desktop& desktop_;
  ProfileStore& store_;
  Image current_;
  CalendarState calendar_;  // reads the date when built
  TEffects effects_;
  TConfig settings_;
  std::string wallpaper_path_;
  // Kept between compositions so that each one reuses their memory.
  Image canvas_;
  Image scratch_;
};

}  // namespace vistelle
