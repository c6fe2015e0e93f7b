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
#include "render/image.h"
#include "render/image_draw_win32.h"
#include "resources/settings_ids.h"
#include "settings/settings_pages_win32.h"
#include "settings/settings_values.h"

namespace vistelle {

namespace {

constexpr const char* kMark = "*";
// Where the preview is drawn (page pixels, see PageScale): inside the frame
// of control 1036, at the size of its client area.
constexpr int kPreviewX = 129;
constexpr int kPreviewY = 198;

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

struct CalendarPage {
  explicit CalendarPage(SettingsSheet& s) : sheet(s) {}
  SettingsSheet& sheet;
  PageSwatch swatches[kSwatchCount];
  POINT preview_at = {kPreviewX, kPreviewY};
  win32::Font font;
  Image preview;
};

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// The preview shows one built-in background (0..2; none for other numbers).
void LoadBuiltInPreview(CalendarPage& state, int choice) {
  state.preview.Clear();
  if (const char* file = BuiltInCalendarBackground(choice))
    state.preview.Load(JoinPath(state.sheet.program_folder, file));
}

// The preview shows the user's picture at the calendar's size.
void LoadUserPreview(CalendarPage& state) {
  state.preview.Clear();
  if (state.preview.Load(state.sheet.settings.calendar_background_user))
    state.preview.Resample(kCalendarWidth, kCalendarHeight, 1);
}

void OnCommand(HWND page, CalendarPage& state, int id, int code);

BOOL OnInitDialog(HWND page, CalendarPage& state) {
  const TConfig& settings = state.sheet.settings;
  const PageScale scale = ScaleOf(page);
  state.preview_at.x = scale.X(kPreviewX);
  state.preview_at.y = scale.Y(kPreviewY);
  if (settings.active_calendar) CheckDlgButton(page, IDC_CAL_ACTIVE, BST_CHECKED);
  if (settings.shadow) CheckDlgButton(page, IDC_CAL_SHADOW, BST_CHECKED);

  for (std::size_t i = 0; i < kSwatchCount; ++i) {
    const Swatch& swatch = kSwatches[i];
    state.swatches[i].rect = scale.Scale(swatch.rect);
    state.swatches[i].SetColour(MakeColorRef(settings.*swatch.red, settings.*swatch.green, settings.*swatch.blue));
  }
  // Marks the current position.
  OnCommand(page, state, 0, 0);

  state.font.Reset(CreateListFont());
  const HWND list = CreatePageList(page, IDC_CAL_BACKGROUND, scale, 24, 225, 95, 120, kCalendarBackgroundNames, 3,
                                   state.font);
  if (list != nullptr)
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(settings.calendar_background_prog), 0);

  if (settings.calendar_background)
    LoadUserPreview(state);
  else
    LoadBuiltInPreview(state, settings.calendar_background_prog);

  SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETRANGEMIN, TRUE, 0);
  SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETRANGEMAX, TRUE, 255);
  SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETPOS, TRUE, settings.calendar_alpha);
  return TRUE;
}

void OnCommand(HWND page, CalendarPage& state, int id, int code) {
  TConfig& settings = state.sheet.settings;
  for (int button : kCalendarPositionButtons) SetDlgItemTextA(page, button, "");

  const int position = CalendarPositionOfButton(id);
  if (position >= 0 && code == BN_CLICKED) {
    settings.calendar_position = position;
  } else if (id == IDC_CAL_BACKGROUND && code == CBN_SELCHANGE) {
    const LRESULT choice = SendDlgItemMessageA(page, IDC_CAL_BACKGROUND, CB_GETCURSEL, 0, 0);
    if (choice != CB_ERR) {
      settings.calendar_background_prog = static_cast<std::int32_t>(choice);
      settings.calendar_background = 0;
      LoadBuiltInPreview(state, settings.calendar_background_prog);
      InvalidateRect(page, nullptr, TRUE);
    }
  } else if (id == IDC_CAL_FROM_FILE && code == BN_CLICKED) {
    ChooseCalendarPicture(page, state.sheet);
    // Also after Cancel: a user picture already in use is shown again.
    if (settings.calendar_background) {
      LoadUserPreview(state);
      InvalidateRect(page, nullptr, TRUE);
    }
  }

  const int marked = CalendarButtonOfPosition(settings.calendar_position);
  if (marked != 0) SetDlgItemTextA(page, marked, kMark);
}

void OnPaint(HWND page, const CalendarPage& state) {
  const win32::PaintDc dc(page);
  if (!dc) return;
  for (const PageSwatch& swatch : state.swatches) swatch.Paint(dc.Get());
  RECT frame = {};
  if (GetClientRect(GetDlgItem(page, IDC_CAL_PREVIEW_FRAME), &frame))
    Draw2(state.preview, dc.Get(), state.preview_at.x, state.preview_at.y, frame.right - frame.left,
          frame.bottom - frame.top);
}

// Only a released thumb counts. The preview does not show the opacity.
void OnHScroll(HWND page, CalendarPage& state, int request, HWND bar) {
  if (request != TB_THUMBPOSITION || bar == nullptr || bar != GetDlgItem(page, IDC_CAL_ALPHA)) return;
  state.sheet.settings.calendar_alpha = static_cast<std::int32_t>(SendMessageA(bar, TBM_GETPOS, 0, 0));
}

void OnLButtonUp(HWND page, CalendarPage& state, POINT at) {
  for (PageSwatch& swatch : state.swatches)
    if (swatch.ChooseAt(at, page)) swatch.Invalidate(page);
}

void OnApply(HWND page, CalendarPage& state) {
  TConfig& settings = state.sheet.settings;
  for (std::size_t i = 0; i < kSwatchCount; ++i) {
    const ColorRef colour = state.swatches[i].colour;
    settings.*kSwatches[i].red = ColorRefRed(colour);
    settings.*kSwatches[i].green = ColorRefGreen(colour);
    settings.*kSwatches[i].blue = ColorRefBlue(colour);
  }
  settings.active_calendar = Checked(page, IDC_CAL_ACTIVE) ? 1 : 0;
  settings.shadow = Checked(page, IDC_CAL_SHADOW) ? 1 : 0;
}

}  // namespace

INT_PTR CALLBACK CalendarPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  CalendarPage* state = PageState<CalendarPage>(page, message, lparam);
  if (state == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(page, *state);
    case WM_COMMAND:
      OnCommand(page, *state, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_PAINT:
      OnPaint(page, *state);
      return TRUE;
    case WM_HSCROLL:
      OnHScroll(page, *state, LOWORD(wparam), reinterpret_cast<HWND>(lparam));
      return FALSE;
    case WM_LBUTTONUP:
      OnLButtonUp(page, *state, MousePosition(lparam));
      return FALSE;
    case WM_NOTIFY:
      return OnPageNotify(page, lparam, *state, OnApply);
    case WM_CLOSE:
      state->preview.Clear();
      return TRUE;
    case WM_DESTROY:
      DropPageState<CalendarPage>(page);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace vistelle
