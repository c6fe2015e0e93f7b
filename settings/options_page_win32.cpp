// The Options page: where the picture goes on the screen, when and in which
// order the wallpaper changes, the background colour and the start with the
// system. Nothing reaches the settings before OK (PSN_APPLY).
#include <windows.h>

#include <commctrl.h>

#include "resources/settings_ids.h"
#include "settings/settings_pages_win32.h"
#include "settings/settings_values.h"

namespace vistelle {

namespace {

// The background colour's swatch, in page pixels (see PageScale): right of
// its label and level with it, inside the Position group.
constexpr SwatchRect kSwatch = {126, 177, 161, 191};
constexpr int kAmountMin = 1;
constexpr int kAmountMax = 999;
constexpr int kAmountStart = 25;
constexpr int kAmountDigits = 3;

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// Controls that belong to a choice are greyed while it is off: the interval
// to the timed change, "no repeats" to the random order (it keeps its tick
// for a later change to random).
void EnableDependentControls(HWND page) {
  const bool interval = Checked(page, IDC_OPT_EVERY);
  EnableWindow(GetDlgItem(page, IDC_OPT_UNIT), interval);
  EnableWindow(GetDlgItem(page, IDC_OPT_AMOUNT), interval);
  EnableWindow(GetDlgItem(page, IDC_OPT_AMOUNT_SPIN), interval);
  EnableWindow(GetDlgItem(page, IDC_OPT_NO_REPEAT), Checked(page, IDC_OPT_RANDOM));
}

// The button of a monitor mode; any mode but 1 and 2 is the primary only.
int MonitorButton(int mode) {
  if (mode == 1) return IDC_OPT_MONITORS_SPAN;
  if (mode == 2) return IDC_OPT_MONITORS_EACH;
  return IDC_OPT_MONITORS_PRIMARY;
}

// The tick boxes of the waits, and the settings they stand for.
struct WaitBox {
  int id;
  std::uint8_t TConfig::*flag;
};
constexpr WaitBox kWaitBoxes[] = {{IDC_OPT_WAIT_FULLSCREEN, &TConfig::wait_fullscreen},
                                  {IDC_OPT_WAIT_BATTERY, &TConfig::wait_battery_saver},
                                  {IDC_OPT_WAIT_REMOTE, &TConfig::wait_remote}};

struct OptionsPage : PageBase {
  using PageBase::PageBase;
  PageSwatch swatch;
  win32::Font font;

  BOOL OnInitDialog(HWND page) {
    const TConfig& settings = sheet.settings;
    const PageScale scale = ScaleOf(page);
    swatch.rect = scale.Scale(kSwatch);
    swatch.SetColour(MakeColorRef(settings.background_r, settings.background_g, settings.background_b));

    if (StartupEntryExists(sheet.program_folder)) CheckDlgButton(page, IDC_OPT_RUN_AT_START, BST_CHECKED);

    SendDlgItemMessageA(page, IDC_OPT_AMOUNT_SPIN, UDM_SETRANGE, 0, MAKELPARAM(kAmountMax, kAmountMin));
    SendDlgItemMessageA(page, IDC_OPT_AMOUNT_SPIN, UDM_SETPOS, 0, MAKELPARAM(kAmountStart, 0));
    SendDlgItemMessageA(page, IDC_OPT_AMOUNT, EM_LIMITTEXT, kAmountDigits, 0);

    // The unit list, beside the up-down control and level with the amount.
    font.Reset(CreateListFont(page));
    const HWND list = CreatePageList(page, IDC_OPT_UNIT, scale, 135, 252, 70, 140, kIntervalUnitNames, 2, font);
    // The amount as stored (the 25 the up-down control wrote gives way).
    SetDlgItemInt(page, IDC_OPT_AMOUNT, static_cast<UINT>(settings.co_ile_sek_godz), TRUE);
    // A unit with no item (neither 0 nor 1) leaves the list without a choice.
    if (list != nullptr) SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(settings.godz_sek), 0);

    CheckDlgButton(page, settings.zmiana_tapety_co != 0 ? IDC_OPT_EVERY : IDC_OPT_AT_START, BST_CHECKED);

    // A position with no button (outside 0..4) leaves all five unchecked.
    switch (settings.sposob_wyswietlania) {
      case 0: CheckDlgButton(page, IDC_OPT_STRETCH, BST_CHECKED); break;
      case 1: CheckDlgButton(page, IDC_OPT_TILED, BST_CHECKED); break;
      case 2: CheckDlgButton(page, IDC_OPT_CENTER, BST_CHECKED); break;
      case 3: CheckDlgButton(page, IDC_OPT_FILL, BST_CHECKED); break;
      case 4: CheckDlgButton(page, IDC_OPT_FIT, BST_CHECKED); break;
      default: break;
    }
    if (settings.sposob_wybierania == 0) CheckDlgButton(page, IDC_OPT_SEQUENCE, BST_CHECKED);
    if (settings.sposob_wybierania == 1) CheckDlgButton(page, IDC_OPT_RANDOM, BST_CHECKED);
    if (settings.no_repeat != 0) CheckDlgButton(page, IDC_OPT_NO_REPEAT, BST_CHECKED);
    CheckDlgButton(page, MonitorButton(settings.monitor_mode), BST_CHECKED);
    for (const WaitBox& box : kWaitBoxes)
      if (settings.*box.flag) CheckDlgButton(page, box.id, BST_CHECKED);
    EnableDependentControls(page);
    return TRUE;
  }

  // The Screens and times page follows the monitor mode as it is shown.
  void OnCommand(HWND page, int, int code) {
    if (code != BN_CLICKED) return;
    EnableDependentControls(page);
    if (Checked(page, IDC_OPT_MONITORS_SPAN)) sheet.monitor_mode_shown = kMonitorModeSpan;
    else if (Checked(page, IDC_OPT_MONITORS_EACH)) sheet.monitor_mode_shown = kMonitorModeEach;
    else if (Checked(page, IDC_OPT_MONITORS_PRIMARY)) sheet.monitor_mode_shown = kMonitorModePrimary;
  }

  void OnPaint(HWND, HDC dc) { swatch.Paint(dc); }

  void OnLButtonUp(HWND page, POINT at) {
    if (swatch.ChooseAt(at, page)) swatch.Invalidate(page);
  }

  // OK: every control of the page goes into the settings, taken as the
  // control holds it (a typed 0 is stored as 0, a value that is no number
  // as 0).
  void OnApply(HWND page) {
    TConfig& settings = sheet.settings;
    settings.background_r = ColorRefRed(swatch.colour);
    settings.background_g = ColorRefGreen(swatch.colour);
    settings.background_b = ColorRefBlue(swatch.colour);

    BOOL is_number = FALSE;
    settings.co_ile_sek_godz = static_cast<int>(GetDlgItemInt(page, IDC_OPT_AMOUNT, &is_number, TRUE));
    settings.godz_sek = static_cast<int>(SendDlgItemMessageA(page, IDC_OPT_UNIT, CB_GETCURSEL, 0, 0));

    if (Checked(page, IDC_OPT_STRETCH)) settings.sposob_wyswietlania = 0;
    else if (Checked(page, IDC_OPT_TILED)) settings.sposob_wyswietlania = 1;
    else if (Checked(page, IDC_OPT_CENTER)) settings.sposob_wyswietlania = 2;
    else if (Checked(page, IDC_OPT_FILL)) settings.sposob_wyswietlania = 3;
    else if (Checked(page, IDC_OPT_FIT)) settings.sposob_wyswietlania = 4;

    if (Checked(page, IDC_OPT_SEQUENCE)) settings.sposob_wybierania = 0;
    else if (Checked(page, IDC_OPT_RANDOM)) settings.sposob_wybierania = 1;

    settings.no_repeat = Checked(page, IDC_OPT_NO_REPEAT) ? 1 : 0;
    if (Checked(page, IDC_OPT_MONITORS_SPAN)) settings.monitor_mode = 1;
    else if (Checked(page, IDC_OPT_MONITORS_EACH)) settings.monitor_mode = 2;
    else if (Checked(page, IDC_OPT_MONITORS_PRIMARY)) settings.monitor_mode = 0;

    if (Checked(page, IDC_OPT_AT_START)) settings.zmiana_tapety_co = 0;
    else if (Checked(page, IDC_OPT_EVERY)) settings.zmiana_tapety_co = 1;
    for (const WaitBox& box : kWaitBoxes) settings.*box.flag = Checked(page, box.id) ? 1 : 0;

    SetStartupEntry(Checked(page, IDC_OPT_RUN_AT_START), sheet.program_folder);
  }
};

}  // namespace

INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  return PageProcedure<OptionsPage>(page, message, wparam, lparam);
}

}  // namespace vistelle
