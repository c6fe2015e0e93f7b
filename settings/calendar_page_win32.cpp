// The Calendar page: whether the calendar is drawn, its place on the screen
// (a 3 x 3 grid of buttons, the current one marked "*"), its colours, the
// text shadow, the background's opacity and the background picture, with a
// preview of that picture. Position, opacity and background are stored at
// once; colours and the two boxes on OK.
#include <windows.h>

#include <commctrl.h>

#include <cstddef>

#include "base/paths.h"
#include "render/calendar.h"
#include "image/image.h"
#include "resources/settings_ids.h"
#include "settings/settings_pages_win32.h"
#include "settings/settings_values.h"

namespace vistelle {

namespace {

constexpr const char* kMark = "*";

// The four colour swatches, in the order they are painted and hit-tested
// (page pixels, see PageScale).
struct Swatch {
  SwatchRect rect;
  std::int32_t TConfig::*red;
  std::int32_t TConfig::*green;
  std::int32_t TConfig::*blue;
};
constexpr Swatch kSwatches[] = {
    {{108, 55, 128, 69}, &TConfig::mf_r, &TConfig::mf_g, &TConfig::mf_b},
    {{108, 72, 128, 86}, &TConfig::saturday_r, &TConfig::saturday_g, &TConfig::saturday_b},
    {{108, 89, 128, 103}, &TConfig::sunday_r, &TConfig::sunday_g, &TConfig::sunday_b},
    {{164, 115, 184, 130}, &TConfig::shadow_r, &TConfig::shadow_g, &TConfig::shadow_b},
};
constexpr std::size_t kSwatchCount = sizeof kSwatches / sizeof kSwatches[0];

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

struct CalendarPage : PageBase {
  using PageBase::PageBase;
  PageSwatch swatches[kSwatchCount];
  POINT preview_at = {0, 0};  // the frame's client area (see FrameClientOrigin)
  win32::Font font;
  Image preview;

  // The preview shows one built-in background (0..2; none for other
  // numbers).
  void LoadBuiltInPreview(int choice) {
    preview.Clear();
    if (const char* file = BuiltInCalendarBackground(choice)) preview.Load(JoinPath(sheet.program_folder, file));
  }

  // The preview shows the user's picture at the calendar's size.
  void LoadUserPreview() {
    preview.Clear();
    if (preview.Load(sheet.settings.calendar_background_user)) preview.Resample(kCalendarWidth, kCalendarHeight, 1);
  }

  BOOL OnInitDialog(HWND page) {
    const TConfig& settings = sheet.settings;
    const PageScale scale = ScaleOf(page);
    preview_at = FrameClientOrigin(page, IDC_CAL_PREVIEW_FRAME);
    if (settings.active_calendar) CheckDlgButton(page, IDC_CAL_ACTIVE, BST_CHECKED);
    if (settings.shadow) CheckDlgButton(page, IDC_CAL_SHADOW, BST_CHECKED);

    for (std::size_t i = 0; i < kSwatchCount; ++i) {
      const Swatch& swatch = kSwatches[i];
      swatches[i].rect = scale.Scale(swatch.rect);
      swatches[i].SetColour(MakeColorRef(settings.*swatch.red, settings.*swatch.green, settings.*swatch.blue));
    }
    // Marks the current position.
    OnCommand(page, 0, 0);

    font.Reset(CreateListFont(page));
    const HWND list =
        CreatePageList(page, IDC_CAL_BACKGROUND, scale, 24, 225, 95, 120, kCalendarBackgroundNames, 3, font);
    if (list != nullptr)
      SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(settings.calendar_background_prog), 0);

    if (settings.calendar_background)
      LoadUserPreview();
    else
      LoadBuiltInPreview(settings.calendar_background_prog);

    SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETRANGEMIN, TRUE, 0);
    SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETRANGEMAX, TRUE, 255);
    SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETPOS, TRUE, settings.calendar_alpha);
    return TRUE;
  }

  void OnCommand(HWND page, int id, int code) {
    TConfig& settings = sheet.settings;
    for (int button : kCalendarPositionButtons) SetDlgItemTextA(page, button, "");

    const int position = CalendarPositionOfButton(id);
    if (position >= 0 && code == BN_CLICKED) {
      settings.calendar_position = position;
    } else if (id == IDC_CAL_BACKGROUND && code == CBN_SELCHANGE) {
      const LRESULT choice = SendDlgItemMessageA(page, IDC_CAL_BACKGROUND, CB_GETCURSEL, 0, 0);
      if (choice != CB_ERR) {
        settings.calendar_background_prog = static_cast<std::int32_t>(choice);
        settings.calendar_background = 0;
        LoadBuiltInPreview(settings.calendar_background_prog);
        InvalidateRect(page, nullptr, TRUE);
      }
    } else if (id == IDC_CAL_FROM_FILE && code == BN_CLICKED) {
      ChooseCalendarPicture(page, sheet);
      // Also after Cancel: a user picture already in use is shown again.
      if (settings.calendar_background) {
        LoadUserPreview();
        InvalidateRect(page, nullptr, TRUE);
      }
    }

    const int marked = CalendarButtonOfPosition(settings.calendar_position);
    if (marked != 0) SetDlgItemTextA(page, marked, kMark);
  }

  void OnPaint(HWND page, HDC dc) {
    for (const PageSwatch& swatch : swatches) swatch.Paint(dc);
    DrawPreview(page, dc, IDC_CAL_PREVIEW_FRAME, preview_at, preview);
  }

  // Only a released thumb counts. The preview does not show the opacity.
  void OnHScroll(HWND page, int request, HWND bar) {
    if (request != TB_THUMBPOSITION || bar == nullptr || bar != GetDlgItem(page, IDC_CAL_ALPHA)) return;
    sheet.settings.calendar_alpha = static_cast<std::int32_t>(SendMessageA(bar, TBM_GETPOS, 0, 0));
  }

  void OnLButtonUp(HWND page, POINT at) {
    for (PageSwatch& swatch : swatches)
      if (swatch.ChooseAt(at, page)) swatch.Invalidate(page);
  }

  void OnApply(HWND page) {
    TConfig& settings = sheet.settings;
    for (std::size_t i = 0; i < kSwatchCount; ++i) {
      const ColorRef colour = swatches[i].colour;
      settings.*kSwatches[i].red = ColorRefRed(colour);
      settings.*kSwatches[i].green = ColorRefGreen(colour);
      settings.*kSwatches[i].blue = ColorRefBlue(colour);
    }
    settings.active_calendar = Checked(page, IDC_CAL_ACTIVE) ? 1 : 0;
    settings.shadow = Checked(page, IDC_CAL_SHADOW) ? 1 : 0;
  }

  bool OnClose() {
    preview.Clear();
    return true;
  }
};

}  // namespace

INT_PTR CALLBACK CalendarPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  return PageProcedure<CalendarPage>(page, message, wparam, lparam);
}

}  // namespace vistelle
