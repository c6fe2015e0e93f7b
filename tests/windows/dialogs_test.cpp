// The main window's dialogs: the New-category dialog, the About box and the
// open-file dialog with its thumbnail panel, driven the way a person would:
// each dialog of this thread is caught by a CBT hook as it opens, read,
// filled in and answered. They return what the user gave; the commands
// that use them are tested natively.
//
// With VISTELLE_LOOK_MS set, the About box and the picture chooser stay
// open that many milliseconds before they are answered, to be looked at.
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/about_dialog_win32.h"
#include "app/main_window_choices_win32.h"
#include "app/new_category_dialog_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "image/image.h"
#include "library/editing_commands.h"
#include "resources/editing_ids.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

using testing::DialogHandler;
using testing::Items;
using testing::Utf8;
using testing::Wide;
using testing::WindowText;

int LookMilliseconds() {
  const char* value = std::getenv("VISTELLE_LOOK_MS");
  return value ? std::atoi(value) : 0;
}

// --- Dialogs of this thread, caught as they open ---------------------------

// Each dialog of this thread, caught as it opens, is handled in turn: a
// message box read and answered, another dialog driven in steps. Waits the
// VISTELLE_LOOK_MS longer before it closes a dialog left open.
class DialogCatcher : public testing::DialogCatcher {
 public:
  DialogCatcher() : testing::DialogCatcher(kDefaultTimeoutMs + static_cast<unsigned>(LookMilliseconds())) {}
};

// Runs the steps on the dialog one after another, each a moment after the
// one before, so that the dialog handles what a step started first.
std::deque<std::function<void(HWND)>> g_steps;
UINT g_next_delay = 300;

void CALLBACK RunNextStep(HWND dialog, UINT, UINT_PTR timer, DWORD) {
  KillTimer(dialog, timer);
  if (g_steps.empty()) return;
  auto step = std::move(g_steps.front());
  g_steps.pop_front();
  g_next_delay = 300;
  step(dialog);
  if (!g_steps.empty()) SetTimer(dialog, timer, g_next_delay, RunNextStep);
}

// Leaves the dialog as it is for VISTELLE_LOOK_MS before the next step.
void LetLook() {
  const int look = LookMilliseconds();
  if (look > 0) g_next_delay = static_cast<UINT>(look);
}

DialogHandler InSteps(std::vector<std::function<void(HWND)>> steps) {
  return [steps](HWND dialog) {
    g_steps.assign(steps.begin(), steps.end());
    SetTimer(dialog, 1, 300, RunNextStep);
  };
}

void Press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// A stand-in for the main window: the picture list (202) and the category
// list (203).
class Host : public testing::ListBoxHost {
 public:
  Host() : ListBoxHost("Vistelle", true, 20, 20) {}
};

void WritePicture(const std::string& path, int width, int height, ColorRef color) {
  Image image;
  ASSERT_TRUE(image.Create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.SetPixelColor(x, y, color);
  ASSERT_TRUE(image.Save(path));
}

std::string CurrentDirectory() {
  char folder[MAX_PATH * 3] = "";
  GetCurrentDirectoryA(sizeof folder, folder);
  return folder;
}

// The main window's choices over a stand-in window, in a program folder of
// their own.
class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    messages.SetMainWindow(host.Window());
    choices.SetMainWindow(host.Window());
    previous_directory = CurrentDirectory();
  }
  void TearDown() override { SetCurrentDirectoryA(previous_directory.c_str()); }

  testing::TestDir dir;
  Host host;
  win32::MessageBoxes messages;
  MainWindowChoices choices{messages, dir.Path()};
  std::string previous_directory;
};

using Names = std::vector<std::string>;

// --- The New-category dialog -----------------------------------------------

// Types the name into the dialog's edit box and presses the button.
DialogHandler TypeName(const std::wstring& name, int button) {
  return [name, button](HWND dialog) {
    EXPECT_EQ(WindowText(dialog), L"New category");
    EXPECT_NE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & WS_SYSMENU, 0);
    EXPECT_NE(GetWindow(dialog, GW_OWNER), nullptr);
    const HWND edit = GetDlgItem(dialog, IDC_NEW_CATEGORY_NAME);
    for (wchar_t c : name) PostMessageW(edit, WM_CHAR, c, 1);
    Press(dialog, button);
  };
}

// Puts a whole name into the edit box at once, as pasting does.
DialogHandler PasteName(const std::wstring& name) {
  return [name](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_NEW_CATEGORY_NAME, name.c_str());
    Press(dialog, IDOK);
  };
}

TEST_F(DialogsTest, TheNewCategoryDialogGivesWhatWasTyped) {
  DialogCatcher catcher;
  catcher.Then(TypeName(L"", IDOK));
  catcher.Then(TypeName(L"Holiday", IDCANCEL));
  catcher.Then(TypeName(L"Holiday", IDOK));
  catcher.Then(TypeName(std::wstring(300, L'x'), IDOK));
  catcher.Then(PasteName(L"\u017b\u00f3\u0142wie"));
  std::vector<std::optional<std::string>> names;
  for (int i = 0; i < 5; ++i) names.push_back(choices.NewCategoryName());
  catcher.ExpectAllAnswered();
  EXPECT_EQ(names, (std::vector<std::optional<std::string>>{std::nullopt, std::nullopt, "Holiday",
                                                            std::string(254, 'x'), u8"\u017b\u00f3\u0142wie"}));
}

// --- The About box ---------------------------------------------------------

struct AboutSeen {
  bool opened = false;
  bool logo = false;
  bool button_picture = false;
  std::string text;
  bool open_after_escape = false;
};

DialogHandler LookAtAbout(AboutSeen& seen) {
  return InSteps({
      [&seen](HWND dialog) {
        seen.opened = true;
        EXPECT_EQ(WindowText(dialog), L"About");
        EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & WS_SYSMENU, 0);
        seen.logo = SendDlgItemMessageW(dialog, IDC_ABOUT_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        seen.button_picture = SendDlgItemMessageW(dialog, IDOK, BM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        seen.text = Utf8(WindowText(GetDlgItem(dialog, IDC_ABOUT_TEXT)));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // Escape
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        LetLook();
      },
      [&seen](HWND dialog) {
        seen.open_after_escape = IsWindow(dialog) != FALSE;
        Press(dialog, IDOK);
      },
  });
}

TEST(AboutDialog, ShowsTheSkinsPicturesAndTheTextAndClosesOnlyWithOk) {
  testing::TestDir dir;
  std::filesystem::create_directories(std::filesystem::u8path(dir.File("Skin")));
  for (const char* name : {"logo.bmp", "bok.bmp"})
    std::filesystem::copy_file(std::filesystem::u8path(std::string(VISTELLE_SOURCE_DIR) + "/data/Skin/" + name),
                               std::filesystem::u8path(dir.File(std::string("Skin/") + name)));
  const std::string previous = CurrentDirectory();
  Host host;

  AboutSeen with_pictures;
  AboutSeen without_pictures;
  {
    DialogCatcher catcher;
    catcher.Then(LookAtAbout(with_pictures));
    // The pictures come from the folder given, wherever the current one is.
    RunAboutDialog(host.Window(), dir.Path());
    catcher.Then(LookAtAbout(without_pictures));
    SetCurrentDirectoryA(dir.Path().c_str());
    RunAboutDialog(host.Window(), dir.File("elsewhere"));
    catcher.ExpectAllAnswered();
  }
  SetCurrentDirectoryA(previous.c_str());

  EXPECT_TRUE(with_pictures.opened);
  EXPECT_TRUE(with_pictures.logo);
  EXPECT_TRUE(with_pictures.button_picture);
  EXPECT_EQ(with_pictures.text, kAboutText);
  EXPECT_NE(with_pictures.text.find("Vistelle 2.0\r\n"), std::string::npos);
  EXPECT_TRUE(with_pictures.open_after_escape);
  EXPECT_TRUE(without_pictures.opened);
  EXPECT_FALSE(without_pictures.logo);
  EXPECT_FALSE(without_pictures.button_picture);
  EXPECT_EQ(without_pictures.text, kAboutText);
}

// --- The picture chooser ---------------------------------------------------

// Types into the open-file dialog's file-name box and presses Open: a folder
// opens it, names choose its files.
void TypeAndOpen(HWND dialog, const std::string& text) {
  const std::wstring wide = Wide(text);
  HWND box = GetDlgItem(dialog, cmb13);
  if (!box) box = GetDlgItem(dialog, edt1);
  ASSERT_NE(box, nullptr);
  SetWindowTextW(box, wide.c_str());
  Press(dialog, IDOK);
}

TEST_F(DialogsTest, TheChooserGivesThreeFilesOfAFolderInOrderAndFilesOfADriveRoot) {
  // A folder with three pictures and something that is not one.
  const std::string folder = dir.File(u8"Zdj\u0119cia");
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
    WritePicture(folder + "\\" + name, 8, 8, MakeColorRef(200, 10, 10));
  // Pictures in the drive root, named for this run.
  const std::string tag = std::to_string(GetCurrentProcessId());
  const std::string root_one = "vistelle_" + tag + "_one.bmp", root_two = "vistelle_" + tag + "_two.bmp";
  WritePicture("C:\\" + root_one, 4, 4, MakeColorRef(1, 2, 3));
  WritePicture("C:\\" + root_two, 4, 4, MakeColorRef(1, 2, 3));
  SetCurrentDirectoryA("C:\\windows");

  DialogCatcher catcher;
  std::vector<Names> chosen;
  const auto choose = [&] {
    const ChosenFiles files = choices.ChoosePictures();
    chosen.push_back(files.outcome == ChosenFiles::Outcome::kChosen ? EditingCommands::ParseChosenFiles(files.files)
                                                                     : Names{"none"});
    // The program's folder again, whatever folder the user visited.
    EXPECT_EQ(CurrentDirectory(), dir.Path());
  };
  catcher.Then(InSteps({
      [&](HWND dialog) { TypeAndOpen(dialog, folder); },
      [&](HWND dialog) { TypeAndOpen(dialog, "\"a.bmp\" \"b.bmp\" \"c.bmp\""); },
  }));
  choose();
  catcher.Then(InSteps({[&](HWND dialog) { TypeAndOpen(dialog, "C:\\" + root_one); }}));
  choose();
  catcher.Then(InSteps({
      [&](HWND dialog) { TypeAndOpen(dialog, "C:\\"); },
      [&](HWND dialog) { TypeAndOpen(dialog, "\"" + root_two + "\" \"" + root_one + "\""); },
  }));
  choose();
  catcher.Then(InSteps({[&](HWND dialog) { Press(dialog, IDCANCEL); }}));
  choose();
  catcher.ExpectAllAnswered();
  DeleteFileA(("C:\\" + root_one).c_str());
  DeleteFileA(("C:\\" + root_two).c_str());

  EXPECT_EQ(chosen, (std::vector<Names>{{folder + "\\a.bmp", folder + "\\b.bmp", folder + "\\c.bmp"},
                                        {"C:\\" + root_one},
                                        {"C:\\" + root_two, "C:\\" + root_one},
                                        {"none"}}));
}

HWND FindPanel(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM out) -> BOOL {
        if (GetDlgCtrlID(child) != IDC_CHOOSER_SHOW_THUMB) return TRUE;
        *reinterpret_cast<HWND*>(out) = GetParent(child);
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindFileList(HWND dialog) {
  const HWND view = FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr);
  return view ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
}

void SelectFile(HWND dialog, int item) {
  const HWND list = FindFileList(dialog);
  ASSERT_NE(list, nullptr);
  LVITEMW state;
  ZeroMemory(&state, sizeof state);
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

struct PanelSeen {
  bool checked_at_start = false;
  std::wstring width, height;
  COLORREF middle = CLR_INVALID;
  std::wstring width_after_uncheck, height_after_uncheck;
  std::wstring width_unchecked_change;
};

TEST_F(DialogsTest, ThePanelShowsTheSelectedPicturesThumbnailAndSize) {
  const std::string folder = dir.File("thumbs");
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  WritePicture(folder + "\\big.bmp", 160, 120, MakeColorRef(230, 120, 20));
  WritePicture(folder + "\\small.bmp", 30, 20, MakeColorRef(20, 90, 200));

  PanelSeen seen;
  HWND panel = nullptr;
  DialogCatcher catcher;
  catcher.Then(InSteps({
      [&](HWND dialog) {
        panel = FindPanel(dialog);
        ASSERT_NE(panel, nullptr);
        seen.checked_at_start = IsDlgButtonChecked(panel, IDC_CHOOSER_SHOW_THUMB) == BST_CHECKED;
        TypeAndOpen(dialog, folder);
      },
      [&](HWND dialog) { SelectFile(dialog, 0); },  // big.bmp
      [&](HWND) {
        seen.width = WindowText(GetDlgItem(panel, IDC_CHOOSER_WIDTH));
        seen.height = WindowText(GetDlgItem(panel, IDC_CHOOSER_HEIGHT));
        const HWND area = GetDlgItem(panel, IDC_CHOOSER_THUMB);
        RECT rect;
        GetClientRect(area, &rect);
        const HDC dc = GetDC(area);
        seen.middle = GetPixel(dc, rect.right / 2, rect.bottom / 2);
        ReleaseDC(area, dc);
        LetLook();
      },
      [&](HWND) { SendDlgItemMessageW(panel, IDC_CHOOSER_SHOW_THUMB, BM_CLICK, 0, 0); },
      [&](HWND dialog) {
        seen.width_after_uncheck = WindowText(GetDlgItem(panel, IDC_CHOOSER_WIDTH));
        seen.height_after_uncheck = WindowText(GetDlgItem(panel, IDC_CHOOSER_HEIGHT));
        SelectFile(dialog, 1);  // small.bmp, with the box unticked
      },
      [&](HWND dialog) {
        seen.width_unchecked_change = WindowText(GetDlgItem(panel, IDC_CHOOSER_WIDTH));
        Press(dialog, IDCANCEL);
      },
  }));
  EXPECT_EQ(choices.ChoosePictures().outcome, ChosenFiles::Outcome::kNone);
  catcher.ExpectAllAnswered();

  EXPECT_TRUE(seen.checked_at_start);
  EXPECT_EQ(seen.width, L"160");
  EXPECT_EQ(seen.height, L"120");
  EXPECT_EQ(seen.middle, RGB(230, 120, 20));
  EXPECT_EQ(seen.width_after_uncheck, L"0");
  EXPECT_EQ(seen.height_after_uncheck, L"120");
  EXPECT_EQ(seen.width_unchecked_change, L"0");
}

}  // namespace
}  // namespace vistelle
