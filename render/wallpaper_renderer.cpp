#include "render/wallpaper_renderer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/file_io.h"
#include "base/paths.h"
#include "render/composition.h"
#include "image/preview_image.h"

namespace vistelle {

WallpaperRenderer::WallpaperRenderer(std::string program_dir, Desktop& desktop, const TConfig& settings)
    : program_dir_(std::move(program_dir)),
      desktop_(desktop),
      settings_(settings),
      wallpaper_path_(JoinPath(program_dir_, kWallpaperName)) {
  // The placeholder keeps the preview from being empty before the first
  // picture loads; without it the current picture simply stays empty.
  LoadCurrentPicture(JoinPath(program_dir_, kPlaceholder));
  LoadConfiguredCalendarBackground();
}

namespace {

// Copies the screen's composition to its rectangle of the span canvas,
// except where the rectangle keep_out lies (the primary monitor's, which a
// monitor overlapping it must not cover).
void CopyOnto(Image& span, const Image& screen, const CanvasRect& at, const CanvasRect* keep_out) {
  for (std::uint32_t row = 0; row < at.height; ++row) {
    const std::uint32_t y = at.y + row;
    const std::uint8_t* from = screen.Row(row);
    std::uint8_t* to = span.Row(y);
    auto copy = [&](std::uint32_t x0, std::uint32_t x1) {  // span columns [x0, x1)
      if (x0 < x1) std::memcpy(to + static_cast<std::size_t>(x0) * 3, from + static_cast<std::size_t>(x0 - at.x) * 3,
                               static_cast<std::size_t>(x1 - x0) * 3);
    };
    const std::uint32_t left = at.x, right = at.x + at.width;
    if (keep_out == nullptr || y < keep_out->y || y >= keep_out->y + keep_out->height) {
      copy(left, right);
    } else {
      copy(left, std::min(right, keep_out->x));
      copy(std::max(left, keep_out->x + keep_out->width), right);
    }
  }
}

}  // namespace

DecodeTarget WallpaperRenderer::ScreenTarget(std::uint32_t width, std::uint32_t height) const {
  // Fill and fit scale the picture to the screen, so a large photo need not
  // be decoded in full; the other positions place it pixel for pixel.
  const int position = settings_.sposob_wyswietlania;
  if (position != kPositionFill && position != kPositionFit) return DecodeTarget();
  return DecodeTarget{width, height, position == kPositionFill};
}

DecodeTarget WallpaperRenderer::CompositionTarget() { return CompositionTarget(SpanLayout()); }

DecodeTarget WallpaperRenderer::CompositionTarget(const MonitorLayout& layout) {
  const int position = settings_.sposob_wyswietlania;
  if (position != kPositionFill && position != kPositionFit) return DecodeTarget();
  if (layout.Empty()) {
    const ScreenSize screen = desktop_.PrimaryScreenSize();
    return ScreenTarget(screen.width, screen.height);
  }
  if (settings_.monitor_mode == kMonitorModeEach) return ScreenTarget(layout.Primary().width, layout.Primary().height);
  // Scaled to a box at least as wide and as high as every monitor, the
  // picture is no smaller than any of them needs.
  std::uint32_t width = 0, height = 0;
  for (const Monitor& m : layout.Monitors()) {
    width = std::max(width, m.width);
    height = std::max(height, m.height);
  }
  return ScreenTarget(width, height);
}

MonitorLayout WallpaperRenderer::SpanLayout() {
  const int mode = settings_.monitor_mode;
  if (mode != kMonitorModeSpan && mode != kMonitorModeEach) return MonitorLayout();
  MonitorLayout layout(desktop_.Monitors());
  // One monitor is composed as in mode 0; monitors too far apart for one
  // canvas get the primary's canvas rather than no wallpaper at all.
  if (layout.Count() < 2 || !layout.CanvasAcceptable()) return MonitorLayout();
  return layout;
}

std::size_t WallpaperRenderer::OtherMonitorCount() {
  if (settings_.monitor_mode != kMonitorModeEach) return 0;
  const MonitorLayout layout = SpanLayout();
  return layout.Empty() ? 0 : layout.Count() - 1;
}

void WallpaperRenderer::SetOtherMonitorPictures(std::vector<std::string> paths) {
  other_paths_ = std::move(paths);
  std::vector<DecodeAhead::Job> jobs;
  const MonitorLayout layout = SpanLayout();
  if (settings_.monitor_mode == kMonitorModeEach && !layout.Empty()) {
    for (std::size_t i = 0; i < other_paths_.size() && i + 1 < layout.Count(); ++i) {
      const Monitor& m = layout.Monitors()[i + 1];
      jobs.push_back({other_paths_[i], ScreenTarget(m.width, m.height)});
    }
  }
  ahead_.Start(std::move(jobs));
}

bool WallpaperRenderer::LoadCurrentPicture(const std::string& path) {
  Image picture;
  if (!picture.Load(path, CompositionTarget())) {
    // No change follows: the pictures decoding ahead for it are not needed.
    ahead_.Drop();
    return false;
  }
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
  span_.Clear();
  ahead_.Drop();
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
  if (canvas_.Create(width, height))
    ComposeScreen(canvas_, current_, picture_needed_after ? PictureUse::kKept : PictureUse::kOnce, true);
  return canvas_;
}

void WallpaperRenderer::ComposeScreen(Image& canvas, Image& picture, PictureUse use, bool with_calendar) {
  const int position = settings_.sposob_wyswietlania;
  // The background colour shows around a centred or fitted picture and
  // through transparent pixels of a filling one (an opaque one covers every
  // pixel, so the canvas is not filled first).
  const bool covered = position == kPositionFill && picture.IsValid() && !picture.HasAlpha();
  if ((position == kPositionCenter || position == kPositionFill || position == kPositionFit) && !covered)
    FillCanvas(canvas, settings_.color_background);
  if (use == PictureUse::kKept) {
    PlacePicture(canvas, picture, position, &scratch_);
  } else if (use == PictureUse::kUnchanged && position == kPositionStretch && picture.HasAlpha()) {
    // Placed once, only a stretched picture with alpha is resized itself;
    // a copy of it is, so the next monitor gets the picture as it was.
    Image copy = picture;
    PlacePictureOnce(canvas, copy, position, &scratch_);
  } else {
    PlacePictureOnce(canvas, picture, position, &scratch_);
  }
  effects_.ApplyConfigured(canvas, settings_);
  // The calendar lies on top of everything, effects included.
  if (with_calendar && settings_.active_calendar) calendar_.Draw(canvas, settings_, program_dir_);
}

const Image& WallpaperRenderer::ComposeSpan(const MonitorLayout& layout) {
  failed_others_ = 0;
  const VirtualRect box = layout.Bounds();
  // Black where no monitor is.
  if (!span_.Create(static_cast<std::uint32_t>(box.width), static_cast<std::uint32_t>(box.height))) return span_;
  const bool each = settings_.monitor_mode == kMonitorModeEach;
  const CanvasRect primary = layout.InCanvas(0);
  const std::size_t count = layout.Count();
  // Monitor by monitor on a canvas of its own size, the primary first; in
  // mode 2 each picture is given back as soon as it is placed (the worker
  // may meanwhile hold the next ones it has decoded).
  for (std::size_t i = 0; i < count; ++i) {
    const Monitor& m = layout.Monitors()[i];
    if (!canvas_.Create(m.width, m.height)) continue;
    if (i == 0) {
      ComposeScreen(canvas_, current_, each ? PictureUse::kOnce : PictureUse::kUnchanged, true);
      if (each) {
        current_.Clear();
        scratch_.Clear();
      }
    } else if (!each) {
      ComposeScreen(canvas_, current_, i + 1 == count ? PictureUse::kOnce : PictureUse::kUnchanged, false);
    } else {
      Image own;
      bool loaded = false;
      if (i - 1 < other_paths_.size()) {
        const DecodeTarget target = ScreenTarget(m.width, m.height);
        switch (ahead_.Take(i - 1, other_paths_[i - 1], target, own)) {
          case DecodeAhead::Taken::kLoaded: loaded = true; break;
          case DecodeAhead::Taken::kFailed: break;
          case DecodeAhead::Taken::kNotAhead: loaded = own.Load(other_paths_[i - 1], target); break;
        }
        if (!loaded) ++failed_others_;
      }
      // Without a picture of its own the monitor shows the current one,
      // decoded again for its size (or, gone meanwhile, the background).
      if (!loaded && !current_path_.empty()) own.Load(current_path_, ScreenTarget(m.width, m.height));
      ComposeScreen(canvas_, own, PictureUse::kOnce, false);
      scratch_.Clear();  // may hold the picture's old pixels
    }
    CopyOnto(span_, canvas_, layout.InCanvas(i), i == 0 ? nullptr : &primary);
  }
  return span_;
}

bool WallpaperRenderer::ComposeWallpaper() {
  const MonitorLayout layout = SpanLayout();
  // The picture given back after the last composition is decoded again
  // from its file. Should that be gone meanwhile, the canvas shows what it
  // would with no picture: the background and the calendar.
  if (!current_.IsValid() && !current_path_.empty()) current_.Load(current_path_, CompositionTarget(layout));
  const bool span = !layout.Empty();
  const Image* canvas = &span_;
  if (span) {
    ComposeSpan(layout);
  } else {
    failed_others_ = 0;
    const ScreenSize screen = desktop_.PrimaryScreenSize();
    canvas = &Compose(screen.width, screen.height, false);
  }
  // The wallpaper can always be composed again, so it is not forced to the
  // disk; it still replaces the old file only once complete.
  bool done = canvas->IsValid();
  if (done) {
    done = canvas->Save(wallpaper_path_, false);
    write_error_ = done ? std::string() : LastWriteError();
  }
  done = done && desktop_.SetWallpaperOnMonitors(wallpaper_path_, span);
  if (done) {
    handed_over_ = true;
    last_span_ = span;
    StampOf(wallpaper_path_, written_);
  }
  ReleasePictures();
  return done;
}

bool WallpaperRenderer::WallpaperFileUnchanged() const {
  FileStamp now;
  return StampOf(wallpaper_path_, now) && now == written_;
}

bool WallpaperRenderer::WallpaperStillShown() {
  if (!handed_over_) return true;
  const std::string shown = desktop_.ShownWallpaper();
  // Windows compares names without regard to case.
  const auto lower = [](std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
  };
  return (shown.empty() || lower(shown) == lower(wallpaper_path_)) && WallpaperFileUnchanged();
}

bool WallpaperRenderer::HandOverAgain() {
  return handed_over_ && desktop_.SetWallpaperOnMonitors(wallpaper_path_, last_span_);
}

}  // namespace vistelle
