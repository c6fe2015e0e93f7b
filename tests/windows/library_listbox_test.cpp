// The library and the rotation on real list boxes; a CBT hook catches any
// message box, of which the rotation itself shows none.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/rotation.h"
#include "config/profile_store.h"
#include "library/list_box_view_win32.h"
#include "library/wallpaper_library.h"
#include "image/image.h"
#include "tests/shared/test_desktop.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

using testing::Items;
using testing::Selected;

// Catches every message box of this thread while it lives, reads it and
// presses OK; should the hook miss a box, it is closed after ten seconds so
// the run goes on.
class BoxCatcher : public testing::DialogCatcher {
 public:
  BoxCatcher() : DialogCatcher(10000) { Otherwise(AnswerBox(IDOK)); }
};

// The main window's two list boxes.
class Host : public testing::ListBoxHost {
 public:
  Host() : ListBoxHost("Library") {}
};

// A desktop that records the wallpaper instead of setting it, with a small
// screen so that each composition is quick.
struct QuietDesktop : testing::TestDesktop {
  QuietDesktop() : TestDesktop(ScreenSize{16, 12}) {}
};

void WritePicture(const std::string& path, int red) {
  Image image;
  ASSERT_TRUE(image.Create(4, 4));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) image.SetPixelColor(x, y, MakeColorRef(red, 50, 60));
  ASSERT_TRUE(image.Save(path));
}

// A library of one category, "Żółwie i koty", whose pictures are the given
// names in the test folder ("" for a file that is not there).
class LibraryOnListBoxes : public ::testing::Test {
 protected:
  void Make(Desktop& desktop, const std::vector<std::string>& names, int wallpaper) {
    std::string bytes = u8"\u017b\u00f3\u0142wie i koty";
    for (const std::string& name : names) {
      // UTF-8 names joined as text: a std::filesystem path made from a
      // narrow string would take it in another code page.
      const std::string path = dir.Path() + "\\" + name;
      if (name.find("missing") == std::string::npos) WritePicture(path, static_cast<int>(bytes.size() % 256));
      bytes += "\r\n" + path;
    }
    dir.Write("pictora.txt", bytes);
    const std::string config = dir.File("config.ini");
    store->WriteString(config, "setting", "category", "0");
    store->WriteString(config, "setting", "current_wallpaper", std::to_string(wallpaper));
    library = std::make_unique<WallpaperLibrary>(dir.Path(), desktop, *store);
    picture_view.Attach(host.Pictures());
    category_view.Attach(host.Categories());
    library->AttachLists(picture_view, category_view);
    ASSERT_TRUE(library->Load());
    rotation = std::make_unique<Rotation>(*library);
    library->renderer.Settings().second_counter = 9;
  }

  testing::TestDir dir;
  std::unique_ptr<ProfileStore> store = MakeSystemProfileStore();
  Host host;
  ListBoxView picture_view;
  ListBoxView category_view;
  std::unique_ptr<WallpaperLibrary> library;
  std::unique_ptr<Rotation> rotation;
};

const std::vector<std::string> kThree = {u8"\u017c\u00f3\u0142w.bmp", "kot.bmp", "pies.bmp"};

TEST_F(LibraryOnListBoxes, ManualNextOnTheLastPictureWrapsToTheFirstAndSelectsIt) {
  QuietDesktop desktop;
  Make(desktop, kThree, 2);
  EXPECT_EQ(Items(host.Categories()), std::vector<std::string>{u8"\u017b\u00f3\u0142wie i koty"});
  EXPECT_EQ(Selected(host.Categories()), 0);
  EXPECT_EQ(Items(host.Pictures()), kThree);
  EXPECT_EQ(Selected(host.Pictures()), 2);
  EXPECT_EQ(picture_view.Text(0), kThree[0]);  // the view reads back the UTF-8 it wrote

  BoxCatcher catcher;
  ASSERT_TRUE(catcher.Hooked());
  rotation->SetNextWallpaper();
  EXPECT_TRUE(catcher.Boxes().empty());
  EXPECT_EQ(Selected(host.Pictures()), 0);
  EXPECT_EQ(library->currentWallpaper, 0);
  EXPECT_EQ(library->selectedPicture, 0);
  EXPECT_EQ(library->renderer.Settings().second_counter, 0);
  ASSERT_EQ(desktop.wallpapers.size(), 1u);

  rotation->SetPreviousWallpaper();
  EXPECT_EQ(Selected(host.Pictures()), 2);
  EXPECT_EQ(Items(host.Pictures()), kThree);
}

TEST_F(LibraryOnListBoxes, AnAutomaticChangeRefillsAListEmptiedByClear) {
  QuietDesktop desktop;
  Make(desktop, kThree, 0);
  library->ClearPictureList();  // "BUTTON_CLEAR"
  EXPECT_EQ(SendMessageW(host.Pictures(), LB_GETCOUNT, 0, 0), 0);

  BoxCatcher catcher;
  // A manual change now finds nothing selected (the main window says so).
  EXPECT_EQ(rotation->SetNextWallpaper(), ChangeResult::kNoFileSelected);
  EXPECT_TRUE(desktop.wallpapers.empty());
  EXPECT_EQ(library->renderer.Settings().second_counter, 0);

  SendMessageW(host.Categories(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(rotation->ChangeAutomatically(), ChangeResult::kChanged);
  EXPECT_TRUE(catcher.Boxes().empty());
  EXPECT_EQ(Items(host.Pictures()), kThree);
  EXPECT_EQ(Selected(host.Pictures()), 1);
  EXPECT_EQ(Selected(host.Categories()), 0);
  EXPECT_EQ(library->currentWallpaper, 1);
  EXPECT_EQ(desktop.wallpapers.size(), 1u);
  EXPECT_FALSE(catcher.TimedOut());
}

TEST_F(LibraryOnListBoxes, AMissingPictureDoesNotStopTheWallpaperMoving) {
  auto desktop = MakeSystemDesktop();
  ASSERT_TRUE(desktop);
  char previous[MAX_PATH] = "";
  SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, previous, 0);
  Make(*desktop, {"a.bmp", "missing.bmp", "c.bmp"}, 0);

  BoxCatcher catcher;
  EXPECT_EQ(rotation->ChangeAutomatically(), ChangeResult::kPictureMissing);
  EXPECT_EQ(library->currentWallpaper, 1);
  EXPECT_EQ(Selected(host.Pictures()), 1);
  // The wallpaper was still composed and set, from the picture before.
  char now[MAX_PATH] = "";
  SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0);
  EXPECT_EQ(std::string(now), library->renderer.WallpaperPath());

  // The next change in sequence goes on past it.
  EXPECT_EQ(rotation->ChangeAutomatically(), ChangeResult::kChanged);
  EXPECT_TRUE(catcher.Boxes().empty());
  EXPECT_EQ(library->currentWallpaper, 2);
  EXPECT_FALSE(catcher.TimedOut());
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, previous, SPIF_UPDATEINIFILE);
}

TEST_F(LibraryOnListBoxes, TheRandomCommandNeedsASelectedCategory) {
  QuietDesktop desktop;
  Make(desktop, kThree, 0);
  SendMessageW(host.Categories(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(rotation->SetRandomWallpaper(), ChangeResult::kNoCategorySelected);
  EXPECT_TRUE(desktop.wallpapers.empty());
}

TEST_F(LibraryOnListBoxes, AnOlderFileInTheSystemsCodePageIsReadAndWrittenBackAsUtf8) {
  char code_page[8] = "";
  GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, code_page, sizeof code_page);
  if (std::string(code_page) != "1252" && std::string(code_page) != "1250")
    GTEST_SKIP() << "system code page " << code_page;
  dir.Write("pictora.txt", "Caf\xE9\r\nC:\\caf\xE9.jpg");
  QuietDesktop desktop;
  library = std::make_unique<WallpaperLibrary>(dir.Path(), desktop, *store);
  picture_view.Attach(host.Pictures());
  category_view.Attach(host.Categories());
  library->AttachLists(picture_view, category_view);
  ASSERT_TRUE(library->Load());
  EXPECT_EQ(Items(host.Categories()), std::vector<std::string>{u8"Caf\u00e9"});
  EXPECT_EQ(Items(host.Pictures()), std::vector<std::string>{u8"caf\u00e9.jpg"});
  ASSERT_TRUE(library->Save());
  EXPECT_EQ(dir.Read("pictora.txt"), u8"Caf\u00e9\r\nC:\\caf\u00e9.jpg");
}

TEST(ListBoxView, KeepsTheListBoxSelectionRules) {
  Host host;
  ListBoxView view(host.Pictures());
  for (const char* text : {"a", "b", "c"}) view.Append(text);
  view.Insert(1, u8"\u0119");
  EXPECT_EQ(Items(host.Pictures()), (std::vector<std::string>{"a", u8"\u0119", "b", "c"}));
  EXPECT_EQ(view.Count(), 4);
  EXPECT_EQ(view.Text(1), u8"\u0119");
  EXPECT_EQ(view.Text(9), "");
  view.Select(3);
  EXPECT_EQ(view.Selection(), 3);
  view.Select(4);  // no item there
  EXPECT_EQ(view.Selection(), -1);
  view.Select(2);
  view.Remove(2);
  EXPECT_EQ(view.Selection(), -1);
  EXPECT_EQ(Items(host.Pictures()), (std::vector<std::string>{"a", u8"\u0119", "c"}));
  view.Clear();
  EXPECT_EQ(view.Count(), 0);
}

}  // namespace
}  // namespace vistelle
