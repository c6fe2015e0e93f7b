#include "app/rotation.h"

#include <cstdlib>
#include <limits>

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

Rotation::Rotation(WallpaperLibrary& library) : library_(library) {}

void Rotation::ResetMinuteCounter() { library_.renderer.Settings().second_counter = 0; }

ChangeResult Rotation::SetWallpaperAt(std::int32_t index, bool automatic) {
  ListView& pictures = library_.PictureList();
  const Category* category = library_.CurrentCategory();
  const std::int32_t count = category ? category->PictureCount() : 0;
  if (!automatic && pictures.Selection() == -1) {
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

  WallpaperRenderer& renderer = library_.renderer;
  const bool loaded = renderer.LoadCurrentPicture(category->PictureAt(index));
  library_.selectedPicture = index;
  library_.currentWallpaper = index;
  renderer.RefreshCalendarDate();
  renderer.ComposeWallpaper();

  if (automatic) {
    // The picture list may have been emptied ("clear list") or may show
    // nothing at all; an automatic change shows the category again.
    library_.FillPictureList();
    pictures.Select(index);
    library_.CategoryList().Select(library_.currentCategory);
  } else {
    pictures.Select(index);
  }
  ResetMinuteCounter();
  return loaded ? ChangeResult::kChanged : ChangeResult::kPictureMissing;
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
  const std::int32_t count = library_.CurrentPictureCount();
  if (count == 0) return 0;
  if (library_.renderer.Settings().sposob_wybierania != 0) return DrawBelow(count);
  return Wrap(static_cast<std::int64_t>(library_.currentWallpaper) + 1, count);
}

ChangeResult Rotation::ChangeAutomatically() { return SetWallpaperAt(AutomaticChoice(), true); }

ChangeResult Rotation::ChangeAtStart() {
  if (library_.renderer.Settings().zmiana_tapety_co != 0) return ChangeResult::kNothingToChange;
  if (library_.CategoryList().Selection() == -1) return ChangeResult::kNothingToChange;
  return ChangeAutomatically();
}

ChangeResult Rotation::SetRandomWallpaper() {
  if (library_.CategoryList().Selection() == -1) return ChangeResult::kNoCategorySelected;
  const std::int32_t count = library_.CurrentPictureCount();
  if (count == 0) return ChangeResult::kNothingToChange;
  return SetWallpaperAt(DrawBelow(count));
}

void Rotation::SeedRandom(std::uint64_t seed) {
  random_.seed(seed);
  seeded_ = true;
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
