#include "app/rotation.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

#include "render/monitor_settings.h"

namespace vistelle {

namespace {

// The index taken as a position among count pictures: one before the first
// is the last, one past the last (or anything beyond) the first. An empty
// category gives 0.
std::int32_t Wrap(std::int64_t index, std::int32_t count) {
  if (index < 0) index = static_cast<std::int64_t>(count) - 1;
  if (index < 0 || index >= count) index = 0;
  return static_cast<std::int32_t>(index);
}

}  // namespace

Rotation::Rotation(WallpaperLibrary& library, TConfig& settings, WallpaperRenderer& renderer)
    : library_(library), settings_(settings), renderer_(renderer) {}

void Rotation::ResetMinuteCounter() { settings_.second_counter = 0; }

ChangeResult Rotation::SetWallpaperAt(std::int32_t index, bool automatic) {
  return ChangeTo(library_.currentCategory, index, automatic);
}

std::int32_t Rotation::DrawingCategory() const {
  if (scheduled_ >= 0 && scheduled_ < library_.CategoryCount()) return scheduled_;
  return library_.CurrentCategory() ? library_.currentCategory : -1;
}

std::int32_t Rotation::LastPositionIn(std::int32_t from) const {
  if (from == library_.currentCategory) return library_.currentWallpaper;
  const auto found = library_.otherPositions.find(library_.CategoryAt(from).name);
  return found == library_.otherPositions.end() ? -1 : found->second;
}

bool Rotation::Matches(const std::string& path, int orientation) const {
  if (orientation == 0) return true;
  const int shape = shape_of_ ? shape_of_(path) : kUnknownShape;
  return shape == 0 || shape == orientation;
}

ChangeResult Rotation::ChangeTo(std::int32_t from, std::int32_t index, bool automatic) {
  const bool current = from == library_.currentCategory;
  const Category* category = from >= 0 && from < library_.CategoryCount() ? &library_.CategoryAt(from) : nullptr;
  const std::int32_t count = category ? category->PictureCount() : 0;
  if (!automatic && library_.PictureListSelection() == -1) {
    ResetMinuteCounter();
    return ChangeResult::kNoFileSelected;
  }
  // A manual change comes from the picture list, which then shows the
  // current category's pictures; should it not, there is still nothing to
  // change to.
  if (count == 0) {
    ResetMinuteCounter();
    return ChangeResult::kNothingToChange;
  }
  index = Wrap(index, count);

  WallpaperRenderer& renderer = renderer_;
  // With a picture for each monitor, the others show the pictures that
  // follow; the positions follow the primary monitor's. Set first, they
  // decode while the primary's picture does.
  const std::size_t others = renderer.OtherMonitorCount();
  std::vector<std::string> before = renderer.OtherMonitorPictures();
  std::map<std::string, std::int32_t> positions = library_.otherPositions;
  renderer.SetOtherMonitorPictures(others ? OtherMonitorPictures(from, index, others, positions)
                                          : std::vector<std::string>());
  // A picture too large for the memory left skips the change: nothing
  // moves, and the program goes on.
  const auto skip = [&] {
    renderer.SetOtherMonitorPictures(std::move(before));
    renderer.ReleasePictures();
    ResetMinuteCounter();
    return ChangeResult::kOutOfMemory;
  };
  bool loaded = false;
  try {
    loaded = renderer.LoadCurrentPicture(category->PictureAt(index));
  } catch (const std::bad_alloc&) {
    return skip();
  }
  // Without the primary's picture nothing changes, on the other monitors
  // neither.
  if (!loaded) renderer.SetOtherMonitorPictures(std::vector<std::string>(before));
  // A picture that did not load leaves the one before it on the desktop;
  // in the round it counts as shown all the same, to be tried again only in
  // the next one.
  const std::string desktop_before = desktop_path_;
  const bool known_before = desktop_known_;
  const std::int32_t selected_before = library_.selectedPicture, wallpaper_before = library_.currentWallpaper;
  desktop_known_ = true;
  const std::string category_before = desktop_category_;
  if (loaded) {
    desktop_path_ = category->PictureAt(index);
    desktop_category_ = category->name;
  }
  if (NoRepeats()) {
    RoundOf(from).Follow(from, category->pictures);
    RoundOf(from).MarkShown(index);
  } else {
    RoundOf(from).Restart();
  }
  // The monitors' own categories move on only with the primary.
  std::map<std::string, std::int32_t> positions_before = library_.otherPositions;
  if (loaded) library_.otherPositions = std::move(positions);
  if (current) {
    library_.selectedPicture = index;
    library_.currentWallpaper = index;
  } else {
    library_.otherPositions[category->name] = index;
  }
  renderer.RefreshCalendarDate();
  try {
    renderer.ComposeWallpaper();
  } catch (const std::bad_alloc&) {
    desktop_path_ = desktop_before;
    desktop_category_ = category_before;
    desktop_known_ = known_before;
    library_.selectedPicture = selected_before;
    library_.currentWallpaper = wallpaper_before;
    library_.otherPositions = std::move(positions_before);
    return skip();
  }

  // The picture list may have been emptied ("clear list"); an automatic
  // change shows the category again (a manual one came from the list).
  if (automatic && current) library_.pictureListShown = true;
  ResetMinuteCounter();
  return loaded ? ChangeResult::kChanged : ChangeResult::kPictureMissing;
}

ChangeResult Rotation::ShowPicture(const std::string& path) {
  ResetMinuteCounter();
  try {
    if (!renderer_.LoadCurrentPicture(path)) return ChangeResult::kPictureMissing;
    renderer_.RefreshCalendarDate();
    renderer_.ComposeWallpaper();
  } catch (const std::bad_alloc&) {
    renderer_.ReleasePictures();
    return ChangeResult::kOutOfMemory;
  }
  desktop_path_ = path;
  desktop_category_.clear();
  desktop_known_ = true;
  return ChangeResult::kChanged;
}

// Past the largest position is past the last picture, and before the
// smallest one before the first: the wrapping takes care of both.
ChangeResult Rotation::SetNextWallpaper() {
  const std::int32_t selected = library_.selectedPicture;
  return SetWallpaperAt(selected < std::numeric_limits<std::int32_t>::max() ? selected + 1 : selected);
}

ChangeResult Rotation::SetPreviousWallpaper() {
  const std::int32_t selected = library_.selectedPicture;
  return SetWallpaperAt(selected > std::numeric_limits<std::int32_t>::min() ? selected - 1 : selected);
}

ChangeResult Rotation::SetSelectedWallpaper() { return SetWallpaperAt(library_.selectedPicture); }

std::int32_t Rotation::AutomaticChoice() {
  const std::int32_t from = DrawingCategory();
  if (from < 0) return 0;
  const Category& category = library_.CategoryAt(from);
  const std::int32_t count = category.PictureCount();
  if (count == 0) return 0;
  const MonitorSettings primary = SettingsOfMonitor(settings_, renderer_.SpanLayout(), 0);
  const int orientation = primary.match_orientation ? primary.orientation : 0;
  if (settings_.sposob_wybierania != 0) {
    const auto accept = [&](std::int32_t position) { return Matches(category.PictureAt(position), orientation); };
    return RandomChoice(from, orientation != 0 ? ShuffleRound::Accept(accept) : nullptr);
  }
  return NextInOrder(category, LastPositionIn(from), orientation, -1);
}

std::int32_t Rotation::NextInOrder(const Category& category, std::int64_t after, int orientation,
                                   std::int32_t skip) const {
  const std::int32_t count = category.PictureCount();
  const std::int32_t tries = std::min<std::int32_t>(kShapeTries, skip >= 0 ? count - 1 : count);
  for (std::int32_t t = 1; orientation != 0 && t <= tries; ++t) {
    const std::int32_t candidate = Wrap(after + t, count);
    if (candidate != skip && Matches(category.PictureAt(candidate), orientation)) return candidate;
  }
  return Wrap(after + 1, count);
}

ChangeResult Rotation::ChangeAutomatically() {
  const std::int32_t choice = AutomaticChoice();
  return ChangeTo(DrawingCategory(), choice, true);
}

ChangeResult Rotation::ChangeAtStart() {
  if (settings_.zmiana_tapety_co != 0) return ChangeResult::kNothingToChange;
  if (DrawingCategory() < 0) return ChangeResult::kNothingToChange;
  return ChangeAutomatically();
}

ChangeResult Rotation::SetRandomWallpaper() {
  if (library_.CurrentCategory() == nullptr) return ChangeResult::kNoCategorySelected;
  const std::int32_t count = library_.CurrentPictureCount();
  if (count == 0) return ChangeResult::kNothingToChange;
  // A change that cannot happen takes nothing out of the round.
  if (NoRepeats() && library_.PictureListSelection() == -1) return SetWallpaperAt(0);
  return SetWallpaperAt(RandomChoice(library_.currentCategory));
}

bool Rotation::NoRepeats() const {
  const TConfig& settings = settings_;
  return settings.sposob_wybierania != 0 && settings.no_repeat != 0;
}

void Rotation::StartNewRound() {
  LearnStartPicture();
  rounds_.clear();
}

void Rotation::LearnStartPicture() {
  if (desktop_known_) return;
  desktop_path_ = DesktopPicture();
  desktop_known_ = true;
}

std::string Rotation::DesktopPicture() const {
  if (desktop_known_) return desktop_path_;
  const Category* category = library_.CurrentCategory();
  const std::int32_t wallpaper = library_.currentWallpaper;
  if (category == nullptr || wallpaper < 0 || wallpaper >= category->PictureCount()) return std::string();
  return category->PictureAt(wallpaper);
}

std::int32_t Rotation::RandomChoice(std::int32_t from, const ShuffleRound::Accept& accept) {
  const Category& category = library_.CategoryAt(from);
  const std::int32_t count = category.PictureCount();
  if (!NoRepeats()) {
    RoundOf(from).Restart();
    const std::int32_t first = DrawBelow(count);
    for (int t = 1; accept && t < kShapeTries; ++t) {
      if (accept(first)) break;
      const std::int32_t another = DrawBelow(count);
      if (accept(another)) return another;
    }
    return first;
  }
  LearnStartPicture();
  ShuffleRound& round = RoundOf(from);
  round.Follow(from, category.pictures);
  return round.Pick(category.pictures, desktop_path_.empty() ? nullptr : &desktop_path_,
                    [this](std::int32_t n) { return DrawBelow(n); }, accept, kShapeTries);
}

void Rotation::SeedRandom(std::uint64_t seed) {
  random_.seed(seed);
  seeded_ = true;
}

std::vector<std::string> Rotation::OtherMonitorPictures(std::int32_t from, std::int32_t index, std::size_t count,
                                                       std::map<std::string, std::int32_t>& positions) {
  std::vector<std::string> paths;
  const Category& category = library_.CategoryAt(from);
  const std::int32_t pictures = category.PictureCount();
  if (pictures == 0) return paths;
  index = Wrap(index, pictures);
  const bool random = settings_.sposob_wybierania != 0;
  const MonitorLayout layout = renderer_.SpanLayout();
  std::vector<std::int32_t> drawn;  // since every other picture was last shown
  std::int64_t next = index;        // the last picture that followed the primary's in sequence
  for (std::size_t k = 1; k <= count; ++k) {
    const MonitorSettings monitor = SettingsOfMonitor(settings_, layout, k);
    const int orientation = monitor.match_orientation ? monitor.orientation : 0;
    const std::int32_t own = monitor.category.empty() ? -1 : library_.FindCategory(monitor.category);
    if (own >= 0 && own != from && library_.CategoryAt(own).PictureCount() > 0) {
      // Its own category, at its own position.
      const Category& mine = library_.CategoryAt(own);
      const auto accept = [&](std::int32_t p) { return Matches(mine.PictureAt(p), orientation); };
      const auto at = positions.find(mine.name);
      const std::int32_t chosen =
          random ? RandomChoice(own, orientation != 0 ? ShuffleRound::Accept(accept) : nullptr)
                 : NextInOrder(mine, at == positions.end() ? -1 : at->second, orientation, -1);
      positions[mine.name] = chosen;
      paths.push_back(mine.PictureAt(chosen));
      continue;
    }
    const auto accept = [&](std::int32_t p) { return Matches(category.PictureAt(p), orientation); };
    std::int32_t chosen = 0;
    if (!random || pictures == 1) {
      chosen = NextInOrder(category, next, orientation, index);
    } else {
      if (drawn.size() == static_cast<std::size_t>(pictures) - 1) drawn.clear();
      // Any picture but the primary's, drawn again while it was drawn
      // before; of the right orientation while tries are left.
      for (int tries = 0;; ++tries) {
        chosen = DrawBelow(pictures - 1);
        if (chosen >= index) ++chosen;
        if (std::find(drawn.begin(), drawn.end(), chosen) != drawn.end()) continue;
        if (tries < kShapeTries && !accept(chosen)) continue;
        break;
      }
      drawn.push_back(chosen);
    }
    if (!random) next = chosen;
    paths.push_back(category.PictureAt(chosen));
  }
  return paths;
}

std::int32_t Rotation::DrawBelow(std::int32_t count) {
  if (count <= 1) return 0;
  if (!seeded_) {
    // rand() gives at least 15 bits a call.
    std::uint64_t seed = 0;
    for (int i = 0; i < 5; ++i) seed = (seed << 15) ^ static_cast<std::uint64_t>(std::rand() & 0x7FFF);
    SeedRandom(seed);
  }
  // Values below the threshold would make the small positions more likely
  // than the large ones; they are drawn again.
  const auto n = static_cast<std::uint64_t>(count);
  const std::uint64_t threshold = (0 - n) % n;  // 2^64 mod n
  for (;;) {
    const std::uint64_t value = random_();
    if (value >= threshold) return static_cast<std::int32_t>(value % n);
  }
}

}  // namespace vistelle
