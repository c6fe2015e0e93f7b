// What each monitor shows with settings of its own and what a schedule's
// category does to the rotation: own categories with positions of their
// own, pictures of the monitor's orientation, fair rounds, and the user's
// selection left alone.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/rotation.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

Monitor M(std::int32_t x, std::uint32_t w, std::uint32_t h, bool primary = false) {
  Monitor m;
  m.x = x, m.width = w, m.height = h, m.primary = primary;
  m.device = "\\\\?\\DISPLAY#Same";  // every monitor alike, as under Wine
  return m;
}

// "Main" holds pictures 0..5, "Own" 10..15; pictures 4, 13 and 14 are
// portrait. Three monitors: the primary and a landscape one, then a
// portrait one to the right.
class ScreensTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text = "Main\r\n";
    for (int i = 0; i < 6; ++i) text += f.Picture(i) + "\r\n";
    text += "\r\nOwn\r\n";
    for (int i = 10; i < 16; ++i) text += f.Picture(i) + "\r\n";
    f.WriteLibrary(text);
    f.WriteSelection(0, 0);
    f.desktop.monitors = {M(0, 8, 6, true), M(8, 8, 6), M(16, 6, 8)};
    session = f.MakeSession();
    session->MutableSettings().monitor_mode = 2;
    rotation = &session->WallpaperRotation();
    rotation->SetShapeReader([this](const std::string& path) {
      for (int p : {4, 13, 14})
        if (path == f.Picture(p)) return 1;
      return -1;
    });
  }
  MonitorChoice& Choice(std::int32_t place) {
    return session->MutableSettings().screens.FindOrAdd("\\\\?\\DISPLAY#Same", place);
  }
  // The pictures of the monitors after the primary, by number.
  std::vector<int> Others() {
    std::vector<int> numbers;
    for (const std::string& path : session->Renderer().OtherMonitorPictures())
      for (int i = 0; i < 16; ++i)
        if (path == f.Picture(i)) numbers.push_back(i);
    return numbers;
  }
  testing::LibraryFixture f;
  std::unique_ptr<Session> session;
  Rotation* rotation = nullptr;
};

TEST_F(ScreensTest, EachMonitorDrawsFromItsOwnCategoryInItsOwnOrientation) {
  struct Case {
    const char* what;
    const char* category;  // monitor 2's
    int portrait;          // monitor 3's
    std::vector<std::vector<int>> others;  // after each of three changes
  };
  const Case cases[] = {
      // The primary shows 1, 2, 3; none but 4 is a portrait there.
      {"both follow; the portrait one skips to a portrait", "", -1, {{2, 4}, {3, 4}, {4, 5}}},
      {"the portrait one told not to", "", 0, {{2, 3}, {3, 4}, {4, 5}}},
      {"its own category, from its first picture on", "Own", -1, {{10, 4}, {11, 4}, {12, 4}}},
      {"a category that is gone follows", "Gone", -1, {{2, 4}, {3, 4}, {4, 5}}},
  };
  for (const Case& c : cases) {
    SetUp();
    if (*c.category) Choice(1).category = c.category;
    Choice(2).portrait = c.portrait;
    for (const auto& expected : c.others) {
      ASSERT_EQ(rotation->ChangeAutomatically(), ChangeResult::kChanged);
      EXPECT_EQ(Others(), expected) << c.what;
    }
    EXPECT_EQ(session->Library().currentCategory, 0) << c.what;
  }
}

TEST_F(ScreensTest, AScheduledCategoryLeavesTheSelectionAndKeepsItsPlaceOverARestart) {
  session->Library().selectedPicture = 2;
  rotation->SetScheduledCategory(1);
  for (int expected : {10, 11}) {
    ASSERT_EQ(rotation->ChangeAutomatically(), ChangeResult::kChanged);
    EXPECT_EQ(rotation->DesktopPicture(), f.Picture(expected));
  }
  const WallpaperLibrary& library = session->Library();
  EXPECT_EQ(library.currentCategory, 0);
  EXPECT_EQ(library.selectedPicture, 2);
  EXPECT_EQ(library.currentWallpaper, 0);
  EXPECT_EQ(library.otherPositions.at("Own"), 1);
  ASSERT_TRUE(session->SaveAll().empty());

  session = f.MakeSession();
  EXPECT_EQ(session->Library().otherPositions.at("Own"), 1);
  session->WallpaperRotation().SetScheduledCategory(1);
  session->WallpaperRotation().ChangeAutomatically();
  EXPECT_EQ(session->WallpaperRotation().DesktopPicture(), f.Picture(12));
  // Outside the schedule the user's category goes on where it was.
  session->WallpaperRotation().SetScheduledCategory(-1);
  session->WallpaperRotation().ChangeAutomatically();
  EXPECT_EQ(session->WallpaperRotation().DesktopPicture(), f.Picture(1));
}

TEST_F(ScreensTest, AtRandomWithoutRepeatsTheRightOrientationComesFirstAndEveryPictureOnce) {
  session->MutableSettings().sposob_wybierania = 1;
  session->MutableSettings().no_repeat = 1;
  Choice(2).category = "Own";
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    rotation->SeedRandom(seed);
    rotation->StartNewRound();
    std::vector<int> shown;
    for (int change = 0; change < 6; ++change) {
      rotation->ChangeAutomatically();
      shown.push_back(Others().back());
    }
    // The portrait monitor's round: the two portraits first, then the rest,
    // each once.
    EXPECT_EQ(std::set<int>(shown.begin(), shown.begin() + 2), (std::set<int>{13, 14})) << seed;
    EXPECT_EQ(std::set<int>(shown.begin(), shown.end()).size(), 6u) << seed;
  }
}

TEST_F(ScreensTest, AtARulesBoundaryTheWallpaperChangesOnceFromItsCategory) {
  // "Own" from 08:00 to 20:00, every day; a long interval.
  TConfig& settings = session->MutableSettings();
  settings.monitor_mode = 0;
  settings.zmiana_tapety_co = 1, settings.co_ile_sek_godz = 24, settings.godz_sek = 0;
  settings.screens.rules = {ScheduleRule{"Own", DayTime{DayTime::Kind::kClock, 8 * 60}, DayTime{DayTime::Kind::kClock, 20 * 60}}};
  LocalMoment now;
  now.year = 2026, now.month = 12, now.day = 10, now.weekday = 3;
  session->SetClock([&now] { return now; });
  struct Tick {
    std::int32_t minute;
    bool paused;
    bool change;
    int picture;  // of the change
  };
  const Tick ticks[] = {
      {7 * 60 + 59, false, false, 0}, {8 * 60, false, true, 10}, {8 * 60 + 1, false, false, 0},
      {19 * 60 + 59, false, false, 0}, {20 * 60, false, true, 1}, {20 * 60 + 1, false, false, 0},
      {8 * 60, true, false, 0},  // paused: the boundary passes
      {8 * 60 + 1, false, false, 0},
      // A boundary while a change is under way (none follows the tick):
      // the change is owed at the next tick.
      {20 * 60, false, true, -1}, {20 * 60 + 1, false, true, 2}, {20 * 60 + 2, false, false, 0},
  };
  for (const Tick& t : ticks) {
    now.minute = t.minute;
    session->SetPaused(t.paused);
    const bool change = session->MinuteTick();
    EXPECT_EQ(change, t.change) << t.minute;
    if (change && t.picture >= 0) {
      session->ChangeAutomatically();
      EXPECT_EQ(rotation->DesktopPicture(), f.Picture(t.picture)) << t.minute;
    }
  }
  // The change at start, within the rule, comes from its category too.
  settings.zmiana_tapety_co = 0;
  now.minute = 12 * 60;
  session->ChangeAtStart();
  EXPECT_EQ(rotation->DesktopPicture(), f.Picture(11));
  EXPECT_EQ(session->Library().currentCategory, 0);
}

}  // namespace
}  // namespace vistelle
