#include "app/session.h"

#include <algorithm>
#include <new>
#include <optional>
#include <tuple>

#include "app/countdown.h"
#include "app/local_clock.h"
#include "app/tray_tip.h"
#include "base/file_io.h"
#include "base/paths.h"
#include "image/picture_shape.h"
#include "render/monitor_settings.h"

namespace vistelle {

namespace {

constexpr const char* kConfigName = "config.ini";
constexpr const char* kNoMemoryForPreview = "There is not enough memory to show this picture.";

// What every change may have moved: the picture list refilled and its
// selection, the category selected, the preview and the wallpaper.
constexpr unsigned kChangeViews = kPictureList | kPictureSelection | kCategorySelection | kPreview | kWallpaper;

Notice NoticeOf(ChangeResult result) {
  switch (result) {
    case ChangeResult::kNoFileSelected:
      return Notice::Warning(Rotation::kSelectFile);
    case ChangeResult::kNoCategorySelected:
      return Notice::Warning(Rotation::kSelectCategory);
    case ChangeResult::kPictureMissing:
      return Notice::Error(Rotation::kErrorNoFile, Rotation::kErrorCaption);
    case ChangeResult::kOutOfMemory:
      return Notice::Error(Rotation::kOutOfMemoryText, Rotation::kErrorCaption);
    case ChangeResult::kChanged:
    case ChangeResult::kNothingToChange:
      break;
  }
  return Notice();
}

}  // namespace

std::string SaveFailureText(const std::vector<SaveFailure>& failures) {
  std::string text;
  for (const SaveFailure& failure : failures) {
    if (!text.empty()) text += "\r\n";
    std::string reason = failure.reason;
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    text += "Vistelle cannot save " + failure.file + ": " + reason + ".";
  }
  return text;
}

TConfig Session::LoadSettings(const std::string& program_dir, ProfileStore& store) {
  TConfig settings;
  settings.SetPath(JoinPath(program_dir, kConfigName));
  settings.Load(store);
  return settings;
}

Session::Session(std::string program_dir, Desktop& desktop, ProfileStore& store)
    : program_dir_(std::move(program_dir)),
      desktop_(desktop),
      store_(store),
      settings_(LoadSettings(program_dir_, store_)),
      renderer_(program_dir_, desktop_, settings_),
      library_(program_dir_, store_),
      rotation_(library_, settings_, renderer_),
      editing_(library_) {
  // A monitor that wants pictures of its own orientation learns a
  // picture's from its file's header, without decoding it.
  rotation_.SetShapeReader([](const std::string& path) {
    PictureShape shape;
    if (!ReadPictureShapeFromFile(path, shape)) return Rotation::kUnknownShape;
    return OrientationOf(shape.width, shape.height);
  });
  // The caption's {category}: the selected category when the picture is in
  // it, else the first that holds it.
  renderer_.SetCategoryOf([this](const std::string& path) {
    const auto holds = [&](std::int32_t c) {
      const auto& pictures = library_.CategoryAt(c).pictures;
      return std::find(pictures.begin(), pictures.end(), path) != pictures.end();
    };
    const std::int32_t count = library_.CategoryCount(), current = library_.currentCategory;
    if (current >= 0 && current < count && holds(current)) return library_.CategoryAt(current).name;
    for (std::int32_t c = 0; c < count; ++c)
      if (holds(c)) return library_.CategoryAt(c).name;
    return std::string();
  });
}

Outcome Session::ReadLibrary() {
  library_.Load();
  std::vector<std::uint8_t> history;
  if (ReadWholeFile(JoinPath(program_dir_, WallpaperHistory::kFileName), history, 1 << 20))
    history_.Parse(std::string_view(reinterpret_cast<const char*>(history.data()), history.size()));
  // The remembered wallpaper is where "Back" from the first change goes.
  if (history_.Paths().empty()) history_.Shown(rotation_.DesktopPicture());
  // The remembered wallpaper is on the desktop: a new round starts from it.
  rotation_.StartNewRound();
  if (library_.CurrentCategory() == nullptr) return Outcome(kBothLists | kPreview | kWallpaper);
  return PreviewSelected(kBothLists | kWallpaper);
}

Outcome Session::PreviewSelected(unsigned views) {
  const Category* category = library_.CurrentCategory();
  const std::int32_t selected = library_.selectedPicture;
  const bool picture = category != nullptr && selected >= 0 && selected < category->PictureCount();
  // Only the preview is wanted now; a change decodes the picture again.
  const std::string path =
      picture ? category->PictureAt(selected) : JoinPath(program_dir_, WallpaperRenderer::kPlaceholder);
  try {
    if (renderer_.LoadPreview(path)) return Outcome(views | kPreview);
  } catch (const std::bad_alloc&) {
    renderer_.ReleasePictures();
    return Outcome(views, Notice::Error(kNoMemoryForPreview, Rotation::kErrorCaption));
  }
  return Outcome(views | kPreview, Notice::Error(Rotation::kErrorNoFile, Rotation::kErrorCaption));
}

Outcome Session::Changed(ChangeResult result, bool remembered) {
  schedule_change_owed_ = false;
  Outcome outcome(kChangeViews, NoticeOf(result));
  if (result == ChangeResult::kChanged || result == ChangeResult::kPictureMissing) unsaved_ = true;
  if (result == ChangeResult::kChanged && remembered) {
    history_.Shown(rotation_.DesktopPicture());
    history_unsaved_ = true;
  }
  const std::string& error = renderer_.WallpaperWriteError();
  if (error.empty()) {
    wallpaper_error_told_ = false;
  } else if (!wallpaper_error_told_ && !outcome.notice) {
    wallpaper_error_told_ = true;
    outcome.notice = Notice::Error("Vistelle cannot write the wallpaper " + renderer_.WallpaperPath() + ": " + error,
                                   Rotation::kErrorCaption);
  }
  return outcome;
}

Outcome Session::ShowFromHistory(std::string path) {
  if (path.empty()) return Outcome();
  history_unsaved_ = true;
  return Changed(rotation_.ShowPicture(path), false);
}

Outcome Session::ShowBack() { return ShowFromHistory(history_.Back(FileExists)); }
Outcome Session::ShowForward() { return ShowFromHistory(history_.Forward(FileExists)); }

Outcome Session::AddToFavourites() {
  const std::string picture = rotation_.DesktopPicture();
  if (picture.empty()) return Outcome();
  std::int32_t favourites = library_.FindCategory(kFavourites);
  unsigned views = 0;
  if (favourites < 0) {
    Category made;
    made.name = kFavourites;
    library_.categories.push_back(std::move(made));
    library_.CategoriesChanged();
    favourites = library_.CategoryCount() - 1;
    views |= kCategoryList | kCategorySelection;
  }
  auto& pictures = library_.CategoryAt(favourites).pictures;
  if (std::find(pictures.begin(), pictures.end(), picture) != pictures.end()) return Outcome(views);
  pictures.push_back(picture);
  if (favourites == library_.currentCategory && library_.pictureListShown) views |= kPictureList | kPictureSelection;
  rotation_.StartNewRound();
  unsaved_ = true;
  ++edits_;
  return Outcome(views);
}

namespace {

// Where path stands in category c, or -1.
std::int32_t PositionIn(const WallpaperLibrary& library, std::int32_t c, const std::string& path) {
  if (c < 0 || c >= library.CategoryCount()) return -1;
  const auto& pictures = library.CategoryAt(c).pictures;
  const auto found = std::find(pictures.begin(), pictures.end(), path);
  return found == pictures.end() ? -1 : static_cast<std::int32_t>(found - pictures.begin());
}

// The positions in category c after the picture at position left it (step
// -1) or came back there (+1): those after it move with it. The rotation's
// last position at the picture that left moves to the one before, so that
// the next in sequence is the one after it.
void Shift(WallpaperLibrary& library, std::int32_t c, std::int32_t position, int step) {
  const auto moved = [&](std::int32_t at, bool last) {
    if (step < 0) return at > position || (last && at == position) ? at - 1 : at;
    return at >= position ? at + 1 : at;
  };
  if (c == library.currentCategory) {
    library.currentWallpaper = moved(library.currentWallpaper, true);
    library.selectedPicture = std::max(moved(library.selectedPicture, false), 0);
  }
  const auto other = library.otherPositions.find(library.CategoryAt(c).name);
  if (other != library.otherPositions.end()) other->second = moved(other->second, true);
}

}  // namespace

Outcome Session::NeverShow(UserChoices& choices) {
  if (rotation_.DesktopPicture().empty()) return Outcome();
  if (settings_.confirm_never_show) {
    bool stop_asking = false;
    if (choices.ConfirmOrStopAsking(kNeverShowQuestion, stop_asking) != Confirmation::kYes) return Outcome();
    if (stop_asking) {
      settings_.confirm_never_show = 0;
      unsaved_ = true;
    }
  }
  // Found after the answer: the library may have changed meanwhile. The
  // category it was drawn from, else the current one, else the first that
  // holds it.
  const std::string picture = rotation_.DesktopPicture();
  std::int32_t c = library_.FindCategory(rotation_.DesktopCategory());
  if (PositionIn(library_, c, picture) < 0) c = library_.currentCategory;
  for (std::int32_t i = 0; PositionIn(library_, c, picture) < 0 && i < library_.CategoryCount(); ++i) c = i;
  const std::int32_t position = PositionIn(library_, c, picture);
  if (position < 0) return Outcome();
  auto& pictures = library_.CategoryAt(c).pictures;
  pictures.erase(pictures.begin() + position);
  Shift(library_, c, position, -1);
  ++edits_;
  removed_ = Removed{library_.CategoryAt(c).name, position, picture, edits_};
  rotation_.StartNewRound();
  unsaved_ = true;
  Outcome outcome = ChangeAutomatically();
  outcome.views |= kBothLists;
  return outcome;
}

bool Session::CanUndoNeverShow() const {
  return removed_ && removed_->edits == edits_ && library_.FindCategory(removed_->category) >= 0;
}

Outcome Session::UndoNeverShow() {
  if (!CanUndoNeverShow()) return Outcome();
  const std::int32_t c = library_.FindCategory(removed_->category);
  auto& pictures = library_.CategoryAt(c).pictures;
  const std::int32_t position = std::min<std::int32_t>(removed_->position, static_cast<std::int32_t>(pictures.size()));
  pictures.insert(pictures.begin() + position, removed_->path);
  Shift(library_, c, position, +1);
  removed_.reset();
  rotation_.StartNewRound();
  unsaved_ = true;
  return Outcome(kBothLists);
}

bool Session::KeepWallpaperShown() {
  if (renderer_.WallpaperStillShown()) return false;
  if (renderer_.WallpaperFileUnchanged()) renderer_.HandOverAgain();
  else ComposeAgain();
  return true;
}

bool Session::FollowSchedule() {
  const ScreensAndTimes& screens = settings_.screens;
  std::int32_t category = -1;
  if (!screens.rules.empty()) {
    const std::int32_t rule = RuleInForce(screens.rules, screens.place, clock_ ? clock_() : LocalMomentNow());
    if (rule >= 0) category = library_.FindCategory(screens.rules[static_cast<std::size_t>(rule)].category);
    if (category >= 0 && library_.CategoryAt(category).PictureCount() == 0) category = -1;
  }
  rotation_.SetScheduledCategory(category);
  const std::string name = category >= 0 ? library_.CategoryAt(category).name : std::string();
  const bool changed = schedule_known_ && name != scheduled_;
  schedule_known_ = true;
  scheduled_ = name;
  return changed;
}

bool Session::MinuteTick(const Surroundings& now) {
  const bool boundary = FollowSchedule();
  if (Paused()) return false;
  // A boundary's change is owed until a change comes (one may be under way
  // now, and this tick's change then comes at the next).
  if (boundary) schedule_change_owed_ = true;
  const bool counted = vistelle::MinuteTick(settings_, rotation_.DrawingCategory() >= 0);
  const bool due = counted || schedule_change_owed_ || change_held_;
  if (!due) return false;
  change_held_ = ChangeWaits(now, settings_);
  return !change_held_;
}

bool Session::HeldChangeMayCome(const Surroundings& now) {
  if (!change_held_ || Paused()) return false;
  change_held_ = ChangeWaits(now, settings_);
  return !change_held_;
}

void Session::SetPaused(bool paused) {
  if (Paused() == paused) return;
  settings_.paused = paused ? 1 : 0;
  // A change held before the pause is not owed after it.
  change_held_ = false;
  unsaved_ = true;
}

bool Session::ComposeAgain() {
  // The wallpaper as it is, composed for the monitors as they are now; the
  // countdown goes on (this is no change of picture). The preview stays
  // the picture the user last clicked.
  const std::string wallpaper = rotation_.DesktopPicture();
  if (wallpaper.empty()) return false;
  const std::string previewed = renderer_.CurrentPicturePath();
  bool composed = false;
  try {
    if (renderer_.LoadCurrentPicture(wallpaper)) {
      renderer_.RefreshCalendarDate();
      composed = renderer_.ComposeWallpaper();
    }
    if (!previewed.empty() && previewed != wallpaper) renderer_.LoadPreview(previewed);
  } catch (const std::bad_alloc&) {
    // Not now: the wallpaper stays as the system has it.
    renderer_.ReleasePictures();
    composed = false;
  }
  return composed;
}

Outcome Session::SelectCategory(std::int32_t position) {
  if (position < 0 || position >= library_.CategoryCount()) return Outcome();
  library_.ShowCategory(position);
  rotation_.StartNewRound();
  unsaved_ = true;
  return PreviewSelected(kPictureList | kPictureSelection | kCategorySelection);
}

Outcome Session::SelectPicture(std::int32_t position) {
  const Category* category = library_.CurrentCategory();
  if (category == nullptr || position < 0 || position >= category->PictureCount()) return Outcome();
  library_.selectedPicture = position;
  return PreviewSelected(kPictureSelection);
}

namespace {

constexpr const char* kStillAdding = "Vistelle is still adding the pictures of the last folder.";

}  // namespace

Outcome Session::StartAdding(std::vector<std::string> paths, std::unique_ptr<FolderListing> listing,
                             std::function<void()> done) {
  if (paths.empty()) return Outcome();
  const Category* category = library_.CurrentCategory();
  if (category == nullptr) return Outcome::Told(Notice::Warning(EditingCommands::kSelectCategoryToAdd));
  if (Adding()) return Outcome::Told(Notice::Warning(kStillAdding));
  scanned_for_ = editing_.Hold();
  scan_.Start(std::move(listing), std::move(paths), category->pictures, std::move(done));
  return Outcome();
}

Outcome Session::AddFolder(UserChoices& choices, std::unique_ptr<FolderListing> listing, std::function<void()> done) {
  if (library_.CurrentCategory() == nullptr)
    return Outcome::Told(Notice::Warning(EditingCommands::kSelectCategoryToAdd));
  if (Adding()) return Outcome::Told(Notice::Warning(kStillAdding));
  const std::optional<std::string> folder = choices.ChooseFolder();
  if (!folder) return Outcome();
  return StartAdding({*folder}, std::move(listing), std::move(done));
}

Outcome Session::FinishAdding() {
  if (!Adding()) return Outcome();
  return Edit(&EditingCommands::AddFound, scanned_for_, scan_.Finish());
}

void Session::ApplySheetSettings(const TConfig& edited) {
  const auto caption = [](const TConfig& c) {
    return std::make_tuple(c.caption, c.caption_pattern, c.caption_position, c.caption_size, c.caption_r,
                           c.caption_g, c.caption_b, c.caption_shadow, c.caption_plate);
  };
  const bool caption_changed = caption(edited) != caption(settings_);
  CopySheetFields(edited, settings_);
  renderer_.LoadConfiguredCalendarBackground();
  unsaved_ = true;
  // A new caption shows at once on the wallpaper there is, as the desktop's
  // own settings do; the rest waits for the next change.
  if (caption_changed) ComposeAgain();
}

std::vector<SaveFailure> Session::SaveSettings() { return Save(false); }

std::vector<SaveFailure> Session::SaveAll() {
  std::vector<SaveFailure> failures = Save(true);
  if (failures.empty()) unsaved_ = false;
  return failures;
}

std::vector<SaveFailure> Session::Save(bool library) {
  std::vector<SaveFailure> failures;
  const std::string& config = settings_.Path();
  // config.ini takes every key in one step, or stays as it was; should no
  // copy of it be possible the keys go to it one by one.
  const bool staged = store_.Begin(config);
  std::string reason = staged ? std::string() : LastWriteError();
  bool written = settings_.Save(store_);
  if (library) {
    written = library_.SaveSelection() && written;
    std::string library_reason;
    if (!library_.SaveFile(&library_reason)) failures.push_back({library_.LibraryPath(), library_reason});
  }
  if (staged && !store_.Commit()) {
    written = false;
    reason = LastWriteError();
  }
  // The history is a convenience: a folder that takes no files loses it
  // silently (the box tells of config.ini and the library already).
  if (history_unsaved_) {
    const std::string text = history_.Serialize();
    if (WriteFileReplacing(JoinPath(program_dir_, WallpaperHistory::kFileName), text.data(), text.size()))
      history_unsaved_ = false;
  }
  if (!written) failures.insert(failures.begin(), {config, reason.empty() ? "it could not be written" : reason});
  return failures;
}

std::int64_t Session::MinutesLeft() const { return vistelle::MinutesLeft(settings_); }

std::string Session::CountdownText() const {
  return Paused() ? std::string("Changes are paused.") : vistelle::CountdownText(MinutesLeft());
}

std::string Session::TrayTip() const {
  return TrayTipText(rotation_.DesktopPicture(), settings_, library_.CurrentCategory() != nullptr);
}

}  // namespace vistelle
