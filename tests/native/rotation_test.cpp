#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/rotation.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

using testing::LibraryFixture;

// A library of category 0 "Three" (pictures 0, 1, 2), category 1 "Empty"
// and category 2 "Gone" (pictures 20, a missing file, 22), loaded with the
// given remembered selection.
class RotationTest : public ::testing::Test {
 protected:
  void Load(int category, int wallpaper) {
    f.WriteLibrary("Three\r\n" + f.Picture(0) + "\r\n" + f.Picture(1) + "\r\n" + f.Picture(2) +
                   "\r\n\r\nEmpty\r\n\r\nGone\r\n" + f.Picture(20) + "\r\n" + f.dir.File("missing.bmp") + "\r\n" +
                   f.Picture(22));
    f.WriteSelection(category, wallpaper);
    session = f.MakeSession();
    library = &session->Library();
    rotation = &session->WallpaperRotation();
    Counter() = 7;
  }
  std::int32_t& Counter() { return session->MutableSettings().second_counter; }
  TConfig& Settings() { return session->MutableSettings(); }
  ColorRef Shown() const { return LibraryFixture::Shown(*session); }
  std::size_t Composed() const { return f.desktop.wallpapers.size(); }

  LibraryFixture f;
  std::unique_ptr<Session> session;
  WallpaperLibrary* library = nullptr;
  Rotation* rotation = nullptr;
};

TEST_F(RotationTest, NextAndPreviousWrapAtBothEndsAndTheListFollows) {
  Load(0, 2);
  ASSERT_EQ(library->PictureListSelection(), 2);
  EXPECT_EQ(rotation->SetNextWallpaper(), ChangeResult::kChanged);
  EXPECT_EQ(library->currentWallpaper, 0);
  EXPECT_EQ(library->selectedPicture, 0);
  EXPECT_EQ(library->PictureListSelection(), 0);
  EXPECT_EQ(Shown(), LibraryFixture::ColorOf(0));
  EXPECT_EQ(Composed(), 1u);
  EXPECT_EQ(Counter(), 0);

  Counter() = 3;
  rotation->SetPreviousWallpaper();
  EXPECT_EQ(library->currentWallpaper, 2);
  EXPECT_EQ(library->PictureListSelection(), 2);
  EXPECT_EQ(Shown(), LibraryFixture::ColorOf(2));
  EXPECT_EQ(Counter(), 0);

  // Far out of range in either direction: the last or the first picture.
  rotation->SetWallpaperAt(-40);
  EXPECT_EQ(library->currentWallpaper, 2);
  rotation->SetWallpaperAt(40);
  EXPECT_EQ(library->currentWallpaper, 0);
  EXPECT_EQ(Composed(), 4u);
  // The composed wallpaper is the program folder's pictora.bmp.
  EXPECT_EQ(f.desktop.wallpapers.back(), session->Renderer().WallpaperPath());
}

TEST_F(RotationTest, AManualChangeWithoutASelectedPictureOnlyWarns) {
  Load(0, 1);
  session->Edit(&EditingCommands::ClearPictureList);  // "clear list"
  EXPECT_EQ(rotation->SetNextWallpaper(), ChangeResult::kNoFileSelected);
  EXPECT_EQ(library->currentWallpaper, 1);
  EXPECT_EQ(Composed(), 0u);
  EXPECT_EQ(Counter(), 0);

  // An empty category has nothing to select either.
  session->SelectCategory(1);
  EXPECT_EQ(rotation->SetSelectedWallpaper(), ChangeResult::kNoFileSelected);
  EXPECT_EQ(Composed(), 0u);
}

TEST_F(RotationTest, AutomaticChangesGoOnFromTheLastWallpaperAlsoAcrossRuns) {
  Load(0, 2);
  library->selectedPicture = 0;  // the user's click in the list does not count
  EXPECT_EQ(rotation->AutomaticChoice(), 0);
  rotation->ChangeAutomatically();
  EXPECT_EQ(library->currentWallpaper, 0);
  rotation->ChangeAutomatically();
  EXPECT_EQ(library->currentWallpaper, 1);
  EXPECT_EQ(Shown(), LibraryFixture::ColorOf(1));
  ASSERT_TRUE(library->Save());

  // The next run starts where this one stopped.
  Load(0, 1);
  ASSERT_EQ(library->currentWallpaper, 1);
  rotation->ChangeAutomatically();
  EXPECT_EQ(library->currentWallpaper, 2);
  EXPECT_EQ(Shown(), LibraryFixture::ColorOf(2));
}

TEST_F(RotationTest, AnAutomaticChangeShowsTheCategoryAgain) {
  Load(0, 0);
  session->Edit(&EditingCommands::ClearPictureList);
  rotation->ChangeAutomatically();
  EXPECT_EQ(library->PictureListItems(), (std::vector<std::string>{"p0.bmp", "p1.bmp", "p2.bmp"}));
  EXPECT_EQ(library->PictureListSelection(), 1);
  EXPECT_EQ(library->CategoryListSelection(), 0);
  EXPECT_EQ(Counter(), 0);
}

TEST_F(RotationTest, AnAutomaticChangeInAnEmptyCategoryOnlyResetsTheCounter) {
  for (int order : {0, 1}) {
    Load(1, 0);
    Settings().sposob_wybierania = order;
    EXPECT_EQ(rotation->ChangeAutomatically(), ChangeResult::kNothingToChange);
    EXPECT_EQ(Composed(), 0u);
    EXPECT_EQ(Counter(), 0);
    EXPECT_EQ(library->currentWallpaper, 0);
  }
  // No category at all: the same.
  Load(-1, 0);
  rotation->ChangeAutomatically();
  EXPECT_EQ(Composed(), 0u);
  EXPECT_EQ(Counter(), 0);
}

TEST_F(RotationTest, AMissingPictureIsReportedAndTheRotationMovesOnPastIt) {
  Load(2, 0);
  EXPECT_EQ(rotation->ChangeAutomatically(), ChangeResult::kPictureMissing);
  EXPECT_EQ(library->currentWallpaper, 1);
  EXPECT_EQ(library->PictureListSelection(), 1);
  EXPECT_EQ(Composed(), 1u);  // composed from what the preview still holds
  EXPECT_EQ(Shown(), LibraryFixture::ColorOf(20));
  EXPECT_EQ(Counter(), 0);
  EXPECT_EQ(rotation->ChangeAutomatically(), ChangeResult::kChanged);
  EXPECT_EQ(library->currentWallpaper, 2);
  EXPECT_EQ(Shown(), LibraryFixture::ColorOf(22));
}

// Memory that cannot be had skips the change, whether the picture or the
// canvas takes it: nothing moves, nothing is handed to the desktop.
TEST_F(RotationTest, WithoutTheMemoryForAPictureTheChangeIsSkipped) {
  // 0: the picture's decode fails; 60: a 4x4 picture fits, the 8x6 canvas not.
  for (std::size_t limit : {std::size_t{0}, std::size_t{60}}) {
    Load(0, 1);
    const std::size_t composed = Composed();
    Image::LimitMemoryForTests(limit);
    const Outcome outcome = session->SetNextWallpaper();
    Image::LimitMemoryForTests(std::numeric_limits<std::size_t>::max());
    EXPECT_EQ(outcome.notice.kind, Notice::Kind::kError) << limit;
    EXPECT_EQ(outcome.notice.text, Rotation::kOutOfMemoryText);
    EXPECT_EQ(library->currentWallpaper, 1) << limit;
    EXPECT_EQ(library->selectedPicture, 1) << limit;
    EXPECT_EQ(Composed(), composed) << limit;
    EXPECT_EQ(Counter(), 0);
    EXPECT_EQ(rotation->DesktopPicture(), f.Picture(1));
    // And the program goes on.
    EXPECT_EQ(rotation->SetNextWallpaper(), ChangeResult::kChanged);
    EXPECT_EQ(library->currentWallpaper, 2);
  }
}

TEST_F(RotationTest, ChangeAtStartActsOnlyInChangeModeZeroWithACategorySelected) {
  Load(0, 0);
  Settings().zmiana_tapety_co = 1;
  EXPECT_EQ(rotation->ChangeAtStart(), ChangeResult::kNothingToChange);
  EXPECT_EQ(Composed(), 0u);
  EXPECT_EQ(Counter(), 7);

  Settings().zmiana_tapety_co = 0;
  rotation->ChangeAtStart();
  EXPECT_EQ(Composed(), 1u);
  EXPECT_EQ(library->currentWallpaper, 1);

  Load(-1, 0);
  rotation->ChangeAtStart();
  EXPECT_EQ(Composed(), 1u);
  EXPECT_EQ(Counter(), 7);
}

TEST_F(RotationTest, TheRandomCommandNeedsACategoryAndPictures) {
  Load(-1, 0);
  EXPECT_EQ(rotation->SetRandomWallpaper(), ChangeResult::kNoCategorySelected);
  EXPECT_EQ(Counter(), 7);

  Load(1, 0);
  EXPECT_EQ(rotation->SetRandomWallpaper(), ChangeResult::kNothingToChange);
  EXPECT_EQ(Composed(), 0u);
  EXPECT_EQ(Counter(), 7);

  Load(0, 0);
  rotation->SeedRandom(1);
  std::vector<int> seen(3, 0);
  for (int i = 0; i < 60; ++i) {
    rotation->SetRandomWallpaper();
    ASSERT_EQ(library->PictureListSelection(), library->currentWallpaper);
    ++seen[static_cast<std::size_t>(library->currentWallpaper)];
  }
  EXPECT_EQ(Composed(), 60u);
  for (int count : seen) EXPECT_GT(count, 5);
  EXPECT_EQ(Counter(), 0);
}

TEST_F(RotationTest, RandomAutomaticChoiceReachesEveryPicture) {
  Load(0, 0);
  Settings().sposob_wybierania = 1;
  rotation->SeedRandom(2);
  std::vector<int> seen(3, 0);
  for (int i = 0; i < 300; ++i) ++seen[static_cast<std::size_t>(rotation->AutomaticChoice())];
  for (int count : seen) EXPECT_GT(count, 60);
}

TEST(RandomDraw, IsUniformAlsoBeyond32768Pictures) {
  LibraryFixture f;
  auto session = f.MakeSession();
  Rotation& rotation = session->WallpaperRotation();
  rotation.SeedRandom(3);
  // 70,000 positions in 7 bands of 10,000: each band gets about a seventh.
  constexpr int kDraws = 70000;
  std::vector<int> bands(7, 0);
  for (int i = 0; i < kDraws; ++i) {
    const std::int32_t p = rotation.DrawBelow(70000);
    ASSERT_GE(p, 0);
    ASSERT_LT(p, 70000);
    ++bands[static_cast<std::size_t>(p / 10000)];
  }
  for (int count : bands) {
    EXPECT_GT(count, 9500);
    EXPECT_LT(count, 10500);
  }
  EXPECT_EQ(rotation.DrawBelow(1), 0);
  // The largest count there can be.
  const std::int32_t big = rotation.DrawBelow(2147483647);
  EXPECT_GE(big, 0);
}

TEST(RandomDraw, FollowsTheProgramsSrand) {
  LibraryFixture f;
  auto session = f.MakeSession();
  auto draws = [&] {
    Rotation rotation(session->Library(), session->MutableSettings(), session->Renderer());
    std::vector<std::int32_t> out;
    for (int i = 0; i < 8; ++i) out.push_back(rotation.DrawBelow(1000000));
    return out;
  };
  std::srand(41);
  const auto first = draws();
  std::srand(41);
  EXPECT_EQ(draws(), first);
  std::srand(42);
  EXPECT_NE(draws(), first);
}

// No repeats: category 0 "Five" (pictures 0..4), 1 "One" (10), 2 "Two"
// (11, 12), random selection, the wallpaper remembered at start given.
class NoRepeatTest : public ::testing::Test {
 protected:
  void Load(int category, int wallpaper, std::uint64_t seed = 5) {
    f.WriteLibrary("Five\r\n" + f.Picture(0) + "\r\n" + f.Picture(1) + "\r\n" + f.Picture(2) + "\r\n" + f.Picture(3) +
                   "\r\n" + f.Picture(4) + "\r\n\r\nOne\r\n" + f.Picture(10) + "\r\n\r\nTwo\r\n" + f.Picture(11) +
                   "\r\n" + f.Picture(12));
    f.WriteSelection(category, wallpaper);
    session = f.MakeSession();
    library = &session->Library();
    session->MutableSettings().sposob_wybierania = 1;
    rotation = &session->WallpaperRotation();
    rotation->SeedRandom(seed);
  }
  // The positions of n automatic changes.
  std::vector<int> Changes(int n) {
    std::vector<int> shown;
    for (int i = 0; i < n; ++i) {
      rotation->ChangeAutomatically();
      shown.push_back(library->currentWallpaper);
    }
    return shown;
  }
  static bool IsRound(std::vector<int> shown, std::size_t from, int count) {
    std::vector<int> round(shown.begin() + from, shown.begin() + from + count);
    std::sort(round.begin(), round.end());
    for (int i = 0; i < count; ++i)
      if (round[static_cast<std::size_t>(i)] != i) return false;
    return true;
  }
  void SelectCategory(int position) {
    session->SelectCategory(position);
  }

  LibraryFixture f;
  std::unique_ptr<Session> session;
  WallpaperLibrary* library = nullptr;
  Rotation* rotation = nullptr;
};

TEST_F(NoRepeatTest, EachRoundShowsEveryPictureOnceAndNeverOneTwiceInARow) {
  struct Case {
    int category, count, start;
  };
  for (const Case c : {Case{0, 5, 3}, Case{1, 1, 0}, Case{2, 2, 1}}) {
    for (std::uint64_t seed : {1u, 2u, 3u}) {
      Load(c.category, c.start, seed);
      const std::vector<int> shown = Changes(4 * c.count);
      for (int round = 0; round < 4; ++round)
        EXPECT_TRUE(IsRound(shown, static_cast<std::size_t>(round * c.count), c.count))
            << "category " << c.category << " seed " << seed << " round " << round;
      int before = c.start;  // on the desktop at start, not shown in the first round
      for (int position : shown) {
        if (c.count > 1) {
          EXPECT_NE(position, before) << "category " << c.category << " seed " << seed;
        }
        before = position;
      }
      // The same seed, the same changes.
      Load(c.category, c.start, seed);
      EXPECT_EQ(Changes(4 * c.count), shown);
    }
  }
}

TEST_F(NoRepeatTest, ManualChangesAndTheRandomCommandCountInTheRound) {
  Load(0, 1);
  rotation->SetNextWallpaper();  // 2
  rotation->SetRandomWallpaper();
  std::vector<int> shown = {2, library->currentWallpaper};
  for (int position : Changes(3)) shown.push_back(position);
  EXPECT_TRUE(IsRound(shown, 0, 5));
}

TEST_F(NoRepeatTest, AnEditOrAnotherCategoryBeginsANewRound) {
  // After two changes in "Five": a picture added, two swapped, the rotation
  // told, another category. A whole new round follows.
  for (int step = 0; step < 4; ++step) {
    Load(0, 0);
    Changes(2);
    const std::string desktop = rotation->DesktopPicture();
    std::vector<std::string>& five = library->CategoryAt(0).pictures;
    int count = 5;
    if (step == 0) {
      five.push_back(f.Picture(5));
      count = 6;
    }
    if (step == 1) std::swap(five[0], five[1]);
    if (step == 2) rotation->StartNewRound();
    if (step == 3) {
      SelectCategory(2);
      count = 2;
    }
    const std::vector<int> next = Changes(count);
    EXPECT_TRUE(IsRound(next, 0, count)) << step;
    EXPECT_NE(library->CurrentCategory()->PictureAt(next[0]), desktop) << step;
  }
  // Back in "Five" the round begins anew too.
  Load(0, 0);
  Changes(3);
  SelectCategory(2);
  Changes(1);
  SelectCategory(0);
  EXPECT_TRUE(IsRound(Changes(5), 0, 5));
}

TEST_F(NoRepeatTest, OffOrInSequenceTheDrawsAreIndependent) {
  Load(0, 0);
  session->MutableSettings().no_repeat = 0;
  Rotation reference(*library, session->MutableSettings(), session->Renderer());
  reference.SeedRandom(5);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(rotation->AutomaticChoice(), reference.DrawBelow(5));

  // The random command in sequence order draws as it always did.
  Load(0, 0);
  session->MutableSettings().sposob_wybierania = 0;
  reference.SeedRandom(5);
  for (int i = 0; i < 20; ++i) {
    rotation->SetRandomWallpaper();
    EXPECT_EQ(library->currentWallpaper, reference.DrawBelow(5));
  }
}

TEST_F(NoRepeatTest, TheDesktopPictureIsTheLastOneThatLoaded) {
  Load(0, 3);
  EXPECT_EQ(rotation->DesktopPicture(), f.Picture(3));
  rotation->SetWallpaperAt(1);
  EXPECT_EQ(rotation->DesktopPicture(), f.Picture(1));
  library->CategoryAt(0).pictures[2] = f.dir.File("missing.bmp");
  rotation->SetWallpaperAt(2);
  EXPECT_EQ(rotation->DesktopPicture(), f.Picture(1));
}

}  // namespace
}  // namespace vistelle
