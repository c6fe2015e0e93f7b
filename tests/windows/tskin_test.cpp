// The main window on the test display, built from the default skin in a
// program folder of its own: what it paints and what painting costs.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/tskin_win32.h"
#include "base/folder_listing.h"
#include "resources/settings_ids.h"
#include "base/win32/handle_win32.h"
#include "skin/ini_file_win32.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

using testing::Pump;

class QuietDesktop final : public Desktop {
 public:
  explicit QuietDesktop(int* sets = nullptr) : sets_(sets) {}
  ScreenSize PrimaryScreenSize() override { return ScreenSize{320, 200}; }
  bool SetWallpaper(const std::string&) override {
    if (sets_ != nullptr) ++*sets_;
    return true;
  }

 private:
  int* sets_;  // counts the wallpapers handed over, where given
};

// A program folder with the default skin, a library of one large picture
// (or of three small ones) and the given settings.
struct ProgramFolder {
  testing::TestDir dir;
  explicit ProgramFolder(const std::string& config, bool small_pictures = false, int count = 3) {
    std::filesystem::copy(std::filesystem::u8path(VISTELLE_SOURCE_DIR "/data/Skin"),
                          std::filesystem::u8path(dir.File("Skin")));
    std::string library = "Pictures";
    for (int i = 0; i < (small_pictures ? count : 1); ++i) {
      Image picture;
      if (small_pictures)
        picture.Create(40 + 10 * i, 30);
      else
        picture.Create(2400, 1600);
      const std::string path = dir.File("picture" + std::to_string(i) + ".bmp");
      picture.Save(path);
      library += "\r\n" + path;
    }
    dir.Write("pictora.txt", library);
    dir.Write("config.ini", "[setting]\r\n" + config);
  }
};

struct Window {
  std::unique_ptr<TSkin> skin;
  HWND hwnd = nullptr;
  HWND lists[2] = {};

  explicit Window(const std::string& folder, int* wallpapers_set = nullptr) {
    skin = std::make_unique<TSkin>(folder, std::make_unique<QuietDesktop>(wallpapers_set), MakeSystemProfileStore());
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    hwnd = skin->CreateFromSkin("VistelleTest", 200, 200, instance, (folder + "\\Skin\\skin.ini").c_str());
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY;
    lists[0] = CreateWindowExA(0, "LISTBOX", nullptr, style, 266, 139, 289, 224, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(202)), instance, nullptr);
    lists[1] = CreateWindowExA(0, "LISTBOX", nullptr, style, 266, 51, 144, 80, hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(203)), instance, nullptr);
    skin->AttachListBoxes(lists[0], lists[1]);
    skin->LoadLibrary();
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    Pump();
  }
  ~Window() {
    // Without the close request: nothing is saved, the tray icon goes.
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd;
    data.uID = TSkin::kTrayId;
    Shell_NotifyIconA(NIM_DELETE, &data);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    Pump();
    skin.reset();
  }
};

// Runs the step a moment after a dialog opened, once the dialog runs its
// own loop (and has disabled its owner).
std::function<void()> g_later;
void CALLBACK RunLater(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  if (g_later) std::exchange(g_later, nullptr)();
}
testing::DialogHandler Later(std::function<void(HWND dialog)> step) {
  return [step](HWND dialog) {
    g_later = [step, dialog] { step(dialog); };
    SetTimer(dialog, 77, 200, RunLater);
  };
}

// Lets the window run until the pictures being added are in.
void WaitForAdding(Window& window) {
  for (const DWORD start = GetTickCount(); window.skin->GetSession().Adding() && GetTickCount() - start < 20000;) {
    Pump();
    Sleep(5);
  }
  Pump();
}

// The width of text in bold Arial of the given height.
int TextWidth(HWND hwnd, int height, const std::string& text) {
  HDC dc = GetDC(hwnd);
  HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(hwnd, dc);
  return size.cx;
}

TEST(TSkinWindow, TheCountdownIsDrawnInTheLargestFontThatFitsItsArea) {
  ProgramFolder folder("");
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  const std::string text = window.skin->Countdown();
  EXPECT_EQ(text, "Wallpaper will change in: 599 min.");
  const int height = window.skin->CountdownFontHeight();
  ASSERT_GE(height, 8);
  ASSERT_LE(height, 16);
  const int area = TSkin::kCountdownArea.right - TSkin::kCountdownArea.left;
  EXPECT_LE(TextWidth(window.hwnd, height, text), area);
  if (height < 16) {
    EXPECT_GT(TextWidth(window.hwnd, height + 1, text), area);
  }

  // A longer number gets a font of its own, still inside the area.
  window.skin->Settings().second_counter = -2000000000;
  InvalidateRect(window.hwnd, nullptr, FALSE);
  UpdateWindow(window.hwnd);
  EXPECT_LE(TextWidth(window.hwnd, window.skin->CountdownFontHeight(), window.skin->Countdown()), area);
}

TEST(TSkinWindow, ThePreviewIsASmallCopy) {
  ProgramFolder folder("");
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  // Only the preview is kept of the 2400 x 1600 picture.
  EXPECT_FALSE(window.skin->GetSession().Renderer().CurrentPicture().IsValid());
  EXPECT_EQ(window.skin->Preview().GetWidth(), 173u);
  EXPECT_EQ(window.skin->Preview().GetHeight(), 136u);
}

TEST(TSkinWindow, ListBoxesGetTheirColoursAndOthersAreLeftAlone) {
  ProgramFolder folder("");
  Window window(folder.dir.Path());
  HDC dc = GetDC(window.lists[1]);
  const LRESULT brush = SendMessageA(window.hwnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(window.lists[1]));
  EXPECT_NE(brush, 0);
  EXPECT_EQ(GetBkColor(dc), RGB(240, 240, 240));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  ReleaseDC(window.lists[1], dc);

  HWND stranger = CreateWindowExA(0, "LISTBOX", nullptr, WS_CHILD, 0, 0, 10, 10, window.hwnd, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
  HDC other = GetDC(stranger);
  const LRESULT none = SendMessageA(window.hwnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(other),
                                    reinterpret_cast<LPARAM>(stranger));
  EXPECT_NE(none, brush);
  ReleaseDC(stranger, other);
  DestroyWindow(stranger);
}

// A drop of these paths, as Explorer hands it over.
HDROP DropOf(const std::vector<std::string>& paths) {
  std::wstring list;
  for (const std::string& path : paths) list += testing::Wide(path) + L'\0';
  list += L'\0';
  const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

TEST(TSkinWindow, DropsHotkeysAndTheTrayTipWorkOnTheRealWindow) {
  ProgramFolder folder("zmiana_tapety_co=0\r\n", true);
  // A folder of pictures (and a file that is none), and one picture alone.
  std::filesystem::create_directories(std::filesystem::u8path(folder.dir.File("drop/inner")));
  Image picture;
  picture.Create(8, 6);
  for (const char* name : {"drop/10.bmp", "drop/2.bmp", "drop/inner/a.bmp", "alone.bmp"})
    picture.Save(folder.dir.File(name));
  folder.dir.Write("drop/notes.txt", "not a picture");
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);

  SendMessageW(window.hwnd, WM_DROPFILES,
               reinterpret_cast<WPARAM>(DropOf({folder.dir.File("drop"), folder.dir.File("alone.bmp")})), 0);
  WaitForAdding(window);
  EXPECT_EQ(window.skin->Countdown(), "4 pictures added; 1 skipped: 1 not a picture.");
  EXPECT_EQ(testing::Items(window.lists[0]),
            (std::vector<std::string>{"picture0.bmp", "picture1.bmp", "picture2.bmp", "alone.bmp", "2.bmp", "10.bmp",
                                      "a.bmp"}));
  // Dropped again: nothing twice.
  SendMessageW(window.hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({folder.dir.File("drop")})), 0);
  WaitForAdding(window);
  EXPECT_EQ(window.skin->Library().CurrentPictureCount(), 7);

  // The tip says what adding came to, until the hotkeys run the tray's
  // commands: then it names the new picture.
  EXPECT_EQ(window.skin->TrayTip(), "Vistelle\n0 pictures added; 4 skipped: 3 already there, 1 not a picture.");
  SendMessageW(window.hwnd, WM_HOTKEY, TSkin::kMenuNext, 0);
  EXPECT_EQ(window.skin->Library().currentWallpaper, 1);
  EXPECT_EQ(window.skin->TrayTip(), "Vistelle\npicture1.bmp");
  SendMessageW(window.hwnd, WM_HOTKEY, TSkin::kMenuPrevious, 0);
  EXPECT_EQ(window.skin->Library().currentWallpaper, 0);
  // Changing every five minutes, the tip tells when, and each tick counts.
  window.skin->Settings().zmiana_tapety_co = 1;
  window.skin->Settings().godz_sek = 1;
  window.skin->Settings().co_ile_sek_godz = 5;
  SendMessageW(window.hwnd, WM_TIMER, TSkin::kTimerId, 0);
  EXPECT_EQ(window.skin->TrayTip(), "Vistelle\npicture0.bmp\nNext change in 4 min.");
  // Back and forward through what was shown; favourites and never show act
  // on the picture on the desktop.
  Rotation& rotation = window.skin->GetSession().WallpaperRotation();
  SendMessageW(window.hwnd, WM_HOTKEY, TSkin::kMenuBack, 0);
  EXPECT_EQ(std::filesystem::u8path(rotation.DesktopPicture()).filename(), "picture1.bmp");
  SendMessageW(window.hwnd, WM_HOTKEY, TSkin::kMenuForward, 0);
  EXPECT_EQ(std::filesystem::u8path(rotation.DesktopPicture()).filename(), "picture0.bmp");
  SendMessageW(window.hwnd, WM_HOTKEY, TSkin::kMenuFavourite, 0);
  const std::int32_t favourites = window.skin->Library().FindCategory("Favourites");
  ASSERT_GE(favourites, 0);
  EXPECT_EQ(window.skin->Library().CategoryAt(favourites).pictures,
            std::vector<std::string>{folder.dir.File("picture0.bmp")});
  window.skin->Settings().confirm_never_show = 0;
  SendMessageW(window.hwnd, WM_HOTKEY, TSkin::kMenuNever, 0);
  EXPECT_EQ(window.skin->Library().CurrentPictureCount(), 6);
  EXPECT_TRUE(window.skin->GetSession().CanUndoNeverShow());

  // With no category, a drop says so, over the main window.
  window.skin->Library().currentCategory = -1;
  testing::DialogCatcher catcher;
  catcher.ThenAnswer(IDOK);
  SendMessageW(window.hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({folder.dir.File("alone.bmp")})), 0);
  catcher.ExpectAllAnswered();
  ASSERT_EQ(catcher.Boxes().size(), 1u);
  EXPECT_EQ(catcher.Boxes()[0].text, L"Please select a category.");
  EXPECT_EQ(catcher.Boxes()[0].owner, window.hwnd);
}

// A hotkey another program holds is skipped without a word; the program
// holds the others, and the one set in the settings instead of a default.
TEST(TSkinWindow, AHotkeyHeldElsewhereIsSkippedWithoutABox) {
  constexpr UINT kAll = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
  // "Another program": a hotkey of this thread, with no window.
  ASSERT_TRUE(RegisterHotKey(nullptr, 101, kAll, VK_RIGHT));
  ProgramFolder folder("hotkey_random=Win+F9\r\n", true);
  testing::DialogCatcher catcher;
  {
    Window window(folder.dir.Path());
    ASSERT_NE(window.hwnd, nullptr);
    EXPECT_TRUE(catcher.Boxes().empty());
    // Previous is the program's now, and so is its random key.
    EXPECT_FALSE(RegisterHotKey(nullptr, 102, kAll, VK_LEFT));
    EXPECT_FALSE(RegisterHotKey(nullptr, 103, MOD_WIN, VK_F9));
    // The default random key was not taken.
    EXPECT_TRUE(RegisterHotKey(nullptr, 104, kAll, VK_DOWN));
    UnregisterHotKey(nullptr, 104);
  }
  // A closed window gives its hotkeys back.
  EXPECT_TRUE(RegisterHotKey(nullptr, 102, kAll, VK_LEFT));
  UnregisterHotKey(nullptr, 102);
  UnregisterHotKey(nullptr, 101);
}

// A hotkey Windows needs is not taken: told once, in a box of the window,
// and left in the file as the user wrote it.
TEST(TSkinWindow, ARefusedHotkeyIsToldOnceAndStaysInTheFile) {
  ProgramFolder folder("hotkey_next=Alt+F4\r\n", true);
  testing::DialogCatcher catcher;
  catcher.ThenAnswer(IDOK);
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  // The settings again (cancelled): no second box.
  catcher.Then(Later([](HWND sheet) { SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }));
  SendMessageW(window.hwnd, WM_COMMAND, TSkin::kMenuSettings, 0);
  catcher.ExpectAllAnswered();
  ASSERT_EQ(catcher.Boxes().size(), 1u);
  EXPECT_NE(catcher.Boxes()[0].text.find(L"\"Alt+F4\" (hotkey_next"), std::wstring::npos);
  EXPECT_EQ(catcher.Boxes()[0].owner, window.hwnd);
  EXPECT_FALSE(window.skin->HotkeyRegistered(TSkin::kMenuNext));
  EXPECT_TRUE(window.skin->HotkeyRegistered(TSkin::kMenuPrevious));
  // "Back" has a key of its own by default, the other new commands none.
  EXPECT_TRUE(window.skin->HotkeyRegistered(TSkin::kMenuBack));
  EXPECT_FALSE(window.skin->HotkeyRegistered(TSkin::kMenuNever));
  EXPECT_NE(folder.dir.Read("config.ini").find("hotkey_next=Alt+F4"), std::string::npos);
}

// Messages of a change of the displays while the layout settles: one
// composition for the new layout, two seconds after the last of them, with
// the picture on the desktop, the preview and the countdown left alone.
TEST(TSkinWindow, AChangeOfTheDisplaysComposesOnceItHasSettled) {
  ProgramFolder folder("monitor_mode=1\r\n", true);
  int sets = 0;
  Window window(folder.dir.Path(), &sets);
  ASSERT_NE(window.hwnd, nullptr);
  SendMessageW(window.lists[0], LB_SETCURSEL, 2, 0);
  SendMessageW(window.hwnd, WM_COMMAND, MAKEWPARAM(202, LBN_SELCHANGE), reinterpret_cast<LPARAM>(window.lists[0]));
  const std::string previewed = window.skin->GetSession().Renderer().CurrentPicturePath();
  const int minutes = window.skin->Settings().second_counter;
  const int before = sets;
  const std::string wallpaper = folder.dir.File("pictora.bmp");
  std::filesystem::remove(std::filesystem::u8path(wallpaper));

  const auto wait = [](DWORD ms) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
      Pump();
      Sleep(20);
    }
  };
  for (int i = 0; i < 4; ++i) {
    SendMessageW(window.hwnd, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
    wait(300);
  }
  EXPECT_EQ(sets, before) << "composed before the layout settled";
  wait(TSkin::kDisplaySettle + 800);
  EXPECT_EQ(sets, before + 1);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(wallpaper)));
  EXPECT_EQ(window.skin->Library().currentWallpaper, 0);
  EXPECT_EQ(window.skin->GetSession().Renderer().CurrentPicturePath(), previewed);
  EXPECT_EQ(window.skin->Settings().second_counter, minutes);
  // Nothing more without another change of the displays.
  wait(TSkin::kDisplaySettle + 300);
  EXPECT_EQ(sets, before + 1);
}

// The first edit box of a dialog, searched through its children.
BOOL CALLBACK FindEdit(HWND child, LPARAM found) {
  char name[32] = {};
  GetClassNameA(child, name, sizeof name);
  if (_stricmp(name, "Edit") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

TEST(TSkinWindow, TheFolderButtonAddsTheChosenFolder) {
  ProgramFolder folder("", true);
  std::filesystem::create_directories(std::filesystem::u8path(folder.dir.File("holiday")));
  Image picture;
  picture.Create(8, 6);
  for (const char* name : {"holiday/beach.bmp", "holiday/sea.bmp"}) picture.Save(folder.dir.File(name));
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  testing::DialogCatcher catcher;
  const std::wstring chosen = testing::Wide(folder.dir.File("holiday"));
  std::wstring caption;
  // The folder picker: the folder typed into its name box, then OK.
  catcher.Then([&](HWND dialog) {
    caption = testing::WindowText(dialog);
    HWND edit = nullptr;
    EnumChildWindows(dialog, FindEdit, reinterpret_cast<LPARAM>(&edit));
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, chosen.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  window.skin->HandleSkinCommand("BUTTON_FOLDERADD");
  catcher.ExpectAllAnswered();
  WaitForAdding(window);
  EXPECT_EQ(testing::Items(window.lists[0]),
            (std::vector<std::string>{"picture0.bmp", "picture1.bmp", "picture2.bmp", "beach.bmp", "sea.bmp"}))
      << testing::Utf8(caption);
}

// A folder of many pictures with a link back up inside (tests/e2e/
// big_folder.sh makes it and names it here): the window answers while it
// is scanned, and each picture comes in once.
TEST(TSkinWindow, ABigFolderIsAddedWhileTheWindowAnswers) {
  const char* big = std::getenv("VISTELLE_BIG_FOLDER");
  const char* count = std::getenv("VISTELLE_BIG_FOLDER_PICTURES");
  if (big == nullptr || count == nullptr) GTEST_SKIP() << "made by tests/e2e/big_folder.sh";
  ProgramFolder folder("", true);
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  // Another thread asks the window something every few milliseconds and
  // notes the longest wait for the answer.
  std::atomic<bool> asking{true};
  std::atomic<bool> asked{false};
  std::atomic<DWORD> longest{0};
  std::thread asker([&] {
    while (asking) {
      const DWORD start = GetTickCount();
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(window.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
      longest = std::max<DWORD>(longest, GetTickCount() - start);
      Sleep(5);
    }
    asked = true;
  });
  const DWORD start = GetTickCount();
  SendMessageW(window.hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({big})), 0);
  WaitForAdding(window);
  const DWORD took = GetTickCount() - start;
  // The last question is answered before the thread goes.
  asking = false;
  while (!asked) {
    Pump();
    Sleep(1);
  }
  asker.join();
  EXPECT_EQ(window.skin->Library().CurrentPictureCount(), 3 + std::atoi(count));
  // Wine shows the links as folders or as folder links; either way they
  // lead to what they name, which the scan knows by its identity.
  const auto listing = MakeSystemFolderListing();
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(listing->List(std::string(big) + "\\050", entries));
  const auto up_entry = std::find_if(entries.begin(), entries.end(), [](const FolderEntry& e) { return e.name == "up"; });
  ASSERT_NE(up_entry, entries.end());
  std::printf("the link \"up\" is listed as a %s\n", up_entry->kind == EntryKind::kFolderLink ? "folder link" : "folder");
  FolderIdentity top, up;
  ASSERT_TRUE(listing->IdentityOf(big, top));
  ASSERT_TRUE(listing->IdentityOf(std::string(big) + "\\050\\up", up));
  EXPECT_TRUE(top == up);
  EXPECT_LT(longest.load(), 500u) << "the window did not answer for " << longest << " ms";
  std::printf("%d pictures added in %lu ms; the longest wait for an answer: %lu ms\n", std::atoi(count),
              static_cast<unsigned long>(took), static_cast<unsigned long>(longest.load()));
}

TEST(TSkinWindow, TheRandomCommandShowsEachPictureOnceARound) {
  ProgramFolder folder("sposob_wybierania=1\r\n", true, 6);
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  std::vector<int> shown(6, 0);
  for (int i = 0; i < 12; ++i) {
    SendMessageW(window.hwnd, WM_COMMAND, TSkin::kMenuRandom, 0);
    const int picture = window.skin->Library().currentWallpaper;
    ASSERT_GE(picture, 0);
    ASSERT_LT(picture, 6);
    ++shown[static_cast<std::size_t>(picture)];
    // Within a round each picture once: after six, all six.
    if (i == 5) {
      EXPECT_EQ(shown, std::vector<int>(6, 1));
    }
  }
  EXPECT_EQ(shown, std::vector<int>(6, 2));
}

// A command's box is the main window's and keeps it from being used; the
// lists show the session after each command.
TEST(TSkinWindow, BoxesAreModalToTheWindowAndTheListsFollowTheSession) {
  ProgramFolder folder("", true);
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  const auto shown = [&] {
    const WallpaperLibrary& library = window.skin->Library();
    EXPECT_EQ(testing::Items(window.lists[0]), library.PictureListItems());
    EXPECT_EQ(testing::Selected(window.lists[0]), library.PictureListSelection());
    EXPECT_EQ(testing::Items(window.lists[1]), library.CategoryListItems());
    EXPECT_EQ(testing::Selected(window.lists[1]), library.CategoryListSelection());
  };
  shown();
  testing::DialogCatcher catcher;
  bool enabled_while_open = true;
  HWND owner = nullptr;
  catcher.Then(Later([&](HWND box) {
    enabled_while_open = IsWindowEnabled(window.hwnd) != FALSE;
    owner = GetWindow(box, GW_OWNER);
    PostMessageW(box, WM_COMMAND, IDYES, 0);
  }));
  window.skin->HandleSkinCommand("BUTTON_CLEARLIST");
  catcher.ExpectAllAnswered();
  EXPECT_FALSE(enabled_while_open);
  EXPECT_EQ(owner, window.hwnd);
  EXPECT_TRUE(IsWindowEnabled(window.hwnd));
  EXPECT_TRUE(testing::Items(window.lists[0]).empty());
  shown();

  // A click in the category list, then commands on the pictures.
  SendMessageW(window.lists[1], LB_SETCURSEL, 0, 0);
  window.skin->Library().CategoryAt(0).pictures = {"C:\\a.bmp", "C:\\b.bmp", "C:\\c.bmp"};
  catcher.ThenAnswer(IDOK);  // the first picture is not there
  SendMessageW(window.hwnd, WM_COMMAND, MAKEWPARAM(TSkin::kCategoryListId, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(window.lists[1]));
  for (const char* command : {"BUTTON_MOVEUP", "BUTTON_WALLPAPERDELETE", "BUTTON_CLEAR"}) {
    window.skin->HandleSkinCommand(command);
    shown();
  }
  catcher.ExpectAllAnswered();
  EXPECT_EQ(window.skin->Library().CategoryAt(0).pictures, (std::vector<std::string>{"C:\\b.bmp", "C:\\c.bmp"}));
}

// The settings sheet takes the settings as they are and hands back what it
// closed with; a change by a hotkey while it was open stays.
TEST(TSkinWindow, TheSheetsResultIsAppliedAndAChangeMeanwhileStays) {
  ProgramFolder folder("zmiana_tapety_co=1\r\ngodz_sek=1\r\nco_ile_sek_godz=30\r\nsecond_counter=12\r\n", true);
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  testing::DialogCatcher catcher;
  catcher.Then(Later([&](HWND sheet) {
    SendMessageW(window.hwnd, WM_HOTKEY, TSkin::kMenuNext, 0);
    const HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    SendDlgItemMessageW(page, IDC_OPT_CENTER, BM_CLICK, 0, 0);
    SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
  }));
  SendMessageW(window.hwnd, WM_COMMAND, TSkin::kMenuSettings, 0);
  catcher.ExpectAllAnswered();
  const TConfig& settings = window.skin->Settings();
  EXPECT_EQ(settings.sposob_wyswietlania, 2);
  EXPECT_EQ(window.skin->Library().currentWallpaper, 1);
  EXPECT_EQ(settings.second_counter, 0);  // the change restarted the countdown
  EXPECT_EQ(window.skin->Countdown(), "Wallpaper will change in: 30 min.");
  const std::string ini = folder.dir.Read("config.ini");
  EXPECT_NE(ini.find("second_counter=0"), std::string::npos);
  EXPECT_NE(ini.find("sposob_wyswietlania=2"), std::string::npos);
}

// Left running, the program changes wallpapers, loads skins and opens the
// settings again and again; none of it may keep a handle it took. (A
// thousand changes, a hundred skin loads and ten sheets: a sheet takes two
// seconds under Wine.)
TEST(TSkinWindow, AThousandChangesSkinLoadsAndSheetsGiveBackEveryHandle) {
  ProgramFolder folder("", true);
  {
    Window window(folder.dir.Path());
    ASSERT_NE(window.hwnd, nullptr);
    const std::string skin_file = folder.dir.Path() + "\\Skin\\skin.ini";
    testing::DialogCatcher catcher(0);
    int sheets = 0;
    // Every page of the sheet is made, then the sheet is cancelled.
    catcher.Otherwise([&sheets](HWND sheet) {
      ++sheets;
      PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
      PostMessageA(sheet, PSM_SETCURSEL, 2, 0);
      PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    auto round = [&](int i) {
      SendMessageA(window.hwnd, WM_COMMAND, TSkin::kMenuNext, 0);
      if (i % 10 == 0) {
        ASSERT_TRUE(window.skin->LoadSkin(skin_file.c_str()));
      }
      if (i % 100 == 0) SendMessageA(window.hwnd, WM_COMMAND, TSkin::kMenuSettings, 0);
      InvalidateRect(window.hwnd, nullptr, FALSE);
      UpdateWindow(window.hwnd);
      Pump();
    };
    // Once first: what lives as long as the window (the countdown's font)
    // is made at the first paint.
    round(0);
    const long before = win32::HandleCount::Alive();
    for (int i = 1; i <= 1000; ++i) {
      round(i);
      if (::testing::Test::HasFatalFailure()) break;
    }
    EXPECT_EQ(win32::HandleCount::Alive(), before);
    EXPECT_EQ(sheets, 11);
    EXPECT_EQ(catcher.Boxes().size(), 0u);
    EXPECT_EQ(window.skin->ButtonCount(), 16u);
  }
}


// --- The keyboard and screen readers -----------------------------------------

// A key as the message loop gets it, aimed at the control; then whatever it
// led to runs.
void Key(Window& window, HWND control, UINT message, WPARAM key) {
  MSG msg{};
  msg.hwnd = control;
  msg.message = message;
  msg.wParam = key;
  msg.lParam = message == WM_KEYUP ? static_cast<LPARAM>(0xC0000001u) : 1;
  if (!window.skin->HandleKeyboard(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  Pump();
}

std::string ControlName(const Window& window, HWND control) {
  if (control == window.lists[0]) return "pictures";
  if (control == window.lists[1]) return "categories";
  return testing::Utf8(testing::WindowText(control));
}

SkinButton* ButtonNamed(const Window& window, const std::string& name) {
  for (std::size_t i = 0; i < window.skin->ButtonCount(); ++i)
    if (name == window.skin->ButtonAt(i)->Name()) return window.skin->ButtonAt(i);
  return nullptr;
}

// Counts the About boxes and closes each a moment after it opened.
testing::DialogHandler CloseAbout(int& seen) {
  return Later([&seen](HWND dialog) {
    if (testing::WindowText(dialog) == L"About") ++seen;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
}

TEST(TSkinWindow, TabWalksTheButtonsAndListsSpaceAndEnterPressEscHides) {
  ProgramFolder folder("zmiana_tapety_co=0\r\n", true);
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  SetForegroundWindow(window.hwnd);
  SetFocus(window.hwnd);
  for (std::size_t i = 0; i < window.skin->ButtonCount(); ++i)
    EXPECT_FALSE(window.skin->ButtonAt(i)->ShowsFocusRing());

  // skin/focus_order.h on the default skin; after the last, the first again.
  const std::vector<std::string> order = {
      "BUTTON_WSET_UP", "BUTTON_WSET",        "BUTTON_WSET_DOWN",    "BUTTON_OPTIONS",        "BUTTON_ABOUT",
      "BUTTON_MINIMIZE", "BUTTON_EXIT",       "categories",          "BUTTON_CATEGORYADD",    "BUTTON_CATEGORYDEL",
      "BUTTON_CLEARLIST", "pictures",         "BUTTON_FOLDERADD",    "BUTTON_WALLPAPERADD",   "BUTTON_WALLPAPERDELETE",
      "BUTTON_MOVEUP",   "BUTTON_MOVEDOWN",   "BUTTON_CLEAR",        "BUTTON_WSET_UP"};
  std::vector<std::string> walked;
  for (std::size_t i = 0; i < order.size(); ++i) {
    Key(window, GetFocus(), WM_KEYDOWN, VK_TAB);
    walked.push_back(ControlName(window, GetFocus()));
  }
  EXPECT_EQ(walked, order);
  // The keyboard was used: the focused button shows its ring.
  EXPECT_TRUE(ButtonNamed(window, "BUTTON_WSET_UP")->ShowsFocusRing());
  EXPECT_FALSE(ButtonNamed(window, "BUTTON_WSET")->ShowsFocusRing());

  // Enter presses at once; Space when it is let go.
  SkinButton* about = ButtonNamed(window, "BUTTON_ABOUT");
  ASSERT_NE(about, nullptr);
  SetFocus(about->Handle());
  int abouts = 0;
  {
    testing::DialogCatcher catcher;
    catcher.Then(CloseAbout(abouts));
    Key(window, about->Handle(), WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(abouts, 1);
    Key(window, about->Handle(), WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(about->CurrentLook(), SkinButton::Look::kPressed);
    EXPECT_EQ(abouts, 1);
    catcher.Then(CloseAbout(abouts));
    Key(window, about->Handle(), WM_KEYUP, VK_SPACE);
    EXPECT_EQ(abouts, 2);
    // Enter in a list presses nothing (nor opens or hides the window).
    Key(window, window.lists[0], WM_KEYDOWN, VK_RETURN);
    catcher.ExpectAllAnswered();
  }
  EXPECT_TRUE(IsWindowVisible(window.hwnd));

  // Esc while pictures are being added cancels the adding; else it hides.
  SendMessageW(window.hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({folder.dir.File("picture0.bmp")})), 0);
  ASSERT_TRUE(window.skin->GetSession().Adding());
  Key(window, window.lists[0], WM_KEYDOWN, VK_ESCAPE);
  EXPECT_TRUE(IsWindowVisible(window.hwnd));
  WaitForAdding(window);
  Key(window, window.lists[0], WM_KEYDOWN, VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(window.hwnd));
}

// What a screen reader is told of a control itself.
struct Told {
  std::wstring name;
  LONG role = 0;
  std::wstring action;
};

Told AskAbout(HWND control) {
  Told told;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      object == nullptr)
    return told;
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if (SUCCEEDED(object->get_accName(self, &text)) && text != nullptr) told.name = text;
  SysFreeString(text);
  text = nullptr;
  if (SUCCEEDED(object->get_accDefaultAction(self, &text)) && text != nullptr) told.action = text;
  SysFreeString(text);
  VARIANT role;
  VariantInit(&role);
  if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) told.role = role.lVal;
  VariantClear(&role);
  object->Release();
  return told;
}

TEST(TSkinWindow, ScreenReadersHearTheButtonsTooltipsAndTheListsLabels) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    ProgramFolder folder("zmiana_tapety_co=0\r\n", true);
    Window window(folder.dir.Path());
    ASSERT_NE(window.hwnd, nullptr);
    IniFile ini;
    ini.SetPath(folder.dir.File("Skin\\skin.ini"));
    const SkinDescription skin = ReadSkinDescription(ini.Reader());
    ASSERT_EQ(window.skin->ButtonCount(), skin.buttons.size());
    for (const SkinButtonEntry& entry : skin.buttons) {
      const SkinButton* button = ButtonNamed(window, entry.name);
      ASSERT_NE(button, nullptr) << entry.name;
      const Told told = AskAbout(button->Handle());
      EXPECT_EQ(told.name, testing::Wide(entry.tooltip)) << entry.name;
      EXPECT_EQ(told.role, ROLE_SYSTEM_PUSHBUTTON) << entry.name;
      EXPECT_EQ(told.action, L"Press") << entry.name;
    }
    EXPECT_EQ(AskAbout(window.lists[0]).name, L"Pictures");
    EXPECT_EQ(AskAbout(window.lists[1]).name, L"Categories");
  }
  if (SUCCEEDED(com)) CoUninitialize();
}

// Moved to a monitor of another scaling (Wine has one DPI for all, so the
// message is sent as Windows would): the skin, the lists and the preview
// are laid out for it, at the place Windows suggests.
TEST(TSkinWindow, AnotherMonitorsScalingLaysTheWindowOutAgain) {
  ProgramFolder folder("", true);
  Window window(folder.dir.Path());
  ASSERT_NE(window.hwnd, nullptr);
  RECT suggested = {300, 200, 300 + 870, 200 + 615};
  SendMessageW(window.hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(window.skin->Scale(), 150);
  RECT at{};
  GetWindowRect(window.hwnd, &at);
  EXPECT_EQ(at.left, 300);
  EXPECT_EQ(at.top, 200);
  EXPECT_EQ(at.right - at.left, 870);
  EXPECT_EQ(at.bottom - at.top, 615);
  GetWindowRect(window.lists[0], &at);
  MapWindowPoints(nullptr, window.hwnd, reinterpret_cast<POINT*>(&at), 2);
  EXPECT_EQ(at.left, 399);
  EXPECT_EQ(at.top, 209);
  EXPECT_EQ(at.right - at.left, 434);
  EXPECT_EQ(window.skin->ButtonCount(), 16u);
  // Back at 100 %.
  suggested = {300, 200, 880, 610};
  SendMessageW(window.hwnd, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  GetWindowRect(window.hwnd, &at);
  EXPECT_EQ(at.right - at.left, 580);
  EXPECT_EQ(at.bottom - at.top, 410);
}

}  // namespace
}  // namespace vistelle
