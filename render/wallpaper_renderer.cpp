#include "render/wallpaper_renderer.h"

#include <utility>

#include "base/paths.h"
#include "render/composition.h"

namespace vistelle {

WallpaperRenderer::WallpaperRenderer(std::string program_dir, Desktop& desktop, ProfileStore& store)
    : program_dir_(std::move(program_dir)),
      desktop_(desktop),
      store_(store),
      wallpaper_path_(JoinPath(program_dir_, kWallpaperName)) {
  // The placeholder keeps the preview from being empty before the first
  // picture loads; without it the current picture simply stays empty.
  current_.Load(JoinPath(program_dir_, kPlaceholder));
  settings_.SetPath(JoinPath(program_dir_, kConfigName));
  settings_.Load(store_);
  LoadConfiguredCalendarBackground();
}

bool WallpaperRenderer::LoadCurrentPicture(const std::string& path) {
  if (current_.Load(path)) return true;
  desktop_.ShowError(kErrorNoFile, kErrorCaption);
  return false;
}

void WallpaperRenderer::RefreshCalendarDate() { calendar_.RefreshDate(); }

void WallpaperRenderer::LoadCalendarBackground(const std::string& path, int choice) {
  calendar_.LoadBackground(program_dir_, path, choice);
}

void WallpaperRenderer::LoadConfiguredCalendarBackground() {
  if (settings_.calendar_background)
    LoadCalendarBackground(settings_.calendar_background_user, -1);
  else
    LoadCalendarBackground(std::string(), settings_.calendar_background_prog);
}

const Image& WallpaperRenderer::ComposeCanvas(std::uint32_t width, std::uint32_t height) {
  Image& canvas = canvas_;
  if (!canvas.Create(width, height)) return canvas;
  const int position = settings_.sposob_wyswietlania;
  if (position == kPositionCenter) FillCanvas(canvas, settings_.color_background);
  PlacePicture(canvas, current_, position, &scratch_);
  effects_.ApplyConfigured(canvas, settings_);
  // The calendar lies on top of everything, effects included.
  if (settings_.active_calendar) calendar_.Draw(canvas, settings_, program_dir_);
  return canvas;
}

void WallpaperRenderer::ComposeWallpaper() {
  const ScreenSize screen = desktop_.PrimaryScreenSize();
  const Image& canvas = ComposeCanvas(screen.width, screen.height);
  if (!canvas.IsValid()) return;
  // The wallpaper can always be composed again, so it is not forced to the
  // disk; it still replaces the old file only once complete.
  if (!canvas.Save(wallpaper_path_, false)) return;
  desktop_.SetWallpaper(wallpaper_path_);
}

}  // namespace vistelle
