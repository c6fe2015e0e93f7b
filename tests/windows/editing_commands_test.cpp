// The editing commands on real list boxes, with their message boxes, the
// New-category dialog, the About box and the open-file dialog driven the way
// a person would: each dialog of this thread is caught by a CBT hook as it
// opens, read, filled in and answered.
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
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/about_dialog_win32.h"
#include "config/profile_store.h"
#include "library/editing_commands_win32.h"
#include "library/list_box_view_win32.h"
#include "library/wallpaper_library.h"
#include "base/win32/message_boxes_win32.h"
#include "image/image.h"
#include "resources/editing_ids.h"
#include "tests/shared/test_desktop.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

using testing::DialogHandler;
using testing::Items;
using testing::Selected;
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

// Three categories, "Ptaki", "Koty" (current, with a.bmp, b.bmp, c.bmp)
// and "Psy", on real list boxes, with the editor of the main window.
class EditingOnListBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string bytes = "Ptaki\r\n" + dir.Path() + "\\bird.bmp\r\n\r\nKoty";
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) bytes += "\r\n" + dir.Path() + "\\" + name;
    bytes += "\r\n\r\nPsy";
    dir.Write("pictora.txt", bytes);
    store->WriteString(dir.File("config.ini"), "setting", "category", "1");
    library = std::make_unique<WallpaperLibrary>(dir.Path(), desktop, *store);
    picture_view.Attach(host.Pictures());
    category_view.Attach(host.Categories());
    library->AttachLists(picture_view, category_view);
    ASSERT_TRUE(library->Load());
    messages.SetMainWindow(host.Window());
    editor = std::make_unique<LibraryEditor>(*library, messages, host.Window());
    previous_directory = CurrentDirectory();
  }
  void TearDown() override { SetCurrentDirectoryA(previous_directory.c_str()); }

  std::vector<std::string> Model(int category) const { return library->CategoryAt(category).pictures; }

  testing::TestDir dir;
  std::unique_ptr<ProfileStore> store = MakeSystemProfileStore();
  testing::TestDesktop desktop{ScreenSize{16, 12}};
  win32::MessageBoxes messages;
  Host host;
  ListBoxView picture_view;
  ListBoxView category_view;
  std::unique_ptr<WallpaperLibrary> library;
  std::unique_ptr<LibraryEditor> editor;
  std::string previous_directory;
};

using Names = std::vector<std::string>;

TEST_F(EditingOnListBoxes, ClearListAnsweredNoKeepsTheCategoryAndYesEmptiesIt) {
  DialogCatcher catcher;
  catcher.ThenAnswer(IDNO);
  catcher.ThenAnswer(IDYES);
  editor->ClearCategory();
  EXPECT_EQ(Model(1).size(), 3u);
  EXPECT_EQ(Items(host.Pictures()), (Names{"a.bmp", "b.bmp", "c.bmp"}));

  editor->ClearCategory();
  catcher.ExpectAllAnswered();
  ASSERT_EQ(catcher.Boxes().size(), 2u);
  for (const testing::CaughtBox& box : catcher.Boxes()) {
    EXPECT_EQ(box.caption, L"Vistelle");
    EXPECT_EQ(box.text, L"Are you sure?");
    EXPECT_EQ(box.icon, LoadIconA(nullptr, IDI_QUESTION));
    EXPECT_TRUE(box.yes_no);
    EXPECT_EQ(box.owner, nullptr);
  }
  EXPECT_TRUE(Model(1).empty());
  EXPECT_TRUE(Items(host.Pictures()).empty());
  EXPECT_EQ(Items(host.Categories()), (Names{"Ptaki", "Koty", "Psy"}));
  EXPECT_EQ(Selected(host.Categories()), 1);
}

TEST_F(EditingOnListBoxes, DeleteCategoryAsksOverTheMainWindowAndLeavesNoneSelected) {
  DialogCatcher catcher;
  catcher.ThenAnswer(IDNO);
  catcher.ThenAnswer(IDYES);
  editor->DeleteCategory();
  EXPECT_EQ(library->CategoryCount(), 3);
  editor->DeleteCategory();
  catcher.ExpectAllAnswered();
  ASSERT_EQ(catcher.Boxes().size(), 2u);
  EXPECT_EQ(catcher.Boxes()[1].caption, L"Vistelle");
  EXPECT_EQ(catcher.Boxes()[1].text, L"Are you sure?");
  EXPECT_EQ(catcher.Boxes()[1].owner, host.Window());
  EXPECT_TRUE(catcher.Boxes()[1].yes_no);

  EXPECT_EQ(Items(host.Categories()), (Names{"Ptaki", "Psy"}));
  EXPECT_EQ(Selected(host.Categories()), -1);
  EXPECT_TRUE(Items(host.Pictures()).empty());
  EXPECT_EQ(library->currentCategory, -1);
  ASSERT_TRUE(library->Save());
  EXPECT_EQ(store->GetInt(dir.File("config.ini"), "setting", "category", 0), -1);
}

TEST_F(EditingOnListBoxes, EachCommandWithoutASelectionWarnsInItsOwnWords) {
  SendMessageW(host.Pictures(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  DialogCatcher catcher;
  for (int i = 0; i < 3; ++i) catcher.ThenAnswer(IDOK);
  editor->DeletePicture();
  editor->MovePictureUp();
  editor->MovePictureDown();
  SendMessageW(host.Categories(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  for (int i = 0; i < 3; ++i) catcher.ThenAnswer(IDOK);
  editor->ClearCategory();
  editor->DeleteCategory();
  SetCurrentDirectoryA("C:\\");
  editor->AddPictures();  // no dialog opens
  catcher.ExpectAllAnswered();

  const std::vector<std::pair<std::wstring, HWND>> expected = {
      {L"Please select a file.", nullptr},   {L"Please, select a file.", nullptr},
      {L"Please select a file.", nullptr},   {L"Please select category", nullptr},
      {L"Please select a category", host.Window()}, {L"Please select a category.", host.Window()}};
  ASSERT_EQ(catcher.Boxes().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(catcher.Boxes()[i].caption, L"Communicat");
    EXPECT_EQ(catcher.Boxes()[i].text, expected[i].first) << i;
    EXPECT_EQ(catcher.Boxes()[i].owner, expected[i].second) << i;
    EXPECT_EQ(catcher.Boxes()[i].icon, LoadIconA(nullptr, IDI_WARNING)) << i;
  }
  EXPECT_EQ(library->CategoryCount(), 3);
  EXPECT_EQ(Model(1).size(), 3u);
  // Even so, the working directory is the program's folder again.
  EXPECT_EQ(CurrentDirectory(), dir.Path());
}

TEST_F(EditingOnListBoxes, MovesAndDeletesKeepTheListBoxInStepWithTheCategory) {
  const std::string a = dir.Path() + "\\a.bmp", b = dir.Path() + "\\b.bmp", c = dir.Path() + "\\c.bmp";
  DialogCatcher catcher;
  SendMessageW(host.Pictures(), LB_SETCURSEL, 0, 0);
  editor->MovePictureUp();
  EXPECT_EQ(Model(1), (Names{b, c, a}));
  EXPECT_EQ(Items(host.Pictures()), (Names{"b.bmp", "c.bmp", "a.bmp"}));
  EXPECT_EQ(Selected(host.Pictures()), 2);
  editor->MovePictureDown();
  EXPECT_EQ(Items(host.Pictures()), (Names{"a.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(Selected(host.Pictures()), 0);
  editor->MovePictureDown();
  EXPECT_EQ(Items(host.Pictures()), (Names{"b.bmp", "a.bmp", "c.bmp"}));
  EXPECT_EQ(Selected(host.Pictures()), 1);
  editor->MovePictureUp();
  EXPECT_EQ(Model(1), (Names{a, b, c}));
  EXPECT_EQ(Selected(host.Pictures()), 0);
  EXPECT_EQ(library->selectedPicture, 0);

  SendMessageW(host.Pictures(), LB_SETCURSEL, 1, 0);
  editor->DeletePicture();
  EXPECT_EQ(Items(host.Pictures()), (Names{"a.bmp", "c.bmp"}));
  EXPECT_EQ(Selected(host.Pictures()), 1);
  editor->DeletePicture();
  EXPECT_EQ(Model(1), Names{a});
  EXPECT_EQ(Selected(host.Pictures()), -1);

  editor->ClearPictureList();
  EXPECT_TRUE(Items(host.Pictures()).empty());
  EXPECT_EQ(Model(1), Names{a});
  catcher.ExpectAllAnswered();
}

TEST_F(EditingOnListBoxes, TooManyChosenFilesAreToldInPolishOverTheMainWindow) {
  class TooMany final : public PictureChooser {
   public:
    ChosenFiles Choose() override {
      SetCurrentDirectoryA("C:\\");  // the dialog may move it
      ChosenFiles chosen;
      chosen.outcome = ChosenFiles::Outcome::kBufferTooSmall;
      return chosen;
    }
  } chooser;
  DialogCatcher catcher;
  catcher.ThenAnswer(IDOK);
  editor->AddPictures(chooser);
  catcher.ExpectAllAnswered();
  ASSERT_EQ(catcher.Boxes().size(), 1u);
  EXPECT_EQ(catcher.Boxes()[0].caption, L"B\u0142\u0105d");
  EXPECT_EQ(catcher.Boxes()[0].text, L"Zbyt du\u017co zaznaczonych plik\u00f3w.");
  EXPECT_EQ(catcher.Boxes()[0].icon, LoadIconA(nullptr, IDI_ERROR));
  EXPECT_EQ(catcher.Boxes()[0].owner, host.Window());
  EXPECT_EQ(Model(1).size(), 3u);
  EXPECT_EQ(CurrentDirectory(), dir.Path());
}

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

TEST_F(EditingOnListBoxes, TheNewCategoryDialogAddsWhatWasTypedAtTheEnd) {
  DialogCatcher catcher;
  catcher.Then(TypeName(L"", IDOK));
  catcher.Then(TypeName(L"Holiday", IDCANCEL));
  catcher.Then(TypeName(L"Holiday", IDOK));
  catcher.Then(TypeName(L"Holiday", IDOK));
  for (int i = 0; i < 4; ++i) editor->NewCategory();
  catcher.Then(TypeName(std::wstring(300, L'x'), IDOK));
  catcher.Then(PasteName(L"\u017b\u00f3\u0142wie"));
  editor->NewCategory();
  editor->NewCategory();
  catcher.ExpectAllAnswered();

  EXPECT_EQ(Items(host.Categories()),
            (Names{"Ptaki", "Koty", "Psy", "Holiday", "Holiday", std::string(254, 'x'), u8"\u017b\u00f3\u0142wie"}));
  ASSERT_EQ(library->CategoryCount(), 7);
  EXPECT_EQ(library->CategoryAt(3).name, "Holiday");
  EXPECT_EQ(library->CategoryAt(4).name, "Holiday");
  EXPECT_EQ(library->CategoryAt(5).name, std::string(254, 'x'));
  EXPECT_EQ(library->CategoryAt(6).name, u8"\u017b\u00f3\u0142wie");
  EXPECT_TRUE(library->CategoryAt(6).pictures.empty());
  EXPECT_EQ(Selected(host.Categories()), 1);
  EXPECT_EQ(library->currentCategory, 1);
  EXPECT_FALSE(editor->Commands().pendingCategory);
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
    SetCurrentDirectoryA(dir.Path().c_str());
    RunAboutDialog(host.Window());
    catcher.Then(LookAtAbout(without_pictures));
    SetCurrentDirectoryA(previous.c_str());
    RunAboutDialog(host.Window());
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

TEST_F(EditingOnListBoxes, TheChooserAddsThreeFilesOfAFolderInOrderAndFilesOfADriveRoot) {
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
  SendMessageW(host.Pictures(), LB_SETCURSEL, 1, 0);
  library->selectedPicture = 1;
  SetCurrentDirectoryA("C:\\windows");

  DialogCatcher catcher;
  catcher.Then(InSteps({
      [&](HWND dialog) { TypeAndOpen(dialog, folder); },
      [&](HWND dialog) { TypeAndOpen(dialog, "\"a.bmp\" \"b.bmp\" \"c.bmp\""); },
  }));
  editor->AddPictures();
  EXPECT_EQ(CurrentDirectory(), dir.Path());
  catcher.Then(InSteps({[&](HWND dialog) { TypeAndOpen(dialog, "C:\\" + root_one); }}));
  editor->AddPictures();
  catcher.Then(InSteps({
      [&](HWND dialog) { TypeAndOpen(dialog, "C:\\"); },
      [&](HWND dialog) { TypeAndOpen(dialog, "\"" + root_two + "\" \"" + root_one + "\""); },
  }));
  editor->AddPictures();
  catcher.Then(InSteps({[&](HWND dialog) { Press(dialog, IDCANCEL); }}));
  editor->ClearPictureList();
  editor->AddPictures();
  catcher.ExpectAllAnswered();
  DeleteFileA(("C:\\" + root_one).c_str());
  DeleteFileA(("C:\\" + root_two).c_str());

  const Names model = Model(1);
  ASSERT_EQ(model.size(), 9u);
  EXPECT_EQ(Names(model.begin() + 3, model.end()),
            (Names{folder + "\\a.bmp", folder + "\\b.bmp", folder + "\\c.bmp", "C:\\" + root_one,
                   "C:\\" + root_two, "C:\\" + root_one}));
  // After the cancelled dialog too, the list is whole again, with the
  // selected picture selected.
  EXPECT_EQ(Items(host.Pictures()), (Names{"a.bmp", "b.bmp", "c.bmp", "a.bmp", "b.bmp", "c.bmp", root_one, root_two,
                                          root_one}));
  EXPECT_EQ(Selected(host.Pictures()), 1);
  EXPECT_EQ(CurrentDirectory(), dir.Path());
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

TEST_F(EditingOnListBoxes, ThePanelShowsTheSelectedPicturesThumbnailAndSize) {
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
  editor->AddPictures();
  catcher.ExpectAllAnswered();

  EXPECT_TRUE(seen.checked_at_start);
  EXPECT_EQ(seen.width, L"160");
  EXPECT_EQ(seen.height, L"120");
  EXPECT_EQ(seen.middle, RGB(230, 120, 20));
  EXPECT_EQ(seen.width_after_uncheck, L"0");
  EXPECT_EQ(seen.height_after_uncheck, L"120");
  EXPECT_EQ(seen.width_unchecked_change, L"0");
  EXPECT_EQ(Model(1).size(), 3u);
}

}  // namespace
}  // namespace vistelle
