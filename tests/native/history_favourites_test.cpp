// The way back through the wallpapers shown lately, and the favourites.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/wallpaper_history.h"
#include "library/user_choices.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

TEST(WallpaperHistory, BackAndForwardGoThroughWhatWasShown) {
  WallpaperHistory h;
  const auto exists = [](const std::string& path) { return path != "gone"; };
  // Each step: what is done ('s'hown, 'b'ack, 'f'orward), with what, and
  // what it gives.
  struct Step {
    char what;
    const char* path;
    const char* gives;
  };
  const Step steps[] = {
      {'b', "", ""}, {'s', "a", ""}, {'s', "gone", ""}, {'s', "b", ""}, {'s', "b", ""},  // the same twice is once
      {'b', "", "a"},  // the missing one is passed over
      {'b', "", ""},  {'f', "", "b"}, {'f', "", ""},  {'b', "", "a"},
      {'s', "c", ""},  // what was ahead is dropped
      {'f', "", ""},  {'b', "", "a"},
  };
  for (const Step& s : steps) {
    if (s.what == 's') h.Shown(s.path);
    if (s.what == 'b') {
      EXPECT_EQ(h.Back(exists), s.gives);
    }
    if (s.what == 'f') {
      EXPECT_EQ(h.Forward(exists), s.gives);
    }
  }
  EXPECT_EQ(h.Paths(), (std::vector<std::string>{"a", "c"}));

  for (int i = 0; i < 60; ++i) h.Shown("p" + std::to_string(i));
  EXPECT_EQ(h.Paths().size(), WallpaperHistory::kLength);
  EXPECT_EQ(h.Paths().front(), "p10");
  h.Back(exists);
  WallpaperHistory read;
  read.Parse(h.Serialize());
  EXPECT_EQ(read.Paths(), h.Paths());
  EXPECT_EQ(read.Place(), h.Place());
  // Hand-edited or cut files read what they can.
  struct Text {
    const char* text;
    std::size_t paths, place;
  };
  for (const Text& t : {Text{"", 0, 0}, Text{"7\r\n", 0, 0}, Text{"1\r\nx\r\ny", 2, 1}, Text{"9\r\nx\r\ny\r\n", 2, 1},
                        Text{"x\ny\n\n", 2, 1}, Text{"99999999999999\r\nx\r\n", 2, 1}}) {
    read.Parse(t.text);
    EXPECT_EQ(read.Paths().size(), t.paths) << t.text;
    EXPECT_EQ(read.Place(), t.place) << t.text;
  }
}

TEST(WallpaperHistory, TheSessionGoesBackWithoutMovingTheRotationAndKeepsFavourites) {
  testing::LibraryFixture f;
  f.WriteLibrary("Three\r\n" + f.Picture(0) + "\r\n" + f.Picture(1) + "\r\n" + f.Picture(2) + "\r\n");
  f.WriteSelection(0, 0);
  auto session = f.MakeSession();
  session->SetNextWallpaper();
  session->SetNextWallpaper();  // pictures 0, 1, 2 shown
  session->MutableSettings().second_counter = 9;
  session->ShowBack();
  EXPECT_EQ(session->WallpaperRotation().DesktopPicture(), f.Picture(1));
  EXPECT_EQ(session->Library().currentWallpaper, 2);  // the rotation's place stays
  EXPECT_EQ(session->Settings().second_counter, 0);
  EXPECT_EQ(f.desktop.wallpapers.size(), 3u);

  // Favourites: made once, at the end, each picture once.
  session->AddToFavourites();
  session->AddToFavourites();
  session->ShowBack();
  session->AddToFavourites();
  const WallpaperLibrary& library = session->Library();
  ASSERT_EQ(library.CategoryCount(), 2);
  EXPECT_EQ(library.CategoryAt(1).name, Session::kFavourites);
  EXPECT_EQ(library.CategoryAt(1).pictures, (std::vector<std::string>{f.Picture(1), f.Picture(0)}));
  ASSERT_TRUE(session->SaveAll().empty());

  // Over a restart: the history and the place in it.
  session = f.MakeSession();
  EXPECT_EQ(session->Library().CategoryCount(), 2);
  session->ShowForward();
  EXPECT_EQ(session->WallpaperRotation().DesktopPicture(), f.Picture(1));
  session->ShowForward();
  session->ShowForward();
  EXPECT_EQ(session->WallpaperRotation().DesktopPicture(), f.Picture(2));
}

// Answers the question with what it is given, and counts the questions.
class Answers final : public UserChoices {
 public:
  Confirmation answer = Confirmation::kYes;
  bool stop_asking = false;
  int asked = 0;
  Confirmation Confirm(const char*) override { return ++asked, answer; }
  Confirmation ConfirmOrStopAsking(const char*, bool& dont_ask_again) override {
    dont_ask_again = stop_asking;
    return ++asked, answer;
  }
  ChosenFiles ChoosePictures() override { return ChosenFiles(); }
  std::optional<std::string> ChooseFolder() override { return std::nullopt; }
  std::optional<std::string> NewCategoryName() override { return std::nullopt; }
};

TEST(NeverShow, ThePictureLeavesItsCategoryUntilUndoneAndTheFileStays) {
  testing::LibraryFixture f;
  f.WriteLibrary("Three\r\n" + f.Picture(0) + "\r\n" + f.Picture(1) + "\r\n" + f.Picture(2) + "\r\n");
  f.WriteSelection(0, 0);
  auto session = f.MakeSession();
  const WallpaperLibrary& library = session->Library();
  const auto pictures = [&] { return library.CategoryAt(0).pictures; };
  session->SetNextWallpaper();  // picture 1
  Answers answers;
  struct Step {
    const char* what;
    Confirmation answer;
    bool stop_asking;
    int asked;                   // questions so far
    std::vector<int> left;       // the category's pictures after it
    int desktop;                 // the picture on the desktop
    bool undo;                   // whether it can be undone
  };
  const Step steps[] = {
      {"no", Confirmation::kNo, false, 1, {0, 1, 2}, 1, false},
      {"yes, and stop asking", Confirmation::kYes, true, 2, {0, 2}, 2, true},
      {"undo", Confirmation::kYes, false, 2, {0, 1, 2}, 2, false},
      {"without a question now", Confirmation::kNo, false, 2, {0, 1}, 0, true},
      {"an edit ends the undo", Confirmation::kYes, false, 2, {0, 1}, 0, false},
  };
  for (const Step& s : steps) {
    answers.answer = s.answer;
    answers.stop_asking = s.stop_asking;
    if (std::string(s.what) == "undo") session->UndoNeverShow();
    else if (std::string(s.what) == "an edit ends the undo") session->AddToFavourites();
    else session->NeverShow(answers);
    std::vector<std::string> left;
    for (int p : s.left) left.push_back(f.Picture(p));
    EXPECT_EQ(pictures(), left) << s.what;
    EXPECT_EQ(answers.asked, s.asked) << s.what;
    EXPECT_EQ(session->WallpaperRotation().DesktopPicture(), f.Picture(s.desktop)) << s.what;
    EXPECT_EQ(session->CanUndoNeverShow(), s.undo) << s.what;
  }
  EXPECT_TRUE(std::filesystem::exists(f.Picture(2)));
  EXPECT_EQ(session->Settings().confirm_never_show, 0);
  session->UndoNeverShow();
  EXPECT_EQ(pictures().size(), 2u);
}

}  // namespace
}  // namespace vistelle
