// The wallpaper rotation: which picture of the current category becomes the
// wallpaper, and the change itself. Every way of changing the wallpaper ends
// in SetWallpaperAt: the user's next, previous, set and random commands
// (manual), the timer and the change at start (automatic).
#pragma once

#include <cstdint>
#include <random>

#include "app/user_messages.h"
#include "library/wallpaper_library.h"

namespace vistelle {

class Rotation {
 public:
  static constexpr const char* kSelectFile = "Please select a file.";
  static constexpr const char* kSelectCategory = "Please select a category.";

  Rotation(WallpaperLibrary& library, UserMessages& messages);

  // Makes picture index of the current category the wallpaper. The index
  // wraps: below 0 it becomes the last picture, past the last the first.
  //  - manual: needs a selected item in the picture list (otherwise "Please
  //    select a file."); the list keeps its items and selects the index.
  //  - automatic: needs pictures in the current category (otherwise nothing
  //    happens, silently); both lists are brought in line with the change,
  //    the picture list refilled.
  // A picture that does not load is reported by the renderer and the change
  // goes on: the positions move to it and the wallpaper is composed again.
  // The minute counter is 0 afterwards in every case.
  void SetWallpaperAt(std::int32_t index, bool automatic = false);

  // The user's commands: the picture after, before and at the one selected.
  void SetNextWallpaper();
  void SetPreviousWallpaper();
  void SetSelectedWallpaper();

  // The index of an automatic change: the picture after the last wallpaper,
  // or with random selection a picture drawn at random (0 for an empty
  // category, where there is nothing to draw).
  std::int32_t AutomaticChoice();
  // An automatic change to the automatic choice (the timer's change).
  void ChangeAutomatically();
  // The change at a start with the system: only in change mode 0 and with a
  // category selected.
  void ChangeAtStart();
  // The random command: a random picture of the current category, manually.
  // "Please select a category." (owned by the main window) when no category
  // is selected; nothing for an empty category.
  void SetRandomWallpaper();

  // A position drawn uniformly below count (count > 0). The generator is
  // seeded from the C library's rand() at its first use, so the program's
  // srand at start decides the sequence, unless SeedRandom came first.
  std::int32_t DrawBelow(std::int32_t count);
  void SeedRandom(std::uint64_t seed);

 private:
  void ResetMinuteCounter();

  WallpaperLibrary& library_;
  UserMessages& messages_;
  std::mt19937_64 random_;
  bool seeded_ = false;
};

}  // namespace vistelle
