// What the session saves, when, and what it says when a file cannot be
// written.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/session.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

using testing::LibraryFixture;

// Which commands leave something to save: edits, a new selection, a new
// wallpaper, new settings; not a preview, a refused command or a tick.
TEST(SessionSaving, WhatLeavesSomethingToSave) {
  struct Case {
    const char* what;
    std::function<void(Session&)> command;
    bool unsaved;
  };
  const Case cases[] = {
      {"a click on a picture", [](Session& s) { s.SelectPicture(1); }, false},
      {"a tick", [](Session& s) { s.MinuteTick(); }, false},
      {"a refused command", [](Session& s) { s.Library().pictureListShown = false, s.SetNextWallpaper(); }, false},
      {"a click on a category", [](Session& s) { s.SelectCategory(0); }, true},
      {"a change", [](Session& s) { s.SetNextWallpaper(); }, true},
      {"an edit", [](Session& s) { s.Edit(&EditingCommands::MovePictureUp); }, true},
      {"new settings", [](Session& s) { s.ApplySheetSettings(TConfig()); }, true},
  };
  for (const Case& c : cases) {
    LibraryFixture f;
    f.WriteLibrary("A\r\n" + f.Picture(0) + "\r\n" + f.Picture(1));
    auto session = f.MakeSession();
    EXPECT_FALSE(session->Unsaved()) << c.what;
    c.command(*session);
    EXPECT_EQ(session->Unsaved(), c.unsaved) << c.what;
    EXPECT_TRUE(session->SaveAll().empty()) << c.what;
    EXPECT_FALSE(session->Unsaved()) << c.what;
  }
}

// A file that cannot be written is named with the system's reason, the
// others are written all the same, and what is unsaved stays so.
TEST(SessionSaving, AFileThatCannotBeWrittenIsNamedWithItsReason) {
  for (const char* blocked : {"config.ini", "pictora.txt"}) {
    LibraryFixture f;
    f.WriteLibrary("A\r\n" + f.Picture(0));
    auto session = f.MakeSession();
    session->Edit(&EditingCommands::MovePictureUp);
    std::filesystem::remove(f.dir.File(blocked));
    std::filesystem::create_directories(f.dir.File(blocked));  // a folder in the file's place
    const std::vector<SaveFailure> failures = session->SaveAll();
    ASSERT_EQ(failures.size(), 1u) << blocked;
    EXPECT_EQ(failures[0].file, f.dir.File(blocked));
    EXPECT_FALSE(failures[0].reason.empty());
    EXPECT_TRUE(session->Unsaved());
    EXPECT_EQ(SaveFailureText(failures).rfind("Vistelle cannot save " + f.dir.File(blocked) + ": ", 0), 0u);
    // The other file is there.
    EXPECT_TRUE(std::filesystem::is_regular_file(
        f.dir.File(std::string(blocked) == "config.ini" ? "pictora.txt" : "config.ini")));
    std::filesystem::remove_all(f.dir.File(blocked));
    EXPECT_TRUE(session->SaveAll().empty());
  }
}

// A wallpaper file that cannot be written is told once, until it can be
// written again.
TEST(SessionSaving, AWallpaperThatCannotBeWrittenIsToldOnce) {
  LibraryFixture f;
  f.WriteLibrary("A\r\n" + f.Picture(0) + "\r\n" + f.Picture(1));
  auto session = f.MakeSession();
  std::filesystem::create_directories(f.dir.File("pictora.bmp"));
  const std::string told = "Vistelle cannot write the wallpaper " + f.dir.File("pictora.bmp") + ": ";
  EXPECT_EQ(session->SetNextWallpaper().notice.text.rfind(told, 0), 0u);
  EXPECT_FALSE(session->SetNextWallpaper().notice);
  std::filesystem::remove_all(f.dir.File("pictora.bmp"));
  EXPECT_FALSE(session->SetNextWallpaper().notice);
  std::filesystem::create_directories(f.dir.File("pictora.bmp.tmp"));
  EXPECT_EQ(session->SetNextWallpaper().notice.text.rfind(told, 0), 0u);
}

}  // namespace
}  // namespace vistelle
