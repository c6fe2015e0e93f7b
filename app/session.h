// Session: the program's state in one place, without a window. It owns the
// user's settings, the library as data, the rotation and the renderer, and
// every command of the program (the skin's buttons, the tray menu, the
// hotkeys, a click in a list) is a call on it that answers what the user is
// to be told and which views changed. The main window shows the session and
// sends it commands; it decides nothing itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/rotation.h"
#include "app/schedule.h"
#include "app/wallpaper_history.h"
#include "app/surroundings.h"
#include "base/folder_listing.h"
#include "base/user_messages.h"
#include "config/config.h"
#include "config/profile_file_replace.h"
#include "config/profile_store.h"
#include "library/background_scan.h"
#include "library/editing_commands.h"
#include "library/user_choices.h"
#include "library/wallpaper_library.h"
#include "render/desktop.h"
#include "render/wallpaper_renderer.h"

namespace vistelle {

// A file a save could not write, and the system's reason.
struct SaveFailure {
  std::string file;
  std::string reason;
};

// "Vistelle cannot save C:\...\pictora.txt: Access is denied." a line for
// each failure.
std::string SaveFailureText(const std::vector<SaveFailure>& failures);

class Session {
 public:
  // program_dir holds config.ini, pictora.txt, the Skin and Calendar
  // folders and the composed wallpaper; the desktop and the store must
  // outlive the session. Reads the settings; the library stays empty until
  // ReadLibrary.
  Session(std::string program_dir, Desktop& desktop, ProfileStore& store);

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Reads the library, shows the remembered category and previews the
  // remembered wallpaper (the placeholder for an empty category).
  Outcome ReadLibrary();

  // The wallpaper changes: the user's next, previous, selected and random
  // commands, the timer's change and the change at a start with the system.
  Outcome SetNextWallpaper() { return Changed(rotation_.SetNextWallpaper()); }
  Outcome SetPreviousWallpaper() { return Changed(rotation_.SetPreviousWallpaper()); }
  Outcome SetSelectedWallpaper() { return Changed(rotation_.SetSelectedWallpaper()); }
  Outcome SetRandomWallpaper() { return Changed(rotation_.SetRandomWallpaper()); }
  // The automatic changes draw from the category the schedule names now.
  Outcome ChangeAutomatically() {
    FollowSchedule();
    return Changed(rotation_.ChangeAutomatically());
  }
  // The wallpaper before or after the one on the desktop among those shown
  // lately (pictures gone meanwhile are passed over): manual changes that
  // move no position of the rotation. Nothing when there is none.
  Outcome ShowBack();
  Outcome ShowForward();
  const WallpaperHistory& History() const { return history_; }
  // Adds the picture on the desktop to the category "Favourites" (made, at
  // the end, when there is none); nothing when it is there already or no
  // picture is on the desktop.
  static constexpr const char* kFavourites = "Favourites";
  Outcome AddToFavourites();
  // "Never show this picture": after a question (unless the user stopped
  // it), the picture on the desktop leaves the category it came from (its
  // file stays) and the wallpaper changes to the next. UndoNeverShow puts
  // it back where it was, while the library has not been edited since.
  static constexpr const char* kNeverShowQuestion =
      "Vistelle will not show this picture again: it leaves its category (the file stays where it is). Go on?";
  Outcome NeverShow(UserChoices& choices);
  Outcome UndoNeverShow();
  bool CanUndoNeverShow() const;

  // Nothing while paused.
  Outcome ChangeAtStart() {
    FollowSchedule();
    return Paused() ? Outcome() : Changed(rotation_.ChangeAtStart());
  }
  // After a resume, an unlock or a restart of Explorer: a desktop that no
  // longer shows the wallpaper gets it again, handed over as it is, or
  // composed again when its file was replaced. True when it had lost it.
  bool KeepWallpaperShown();

  // One tick of the minute timer: true when the wallpaper is to change now,
  // as the interval falls due or as the schedule names another category
  // (once at each such boundary, whatever the interval and the change
  // mode). While paused the minutes are not counted. A change that falls due while
  // the surroundings ask it to wait is held, and comes once they no longer
  // do (HeldChangeMayCome), never as a burst.
  bool MinuteTick(const Surroundings& now = Surroundings());
  bool ChangeHeld() const { return change_held_; }
  // True, once, when a held change may come now.
  bool HeldChangeMayCome(const Surroundings& now);
  // The automatic changes stopped or going on again ("paused" in the
  // settings, so over a restart too); manual changes are never stopped.
  void SetPaused(bool paused);
  bool Paused() const { return settings_.paused != 0; }
  // The wallpaper on the desktop composed again for the monitors as they are
  // now; the preview and the countdown stay. False when nothing is on the
  // desktop yet.
  bool ComposeAgain();

  // Tells the rotation the category the schedule names now: the first rule
  // that holds, when its category is there and has pictures; else none
  // (the selected category). True when that differs from what it named at
  // the last look (not at the first).
  bool FollowSchedule();
  // The clock the schedule is read by (the system's local time unless set).
  void SetClock(std::function<LocalMoment()> clock) { clock_ = std::move(clock); }

  // A click in the category list: the category at position becomes current
  // and previews its first picture. Nothing for a position out of range.
  Outcome SelectCategory(std::int32_t position);
  // A click in the picture list: the picture at position is previewed and
  // selected. Nothing for a position with no picture.
  Outcome SelectPicture(std::int32_t position);

  // An editing command of the library (EditingCommands), then what every
  // edit asks of the rotation: a new round of the random changes.
  template <typename... Params, typename... Args>
  Outcome Edit(Outcome (EditingCommands::*command)(Params...), Args&&... args) {
    const Outcome outcome = (editing_.*command)(std::forward<Args>(args)...);
    rotation_.StartNewRound();
    if (outcome.views != 0) unsaved_ = true;
    ++edits_;
    return outcome;
  }

  // Files and folders dropped on the window, or a folder chosen
  // (BUTTON_FOLDERADD): their pictures are found on a thread of their own,
  // for the current category (kSelectCategoryToAdd without one); done is
  // called on that thread when they are, and FinishAdding then adds them.
  // One scan at a time: another one meanwhile is refused with a word.
  Outcome StartAdding(std::vector<std::string> paths, std::unique_ptr<FolderListing> listing,
                      std::function<void()> done);
  Outcome AddFolder(UserChoices& choices, std::unique_ptr<FolderListing> listing, std::function<void()> done);
  bool Adding() const { return scan_.Started(); }
  std::size_t AddingFound() const { return scan_.Found(); }
  void CancelAdding() { scan_.Cancel(); }
  // Waits for the scan (cancel it first to stop it now) and adds what it
  // found to the category it was started for, as an edit; the outcome's
  // status says what came of it. Nothing without a scan.
  Outcome FinishAdding();

  // The settings the sheet closed with: the fields the sheet edits are
  // taken, the others (the minute counter, the hotkeys) stay as they are
  // now, and the calendar's background follows. A changed caption is
  // composed into the wallpaper on the desktop at once.
  void ApplySheetSettings(const TConfig& edited);

  // Saves the settings alone (config.ini replaced in one step).
  std::vector<SaveFailure> SaveSettings();
  // Saves the settings and the library, as the close request does; the
  // files that could not be written, with the reasons.
  std::vector<SaveFailure> SaveAll();
  // Something to save: an edit of the library, a change of the selection or
  // of the wallpaper, new settings since the last save that wrote all (the
  // minute counter alone is nothing to save: it rides along).
  bool Unsaved() const { return unsaved_; }

  const TConfig& Settings() const { return settings_; }
  // For the hotkeys, the tests and the automation: the settings themselves.
  TConfig& MutableSettings() { return settings_; }
  const WallpaperLibrary& Library() const { return library_; }
  WallpaperLibrary& Library() { return library_; }
  Rotation& WallpaperRotation() { return rotation_; }
  WallpaperRenderer& Renderer() { return renderer_; }
  const std::string& ProgramDirectory() const { return program_dir_; }

  // The views: the minutes until the next change and the countdown's text,
  // the tray tip, and the preview.
  std::int64_t MinutesLeft() const;
  std::string CountdownText() const;
  std::string TrayTip() const;
  const Image& Preview() const { return renderer_.Preview(); }
  // What the caption of the picture on the desktop now is made from, for
  // the sheet's preview of it (all empty before the first change).
  CaptionFields DesktopCaptionFields() const { return renderer_.CaptionFieldsFor(rotation_.DesktopPicture()); }

 private:
  static TConfig LoadSettings(const std::string& program_dir, ProfileStore& store);
  // The views and the message of a change; a wallpaper file that could not
  // be written is told once, until it can be again.
  Outcome Changed(ChangeResult result, bool remembered = true);
  Outcome ShowFromHistory(std::string path);
  // Writes the settings (and with the library the selection and its file).
  std::vector<SaveFailure> Save(bool library);
  // Previews the current category's selected picture (the placeholder for
  // an empty category); a picture that does not load is told.
  Outcome PreviewSelected(unsigned views);

  std::string program_dir_;
  bool unsaved_ = false;
  bool change_held_ = false;
  bool wallpaper_error_told_ = false;
  bool schedule_known_ = false;
  bool schedule_change_owed_ = false;
  WallpaperHistory history_;
  // What "Undo never show" puts back, and the edit count it is good for.
  struct Removed {
    std::string category;
    std::int32_t position = 0;
    std::string path;
    std::uint64_t edits = 0;
  };
  std::optional<Removed> removed_;
  std::uint64_t edits_ = 0;  // edits of the library by the user
  bool history_unsaved_ = false;
  std::string scheduled_;  // the category the schedule named at the last look
  std::function<LocalMoment()> clock_;
  Desktop& desktop_;
  ReplacingProfileStore store_;
  TConfig settings_;
  WallpaperRenderer renderer_;
  WallpaperLibrary library_;
  Rotation rotation_;
  EditingCommands editing_;
  BackgroundScan scan_;
  EditingCommands::Held scanned_for_{-1, 0};
};

}  // namespace vistelle
