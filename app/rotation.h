// The wallpaper rotation: which picture of the current category becomes the
// wallpaper, and the change itself. Every way of changing the wallpaper ends
// in SetWallpaperAt: the user's next, previous, set and random commands
// (manual), the timer and the change at start (automatic).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/shuffle_round.h"
#include "config/config.h"
#include "library/wallpaper_library.h"
#include "render/wallpaper_renderer.h"

namespace vistelle {

// What a wallpaper change came to. The rotation tells no one; the session
// says what belongs to the result.
enum class ChangeResult {
  kChanged,             // the picture is the wallpaper now
  kNothingToChange,     // an empty category: nothing happens, silently
  kNoFileSelected,      // a manual change with no picture selected
  kNoCategorySelected,  // the random command with no category selected
  kPictureMissing,      // the picture did not load; the positions moved on
  kOutOfMemory,         // not enough memory for the picture: nothing changed
};

class Rotation {
 public:
  // The messages of the results above, as the main window shows them.
  static constexpr const char* kSelectFile = "Please select a file.";
  static constexpr const char* kSelectCategory = "Please select a category.";
  static constexpr const char* kErrorNoFile = "Error. The file doesn't exist.";
  static constexpr const char* kErrorCaption = "Vistelle";
  static constexpr const char* kOutOfMemoryText =
      "There is not enough memory for this picture. The wallpaper stays as it was.";

  // The rotation draws from the library, composes with the renderer and
  // sets the settings' minute counter back; all three must outlive it.
  Rotation(WallpaperLibrary& library, TConfig& settings, WallpaperRenderer& renderer);

  // Makes picture index of the current category the wallpaper. The index
  // wraps: below 0 it becomes the last picture, past the last the first.
  //  - manual: needs a selected item in the picture list (otherwise
  //    kNoFileSelected); the list keeps its items and selects the index.
  //  - automatic: needs pictures in the current category (otherwise
  //    kNothingToChange); the picture list shows the category again (it may
  //    have been emptied by "clear") with the index selected.
  // A picture that does not load does not stop the change (kPictureMissing):
  // the positions move to it and the wallpaper is composed again from the
  // picture before it. The minute counter is 0 afterwards in every case.
  ChangeResult SetWallpaperAt(std::int32_t index, bool automatic = false);

  // Makes the picture at path the wallpaper as a manual change that moves
  // no position ("Back" and "Forward"); the other monitors keep theirs.
  // kPictureMissing, with nothing changed, when it does not load.
  ChangeResult ShowPicture(const std::string& path);

  // The user's commands: the picture after, before and at the one selected.
  ChangeResult SetNextWallpaper();
  ChangeResult SetPreviousWallpaper();
  ChangeResult SetSelectedWallpaper();

  // The index of an automatic change in the category it draws from: the
  // picture after the last wallpaper drawn from it, or with random
  // selection a picture drawn at random (0 for an empty category, where
  // there is nothing to draw). With no repeats the drawn picture counts as
  // shown in the round. A primary monitor that takes pictures of its own
  // orientation gets the first that matches of the next kShapeTries.
  std::int32_t AutomaticChoice();

  // The category a rule of the schedule names now (its position in the
  // library), -1 for none. While there is one, the automatic changes draw
  // from it rather than from the current category; the lists, the
  // selection and the current category's positions stay the user's, and
  // its own position is kept in the library's otherPositions.
  void SetScheduledCategory(std::int32_t position) { scheduled_ = position; }
  // The category the automatic changes draw from: the scheduled one, else
  // the current one (-1 for none).
  std::int32_t DrawingCategory() const;

  // How a picture's orientation is found without decoding it: +1 taller
  // than wide, -1 wider than tall, 0 square, kUnknownShape when the file
  // does not tell.
  using ShapeReader = std::function<int(const std::string& path)>;
  static constexpr int kUnknownShape = 2;
  // How many pictures are looked at for one of the right orientation
  // before the first of them is taken all the same.
  static constexpr int kShapeTries = 16;
  void SetShapeReader(ShapeReader reader) { shape_of_ = std::move(reader); }
  // An automatic change to the automatic choice (the timer's change).
  ChangeResult ChangeAutomatically();
  // The change at a start with the system: only in change mode 0 and with a
  // category selected (otherwise kNothingToChange).
  ChangeResult ChangeAtStart();
  // The random command: a random picture of the current category, manually.
  // kNoCategorySelected when no category is selected; nothing for an empty
  // category.
  ChangeResult SetRandomWallpaper();

  // No repeats: with random selection and no_repeat on, the automatic
  // change and the random command draw among the current category's
  // pictures not yet shown in this round (see ShuffleRound), and every
  // change, manual ones included, counts its picture as shown. The first
  // pick of a round, and every other, is never the picture on the desktop
  // while another is left. Without no repeats every draw is DrawBelow's.
  bool NoRepeats() const;
  // Begins a new round at the next pick. The main window calls it once the
  // library is loaded (the rotation then takes the remembered wallpaper for
  // the picture on the desktop, not shown in the new round), and after a
  // change of category or an edit of the current category's pictures. A
  // change it is not told of is found at the next pick all the same when
  // the category's position or pictures differ.
  void StartNewRound();
  // The path of the picture on the desktop as far as the rotation knows:
  // the last it made the wallpaper in this run, before that the remembered
  // wallpaper of the library (the current category's current wallpaper when
  // the rotation first looked); empty when there is none.
  std::string DesktopPicture() const;
  // The name of the category the rotation last drew the picture on the
  // desktop from; empty when it came from elsewhere ("Back", the start).
  const std::string& DesktopCategory() const { return desktop_category_; }

  // A position drawn uniformly below count (count > 0). The generator is
  // seeded from the C library's rand() at its first use, so the program's
  // srand at start decides the sequence, unless SeedRandom came first.
  std::int32_t DrawBelow(std::int32_t count);
  void SeedRandom(std::uint64_t seed);

  // The pictures of the monitors besides the primary (count of them, in the
  // layout's order), when the primary shows picture index of category from.
  // A monitor that follows the main rotation gets the pictures after it in
  // list order, wrapping; with random selection ones drawn at random, none
  // the primary's and none twice while the category has others left. A
  // monitor with a category of its own gets that category's next picture,
  // in sequence or at random (from its round with no repeats). A monitor
  // that takes pictures of its own orientation gets the first that matches
  // of up to kShapeTries of those. The positions of the own categories are
  // written to positions (the library's otherPositions once the change is
  // made).
  std::vector<std::string> OtherMonitorPictures(std::int32_t from, std::int32_t index, std::size_t count,
                                                std::map<std::string, std::int32_t>& positions);

 private:
  // The change to picture index of category from (SetWallpaperAt's for the
  // current category; for another one the selection stays).
  ChangeResult ChangeTo(std::int32_t from, std::int32_t index, bool automatic);
  void ResetMinuteCounter();
  // A random position in category from (with pictures): from its round
  // with no repeats, else DrawBelow's; with accept, as ShuffleRound::Pick.
  std::int32_t RandomChoice(std::int32_t from, const ShuffleRound::Accept& accept = nullptr);
  // The round of random changes of category from.
  ShuffleRound& RoundOf(std::int32_t from) { return rounds_[from]; }
  // The picture after position after in category (with pictures),
  // wrapping: with an orientation, the first of the next kShapeTries that
  // has it, never skip (-1: none); else, or when none has it, the next.
  std::int32_t NextInOrder(const Category& category, std::int64_t after, int orientation, std::int32_t skip) const;
  // Whether the picture has the orientation (0: any does).
  bool Matches(const std::string& path, int orientation) const;
  // The position of the last wallpaper drawn from category from (-1 when
  // none was yet: its first picture comes next).
  std::int32_t LastPositionIn(std::int32_t from) const;
  // The remembered wallpaper as the picture on the desktop, at the
  // rotation's first look at the library.
  void LearnStartPicture();

  WallpaperLibrary& library_;
  TConfig& settings_;
  WallpaperRenderer& renderer_;
  std::mt19937_64 random_;
  bool seeded_ = false;
  std::map<std::int32_t, ShuffleRound> rounds_;
  std::int32_t scheduled_ = -1;
  ShapeReader shape_of_;
  std::string desktop_path_;
  std::string desktop_category_;
  bool desktop_known_ = false;
};

}  // namespace vistelle
