// When the timer's change comes: the minutes, a pause, and surroundings
// that ask a change to wait.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/session.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

using testing::LibraryFixture;

TEST(ChangeTiming, WhichSurroundingsHoldAChange) {
  struct Case {
    Surroundings now;
    bool waits;               // with every wait on
    bool waits_when_allowed;  // with every wait off
  };
  const Case cases[] = {
      {{false, false, false}, false, false},
      {{true, false, false}, true, false},
      {{false, true, false}, true, false},
      {{false, false, true}, true, false},
  };
  for (const Case& c : cases) {
    TConfig settings;
    EXPECT_EQ(ChangeWaits(c.now, settings), c.waits);
    settings.wait_fullscreen = settings.wait_battery_saver = settings.wait_remote = 0;
    EXPECT_EQ(ChangeWaits(c.now, settings), c.waits_when_allowed);
  }
}

// Every two minutes, with a step a line: a tick or a check of a held
// change, in surroundings that hold changes or not, and what comes of it.
TEST(ChangeTiming, AHeldChangeComesOnceWhenItMayAndAPauseStopsTheMinutes) {
  LibraryFixture f;
  f.WriteLibrary("A\r\n" + f.Picture(0) + "\r\n" + f.Picture(1));
  f.dir.Write("config.ini", "[setting]\r\nzmiana_tapety_co=1\r\ngodz_sek=1\r\nco_ile_sek_godz=2\r\nsecond_counter=0\r\n");
  auto session = f.MakeSession();
  enum Step { kTick, kCheck, kPause, kResume };
  struct Line {
    Step step;
    bool full_screen;
    bool change;  // the change comes now
    int minutes;  // the counter afterwards
  };
  const Line lines[] = {
      {kTick, false, false, 1},  {kTick, false, true, 0},  // a change every two ticks
      {kTick, false, false, 1},  {kTick, true, false, 2},  // due under a full-screen program: held
      {kCheck, true, false, 2},  {kTick, true, false, 3},  // still held, the minutes go on
      {kCheck, false, true, 0},  {kCheck, false, false, 0},  // once it ends: one change, no burst
      {kPause, false, false, 0}, {kTick, false, false, 0}, {kTick, false, false, 0},  // paused: nothing counts
      {kResume, false, false, 0}, {kTick, false, false, 1}, {kTick, true, false, 2},
      {kPause, true, false, 2},  {kResume, false, false, 2}, {kCheck, false, false, 2},  // a pause forgets it
      {kTick, false, true, 0},
  };
  int line = 0;
  for (const Line& l : lines) {
    ++line;
    const Surroundings now{l.full_screen, false, false};
    bool change = false;
    if (l.step == kTick) change = session->MinuteTick(now);
    if (l.step == kCheck) change = session->HeldChangeMayCome(now);
    if (l.step == kPause || l.step == kResume) session->SetPaused(l.step == kPause);
    if (change) session->ChangeAutomatically();
    EXPECT_EQ(change, l.change) << "line " << line;
    EXPECT_EQ(session->Settings().second_counter, l.minutes) << "line " << line;
  }
  // A pause lasts over a restart; nothing changes at a start meanwhile.
  session->MutableSettings().zmiana_tapety_co = 0;
  session->SetPaused(true);
  ASSERT_TRUE(session->SaveAll().empty());
  auto again = f.MakeSession();
  EXPECT_TRUE(again->Paused());
  const std::size_t handed = f.desktop.wallpapers.size();
  again->ChangeAtStart();
  EXPECT_EQ(f.desktop.wallpapers.size(), handed);
  EXPECT_EQ(again->CountdownText(), "Changes are paused.");
}

// Someone set another wallpaper, or put another picture in pictora.bmp:
// the desktop gets the program's again, the file as it was written, or
// composed again when it was replaced.
TEST(ChangeTiming, AWallpaperTheDesktopLostIsHandedOverAgain) {
  LibraryFixture f;
  f.WriteLibrary("A\r\n" + f.Picture(0) + "\r\n" + f.Picture(1));
  auto session = f.MakeSession();
  EXPECT_FALSE(session->KeepWallpaperShown());  // nothing composed yet
  session->SetNextWallpaper();
  const std::string ours = f.dir.File("pictora.bmp");
  const std::string bytes = f.dir.Read("pictora.bmp");
  EXPECT_FALSE(session->KeepWallpaperShown());
  f.desktop.shown_instead = "C:\\Windows\\Web\\img0.jpg";
  const std::size_t handed = f.desktop.wallpapers.size();
  EXPECT_TRUE(session->KeepWallpaperShown());
  f.desktop.shown_instead.clear();
  EXPECT_EQ(f.desktop.wallpapers.size(), handed + 1);
  EXPECT_EQ(f.desktop.wallpapers.back(), ours);
  f.dir.Write("pictora.bmp", "another picture, and of another size");
  EXPECT_TRUE(session->KeepWallpaperShown());
  EXPECT_EQ(f.dir.Read("pictora.bmp"), bytes);
  EXPECT_FALSE(session->KeepWallpaperShown());
}

}  // namespace
}  // namespace vistelle
