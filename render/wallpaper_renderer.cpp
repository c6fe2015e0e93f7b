#include "render/wallpaper_renderer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/file_io.h"
#include "base/paths.h"
#include "image/image_codecs.h"
#include "image/row_pipeline.h"
#include "image/exif_tags.h"
#include "render/caption.h"
#include "render/caption_text.h"
#include "render/composition.h"
#include "render/monitor_settings.h"
#include "render/placement_sink.h"
#include "image/preview_image.h"

namespace vistelle {

WallpaperRenderer::WallpaperRenderer(std::string program_dir, Desktop& desktop, const TConfig& settings)
    : program_dir_(std::move(program_dir)),
      desktop_(desktop),
      settings_(settings),
      wallpaper_path_(JoinPath(program_dir_, kWallpaperName)) {
  // The placeholder keeps the preview from being empty before the first
  // picture loads; without it the current picture simply stays empty.
  LoadPreview(JoinPath(program_dir_, kPlaceholder));
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

DecodeTarget WallpaperRenderer::ScreenTarget(std::uint32_t width, std::uint32_t height, int position) {
  // Fill and fit scale the picture to the screen, so a large photo need not
  // be decoded in full; the other positions place it pixel for pixel.
  if (position != kPositionFill && position != kPositionFit) return DecodeTarget();
  return DecodeTarget{width, height, position == kPositionFill};
}

DecodeTarget WallpaperRenderer::CompositionTarget() { return CompositionTarget(SpanLayout()); }

DecodeTarget WallpaperRenderer::CompositionTarget(const MonitorLayout& layout) {
  const int position = SettingsOfMonitor(settings_, layout, 0).position;
  if (position != kPositionFill && position != kPositionFit) return DecodeTarget();
  if (layout.Empty()) {
    const ScreenSize screen = desktop_.PrimaryScreenSize();
    return ScreenTarget(screen.width, screen.height, position);
  }
  if (settings_.monitor_mode == kMonitorModeEach)
    return ScreenTarget(layout.Primary().width, layout.Primary().height, position);
  // Scaled to a box at least as wide and as high as every monitor, the
  // picture is no smaller than any of them needs.
  std::uint32_t width = 0, height = 0;
  for (const Monitor& m : layout.Monitors()) {
    width = std::max(width, m.width);
    height = std::max(height, m.height);
  }
  return ScreenTarget(width, height, position);
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

DecodeAhead::Job WallpaperRenderer::OtherMonitorJob(const MonitorLayout& layout, std::size_t i,
                                                   const std::string& path) const {
  const Monitor& m = layout.Monitors()[i];
  const MonitorSettings look = SettingsOfMonitor(settings_, layout, i);
  DecodeAhead::Job job;
  job.path = path;
  job.target = ScreenTarget(m.width, m.height, look.position);
  job.width = m.width;
  job.height = m.height;
  job.position = look.position;
  job.background = look.background;
  return job;
}

void WallpaperRenderer::SetOtherMonitorPictures(std::vector<std::string> paths) {
  other_paths_ = std::move(paths);
  std::vector<DecodeAhead::Job> jobs;
  const MonitorLayout layout = SpanLayout();
  if (settings_.monitor_mode == kMonitorModeEach && !layout.Empty()) {
    for (std::size_t i = 0; i < other_paths_.size() && i + 1 < layout.Count(); ++i) {
      jobs.push_back(OtherMonitorJob(layout, i + 1, other_paths_[i]));
    }
  }
  ahead_.Start(std::move(jobs));
}

std::vector<ScreenSize> WallpaperRenderer::CurrentScreens(const MonitorLayout& layout) {
  if (layout.Empty()) return {desktop_.PrimaryScreenSize()};
  std::vector<ScreenSize> screens;
  for (const Monitor& m : layout.Monitors()) {
    screens.push_back({m.width, m.height});
    if (settings_.monitor_mode == kMonitorModeEach) break;
  }
  return screens;
}

bool WallpaperRenderer::PlaceCurrent(const std::vector<ScreenSize>& screens, const MonitorLayout& layout,
                                     const DecodeTarget& target, const std::string& path, RowSink* preview,
                                     bool to_file) {
  placed_for_.clear();
  effects_placed_ = false;
  stream_.Drop();
  canvases_.resize(screens.size());
  // Several screens show the current picture only in mode 1, where each has
  // the Options page's position; in mode 2 it is the primary's alone.
  const MonitorSettings look = SettingsOfMonitor(settings_, layout, 0);
  const int position = look.position;
  std::vector<PlacementSink> placements;
  placements.reserve(screens.size());
  std::vector<RowSink*> sinks;
  for (std::size_t i = 0; i < screens.size(); ++i) {
    // Every pixel is written: by the picture or by the background.
    if (!canvases_[i].CreateUninitialised(screens[i].width, screens[i].height)) return false;
    // Each stretched picture with alpha needs a scratch of its own.
    placements.emplace_back(canvases_[i], position, look.background, i == 0 ? &scratch_ : nullptr);
    sinks.push_back(&placements.back());
  }
  // The effects of the first canvas, composed first, go with its rows;
  // the other canvases get theirs after it, in turn, so that the noise
  // they draw comes in the same order.
  // Smart blur needs the whole canvas first, and only then the rest.
  const bool streams = !TEffects::WholeImageFirst(settings_) && !placements.empty();
  placing_effects_ = streams ? TEffects::ChainOf(settings_) : EffectChain();
  // A single canvas is the wallpaper itself: its rows go to the file once
  // the effects are done with them.
  const bool writes = streams && to_file && canvases_.size() == 1;
  if (writes) {
    stream_.Start(wallpaper_path_, canvases_[0]);
    placing_effects_.OnRowsMade([this](std::uint32_t rows) { stream_.RowsFinal(rows); });
  }
  const bool with_rows = streams && (writes || !placing_effects_.Empty());
  if (with_rows) {
    placing_effects_.Start(canvases_[0]);
    placements.front().EffectsAsPlaced(&placing_effects_);
  }
  if (preview != nullptr) sinks.push_back(preview);
  TeeSink all(std::move(sinks));
  bool placed = false;
  if (current_.IsValid()) {
    placed = FeedImage(current_, all) && all.Finish();
  } else if (!path.empty()) {
    // The canvases and the preview take their rows on a second thread
    // while the decoder goes on.
    RowPipeline piped(all);
    placed = DecodeImageFile(path, piped, target);
  }
  if (with_rows) {
    if (placed && placing_effects_.Finished()) {
      effects_placed_ = true;
      effects_placed_with_ = TEffects::SettingsOf(settings_);
    } else {
      placing_effects_.Cancel();
    }
  }
  placing_effects_.OnRowsMade(nullptr);
  if (!placed) stream_.Drop();
  if (!placed) return false;
  if (!placements.empty()) {
    decoded_width_ = placements.front().PictureWidth();
    decoded_height_ = placements.front().PictureHeight();
  }
  placed_for_ = screens;
  return true;
}

bool WallpaperRenderer::LoadCurrentPicture(const std::string& path, bool make_preview) {
  const MonitorLayout layout = SpanLayout();
  Image preview;
  PreviewSink preview_sink(preview_width_, preview_height_, preview);
  current_.Clear();
  if (!PlaceCurrent(CurrentScreens(layout), layout, CompositionTarget(layout), path,
                    make_preview ? &preview_sink : nullptr, layout.Empty())) {
    // No change follows: the pictures decoding ahead for it are not needed.
    ahead_.Drop();
    placed_for_.clear();
    return false;
  }
  current_path_ = path;
  if (make_preview) preview_.Swap(preview);
  return true;
}

bool WallpaperRenderer::LoadPreview(const std::string& path) {
  // Decoded at the smallest size that still covers the preview, straight
  // into it.
  Image preview;
  PreviewSink sink(preview_width_, preview_height_, preview);
  if (!DecodeImageFile(path, sink, DecodeTarget{preview_width_, preview_height_, true})) return false;
  ReleasePictures();
  current_path_ = path;
  preview_.Swap(preview);
  return true;
}

void WallpaperRenderer::SetPreviewSize(std::uint32_t width, std::uint32_t height) {
  if (width == preview_width_ && height == preview_height_ && preview_.IsValid() && !current_.IsValid()) return;
  preview_width_ = width;
  preview_height_ = height;
  if (current_.IsValid()) {
    MakePreviewImage(current_, width, height, preview_);
  } else if (!current_path_.empty()) {
    // A new size of window: the preview is made again from the file.
    Image preview;
    PreviewSink sink(width, height, preview);
    if (DecodeImageFile(current_path_, sink, DecodeTarget{width, height, true})) preview_.Swap(preview);
  }
}

void WallpaperRenderer::ReleasePictures() {
  current_.Clear();
  canvases_.clear();
  placed_for_.clear();
  canvas_.Clear();
  scratch_.Clear();
  span_.Clear();
  ahead_.Drop();
  effects_placed_ = false;
  stream_.Drop();
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

CaptionFields WallpaperRenderer::CaptionFieldsFor(const std::string& path) const {
  if (path.empty()) return CaptionFields();
  const std::string category = category_of_ ? category_of_(path) : std::string();
  return CaptionFieldsOf(path, category, ReadExifTagsFromFile(path));
}

std::string WallpaperRenderer::CaptionOf(const std::string& path) const {
  return path.empty() ? std::string() : CaptionText(settings_.caption_pattern, CaptionFieldsFor(path));
}

void WallpaperRenderer::FinishScreen(Image& canvas, bool with_calendar, const std::string& shown) {
  const bool placed_with_effects = effects_placed_ && !canvases_.empty() && &canvas == &canvases_[0];
  if (placed_with_effects)
    effects_placed_ = false;
  else
    effects_.ApplyConfigured(canvas, settings_);
  // The calendar and the caption lie on top of everything, effects
  // included; the caption tells of the picture the screen shows.
  const bool calendar = with_calendar && settings_.active_calendar;
  const bool caption = settings_.caption && !shown.empty();
  if (calendar) calendar_.Draw(canvas, settings_, program_dir_);
  if (caption) DrawCaption(canvas, CaptionOf(shown), CaptionLookOf(settings_));
  drawn_on_ = !placed_with_effects || calendar || caption;
}

const Image& WallpaperRenderer::ComposeCanvas(std::uint32_t width, std::uint32_t height) {
  const std::vector<ScreenSize> screens{{width, height}};
  const int position = settings_.sposob_wyswietlania;
  const bool placed =
      PlaceCurrent(screens, MonitorLayout(), ScreenTarget(width, height, position), current_path_, nullptr);
  if (!placed) {
    // Without a picture the canvas shows what it would around one.
    canvases_.resize(1);
    if (!canvases_[0].CreateUninitialised(width, height)) return canvases_[0];
    PlacementSink::FillBackground(canvases_[0], position, settings_.color_background);
  }
  placed_for_.clear();
  FinishScreen(canvases_[0], true, placed ? current_path_ : std::string());
  return canvases_[0];
}

bool WallpaperRenderer::PlaceFile(Image& canvas, const DecodeAhead::Job& job) {
  if (!canvas.CreateUninitialised(job.width, job.height)) return false;
  PlacementSink sink(canvas, job.position, job.background, &scratch_);
  return DecodeImageFile(job.path, sink, job.target);
}

const Image& WallpaperRenderer::ComposeSpan(const MonitorLayout& layout, bool current_placed) {
  failed_others_ = 0;
  const VirtualRect box = layout.Bounds();
  // Black where no monitor is.
  if (!span_.Create(static_cast<std::uint32_t>(box.width), static_cast<std::uint32_t>(box.height))) return span_;
  const bool each = settings_.monitor_mode == kMonitorModeEach;
  const CanvasRect primary = layout.InCanvas(0);
  const std::size_t count = layout.Count();
  // Monitor by monitor, the primary first. The current picture's canvases
  // are placed already; in mode 2 each other picture is given back as soon
  // as it is placed (the worker may meanwhile hold the next ones it has
  // decoded).
  for (std::size_t i = 0; i < count; ++i) {
    const Monitor& m = layout.Monitors()[i];
    Image* canvas = i < canvases_.size() ? &canvases_[i] : &canvas_;
    if (i == 0 || !each) {
      FinishScreen(*canvas, i == 0, i == 0 && current_placed ? current_path_ : std::string());
    } else {
      // The monitor's own picture, placed ahead or now; without one, or
      // when it does not load, the current picture decoded again for its
      // size; that gone meanwhile, the background.
      bool placed = false;
      std::string shown;
      if (i - 1 < other_paths_.size()) {
        const DecodeAhead::Job job = OtherMonitorJob(layout, i, other_paths_[i - 1]);
        switch (ahead_.Take(i - 1, job, canvas_)) {
          case DecodeAhead::Taken::kLoaded: placed = true; break;
          case DecodeAhead::Taken::kFailed: break;
          case DecodeAhead::Taken::kNotAhead: placed = PlaceFile(canvas_, job); break;
        }
        if (placed) shown = other_paths_[i - 1];
        if (!placed) ++failed_others_;
      }
      if (!placed && !current_path_.empty()) {
        placed = PlaceFile(canvas_, OtherMonitorJob(layout, i, current_path_));
        if (placed) shown = current_path_;
      }
      if (!placed) {
        if (!canvas_.CreateUninitialised(m.width, m.height)) continue;
        const MonitorSettings look = SettingsOfMonitor(settings_, layout, i);
        PlacementSink::FillBackground(canvas_, look.position, look.background);
      }
      FinishScreen(canvas_, false, shown);
    }
    if (canvas->IsValid()) CopyOnto(span_, *canvas, layout.InCanvas(i), i == 0 ? nullptr : &primary);
    // Each canvas is given back once it is on the span.
    if (canvas != &canvas_) canvas->Clear();
  }
  scratch_.Clear();
  return span_;
}

bool WallpaperRenderer::ComposeWallpaper() {
  const MonitorLayout layout = SpanLayout();
  const std::vector<ScreenSize> screens = CurrentScreens(layout);
  const auto same = [](const std::vector<ScreenSize>& a, const std::vector<ScreenSize>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](ScreenSize x, ScreenSize y) {
             return x.width == y.width && x.height == y.height;
           });
  };
  // Placed when the picture loaded, for the monitors as they were then; if
  // they changed since, or the picture was given back after the last
  // composition, it is decoded again from its file. Should that be gone
  // meanwhile, the canvas shows what it would with no picture: the
  // background and the calendar.
  const bool placed = (same(placed_for_, screens) && EffectsAsPlacedStillWanted()) ||
                      PlaceCurrent(screens, layout, CompositionTarget(layout), current_path_, nullptr, layout.Empty());
  if (!placed) {
    const MonitorSettings look = SettingsOfMonitor(settings_, layout, 0);
    canvases_.resize(screens.size());
    for (std::size_t i = 0; i < screens.size(); ++i)
      if (canvases_[i].CreateUninitialised(screens[i].width, screens[i].height))
        PlacementSink::FillBackground(canvases_[i], look.position, look.background);
  }
  placed_for_.clear();
  const bool span = !layout.Empty();
  const Image* canvas = &span_;
  if (span) {
    ComposeSpan(layout, placed);
  } else {
    failed_others_ = 0;
    FinishScreen(canvases_[0], true, placed ? current_path_ : std::string());
    canvas = &canvases_[0];
  }
  // The wallpaper can always be composed again, so it is not forced to the
  // disk; it still replaces the old file only once complete.
  bool done = canvas->IsValid();
  if (done) {
    // Written as it was placed, the file wants only the rows drawn on since;
    // should that fail, it is written whole.
    done = !span && stream_.Holds(*canvas) && stream_.Finish(false, drawn_on_);
    if (!done) done = canvas->Save(wallpaper_path_, false);
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
