#include "render/wallpaper_renderer.h"

#include <utility>

#include "base/paths.h"
#include "render/composition.h"
#include "render/preview_image.h"

namespace vistelle {

WallpaperRenderer::WallpaperRenderer(std::string program_dir, Desktop& desktop, ProfileStore& store)
    : program_dir_(std::move(program_dir)),
      desktop_(desktop),
      store_(store),
      wallpaper_path_(JoinPath(program_dir_, kWallpaperName)) {
  // The placeholder keeps the preview from being empty before the first
  // picture loads; without it the current picture simply stays empty.
  LoadCurrentPicture(JoinPath(program_dir_, kPlaceholder));
  settings_.SetPath(JoinPath(program_dir_, kConfigName));
  settings_.Load(store_);
  LoadConfiguredCalendarBackground();
}

DecodeTarget WallpaperRenderer::CompositionTarget() {
  // Fill and fit scale the picture to the screen, so a large photo need not
  // be decoded in full; the other positions place it pixel for pixel.
  const int position = settings_.sposob_wyswietlania;
  if (position != kPositionFill && position != kPositionFit) return DecodeTarget();
  const ScreenSize screen = desktop_.PrimaryScreenSize();
  return DecodeTarget{screen.width, screen.height, position == kPositionFill};
}

bool WallpaperRenderer::LoadCurrentPicture(const std::string& path) {
  Image picture;
  if (!picture.Load(path, CompositionTarget())) return false;
  current_.Swap(picture);
  current_path_ = path;
  MakePreviewImage(current_, preview_width_, preview_height_, preview_);
  return true;
}

bool WallpaperRenderer::LoadPreview(const std::string& path) {
  // Decoded at the smallest size that still covers the preview.
  Image picture;
  if (!picture.Load(path, DecodeTarget{preview_width_, preview_height_, true})) return false;
  ReleasePictures();
  current_path_ = path;
  MakePreviewImage(picture, preview_width_, preview_height_, preview_);
  return true;
}

void WallpaperRenderer::SetPreviewSize(std::uint32_t width, std::uint32_t height) {
  preview_width_ = width;
  preview_height_ = height;
  if (current_.IsValid()) MakePreviewImage(current_, width, height, preview_);
}

void WallpaperRenderer::ReleasePictures() {
  current_.Clear();
  canvas_.Clear();
  scratch_.Clear();
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
  return Compose(width, height, true);
}

const Image& WallpaperRenderer::Compose(std::uint32_t width, std::uint32_t height, bool picture_needed_after) {
  Image& canvas = canvas_;
  if (!canvas.Create(width, height)) return canvas;
  const int position = settings_.sposob_wyswietlania;
  // The background colour shows around a centred or fitted picture and
  // through transparent pixels of a filling one (an opaque one covers every
  // pixel, so the canvas is not filled first).
  const bool covered = position == kPositionFill && current_.IsValid() && !current_.HasAlpha();
  if ((position == kPositionCenter || position == kPositionFill || position == kPositionFit) && !covered)
    FillCanvas(canvas, settings_.color_background);
  if (picture_needed_after)
    PlacePicture(canvas, current_, position, &scratch_);
  else
    PlacePictureOnce(canvas, current_, position, &scratch_);
  effects_.ApplyConfigured(canvas, settings_);
  // The calendar lies on top of everything, effects included.
  if (settings_.active_calendar) calendar_.Draw(canvas, settings_, program_dir_);
  return canvas;
}

bool WallpaperRenderer::ComposeWallpaper() {
  // The picture given back after the last composition is decoded again
  // from its file. Should that be gone meanwhile, the canvas shows what it
  // would with no picture: the background and the calendar.
  if (!current_.IsValid() && !current_path_.empty()) current_.Load(current_path_, CompositionTarget());
  const ScreenSize screen = desktop_.PrimaryScreenSize();
  const Image& canvas = Compose(screen.width, screen.height, false);
  // The wallpaper can always be composed again, so it is not forced to the
  // disk; it still replaces the old file only once complete.
  const bool done =
      canvas.IsValid() && canvas.Save(wallpaper_path_, false) && desktop_.SetWallpaper(wallpaper_path_);
  ReleasePictures();
  return done;
}

}  // namespace vistelle
