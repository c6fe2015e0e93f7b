// WallpaperRenderer: the current picture, and the composition of the
// wallpaper from it. One exists for the whole run.
//
// The program runs for weeks in the tray, so between changes the renderer
// holds only what it needs: the path of the current picture and its small
// preview. A picture is never held whole: it is decoded straight onto the
// canvases (placement_sink.h), which are given back after every
// composition; the next composition decodes the picture again.
//
// With several monitors and monitor_mode 1 or 2 the wallpaper is one canvas
// across the bounding box of all monitors (black where none is). Each
// monitor's rectangle on it is composed as a screen of its own size would
// be: its background, its picture in the position, the effects; the
// calendar only on the primary monitor's, the caption on the primary's and
// on each picture of its own (render/caption.h). Mode 1 shows the current picture
// on every monitor, mode 2 the current one on the primary and pictures of
// their own on the others. On one monitor both give exactly what mode 0
// gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "config/config.h"
#include "render/calendar.h"
#include "render/caption_text.h"
#include "render/decode_ahead.h"
#include "render/desktop.h"
#include "render/effects.h"
#include "image/image.h"
#include "image/row_sink.h"
#include "render/monitor_layout.h"
#include "render/wallpaper_stream.h"

namespace vistelle {

class WallpaperRenderer {
 public:
  static constexpr const char* kPlaceholder = "Skin\\clear.jpg";
  static constexpr const char* kWallpaperName = "pictora.bmp";

  // program_dir holds the Skin and Calendar folders and the composed
  // wallpaper. The renderer composes with the settings as they stand at
  // each composition; they must outlive it. Reads the date for the
  // calendar, loads the placeholder picture (silently) and the calendar's
  // background picture.
  WallpaperRenderer(std::string program_dir, Desktop& desktop, const TConfig& settings);
  virtual ~WallpaperRenderer() = default;

  WallpaperRenderer(const WallpaperRenderer&) = delete;
  WallpaperRenderer& operator=(const WallpaperRenderer&) = delete;

  // The main window's preview size (173 x 136 unless set otherwise).
  static constexpr std::uint32_t kPreviewWidth = 173;
  static constexpr std::uint32_t kPreviewHeight = 136;

  // Makes the picture the current one: decodes it once, straight onto the
  // canvases of the wallpaper as the monitors are now (background and
  // picture, the rest comes in ComposeWallpaper), and makes its preview on
  // the way. False when it does not load: the current picture and the
  // preview then stay those of the picture before (nothing is shown; the
  // caller decides what to tell the user). Without make_preview the preview
  // stays as it was, and the rows no screen shows need not be decoded (the
  // command-line composer has no window).
  bool LoadCurrentPicture(const std::string& path, bool make_preview = true);

  // Makes the picture the current one for its preview alone: only the
  // preview is kept (the picture is decoded no larger than the preview
  // needs). False when it does not load, with everything as it was.
  bool LoadPreview(const std::string& path);

  // Composes the wallpaper from the current picture and the settings,
  // writes it to the wallpaper file and hands that file to the desktop,
  // then gives back the memory of the composition (ReleasePictures). The
  // desktop's monitors are asked anew each time, so a changed layout counts
  // from the next composition. False when there was nothing to compose, the
  // file could not be written or the desktop refused it.
  bool ComposeWallpaper();
  // Why the wallpaper's file could not be written in the last composition
  // that tried; empty once it could.
  const std::string& WallpaperWriteError() const { return write_error_; }
  // Whether the desktop still shows the wallpaper last composed (its file,
  // as it was written); nothing composed yet counts as shown.
  bool WallpaperStillShown();
  // Hands the wallpaper last composed to the desktop again, as it was.
  bool HandOverAgain();
  // Whether the file is still the one written (a program may have put
  // another picture in its place).
  bool WallpaperFileUnchanged() const;

  // Gives back the canvases, a picture held in memory and the resampling
  // memory; the preview and the picture's path stay. A later composition
  // decodes the picture again.
  void ReleasePictures();

  // The monitors the wallpaper is composed for when it spans them: the
  // desktop's layout now, in mode 1 or 2 with more than one monitor whose
  // bounding box one canvas can hold; otherwise empty (one canvas of the
  // primary's size).
  MonitorLayout SpanLayout();
  // How many monitors besides the primary show a picture of their own: in
  // mode 2 those of SpanLayout, otherwise none.
  std::size_t OtherMonitorCount();
  // The pictures of the other monitors in mode 2, in the layout's order
  // (after the primary: by left edge, then top edge). They are kept for
  // every later composition until set again. A monitor without one, or
  // whose picture does not load, shows the current picture. They start
  // decoding on a second thread at once, for the next composition (until
  // ReleasePictures, or a failed LoadCurrentPicture, gives them back).
  void SetOtherMonitorPictures(std::vector<std::string> paths);
  const std::vector<std::string>& OtherMonitorPictures() const { return other_paths_; }
  // How many of them did not load in the last composition.
  std::size_t FailedOtherPictures() const { return failed_others_; }

  // Reads the clock for the month calendar; the rotation calls it before
  // every composition so that the calendar shows the month of the change.
  void RefreshCalendarDate();

  // Loads the calendar's background picture: choice -1 the picture at path
  // (resized to 195 x 173), 0..2 a built-in one; any other choice keeps the
  // picture held.
  void LoadCalendarBackground(const std::string& path, int choice);
  // The same with the choice the settings make (after the settings change).
  void LoadConfiguredCalendarBackground();

  // The composition alone, on a canvas of the given size, from the picture
  // in CurrentPicture() or else from the current picture's file. The canvas
  // belongs to the renderer and stays until the next composition or
  // ReleasePictures, so that repeated compositions reuse its memory.
  const Image& ComposeCanvas(std::uint32_t width, std::uint32_t height);

  CalendarState& Calendar() { return calendar_; }

  // Names the category a picture is shown from, for the caption's
  // {category}; unset, or empty for a picture, there is none.
  void SetCategoryOf(std::function<std::string(const std::string& path)> category_of) {
    category_of_ = std::move(category_of);
  }
  // The caption the picture at path gets with the settings now (drawn only
  // while the caption is on): its pattern filled from the picture's name,
  // folder, category and EXIF tags.
  std::string CaptionOf(const std::string& path) const;
  // The fields that caption is filled from (all empty for no path).
  CaptionFields CaptionFieldsFor(const std::string& path) const;
  const TEffects& Effects() const { return effects_; }
  // A current picture held in memory (set by the caller; a picture loaded
  // from its file is never held whole): compositions place it rather than
  // decode the file. Empty after ReleasePictures.
  Image& CurrentPicture() { return current_; }
  const Image& CurrentPicture() const { return current_; }
  // The size the current picture was last decoded at (a JPEG may be
  // decoded at a fraction of its size).
  std::uint32_t DecodedWidth() const { return decoded_width_; }
  std::uint32_t DecodedHeight() const { return decoded_height_; }
  // Where the current picture came from; empty before the first load.
  const std::string& CurrentPicturePath() const { return current_path_; }
  // The current picture at the preview size, made when it loaded.
  const Image& Preview() const { return preview_; }
  void SetPreviewSize(std::uint32_t width, std::uint32_t height);
  const TConfig& Settings() const { return settings_; }
  const std::string& ProgramDir() const { return program_dir_; }

  // The composed wallpaper's file: the program folder's "pictora.bmp"
  // unless set otherwise (the command-line composer writes elsewhere).
  const std::string& WallpaperPath() const { return wallpaper_path_; }
  void SetWallpaperPath(const std::string& path) { wallpaper_path_ = path; }

 private:
  std::string program_dir_;
  Desktop& desktop_;
  const TConfig& settings_;
  Image current_;
  std::string current_path_;
  Image preview_;
  std::uint32_t preview_width_ = kPreviewWidth;
  std::uint32_t preview_height_ = kPreviewHeight;
  CalendarState calendar_;  // reads the date when built
  TEffects effects_;
  std::string wallpaper_path_;
  std::string write_error_;
  bool handed_over_ = false;  // a wallpaper was composed and handed over
  bool last_span_ = false;
  FileStamp written_;
  std::vector<std::string> other_paths_;
  DecodeAhead ahead_;  // the other monitors' pictures, decoding
  std::size_t failed_others_ = 0;
  std::function<std::string(const std::string&)> category_of_;
  std::uint32_t decoded_width_ = 0, decoded_height_ = 0;
  // Kept from a composition until ReleasePictures, so that compositions in
  // a row (the settings' previews, the benchmarks) reuse their memory:
  // a canvas for each monitor that shows the current picture (one without
  // a span layout), the other monitors' canvas and the span.
  std::vector<Image> canvases_;
  Image canvas_;
  Image scratch_;
  Image span_;
  // The screens the canvases hold the current picture for, placed but not
  // yet composed; empty when they hold nothing ready.
  std::vector<ScreenSize> placed_for_;
  // The first canvas's effects, run on its rows as they were placed (on the
  // thread that placed them) so that they take no time of their own;
  // effects_placed_ while the canvas holds them, with the settings they
  // were made with.
  EffectChain placing_effects_;
  // The wallpaper's file, written as the only canvas is placed, and whether
  // the last FinishScreen changed its canvas since.
  WallpaperStream stream_;
  bool drawn_on_ = true;
  bool effects_placed_ = false;
  TEffects::Settings effects_placed_with_{};
  bool EffectsAsPlacedStillWanted() const {
    return !effects_placed_ || effects_placed_with_ == TEffects::SettingsOf(settings_);
  }

  // The screens that show the current picture: the primary screen without
  // a span layout; in mode 1 every monitor, in mode 2 the primary.
  std::vector<ScreenSize> CurrentScreens(const MonitorLayout& layout);
  // Places the current picture (the one in memory, else the file's) on a
  // canvas of each size with its background; with a preview sink, makes
  // the preview in the same decode. False when the file does not decode,
  // with the canvases in no defined state.
  // The position and background are those of the layout's primary monitor.
  // With to_file, a single canvas also goes to the wallpaper's file as its
  // rows are done.
  bool PlaceCurrent(const std::vector<ScreenSize>& screens, const MonitorLayout& layout, const DecodeTarget& target,
                    const std::string& path, RowSink* preview, bool to_file = false);
  // What monitor i of the layout is placed with: the picture at path in its
  // position and background, decoded for its size.
  DecodeAhead::Job OtherMonitorJob(const MonitorLayout& layout, std::size_t i, const std::string& path) const;
  // The job done on this thread, onto canvas (made at the job's size).
  bool PlaceFile(Image& canvas, const DecodeAhead::Job& job);
  // The effects, with_calendar the calendar, and the caption of the picture
  // shown (none when empty) on a placed canvas.
  void FinishScreen(Image& canvas, bool with_calendar, const std::string& shown);
  // The wallpaper across the layout's monitors, in span_; current_placed
  // tells whether the primary's canvas shows the current picture.
  const Image& ComposeSpan(const MonitorLayout& layout, bool current_placed);
  // What the current picture is decoded for: in fill and fit the screen,
  // or with a span layout its primary monitor in mode 2 and a box as large
  // as each monitor in mode 1 (the picture serves them all).
  DecodeTarget CompositionTarget();
  DecodeTarget CompositionTarget(const MonitorLayout& layout);
  // What a picture is decoded for to be shown on a screen of that size in
  // that position.
  static DecodeTarget ScreenTarget(std::uint32_t width, std::uint32_t height, int position);
};

}  // namespace vistelle
