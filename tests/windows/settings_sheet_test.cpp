// The settings sheet as the user meets it: the real sheet over the settings
// of config.ini in a folder of its own (read before it opens and written
// back after, as the main window does), driven from a timer inside the
// sheet's own loop (the user's clicks sent as the controls' messages), with
// the colour and file dialogs answered by a hook.
#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config.h"
#include "config/profile_store.h"
#include "render/effects.h"
#include "render/monitor_layout.h"
#include "image/image.h"
#include "resources/settings_ids.h"
#include "settings/settings_pages_win32.h"
#include "settings/settings_sheet_win32.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

// The current directory, which the choosers put back to the program's
// folder after the user browsed.
std::string CurrentFolder() {
  char folder[MAX_PATH * 3] = "";
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr int kOptionsPage = 0;
constexpr int kEffectsPage = 1;
constexpr int kCalendarPage = 2;
constexpr int kScreensPage = 3;
constexpr int kCaptionPage = 4;

// The colour dialog's red, green and blue fields.
constexpr int kColourRed = 706;
constexpr int kColourGreen = 707;
constexpr int kColourBlue = 708;

// ---------------------------------------------------------------------------
// The program's folder for one test: config.ini, the sample picture and the
// calendar backgrounds, made the current directory while the test runs.

class ProgramFolderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string source = std::string(VISTELLE_SOURCE_DIR) + "/data/";
    std::filesystem::create_directories(std::filesystem::u8path(dir_.File("Skin")));
    std::filesystem::create_directories(std::filesystem::u8path(dir_.File("Calendar")));
    for (const char* name : {"Skin/clear.jpg", "Calendar/calendar1.jpg", "Calendar/calendar2.jpg",
                             "Calendar/calendar3.jpg"})
      std::filesystem::copy_file(std::filesystem::u8path(source + name), std::filesystem::u8path(dir_.File(name)));
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, previous);
    previous_dir_ = previous;
    ASSERT_TRUE(SetCurrentDirectoryA(dir_.Path().c_str()));
    folder_ = CurrentFolder();
    // The tests own the start-with-the-system value while they run; one
    // that was there before is put back afterwards.
    had_user_value_ = RunValue(HKEY_CURRENT_USER, &user_value_);
    had_machine_value_ = RunValue(HKEY_LOCAL_MACHINE, &machine_value_);
    DeleteRunValue(HKEY_CURRENT_USER);
    DeleteRunValue(HKEY_LOCAL_MACHINE);
  }
  void TearDown() override {
    DeleteRunValue(HKEY_CURRENT_USER);
    DeleteRunValue(HKEY_LOCAL_MACHINE);
    if (had_user_value_) SetRunValue(HKEY_CURRENT_USER, user_value_.c_str(), Size(user_value_));
    if (had_machine_value_) SetRunValue(HKEY_LOCAL_MACHINE, machine_value_.c_str(), Size(machine_value_));
    SetCurrentDirectoryA(previous_dir_.c_str());
  }
  static DWORD Size(const std::string& text) { return static_cast<DWORD>(text.size() + 1); }

  void WriteConfig(const std::string& keys) { dir_.Write("config.ini", "[setting]\r\n" + keys); }

  TConfig ReadConfig() {
    TConfig config;
    config.SetPath(dir_.File("config.ini"));
    config.Load(*MakeSystemProfileStore());
    return config;
  }

  static bool RunValue(HKEY root, std::string* data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    char buffer[1024] = "";
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(key, "Pictora", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    if (data != nullptr) *data = buffer;
    return type == REG_SZ;
  }
  static bool SetRunValue(HKEY root, const char* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return false;
    const LONG result = RegSetValueExA(key, "Pictora", 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
  }
  static void DeleteRunValue(HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, "Pictora");
    RegCloseKey(key);
  }

  testing::TestDir dir_;
  std::string previous_dir_;
  std::string folder_;
  bool had_user_value_ = false;
  bool had_machine_value_ = false;
  std::string user_value_;
  std::string machine_value_;
};

// ---------------------------------------------------------------------------
// Driving the modal sheet: one step per timer tick, each given the sheet's
// window. The last step presses OK or Cancel; a sheet still open long after
// its steps ran out is cancelled so that a failing test ends.

HWND FindSheet() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM out) -> BOOL {
        if (IsWindowVisible(window) && FindWindowExA(window, nullptr, "SysTabControl32", nullptr) != nullptr) {
          *reinterpret_cast<HWND*>(out) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND CurrentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND ShowPage(HWND sheet, int index) {
  SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
  return CurrentPage(sheet);
}

void PressOk(HWND sheet) { SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0); }
void PressCancel(HWND sheet) { SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }

void Click(HWND page, int id) { SendDlgItemMessageA(page, id, BM_CLICK, 0, 0); }
bool IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
bool IsEnabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
// The pages place their swatches in the pixels of a dialog font with base
// units of 6 x 13 (the pages' font on Windows); with another font they move
// along with the template's controls.
POINT PagePixels(HWND page, int x, int y) {
  RECT units = {0, 0, 4, 8};
  MapDialogRect(page, &units);
  return POINT{MulDiv(x, units.right, 6), MulDiv(y, units.bottom, 13)};
}

// A click at (x, y) of the page as it is laid out on Windows.
void ClickAt(HWND page, int x, int y) {
  const POINT p = PagePixels(page, x, y);
  SendMessageA(page, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

std::string Text(HWND page, int id) {
  char text[256] = "";
  GetDlgItemTextA(page, id, text, sizeof text);
  return text;
}

// A thumb dragged to position and released.
void DragThumb(HWND page, int id, int position) {
  const HWND bar = GetDlgItem(page, id);
  SendMessageA(bar, TBM_SETPOS, TRUE, position);
  SendMessageA(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(bar));
}

class SheetScript {
 public:
  using Step = std::function<void(HWND sheet)>;

  SheetScript& Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
  }
  // The monitors and category names the sheet is opened with (none unless
  // given).
  SheetScript& With(std::vector<Monitor> monitors, std::vector<std::string> categories) {
    monitors_ = std::move(monitors);
    categories_ = std::move(categories);
    return *this;
  }
  // What the sheet closed with, after Run.
  const TConfig& Closed() const { return closed_; }

  // Runs the sheet to its end on the settings of the current folder's
  // config.ini, and writes what it closed with back; true when OK closed it.
  bool Run(HWND owner = nullptr) {
    const std::string folder = CurrentFolder();
    const std::unique_ptr<ProfileStore> store = MakeSystemProfileStore();
    TConfig settings;
    settings.SetPath(folder + "\\config.ini");
    settings.Load(*store);
    running_ = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &SheetScript::Tick);
    const std::optional<SheetResult> result = RunSettingsSheet(owner, settings, folder, monitors_, categories_, {});
    KillTimer(nullptr, timer);
    running_ = nullptr;
    EXPECT_EQ(next_, steps_.size()) << "the sheet closed before every step ran";
    EXPECT_FALSE(timed_out_) << "the sheet stayed open and was cancelled";
    if (!result) return false;
    closed_ = result->settings;
    result->settings.Save(*store);
    return result->ok;
  }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    SheetScript* script = running_;
    if (script == nullptr) return;
    const HWND sheet = FindSheet();
    if (sheet == nullptr) return;
    if (script->busy_) {
      // A step that waits on a window nobody answers (a second sheet, a
      // dialog the hook does not know) is ended rather than left hanging.
      if (++script->idle_ > 250) {
        script->timed_out_ = true;
        PostMessageA(GetForegroundWindow() ? GetForegroundWindow() : sheet, WM_COMMAND, IDCANCEL, 0);
      }
      return;
    }
    if (script->next_ < script->steps_.size()) {
      script->busy_ = true;
      Step& step = script->steps_[script->next_++];
      step(sheet);
      script->busy_ = false;
    } else if (++script->idle_ > 250) {
      script->timed_out_ = true;
      PressCancel(sheet);
    }
  }

  static SheetScript* running_;
  std::vector<Step> steps_;
  std::vector<Monitor> monitors_;
  std::vector<std::string> categories_;
  TConfig closed_;
  std::size_t next_ = 0;
  bool busy_ = false;
  int idle_ = 0;
  bool timed_out_ = false;
};
SheetScript* SheetScript::running_ = nullptr;

// ---------------------------------------------------------------------------
// Answers the colour and file dialogs the pages open, as they are activated.

class DialogAnswers {
 public:
  DialogAnswers() {
    catcher_.Otherwise([this](HWND dialog) { Answer(dialog); });
  }
  DialogAnswers(const DialogAnswers&) = delete;
  DialogAnswers& operator=(const DialogAnswers&) = delete;

  // The next colour dialogs choose this colour; without one they cancel.
  void ChooseColour(ColorRef colour) {
    choose_colour_ = true;
    colour_ = colour;
  }
  void CancelColour() { choose_colour_ = false; }
  // The next file dialogs choose this file; with an empty name they cancel.
  void ChooseFile(const std::string& path) { file_ = path; }

  int colour_dialogs = 0;
  ColorRef last_initial_colour = 0;
  int file_dialogs = 0;

 private:
  // Called once for each dialog as it is first activated; the sheet itself
  // is left alone.
  void Answer(HWND dialog) {
    if (GetDlgItem(dialog, kColourRed) != nullptr) {
      ++colour_dialogs;
      last_initial_colour = MakeColorRef(static_cast<int>(GetDlgItemInt(dialog, kColourRed, nullptr, FALSE)),
                                         static_cast<int>(GetDlgItemInt(dialog, kColourGreen, nullptr, FALSE)),
                                         static_cast<int>(GetDlgItemInt(dialog, kColourBlue, nullptr, FALSE)));
      if (choose_colour_) {
        SetDlgItemInt(dialog, kColourRed, static_cast<UINT>(ColorRefRed(colour_)), FALSE);
        SetDlgItemInt(dialog, kColourGreen, static_cast<UINT>(ColorRefGreen(colour_)), FALSE);
        SetDlgItemInt(dialog, kColourBlue, static_cast<UINT>(ColorRefBlue(colour_)), FALSE);
      }
      PostMessageA(dialog, WM_COMMAND, choose_colour_ ? IDOK : IDCANCEL, 0);
      return;
    }
    if (GetDlgItem(dialog, cmb13) != nullptr || GetDlgItem(dialog, edt1) != nullptr) {
      ++file_dialogs;
      if (!file_.empty()) {
        SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1, file_.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      } else {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    }
  }

  bool choose_colour_ = false;
  ColorRef colour_ = 0;
  std::string file_;
  // No timeout: the sheet's own script cancels a sheet left open.
  testing::DialogCatcher catcher_{0};
};

// Settings that differ from every default, so that a value written back can
// only have come from the file.
constexpr const char* kLoadedKeys =
    "sposob_wyswietlania=1\r\nsposob_wybierania=1\r\nzmiana_tapety_co=1\r\nco_ile_sek_godz=42\r\n"
    "godz_sek=1\r\nsecond_counter=7\r\nSmartblur=1\r\nNegativ=0\r\nGray=1\r\nPseudocolors=0\r\n"
    "Noise=1\r\nNoiseInt=33\r\nSharpen=0\r\nBlur=1\r\nContrast=1\r\nContrastInt=-40\r\nLighten=1\r\n"
    "LightenInt=-60\r\nColorize=1\r\nCoorizeIntR=10\r\nCoorizeIntG=20\r\nCoorizeIntB=30\r\n"
    "Ccalendar_background_user=\r\nCcalendar_background_prog=2\r\nCcalendar_background=0\r\n"
    "Cactivecalendar=0\r\nCalpha=77\r\nCposition=5\r\nCRGB_mf_R=1\r\nCRGB_mf_G=2\r\nCRGB_mf_B=3\r\n"
    "CRGB_saturday_R=4\r\nCRGB_saturday_G=5\r\nCRGB_saturday_B=6\r\nCRGB_sunday_R=7\r\nCRGB_sunday_G=8\r\n"
    "CRGB_sunday_B=9\r\nCRGB_background_R=11\r\nCRGB_background_G=12\r\nCRGB_background_B=13\r\n"
    "Cshadow=0\r\nCRGB_shadow_R=14\r\nCRGB_shadow_G=15\r\nCRGB_shadow_B=16\r\n";

void ExpectSameSettings(const TConfig& a, const TConfig& b) {
  EXPECT_TRUE(SameSettings(a, b)) << FirstDifferentKey(a, b);
}

using SettingsSheetTest = ProgramFolderFixture;

// ---------------------------------------------------------------------------
// The sheet itself.

TEST_F(SettingsSheetTest, OkOnUntouchedPagesWritesBackWhatWasLoaded) {
  WriteConfig(kLoadedKeys);
  const TConfig loaded = ReadConfig();
  bool help_button = true;
  bool apply_button = true;
  SheetScript script;
  script
      .Then([&](HWND sheet) {
        help_button = (GetWindowLongPtrA(sheet, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) != 0 ||
                      (GetWindowLongPtrA(sheet, GWL_STYLE) & DS_CONTEXTHELP) != 0;
        const HWND apply = GetDlgItem(sheet, 0x3021);
        apply_button = apply != nullptr && IsWindowVisible(apply);
        char caption[128] = "";
        GetWindowTextA(sheet, caption, sizeof caption);
        EXPECT_NE(std::string(caption).find("Pictora 2.0"), std::string::npos) << caption;

        const HWND page = CurrentPage(sheet);
        EXPECT_TRUE(IsChecked(page, IDC_OPT_TILED));
        EXPECT_FALSE(IsChecked(page, IDC_OPT_STRETCH));
        EXPECT_TRUE(IsChecked(page, IDC_OPT_RANDOM));
        EXPECT_TRUE(IsChecked(page, IDC_OPT_EVERY));
        EXPECT_EQ(Text(page, IDC_OPT_AMOUNT), "42");
        EXPECT_EQ(Text(page, IDC_OPT_UNIT), "min.");
        EXPECT_FALSE(IsChecked(page, IDC_OPT_RUN_AT_START));
      })
      .Then([&](HWND sheet) {
        const HWND page = ShowPage(sheet, kEffectsPage);
        EXPECT_TRUE(IsChecked(page, IDC_FX_LIGHTEN));
        EXPECT_TRUE(IsChecked(page, IDC_FX_SMARTBLUR));
        EXPECT_FALSE(IsChecked(page, IDC_FX_NEGATIVE));
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_FX_LIGHTEN_AMOUNT, TBM_GETPOS, 0, 0), -60);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_FX_CONTRAST_AMOUNT, TBM_GETPOS, 0, 0), -40);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_FX_NOISE_AMOUNT, TBM_GETPOS, 0, 0), 33);
      })
      .Then([&](HWND sheet) {
        const HWND page = ShowPage(sheet, kCalendarPage);
        EXPECT_FALSE(IsChecked(page, IDC_CAL_ACTIVE));
        EXPECT_FALSE(IsChecked(page, IDC_CAL_SHADOW));
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_GETPOS, 0, 0), 77);
        EXPECT_EQ(Text(page, IDC_CAL_BACKGROUND), "green");
        PressOk(sheet);
      });
  EXPECT_TRUE(script.Run());
  EXPECT_FALSE(help_button);
  EXPECT_FALSE(apply_button);
  ExpectSameSettings(ReadConfig(), loaded);
  // The box was unticked: OK leaves no start with the system.
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, nullptr));
}

TEST_F(SettingsSheetTest, MissingFileGetsEveryKeyWithItsDefault) {
  SheetScript script;
  script.Then([](HWND sheet) { PressCancel(sheet); });
  EXPECT_FALSE(script.Run());
  TConfig defaults;
  defaults.SetDefaults();
  defaults.DeriveColors();
  ExpectSameSettings(ReadConfig(), defaults);
}

// Centre, in sequence, at the start of Windows: unlike the loaded keys.
void ChooseCentreInSequenceAtStart(HWND page) {
  Click(page, IDC_OPT_CENTER);
  Click(page, IDC_OPT_SEQUENCE);
  Click(page, IDC_OPT_AT_START);
}

TEST_F(SettingsSheetTest, CancelKeepsTheOptionsButKeepsWhatThePagesStoredAtOnce) {
  WriteConfig(kLoadedKeys);
  const TConfig loaded = ReadConfig();
  DialogAnswers answers;
  answers.ChooseColour(MakeColorRef(200, 100, 50));
  SheetScript script;
  script
      .Then([](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        ChooseCentreInSequenceAtStart(page);
        SetDlgItemTextA(page, IDC_OPT_AMOUNT, "7");
        ClickAt(page, 143, 184);  // a new background colour
        Click(page, IDC_OPT_RUN_AT_START);
      })
      .Then([](HWND sheet) {
        const HWND page = ShowPage(sheet, kEffectsPage);
        Click(page, IDC_FX_NEGATIVE);
        Click(page, IDC_FX_LIGHTEN);
        DragThumb(page, IDC_FX_CONTRAST_AMOUNT, -50);
        DragThumb(page, IDC_FX_NOISE_AMOUNT, 200);
        // The arrow keys move the thumb but store nothing.
        SetFocus(GetDlgItem(page, IDC_FX_LIGHTEN_AMOUNT));
        SendDlgItemMessageA(page, IDC_FX_LIGHTEN_AMOUNT, WM_KEYDOWN, VK_RIGHT, 0);
        SendDlgItemMessageA(page, IDC_FX_LIGHTEN_AMOUNT, WM_KEYUP, VK_RIGHT, 0);
        EXPECT_NE(SendDlgItemMessageA(page, IDC_FX_LIGHTEN_AMOUNT, TBM_GETPOS, 0, 0), -60);
        EXPECT_EQ(OpenSheetSettings()->lighten_int, -60);
        EXPECT_EQ(OpenSheetSettings()->contrast_int, -50);
      })
      .Then([](HWND sheet) {
        const HWND page = ShowPage(sheet, kCalendarPage);
        Click(page, IDC_CAL_ACTIVE);
        Click(page, IDC_CAL_POSITION_6);
        DragThumb(page, IDC_CAL_ALPHA, 201);
        ClickAt(page, 118, 60);  // the weekday colour
        PressCancel(sheet);
      });
  EXPECT_FALSE(script.Run());
  EXPECT_EQ(answers.colour_dialogs, 2);

  const TConfig after = ReadConfig();
  TConfig expected = loaded;
  expected.contrast_int = -50;
  expected.noise_int = 200;
  expected.calendar_position = 6;
  expected.calendar_alpha = 201;
  ExpectSameSettings(after, expected);
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, nullptr));
}

TEST_F(SettingsSheetTest, OkStoresWhatThePagesShow) {
  DialogAnswers answers;
  answers.ChooseColour(MakeColorRef(200, 100, 50));
  WriteConfig(kLoadedKeys);
  SheetScript script;
  script
      .Then([](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        ChooseCentreInSequenceAtStart(page);
        SetDlgItemTextA(page, IDC_OPT_AMOUNT, "0");  // held to nothing: stored as typed
        SendDlgItemMessageA(page, IDC_OPT_UNIT, CB_SETCURSEL, 0, 0);
        ClickAt(page, 143, 184);
      })
      .Then([&answers](HWND sheet) {
        const HWND page = ShowPage(sheet, kEffectsPage);
        Click(page, IDC_FX_NEGATIVE);
        Click(page, IDC_FX_LIGHTEN);
        // The colour dialog opens on the swatch's colour.
        ClickAt(page, 140, 30);
        EXPECT_EQ(answers.last_initial_colour, MakeColorRef(10, 20, 30));
      })
      .Then([](HWND sheet) {
        const HWND page = ShowPage(sheet, kCalendarPage);
        Click(page, IDC_CAL_ACTIVE);
        Click(page, IDC_CAL_SHADOW);
        ClickAt(page, 170, 120);  // the shadow colour
        PressOk(sheet);
      });
  EXPECT_TRUE(script.Run());
  EXPECT_EQ(answers.colour_dialogs, 3);

  const TConfig after = ReadConfig();
  EXPECT_EQ(after.sposob_wyswietlania, 2);
  EXPECT_EQ(after.sposob_wybierania, 0);
  EXPECT_EQ(after.zmiana_tapety_co, 0);
  EXPECT_EQ(after.co_ile_sek_godz, 0);
  EXPECT_EQ(after.godz_sek, 0);
  EXPECT_EQ(after.color_background, MakeColorRef(200, 100, 50));
  EXPECT_EQ(after.negativ, 1);
  EXPECT_EQ(after.lighten, 0);
  EXPECT_EQ(after.gray, 1);
  EXPECT_EQ(TEffects::PackColorize(after.colorize_r, after.colorize_g, after.colorize_b),
            MakeColorRef(200, 100, 50));
  EXPECT_EQ(after.active_calendar, 1);
  EXPECT_EQ(after.shadow, 1);
  EXPECT_EQ(after.color_shadow, MakeColorRef(200, 100, 50));
  EXPECT_EQ(after.color_mf, MakeColorRef(1, 2, 3));
}

TEST_F(SettingsSheetTest, ASecondRequestWhileOpenLeavesTheOpenSheetAlone) {
  WriteConfig("sposob_wyswietlania=1\r\n");
  SheetScript script;
  script.Then([](HWND sheet) {
    const HWND page = CurrentPage(sheet);
    Click(page, IDC_OPT_CENTER);
    // The tray menu still works while the sheet is open.
    EXPECT_FALSE(RunSettingsSheet(nullptr, TConfig(), CurrentFolder(), {}, {}, {}).has_value());
    EXPECT_TRUE(IsWindow(sheet));
    EXPECT_TRUE(IsChecked(page, IDC_OPT_CENTER));
    PressOk(sheet);
  });
  EXPECT_TRUE(script.Run());
  EXPECT_EQ(ReadConfig().sposob_wyswietlania, 2);
}

// ---------------------------------------------------------------------------
// The Options page.

// The display position's five buttons, in the order of the values they
// stand for (0 stretch, 1 tiled, 2 center, 3 fill, 4 fit).
constexpr int kPositionButtons[] = {IDC_OPT_STRETCH, IDC_OPT_TILED, IDC_OPT_CENTER, IDC_OPT_FILL, IDC_OPT_FIT};

// Which of them are checked, one digit each in that order: "00010" is fill.
std::string PositionChecks(HWND page) {
  std::string checks;
  for (int id : kPositionButtons) checks += IsChecked(page, id) ? '1' : '0';
  return checks;
}

TEST_F(SettingsSheetTest, FillAndFitShowAsStoredAndAreStoredOnOk) {
  struct Case {
    int stored;
    const char* shown;
    int click;  // 0: nothing clicked
    const char* after_click;
    int after_ok;
  };
  const Case cases[] = {
      {3, "00010", IDC_OPT_FIT, "00001", 4},
      {4, "00001", IDC_OPT_FILL, "00010", 3},
      {0, "10000", IDC_OPT_FILL, "00010", 3},
      // No button for the value: none checked, and OK keeps it.
      {5, "00000", 0, "00000", 5},
      {5, "00000", IDC_OPT_FIT, "00001", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("stored " + std::to_string(c.stored) + ", clicked " + std::to_string(c.click));
    WriteConfig("sposob_wyswietlania=" + std::to_string(c.stored) + "\r\n");
    std::string shown;
    std::string after_click;
    SheetScript script;
    script.Then([&](HWND sheet) {
      const HWND page = CurrentPage(sheet);
      shown = PositionChecks(page);
      if (c.click != 0) Click(page, c.click);
      after_click = PositionChecks(page);
      // Nothing is stored before OK.
      EXPECT_EQ(OpenSheetSettings()->sposob_wyswietlania, c.stored);
      PressOk(sheet);
    });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(after_click, c.after_click);
    EXPECT_EQ(ReadConfig().sposob_wyswietlania, c.after_ok);
  }
}

TEST_F(SettingsSheetTest, ThePositionButtonsAreOneGroupOfFive) {
  WriteConfig("sposob_wyswietlania=1\r\n");
  SheetScript script;
  script.Then([](HWND sheet) {
    const HWND page = CurrentPage(sheet);
    // A click checks its button alone, whichever was checked before.
    const int order[] = {IDC_OPT_FIT, IDC_OPT_STRETCH, IDC_OPT_FILL, IDC_OPT_CENTER, IDC_OPT_FIT, IDC_OPT_TILED,
                         IDC_OPT_FILL};
    for (int id : order) {
      Click(page, id);
      std::string expected;
      for (int button : kPositionButtons) expected += button == id ? '1' : '0';
      EXPECT_EQ(PositionChecks(page), expected) << "after a click on " << id;
    }
    // The other groups of the page are left alone.
    EXPECT_TRUE(IsChecked(page, IDC_OPT_AT_START));
    EXPECT_TRUE(IsChecked(page, IDC_OPT_SEQUENCE));
    PressOk(sheet);
  });
  EXPECT_TRUE(script.Run());
  EXPECT_EQ(ReadConfig().sposob_wyswietlania, 3);
}

TEST_F(SettingsSheetTest, CancelKeepsTheStoredPosition) {
  struct Case {
    int stored;
    int click;
  };
  for (const Case& c : {Case{1, IDC_OPT_FILL}, Case{3, IDC_OPT_STRETCH}, Case{4, IDC_OPT_FILL}}) {
    SCOPED_TRACE("stored " + std::to_string(c.stored));
    WriteConfig("sposob_wyswietlania=" + std::to_string(c.stored) + "\r\n");
    SheetScript script;
    script.Then([&](HWND sheet) {
      Click(CurrentPage(sheet), c.click);
      PressCancel(sheet);
    });
    EXPECT_FALSE(script.Run());
    EXPECT_EQ(ReadConfig().sposob_wyswietlania, c.stored);
  }
}

// The "no repeats" box and the three monitor buttons: shown as stored, a
// click changes nothing before OK, OK stores what the page shows, and Cancel
// keeps what was stored.
TEST_F(SettingsSheetTest, NoRepeatsAndTheMonitorsShowAsStoredAndAreStoredOnOk) {
  constexpr int kMonitorButtons[] = {IDC_OPT_MONITORS_PRIMARY, IDC_OPT_MONITORS_SPAN, IDC_OPT_MONITORS_EACH};
  struct Case {
    const char* stored;  // the keys written before the sheet opens
    bool repeat_box;     // "no repeats" shown ticked
    bool repeat_usable;  // and enabled (only in the random order)
    int monitor_shown;   // the monitor button shown checked
    bool toggle_repeat;
    int monitor_click;  // 0: none
    bool ok;
    int no_repeat_after;
    int monitor_after;
  };
  const Case cases[] = {
      // Absent keys: the sequence, no repeats (greyed), primary monitor only.
      {"", true, false, IDC_OPT_MONITORS_PRIMARY, false, 0, true, 1, 0},
      {"sposob_wybierania=1\r\nno_repeat=0\r\nmonitor_mode=1\r\n", false, true, IDC_OPT_MONITORS_SPAN, true,
       IDC_OPT_MONITORS_EACH, true, 1, 2},
      {"sposob_wybierania=1\r\nno_repeat=1\r\nmonitor_mode=2\r\n", true, true, IDC_OPT_MONITORS_EACH, true,
       IDC_OPT_MONITORS_PRIMARY, true, 0, 0},
      // A mode with no button shows as primary only, as it composes.
      {"monitor_mode=7\r\n", true, false, IDC_OPT_MONITORS_PRIMARY, false, IDC_OPT_MONITORS_SPAN, true, 1, 1},
      {"sposob_wybierania=1\r\nno_repeat=0\r\nmonitor_mode=2\r\n", false, true, IDC_OPT_MONITORS_EACH, true,
       IDC_OPT_MONITORS_SPAN, false, 0, 2},
      // In the sequence the box keeps what was stored, greyed.
      {"sposob_wybierania=0\r\nno_repeat=0\r\n", false, false, IDC_OPT_MONITORS_PRIMARY, false, 0, true, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("stored \"") + c.stored + "\"");
    WriteConfig(c.stored);
    bool repeat_box = false;
    bool repeat_usable = false;
    int monitor_shown = 0;
    SheetScript script;
    script.Then([&](HWND sheet) {
      const HWND page = CurrentPage(sheet);
      repeat_box = IsChecked(page, IDC_OPT_NO_REPEAT);
      repeat_usable = IsEnabled(page, IDC_OPT_NO_REPEAT);
      for (int id : kMonitorButtons) {
        if (IsChecked(page, id)) {
          EXPECT_EQ(monitor_shown, 0) << "two monitor buttons checked";
          monitor_shown = id;
        }
      }
      if (c.toggle_repeat) Click(page, IDC_OPT_NO_REPEAT);
      if (c.monitor_click != 0) Click(page, c.monitor_click);
      EXPECT_EQ(IsChecked(page, IDC_OPT_NO_REPEAT), repeat_box != c.toggle_repeat);
      if (c.ok) PressOk(sheet);
      else PressCancel(sheet);
    });
    EXPECT_EQ(script.Run(), c.ok);
    EXPECT_EQ(repeat_box, c.repeat_box);
    EXPECT_EQ(repeat_usable, c.repeat_usable);
    EXPECT_EQ(monitor_shown, c.monitor_shown);
    const TConfig after = ReadConfig();
    EXPECT_EQ(after.no_repeat, c.no_repeat_after);
    EXPECT_EQ(after.monitor_mode, c.monitor_after);
  }
}

// The waits show as stored and are stored on OK.
TEST_F(SettingsSheetTest, TheWaitsShowAsStoredAndAreStoredOnOk) {
  WriteConfig("wait_battery_saver=0\r\n");
  std::string shown;
  SheetScript script;
  script.Then([&](HWND sheet) {
    const HWND page = CurrentPage(sheet);
    for (int id : {IDC_OPT_WAIT_FULLSCREEN, IDC_OPT_WAIT_BATTERY, IDC_OPT_WAIT_REMOTE})
      shown += IsChecked(page, id) ? '1' : '0';
    Click(page, IDC_OPT_WAIT_FULLSCREEN);
    PressOk(sheet);
  });
  EXPECT_TRUE(script.Run());
  EXPECT_EQ(shown, "101");
  const TConfig after = ReadConfig();
  EXPECT_EQ(std::string() + char('0' + after.wait_fullscreen) + char('0' + after.wait_battery_saver) +
                char('0' + after.wait_remote),
            "001");
}

// The interval belongs to the timed change, "no repeats" to the random
// order: each is greyed while its choice is off.
TEST_F(SettingsSheetTest, ControlsFollowTheChoiceTheyBelongTo) {
  WriteConfig("zmiana_tapety_co=0\r\nco_ile_sek_godz=999\r\ngodz_sek=0\r\nsposob_wybierania=0\r\nno_repeat=1\r\n");
  SheetScript script;
  script.Then([](HWND sheet) {
    const HWND page = CurrentPage(sheet);
    const auto interval_enabled = [page] {
      const bool list = IsEnabled(page, IDC_OPT_UNIT);
      const bool amount = IsEnabled(page, IDC_OPT_AMOUNT);
      const bool spin = IsEnabled(page, IDC_OPT_AMOUNT_SPIN);
      EXPECT_EQ(list, amount);
      EXPECT_EQ(list, spin);
      return list;
    };
    EXPECT_TRUE(IsChecked(page, IDC_OPT_AT_START));
    EXPECT_FALSE(interval_enabled());
    EXPECT_EQ(Text(page, IDC_OPT_UNIT), "hour.");
    Click(page, IDC_OPT_EVERY);
    EXPECT_TRUE(interval_enabled());
    Click(page, IDC_OPT_AT_START);
    EXPECT_FALSE(interval_enabled());
    Click(page, IDC_OPT_EVERY);

    // "no repeats" keeps its tick while greyed.
    EXPECT_FALSE(IsEnabled(page, IDC_OPT_NO_REPEAT));
    Click(page, IDC_OPT_RANDOM);
    EXPECT_TRUE(IsEnabled(page, IDC_OPT_NO_REPEAT));
    Click(page, IDC_OPT_SEQUENCE);
    EXPECT_FALSE(IsEnabled(page, IDC_OPT_NO_REPEAT));
    EXPECT_TRUE(IsChecked(page, IDC_OPT_NO_REPEAT));

    // The up-down control wraps at its ends: 999 up gives 1, 1 down 999.
    const HWND spin = GetDlgItem(page, IDC_OPT_AMOUNT_SPIN);
    RECT r;
    GetClientRect(spin, &r);
    const LPARAM upper = MAKELPARAM(r.right / 2, r.bottom / 4);
    const LPARAM lower = MAKELPARAM(r.right / 2, r.bottom * 3 / 4);
    EXPECT_EQ(Text(page, IDC_OPT_AMOUNT), "999");
    SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, upper);
    SendMessageA(spin, WM_LBUTTONUP, 0, upper);
    EXPECT_EQ(Text(page, IDC_OPT_AMOUNT), "1");
    SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, lower);
    SendMessageA(spin, WM_LBUTTONUP, 0, lower);
    EXPECT_EQ(Text(page, IDC_OPT_AMOUNT), "999");

    // A fourth digit cannot be typed.
    const HWND amount = GetDlgItem(page, IDC_OPT_AMOUNT);
    SetWindowTextA(amount, "");
    for (char c : {'1', '2', '3', '4'}) SendMessageA(amount, WM_CHAR, static_cast<WPARAM>(c), 0);
    EXPECT_EQ(Text(page, IDC_OPT_AMOUNT), "123");
    PressOk(sheet);
  });
  EXPECT_TRUE(script.Run());
  const TConfig after = ReadConfig();
  EXPECT_EQ(after.zmiana_tapety_co, 1);
  EXPECT_EQ(after.co_ile_sek_godz, 123);
  EXPECT_EQ(after.sposob_wybierania, 0);
  EXPECT_EQ(after.no_repeat, 1);
}

TEST_F(SettingsSheetTest, OnlyAClickInsideASwatchOpensTheColourDialog) {
  DialogAnswers answers;
  SheetScript script;
  script
      .Then([&answers](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        // The Options swatch, (126, 177) to (161, 191): its border and beyond.
        for (POINT p : {POINT{126, 184}, POINT{161, 184}, POINT{143, 177}, POINT{143, 191}, POINT{100, 184}})
          ClickAt(page, p.x, p.y);
        EXPECT_EQ(answers.colour_dialogs, 0);
        ClickAt(page, 127, 178);
        EXPECT_EQ(answers.colour_dialogs, 1);
        // Cancelled: the default red background stays.
        EXPECT_EQ(answers.last_initial_colour, MakeColorRef(254, 1, 1));
      })
      .Then([&answers](HWND sheet) {
        const HWND page = ShowPage(sheet, kEffectsPage);
        ClickAt(page, 120, 30);
        ClickAt(page, 140, 42);
        EXPECT_EQ(answers.colour_dialogs, 1);
        ClickAt(page, 121, 23);
        EXPECT_EQ(answers.colour_dialogs, 2);
      })
      .Then([&answers](HWND sheet) {
        const HWND page = ShowPage(sheet, kCalendarPage);
        for (POINT p : {POINT{108, 60}, POINT{128, 60}, POINT{118, 69}, POINT{118, 72}, POINT{184, 120}})
          ClickAt(page, p.x, p.y);
        EXPECT_EQ(answers.colour_dialogs, 2);
        for (POINT p : {POINT{118, 60}, POINT{118, 80}, POINT{118, 95}, POINT{170, 120}}) ClickAt(page, p.x, p.y);
        EXPECT_EQ(answers.colour_dialogs, 6);
        PressOk(sheet);
      });
  EXPECT_TRUE(script.Run());
  const TConfig after = ReadConfig();
  EXPECT_EQ(after.color_background, MakeColorRef(254, 1, 1));
  EXPECT_EQ(after.color_mf, MakeColorRef(255, 255, 255));
  EXPECT_EQ(after.color_shadow, MakeColorRef(1, 1, 1));
}

// The sheet opened, its start box checked against what it should show, set
// to tick, and OK.
void RunSheetWithStartBox(bool expect_ticked, bool tick) {
  SheetScript script;
  script.Then([=](HWND sheet) {
    const HWND page = CurrentPage(sheet);
    EXPECT_EQ(IsChecked(page, IDC_OPT_RUN_AT_START), expect_ticked);
    if (IsChecked(page, IDC_OPT_RUN_AT_START) != tick) Click(page, IDC_OPT_RUN_AT_START);
    PressOk(sheet);
  });
  script.Run();
}

TEST_F(SettingsSheetTest, TheStartWithTheSystemFollowsTheBox) {

  RunSheetWithStartBox(false, true);
  std::string data;
  ASSERT_TRUE(RunValue(HKEY_CURRENT_USER, &data));
  EXPECT_EQ(data, "\"" + folder_ + "\\Pictora.exe\" hide");

  RunSheetWithStartBox(true, false);
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, nullptr));

  // A value without data starts nothing and shows unticked.
  ASSERT_TRUE(SetRunValue(HKEY_CURRENT_USER, "", 0));
  RunSheetWithStartBox(false, false);
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, nullptr));

  // An entry for the whole machine shows too, and goes with the box where
  // the rights allow (here they do; a user without them keeps it).
  const std::string old_entry = folder_ + "\\Pictora.exe hide";
  if (!SetRunValue(HKEY_LOCAL_MACHINE, old_entry.c_str(), Size(old_entry)))
    GTEST_SKIP() << "the machine's Run key cannot be written here";
  RunSheetWithStartBox(true, false);
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, nullptr));
  EXPECT_FALSE(RunValue(HKEY_LOCAL_MACHINE, nullptr));
}

// The value's name is shared by every copy of the program (an installed one,
// a portable folder): the box shows only this copy's start.
TEST_F(SettingsSheetTest, TheStartBoxCountsOnlyAValueThatStartsThisCopy) {
  const std::string this_copy = "\"" + folder_ + "\\Pictora.exe\" hide";

  // Quoted and in another case it is still this copy's.
  std::string upper = folder_;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string quoted = "\"" + upper + "\\PICTORA.EXE\" hide";
  ASSERT_TRUE(SetRunValue(HKEY_CURRENT_USER, quoted.c_str(), Size(quoted)));
  RunSheetWithStartBox(true, true);
  std::string data;
  ASSERT_TRUE(RunValue(HKEY_CURRENT_USER, &data));
  EXPECT_EQ(data, this_copy);

  // Another copy's value, or one in a folder whose name only begins like
  // this one's, shows unticked, and OK with the box left alone keeps it.
  for (const std::string& other : {std::string("C:\\Other\\Pictora.exe hide"), folder_ + "2\\Pictora.exe hide"}) {
    ASSERT_TRUE(SetRunValue(HKEY_CURRENT_USER, other.c_str(), Size(other)));
    RunSheetWithStartBox(false, false);
    ASSERT_TRUE(RunValue(HKEY_CURRENT_USER, &data));
    EXPECT_EQ(data, other);
  }

  // Ticked, this copy takes the user's value, and a machine's entry that
  // would start another copy first goes where the rights allow.
  const std::string machine = "\"C:\\Program Files\\Vistelle\\Pictora.exe\" hide";
  if (!SetRunValue(HKEY_LOCAL_MACHINE, machine.c_str(), Size(machine)))
    GTEST_SKIP() << "the machine's Run key cannot be written here";
  DeleteRunValue(HKEY_CURRENT_USER);
  RunSheetWithStartBox(false, true);
  ASSERT_TRUE(RunValue(HKEY_CURRENT_USER, &data));
  EXPECT_EQ(data, this_copy);
  EXPECT_FALSE(RunValue(HKEY_LOCAL_MACHINE, nullptr));
}

TEST_F(SettingsSheetTest, CancelLeavesTheStartWithTheSystemAlone) {
  SheetScript script;
  script.Then([](HWND sheet) {
    Click(CurrentPage(sheet), IDC_OPT_RUN_AT_START);
    PressCancel(sheet);
  });
  script.Run();
  EXPECT_FALSE(RunValue(HKEY_CURRENT_USER, nullptr));
}

// ---------------------------------------------------------------------------
// The Calendar page.

TEST_F(SettingsSheetTest, CalendarGridMarksThePositionAndStoresAClickAtOnce) {
  WriteConfig("Cposition=2\r\n");
  SheetScript script;
  script.Then([](HWND sheet) {
    const HWND page = ShowPage(sheet, kCalendarPage);
    const int buttons[] = {IDC_CAL_POSITION_0, IDC_CAL_POSITION_1, IDC_CAL_POSITION_2,
                           IDC_CAL_POSITION_3, IDC_CAL_POSITION_4, IDC_CAL_POSITION_5,
                           IDC_CAL_POSITION_6, IDC_CAL_POSITION_7, IDC_CAL_POSITION_8};
    for (int id : buttons) {
      EXPECT_EQ(Text(page, id), id == IDC_CAL_POSITION_2 ? "*" : "") << id;
      EXPECT_FALSE(IsChecked(page, id)) << id;
    }
    Click(page, IDC_CAL_POSITION_6);
    for (int id : buttons) EXPECT_EQ(Text(page, id), id == IDC_CAL_POSITION_6 ? "*" : "") << id;
    EXPECT_EQ(OpenSheetSettings()->calendar_position, 6);
    Click(page, IDC_CAL_POSITION_0);
    EXPECT_EQ(Text(page, IDC_CAL_POSITION_0), "*");
    EXPECT_EQ(OpenSheetSettings()->calendar_position, 0);
    PressCancel(sheet);
  });
  script.Run();
  EXPECT_EQ(ReadConfig().calendar_position, 0);
}

TEST_F(SettingsSheetTest, CalendarBackgroundFromTheListOrFromAFile) {
  // A picture of the user's in another folder, which the file dialog visits.
  testing::TestDir pictures;
  Image picture;
  ASSERT_TRUE(picture.Create(40, 30));
  const std::string picture_path = pictures.File("mine.bmp");
  ASSERT_TRUE(picture.Save(picture_path));

  WriteConfig("Ccalendar_background_prog=0\r\nCcalendar_background=0\r\n");
  DialogAnswers answers;
  SheetScript script;
  script.Then([&](HWND sheet) {
    const HWND page = ShowPage(sheet, kCalendarPage);
    const HWND list = GetDlgItem(page, IDC_CAL_BACKGROUND);
    EXPECT_EQ(Text(page, IDC_CAL_BACKGROUND), "blue");

    answers.ChooseFile(picture_path);
    Click(page, IDC_CAL_FROM_FILE);
    EXPECT_EQ(answers.file_dialogs, 1);
    EXPECT_EQ(OpenSheetSettings()->calendar_background, 1);
    EXPECT_EQ(CurrentFolder(), folder_);

    // Cancelled: nothing changes.
    answers.ChooseFile("");
    Click(page, IDC_CAL_FROM_FILE);
    EXPECT_EQ(answers.file_dialogs, 2);
    EXPECT_EQ(OpenSheetSettings()->calendar_background, 1);

    SendMessageA(list, CB_SETCURSEL, 1, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_CAL_BACKGROUND, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(OpenSheetSettings()->calendar_background_prog, 1);
    EXPECT_EQ(OpenSheetSettings()->calendar_background, 0);

    answers.ChooseFile(picture_path);
    Click(page, IDC_CAL_FROM_FILE);
    PressCancel(sheet);
  });
  script.Run();
  const TConfig after = ReadConfig();
  EXPECT_EQ(after.calendar_background, 1);
  EXPECT_EQ(after.calendar_background_prog, 1);
  EXPECT_EQ(std::filesystem::u8path(after.calendar_background_user), std::filesystem::u8path(picture_path));
  EXPECT_EQ(CurrentFolder(), folder_);
}

// ---------------------------------------------------------------------------
// The Effects page's preview, read back from the page's pixels.

COLORREF PreviewPixel(HWND page) {
  RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT frame;
  GetClientRect(GetDlgItem(page, IDC_FX_PREVIEW_FRAME), &frame);
  const HDC dc = GetDC(page);
  const POINT at = FrameClientOrigin(page, IDC_FX_PREVIEW_FRAME);
  const COLORREF c = GetPixel(dc, at.x + frame.right / 2, at.y + frame.bottom / 2);
  ReleaseDC(page, dc);
  return c;
}

TEST_F(SettingsSheetTest, EffectsPreviewShowsTheTickedEffects) {
  SheetScript script;
  script.Then([](HWND sheet) {
    const HWND page = ShowPage(sheet, kEffectsPage);
    const COLORREF plain = PreviewPixel(page);
    Click(page, IDC_FX_NEGATIVE);
    const COLORREF inverted = PreviewPixel(page);
    EXPECT_NEAR(GetRValue(inverted), 255 - GetRValue(plain), 8);
    EXPECT_NEAR(GetGValue(inverted), 255 - GetGValue(plain), 8);
    EXPECT_NEAR(GetBValue(inverted), 255 - GetBValue(plain), 8);
    // Unticked again: the preview starts from the sample, nothing piles up.
    Click(page, IDC_FX_NEGATIVE);
    EXPECT_EQ(PreviewPixel(page), plain);
    PressCancel(sheet);
  });
  script.Run();
}

// ---------------------------------------------------------------------------
// The Screens and times page.

// Two monitors, the second taller than wide, and two categories: what the
// Screens and times page shows about them.
std::vector<Monitor> TwoMonitors() {
  Monitor primary;
  primary.width = 1024;
  primary.height = 768;
  primary.primary = true;
  primary.device = "\\\\?\\DISPLAY#ONE";
  Monitor portrait;
  portrait.x = 1024;
  portrait.width = 768;
  portrait.height = 1024;
  portrait.device = "\\\\?\\DISPLAY#TWO";
  return MonitorLayout({primary, portrait}).Monitors();
}
const std::vector<std::string> kTwoCategories = {"Landscapes", "Night skies over the mountains"};

// ---------------------------------------------------------------------------
// The pages' layout as it comes out in the pages' own font: every text shows
// whole, no control covers another or a swatch the page paints, each swatch
// sits beside its label, and the previews stay inside their frames.

// A control of a page, placed in the page's client coordinates.
struct PageControl {
  HWND window = nullptr;
  int id = 0;
  std::string kind;  // the window class
  LONG style = 0;
  RECT rect{};
  std::wstring text;
};

bool IsClass(const PageControl& control, const char* name) { return lstrcmpiA(control.kind.c_str(), name) == 0; }

bool IsGroupBox(const PageControl& control) {
  return IsClass(control, "Button") && (control.style & BS_TYPEMASK) == BS_GROUPBOX;
}

std::vector<PageControl> ControlsOf(HWND page) {
  std::vector<PageControl> controls;
  for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    PageControl control;
    control.window = child;
    control.id = GetDlgCtrlID(child);
    char kind[64] = "";
    GetClassNameA(child, kind, sizeof kind);
    control.kind = kind;
    control.style = static_cast<LONG>(GetWindowLongPtrA(child, GWL_STYLE));
    GetWindowRect(child, &control.rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&control.rect), 2);
    control.text = testing::WindowText(child);
    controls.push_back(control);
  }
  return controls;
}

std::string Describe(const char* page_name, const PageControl& control) {
  return std::string(page_name) + " " + control.kind + " " + std::to_string(control.id) + " \"" +
         testing::Utf8(control.text) + "\"";
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Controls that meet in dialog units may share a line of pixels once the
// units are rounded at another scaling; that is no overlap.
bool Overlap(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != FALSE && common.right - common.left > 1 && common.bottom - common.top > 1;
}

// The room a control leaves its text, in pixels of its client area, less
// what the control draws beside the text; -1 where the control shows no
// text of its own (icons, frames, and every control that is neither a
// static nor a button). The allowances are on the generous side of what
// Windows and Wine draw, so that a text that passes here fits on both.
struct TextRoom {
  int width = -1;
  int height = -1;
};

TextRoom RoomFor(const PageControl& control) {
  RECT client{};
  GetClientRect(control.window, &client);
  if (IsClass(control, "Static")) {
    switch (control.style & SS_TYPEMASK) {
      case SS_LEFT:
      case SS_CENTER:
      case SS_RIGHT:
      case SS_SIMPLE:
      case SS_LEFTNOWORDWRAP:
        return {client.right, client.bottom};
      default:
        return {};
    }
  }
  if (!IsClass(control, "Button")) return {};
  const LONG type = control.style & BS_TYPEMASK;
  // A group box's text starts 7 pixels in from the left edge; as much
  // again is kept free on the right. The frame is as high as it likes.
  if (type == BS_GROUPBOX) return {client.right - 2 * 8, -1};
  // A push button (or a button that looks like one) centres the text inside
  // its raised edge.
  if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || (control.style & BS_PUSHLIKE) != 0) {
    return {client.right - 2 * (GetSystemMetrics(SM_CXEDGE) + 2), client.bottom - 2 * GetSystemMetrics(SM_CYEDGE)};
  }
  // A check box or a radio button: the box and the gap after it take 12
  // dialog units (18 pixels with the pages' font; Wine's themed buttons
  // need that much, Windows' a little less).
  RECT box = {0, 0, 12, 0};
  MapDialogRect(GetParent(control.window), &box);
  return {client.right - box.right, client.bottom};
}

// Every text of every static and button, and every item of the drop-down
// lists, measured in the control's own font against the room it has.
void ExpectEveryTextWhole(const char* page_name, HWND page) {
  for (const PageControl& control : ControlsOf(page)) {
    const HDC dc = GetDC(control.window);
    ASSERT_NE(dc, nullptr) << Describe(page_name, control);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control.window, WM_GETFONT, 0, 0));
    const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;

    std::vector<std::wstring> texts;
    TextRoom room;
    if (IsClass(control, "ComboBox")) {
      RECT client{};
      GetClientRect(control.window, &client);
      // Beside the drop-down button, inside the edge.
      room.width = client.right - GetSystemMetrics(SM_CXVSCROLL) - 2 * GetSystemMetrics(SM_CXEDGE) - 2;
      const LRESULT count = SendMessageW(control.window, CB_GETCOUNT, 0, 0);
      for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(control.window, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        const LRESULT length = SendMessageW(control.window, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0]));
        item.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
        texts.push_back(item);
      }
    } else {
      room = RoomFor(control);
      if (room.width >= 0 && !control.text.empty()) texts.push_back(control.text);
    }

    for (const std::wstring& text : texts) {
      SIZE extent{};
      EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent));
      EXPECT_LE(extent.cx, room.width) << Describe(page_name, control) << ": \"" << testing::Utf8(text)
                                       << "\" is cut; it needs " << extent.cx << " pixels, the control has "
                                       << room.width;
      if (room.height >= 0) {
        EXPECT_LE(extent.cy, room.height) << Describe(page_name, control) << ": \"" << testing::Utf8(text)
                                          << "\" is cut at the bottom";
      }
    }
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(control.window, dc);
  }
}

// A colour swatch a page paints, in page pixels as laid out on Windows (see
// PagePixels), and the text of the control it belongs beside.
struct SwatchAt {
  RECT design;
  const wchar_t* label;
};

const SwatchAt kOptionsSwatches[] = {{{126, 177, 161, 191}, L"background color:"}};
const SwatchAt kEffectsSwatches[] = {{{120, 22, 160, 42}, L"gamma"}};
const SwatchAt kScreensSwatches[] = {{{246, 115, 281, 130}, L"Background:"}};
const SwatchAt kCaptionSwatches[] = {{{62, 140, 100, 155}, L"Colour:"}};
const SwatchAt kCalendarSwatches[] = {
    {{108, 55, 128, 69}, L"days:"},
    {{108, 72, 128, 86}, L"saturday:"},
    {{108, 89, 128, 103}, L"sunday:"},
    {{164, 115, 184, 130}, L"text shadow:"},
};

RECT SwatchRectOn(HWND page, const SwatchAt& swatch) {
  const POINT from = PagePixels(page, swatch.design.left, swatch.design.top);
  const POINT to = PagePixels(page, swatch.design.right, swatch.design.bottom);
  return RECT{from.x, from.y, to.x, to.y};
}

// Two controls may share pixels only when one is a group box holding the
// other whole; the swatches likewise; all stays on the page.
template <std::size_t N>
void ExpectNothingCovered(const char* page_name, HWND page, const SwatchAt (&swatches)[N]) {
  RECT client{};
  GetClientRect(page, &client);
  const std::vector<PageControl> controls = ControlsOf(page);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const PageControl& a = controls[i];
    EXPECT_TRUE(Inside(a.rect, client)) << Describe(page_name, a) << " reaches beyond the page";
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const PageControl& b = controls[j];
      if (!Overlap(a.rect, b.rect)) continue;
      if (IsGroupBox(a) && Inside(b.rect, a.rect)) continue;
      if (IsGroupBox(b) && Inside(a.rect, b.rect)) continue;
      ADD_FAILURE() << Describe(page_name, a) << " and " << Describe(page_name, b) << " overlap";
    }
  }
  for (const SwatchAt& swatch : swatches) {
    const RECT at = SwatchRectOn(page, swatch);
    const std::string name = std::string(page_name) + " swatch of \"" + testing::Utf8(swatch.label) + "\"";
    EXPECT_TRUE(Inside(at, client)) << name << " reaches beyond the page";
    const PageControl* label = nullptr;
    for (const PageControl& control : controls) {
      if (control.text == swatch.label) label = &control;
      if (!Overlap(control.rect, at)) continue;
      if (IsGroupBox(control) && Inside(at, control.rect)) continue;
      ADD_FAILURE() << name << " and " << Describe(page_name, control) << " overlap";
    }
    ASSERT_NE(label, nullptr) << name << ": no such label";
    // Right of its label, level with it, and in the same group box.
    EXPECT_LE(label->rect.right, at.left) << name;
    const LONG middle = (label->rect.top + label->rect.bottom) / 2;
    EXPECT_TRUE(at.top <= middle && middle <= at.bottom) << name << " is not level with its label";
    for (const PageControl& control : controls) {
      if (IsGroupBox(control) && Inside(label->rect, control.rect)) {
        EXPECT_TRUE(Inside(at, control.rect)) << name << " is outside the group box \""
                                               << testing::Utf8(control.text) << "\" of its label";
      }
    }
  }
}

// The page's own background shows right beside the frame's right and
// bottom edges: the preview the page paints into the frame stays inside.
void ExpectPreviewInsideFrame(const char* page_name, HWND page, int frame_id) {
  RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT frame{};
  GetWindowRect(GetDlgItem(page, frame_id), &frame);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&frame), 2);
  const HDC dc = GetDC(page);
  const COLORREF background = GetPixel(dc, frame.left - 2, (frame.top + frame.bottom) / 2);
  int spilled = 0;
  for (int outside = 0; outside < 2; ++outside) {
    for (LONG y = frame.top; y < frame.bottom; ++y)
      if (GetPixel(dc, frame.right + outside, y) != background) ++spilled;
    for (LONG x = frame.left; x < frame.right; ++x)
      if (GetPixel(dc, x, frame.bottom + outside) != background) ++spilled;
  }
  ReleaseDC(page, dc);
  EXPECT_EQ(spilled, 0) << page_name << ": the preview spills out of its frame";
}

TEST_F(SettingsSheetTest, EveryTextOfEveryPageShowsWhole) {
  SheetScript script;
  script.With(TwoMonitors(), kTwoCategories).Then([](HWND sheet) {
    ExpectEveryTextWhole("Options", ShowPage(sheet, kOptionsPage));
    ExpectEveryTextWhole("Effects", ShowPage(sheet, kEffectsPage));
    ExpectEveryTextWhole("Calendar", ShowPage(sheet, kCalendarPage));
    ExpectEveryTextWhole("Screens and times", ShowPage(sheet, kScreensPage));
    ExpectEveryTextWhole("Caption", ShowPage(sheet, kCaptionPage));
    PressCancel(sheet);
  });
  script.Run();
}

TEST_F(SettingsSheetTest, NothingOnAPageCoversAnythingElse) {
  SheetScript script;
  script.With(TwoMonitors(), kTwoCategories).Then([](HWND sheet) {
    ExpectNothingCovered("Options", ShowPage(sheet, kOptionsPage), kOptionsSwatches);
    const HWND effects = ShowPage(sheet, kEffectsPage);
    ExpectNothingCovered("Effects", effects, kEffectsSwatches);
    ExpectPreviewInsideFrame("Effects", effects, IDC_FX_PREVIEW_FRAME);
    const HWND calendar = ShowPage(sheet, kCalendarPage);
    ExpectNothingCovered("Calendar", calendar, kCalendarSwatches);
    ExpectPreviewInsideFrame("Calendar", calendar, IDC_CAL_PREVIEW_FRAME);
    const HWND screens = ShowPage(sheet, kScreensPage);
    ExpectNothingCovered("Screens and times", screens, kScreensSwatches);
    ExpectPreviewInsideFrame("Screens and times", screens, IDC_SCR_LAYOUT_FRAME);
    const HWND caption = ShowPage(sheet, kCaptionPage);
    ExpectNothingCovered("Caption", caption, kCaptionSwatches);
    ExpectPreviewInsideFrame("Caption", caption, IDC_CAP_PREVIEW_FRAME);
    PressCancel(sheet);
  });
  script.Run();
}

// A monitor clicked in the page's drawing: the point at fraction (fx, fy)
// of the frame.
void ClickInLayout(HWND page, double fx, double fy) {
  RECT frame{};
  GetWindowRect(GetDlgItem(page, IDC_SCR_LAYOUT_FRAME), &frame);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&frame), 2);
  const int x = frame.left + static_cast<int>((frame.right - frame.left) * fx);
  const int y = frame.top + static_cast<int>((frame.bottom - frame.top) * fy);
  SendMessageA(page, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// An item chosen in a drop-down list as the user does it.
void ChooseItem(HWND window, int id, int item) {
  SendDlgItemMessageW(window, id, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

TEST_F(SettingsSheetTest, ScreensPageStoresTheMonitorsChoicesTheRulesAndThePlaceOnOk) {
  WriteConfig("monitor_mode=0\r\n");
  testing::DialogCatcher catcher(0);
  const testing::DialogHandler answer_box = catcher.AnswerBox(IDOK);
  int rule_dialogs = 0;
  HWND rule_dialog = nullptr;
  HWND sheet_shown = nullptr;
  catcher.Otherwise([&](HWND dialog) {
    if (FindWindowExA(dialog, nullptr, "SysTabControl32", nullptr) != nullptr) return;  // the sheet
    if (GetDlgItem(dialog, IDC_RULE_CATEGORY) == nullptr) {
      answer_box(dialog);
      return;
    }
    // Category "Landscapes", from sunset + 30 to 07:00, Monday to Friday;
    // first with no day ticked, which the dialog refuses.
    ++rule_dialogs;
    rule_dialog = dialog;
    ExpectEveryTextWhole("Schedule rule", dialog);
    ChooseItem(dialog, IDC_RULE_FROM_KIND, 2);
    SetDlgItemTextA(dialog, IDC_RULE_FROM_TIME, "30");
    ChooseItem(dialog, IDC_RULE_TO_KIND, 0);
    SetDlgItemTextA(dialog, IDC_RULE_TO_TIME, "7:00");
    for (int d = 0; d < 7; ++d) CheckDlgButton(dialog, IDC_RULE_MONDAY + d, BST_UNCHECKED);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindow(dialog));
    for (int d = 0; d < 5; ++d) CheckDlgButton(dialog, IDC_RULE_MONDAY + d, BST_CHECKED);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  SheetScript script;
  script.With(TwoMonitors(), kTwoCategories)
      .Then([&](HWND sheet) {
        sheet_shown = sheet;
        // With one picture for all the monitors' group is greyed ...
        const HWND page = ShowPage(sheet, kScreensPage);
        EXPECT_FALSE(IsEnabled(page, IDC_SCR_POSITION));
        // ... until the Options page gives each monitor its own.
        Click(ShowPage(sheet, kOptionsPage), IDC_OPT_MONITORS_EACH);
      })
      .Then([](HWND sheet) {
        const HWND page = ShowPage(sheet, kScreensPage);
        EXPECT_TRUE(IsEnabled(page, IDC_SCR_POSITION));
        // The primary's picture is the main rotation's.
        EXPECT_FALSE(IsEnabled(page, IDC_SCR_CATEGORY));
        EXPECT_FALSE(IsChecked(page, IDC_SCR_PORTRAIT));
        ClickInLayout(page, 0.8, 0.5);
        EXPECT_EQ(Text(page, IDC_SCR_MONITOR_NAME).rfind("Monitor 2", 0), 0u) << Text(page, IDC_SCR_MONITOR_NAME);
        EXPECT_TRUE(IsEnabled(page, IDC_SCR_CATEGORY));
        EXPECT_TRUE(IsChecked(page, IDC_SCR_PORTRAIT));  // taller than wide
        ChooseItem(page, IDC_SCR_CATEGORY, 2);
        ChooseItem(page, IDC_SCR_POSITION, 2);  // "Fit"
        Click(page, IDC_SCR_ADD);
        EXPECT_EQ(testing::Items(GetDlgItem(page, IDC_SCR_RULES)),
                  std::vector<std::string>{"Landscapes: sunset+30 to 07:00, Mon\xE2\x80\x93" "Fri"});
        // A longitude that does not read keeps the sheet open.
        SetDlgItemTextA(page, IDC_SCR_LATITUDE, "52.2297");
        SetDlgItemTextA(page, IDC_SCR_LONGITUDE, "east");
        PressOk(sheet);
        EXPECT_TRUE(IsWindow(sheet));
      })
      .Then([](HWND sheet) {
        SetDlgItemTextA(CurrentPage(sheet), IDC_SCR_LONGITUDE, "-21.0122");
        PressOk(sheet);
      });
  EXPECT_TRUE(script.Run());
  EXPECT_EQ(rule_dialogs, 1);
  // No day ticked, over the dialog; the longitude, over the sheet.
  ASSERT_EQ(catcher.Boxes().size(), 2u);
  EXPECT_EQ(catcher.Boxes()[0].owner, rule_dialog);
  EXPECT_EQ(catcher.Boxes()[1].owner, sheet_shown);

  const ScreensAndTimes& screens = script.Closed().screens;
  MonitorChoice second;
  second.device = TwoMonitors()[1].device;
  second.place = 1;
  second.category = kTwoCategories[1];
  second.position = 4;
  EXPECT_EQ(screens.monitors, std::vector<MonitorChoice>{second});
  ScheduleRule rule;
  rule.category = kTwoCategories[0];
  rule.from = DayTime{DayTime::Kind::kSunset, 30};
  rule.to = DayTime{DayTime::Kind::kClock, 7 * 60};
  rule.days = 0x1F;
  EXPECT_EQ(screens.rules, std::vector<ScheduleRule>{rule});
  EXPECT_TRUE(screens.place.known);
  EXPECT_DOUBLE_EQ(screens.place.latitude, 52.2297);
  EXPECT_DOUBLE_EQ(screens.place.longitude, -21.0122);
  EXPECT_EQ(ReadConfig().screens, screens);
}

// ---------------------------------------------------------------------------
// The Caption page.

// Off, everything else on the page is greyed; ticked, typed and placed, OK
// brings it back.
TEST_F(SettingsSheetTest, CaptionPageStoresTheCaptionOnOk) {
  WriteConfig("caption=0\r\n");
  constexpr int kDependent[] = {IDC_CAP_PATTERN, IDC_CAP_PLACE,  IDC_CAP_SIZE,
                                IDC_CAP_SIZE_SPIN, IDC_CAP_SHADOW, IDC_CAP_PLATE};
  SheetScript script;
  script.Then([&](HWND sheet) {
    const HWND page = ShowPage(sheet, kCaptionPage);
    EXPECT_FALSE(IsChecked(page, IDC_CAP_SHOW));
    for (int id : kDependent) EXPECT_FALSE(IsEnabled(page, id)) << id;
    Click(page, IDC_CAP_SHOW);
    for (int id : kDependent) EXPECT_TRUE(IsEnabled(page, id)) << id;
    SetDlgItemTextA(page, IDC_CAP_PATTERN, "{name} in {folder}");
    ChooseItem(page, IDC_CAP_PLACE, 0);
    PressOk(sheet);
  });
  EXPECT_TRUE(script.Run());
  EXPECT_EQ(script.Closed().caption, 1);
  EXPECT_EQ(script.Closed().caption_pattern, "{name} in {folder}");
  EXPECT_EQ(script.Closed().caption_position, 0);
}

}  // namespace
}  // namespace vistelle

namespace vistelle {
namespace {

// Pictures of the five pages for a person to look at: with
// VISTELLE_SHEET_SHOTS naming a folder, each page is shown in turn; the
// test writes "shot-N.ready" there and waits (at most 20 s) for
// "shot-N.done", which whoever takes the picture writes.
TEST_F(SettingsSheetTest, ShowsEachPageForAPicture) {
  const char* shots = std::getenv("VISTELLE_SHEET_SHOTS");
  if (shots == nullptr || *shots == '\0') GTEST_SKIP() << "VISTELLE_SHEET_SHOTS is not set";
  const std::string folder = shots;
  int shot = 0;
  const auto hold = [folder, &shot](HWND sheet, int index) {
    ShowPage(sheet, index);
    RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const std::string name = folder + "/shot-" + std::to_string(++shot);
    std::ofstream(std::filesystem::u8path(name + ".ready")) << "ready\n";
    for (int waited = 0; waited < 20000 && !std::filesystem::exists(std::filesystem::u8path(name + ".done"));
         waited += 20) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
      Sleep(20);
    }
  };
  dir_.Write("config.ini",
             "[setting]\r\nmonitor_mode=2\r\ncaption=1\r\ncaption_pattern={name} from {folder}\r\n"
             "caption_plate=1\r\n[schedule]\r\nlatitude=52.2297\r\nlongitude=21.0122\r\nrules=2\r\n"
             "rule1_category=Night skies over the mountains\r\nrule1_from=sunset+30\r\nrule1_to=07:00\r\n"
             "rule1_days=MTWTFSS\r\nrule2_category=Landscapes\r\nrule2_from=09:00\r\nrule2_to=17:00\r\n"
             "rule2_days=MTWTF--\r\n");
  SheetScript script;
  script.With(TwoMonitors(), kTwoCategories).Then([&](HWND sheet) {
    // Move the sheet clear of the screen's corner for the picture.
    SetWindowPos(sheet, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    hold(sheet, kOptionsPage);
    hold(sheet, kEffectsPage);
    const HWND page = ShowPage(sheet, kEffectsPage);
    Click(page, IDC_FX_NEGATIVE);
    Click(page, IDC_FX_BLUR);
    hold(sheet, kEffectsPage);
    hold(sheet, kCalendarPage);
    hold(sheet, kScreensPage);
    hold(sheet, kCaptionPage);
    PressCancel(sheet);
  });
  script.Run();
}

}  // namespace
}  // namespace vistelle
