// The library and the rotation on real list boxes, with the real message
// boxes caught by a CBT hook as they open, read and answered.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/rotation.h"
#include "app/user_messages_win32.h"
#include "config/profile_store.h"
#include "library/list_box_view_win32.h"
#include "library/wallpaper_library.h"
#include "render/desktop.h"
#include "render/image.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

// --- Message boxes ---------------------------------------------------------

struct Box {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  HICON icon = nullptr;
};
std::vector<Box> g_boxes;
bool g_closed_by_timeout = false;
HHOOK g_hook = nullptr;

BOOL CALLBACK ReadChild(HWND child, LPARAM box_index) {
  wchar_t class_name[32] = L"";
  GetClassNameW(child, class_name, 32);
  if (lstrcmpiW(class_name, L"Static") != 0) return TRUE;
  Box& box = g_boxes[static_cast<std::size_t>(box_index)];
  if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    box.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    return TRUE;
  }
  wchar_t text[256] = L"";
  GetWindowTextW(child, text, 256);
  if (text[0] != L'\0') box.text = text;
  return TRUE;
}

LRESULT CALLBACK CatchBox(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE) {
    const auto window = reinterpret_cast<HWND>(wparam);
    wchar_t class_name[32] = L"";
    GetClassNameW(window, class_name, 32);
    if (lstrcmpW(class_name, L"#32770") == 0) {
      Box box;
      wchar_t caption[256] = L"";
      GetWindowTextW(window, caption, 256);
      box.caption = caption;
      box.owner = GetWindow(window, GW_OWNER);
      g_boxes.push_back(box);
      EnumChildWindows(window, ReadChild, static_cast<LPARAM>(g_boxes.size() - 1));
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(g_hook, code, wparam, lparam);
}

BOOL CALLBACK CloseBox(HWND window, LPARAM) {
  wchar_t class_name[32] = L"";
  GetClassNameW(window, class_name, 32);
  if (lstrcmpW(class_name, L"#32770") == 0) PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

// Should the hook miss a box, this closes it so the run goes on.
void CALLBACK CloseAfterTimeout(HWND, UINT, UINT_PTR, DWORD) {
  g_closed_by_timeout = true;
  EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0);
}

// Catches every message box of this thread while it lives.
class BoxCatcher {
 public:
  BoxCatcher() {
    g_boxes.clear();
    g_closed_by_timeout = false;
    g_hook = SetWindowsHookExW(WH_CBT, CatchBox, nullptr, GetCurrentThreadId());
    timer_ = SetTimer(nullptr, 0, 10000, CloseAfterTimeout);
  }
  ~BoxCatcher() {
    KillTimer(nullptr, timer_);
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
  BoxCatcher(const BoxCatcher&) = delete;
  BoxCatcher& operator=(const BoxCatcher&) = delete;

  bool Hooked() const { return g_hook != nullptr; }

 private:
  UINT_PTR timer_ = 0;
};

// --- The main window's two list boxes --------------------------------------

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &out[0], length, nullptr, nullptr);
  return out;
}

// What the list box shows, read in UTF-16 as a person would see it.
std::vector<std::string> Items(HWND list_box) {
  std::vector<std::string> out;
  const LRESULT count = SendMessageW(list_box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list_box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(list_box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    out.push_back(Utf8(text));
  }
  return out;
}

int Selected(HWND list_box) { return static_cast<int>(SendMessageW(list_box, LB_GETCURSEL, 0, 0)); }

// A plain window with the picture list (202) and the category list (203)
// where the main window has them.
class Host {
 public:
  Host() {
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "VistelleLibraryTestHost";
    RegisterClassExA(&wc);  // fails harmlessly when already registered
    window_ = CreateWindowExA(0, wc.lpszClassName, "Library", WS_OVERLAPPEDWINDOW, 40, 40, 460, 260, nullptr,
                              nullptr, wc.hInstance, nullptr);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY;
    pictures_ = CreateWindowExA(0, "LISTBOX", "", style, 10, 10, 200, 200, window_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(202)), wc.hInstance, nullptr);
    categories_ = CreateWindowExA(0, "LISTBOX", "", style, 230, 10, 200, 200, window_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(203)), wc.hInstance, nullptr);
  }
  ~Host() { DestroyWindow(window_); }
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  HWND Window() const { return window_; }
  HWND Pictures() const { return pictures_; }
  HWND Categories() const { return categories_; }

 private:
  HWND window_ = nullptr;
  HWND pictures_ = nullptr;
  HWND categories_ = nullptr;
};

// A desktop that records the wallpaper instead of setting it, with a small
// screen so that each composition is quick.
class QuietDesktop final : public Desktop {
 public:
  ScreenSize PrimaryScreenSize() override { return ScreenSize{16, 12}; }
  bool SetWallpaper(const std::string& path) override {
    wallpapers.push_back(path);
    return true;
  }
  void ShowError(const std::string&, const std::string&) override { ++errors; }
  std::vector<std::string> wallpapers;
  int errors = 0;
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
    messages.SetMainWindow(host.Window());
    rotation = std::make_unique<Rotation>(*library, messages);
    library->renderer.Settings().second_counter = 9;
  }

  testing::TestDir dir;
  std::unique_ptr<ProfileStore> store = MakeSystemProfileStore();
  Host host;
  ListBoxView picture_view;
  ListBoxView category_view;
  MessageBoxUserMessages messages;
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
  EXPECT_TRUE(g_boxes.empty());
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
  // A manual change now finds nothing selected and says so.
  rotation->SetNextWallpaper();
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Communicat");
  EXPECT_EQ(g_boxes[0].text, L"Please select a file.");
  EXPECT_EQ(g_boxes[0].icon, LoadIconA(nullptr, IDI_WARNING));
  EXPECT_EQ(g_boxes[0].owner, nullptr);
  EXPECT_TRUE(desktop.wallpapers.empty());
  EXPECT_EQ(library->renderer.Settings().second_counter, 0);

  SendMessageW(host.Categories(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  rotation->ChangeAutomatically();
  EXPECT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(Items(host.Pictures()), kThree);
  EXPECT_EQ(Selected(host.Pictures()), 1);
  EXPECT_EQ(Selected(host.Categories()), 0);
  EXPECT_EQ(library->currentWallpaper, 1);
  EXPECT_EQ(desktop.wallpapers.size(), 1u);
  EXPECT_FALSE(g_closed_by_timeout);
}

TEST_F(LibraryOnListBoxes, AMissingPictureIsReportedAndTheWallpaperStillMoves) {
  auto desktop = MakeSystemDesktop();
  ASSERT_TRUE(desktop);
  char previous[MAX_PATH] = "";
  SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, previous, 0);
  Make(*desktop, {"a.bmp", "missing.bmp", "c.bmp"}, 0);

  BoxCatcher catcher;
  rotation->ChangeAutomatically();
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Vistelle");
  EXPECT_EQ(g_boxes[0].text, L"Error. The file doesn't exist.");
  EXPECT_EQ(g_boxes[0].icon, LoadIconA(nullptr, IDI_ERROR));
  EXPECT_EQ(library->currentWallpaper, 1);
  EXPECT_EQ(Selected(host.Pictures()), 1);
  // The wallpaper was still composed and set, from the picture before.
  char now[MAX_PATH] = "";
  SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0);
  EXPECT_EQ(std::string(now), library->renderer.WallpaperPath());

  // The next change in sequence goes on past it.
  rotation->ChangeAutomatically();
  EXPECT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(library->currentWallpaper, 2);
  EXPECT_FALSE(g_closed_by_timeout);
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, previous, SPIF_UPDATEINIFILE);
}

TEST_F(LibraryOnListBoxes, TheRandomCommandWithoutACategoryWarnsOverTheMainWindow) {
  QuietDesktop desktop;
  Make(desktop, kThree, 0);
  SendMessageW(host.Categories(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  BoxCatcher catcher;
  rotation->SetRandomWallpaper();
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Communicat");
  EXPECT_EQ(g_boxes[0].text, L"Please select a category.");
  EXPECT_EQ(g_boxes[0].owner, host.Window());
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
