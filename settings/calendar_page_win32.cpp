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
  SwatchRect rects[kSwatchCount] = {};
  POINT preview_at = {kPreviewX, kPreviewY};
  ColorRef colours[kSwatchCount] = {};
  GdiObjectHolder brushes[kSwatchCount];
  GdiObjectHolder font;
  Image preview;
};

CalendarPage& Page() {
  static CalendarPage page;
  return page;
}

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

// The preview shows one built-in background (0..2; none for other numbers).
void LoadBuiltInPreview(int choice) {
  Image& preview = Page().preview;
  preview.Clear();
  if (const char* file = BuiltInCalendarBackground(choice)) preview.Load(JoinPath(ProgramFolder(), file));
}

// The preview shows the user's picture at the calendar's size.
void LoadUserPreview() {
  Image& preview = Page().preview;
  preview.Clear();
  if (preview.Load(SheetSettings().calendar_background_user))
    preview.Resample(kCalendarWidth, kCalendarHeight, 1);
}

HWND CreateBackgroundList(HWND page, const PageScale& scale) {
  const HWND list = CreateWindowExA(0, "combobox", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST,
                                    scale.X(24), scale.Y(225), scale.X(95), scale.Y(120), page,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_CAL_BACKGROUND)),
                                    GetModuleHandleA(nullptr), nullptr);
  if (list == nullptr) return nullptr;
  for (const char* name : kCalendarBackgroundNames)
    SendMessageA(list, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
  return list;
}

void OnCommand(HWND page, int id, int code);

BOOL OnInitDialog(HWND page) {
  const TConfig& settings = SheetSettings();
  CalendarPage& state = Page();
  const PageScale scale = ScaleOf(page);
  state.preview_at.x = scale.X(kPreviewX);
  state.preview_at.y = scale.Y(kPreviewY);
  if (settings.active_calendar) CheckDlgButton(page, IDC_CAL_ACTIVE, BST_CHECKED);
  if (settings.shadow) CheckDlgButton(page, IDC_CAL_SHADOW, BST_CHECKED);

  for (std::size_t i = 0; i < kSwatchCount; ++i) {
    const Swatch& swatch = kSwatches[i];
    state.rects[i] = scale.Scale(swatch.rect);
    state.colours[i] = MakeColorRef(settings.*swatch.red, settings.*swatch.green, settings.*swatch.blue);
    state.brushes[i].Reset(CreateSolidBrush(state.colours[i]));
  }
  // Marks the current position.
  OnCommand(page, 0, 0);

  const HWND list = CreateBackgroundList(page, scale);
  if (list != nullptr)
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(settings.calendar_background_prog), 0);

  if (settings.calendar_background)
    LoadUserPreview();
  else
    LoadBuiltInPreview(settings.calendar_background_prog);

  state.font.Reset(CreateListFont());
  if (list != nullptr && state.font.Get() != nullptr)
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(state.font.Get()), TRUE);

  SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETRANGEMIN, TRUE, 0);
  SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETRANGEMAX, TRUE, 255);
  SendDlgItemMessageA(page, IDC_CAL_ALPHA, TBM_SETPOS, TRUE, settings.calendar_alpha);
  return TRUE;
}

void OnCommand(HWND page, int id, int code) {
  TConfig& settings = SheetSettings();
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
    ChooseCalendarPicture(page);
    // Also after Cancel: a user picture already in use is shown again.
    if (settings.calendar_background) {
      LoadUserPreview();
      InvalidateRect(page, nullptr, TRUE);
    }
  }

  const int marked = CalendarButtonOfPosition(settings.calendar_position);
  if (marked != 0) SetDlgItemTextA(page, marked, kMark);
}

void OnPaint(HWND page) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(page, &paint);
  if (dc != nullptr) {
    CalendarPage& state = Page();
    for (std::size_t i = 0; i < kSwatchCount; ++i) {
      const SwatchRect& r = state.rects[i];
      PaintSwatch(dc, state.brushes[i], r.left, r.top, r.right, r.bottom);
    }
    RECT frame = {};
    if (GetClientRect(GetDlgItem(page, IDC_CAL_PREVIEW_FRAME), &frame))
      Draw2(state.preview, dc, state.preview_at.x, state.preview_at.y, frame.right - frame.left, frame.bottom - frame.top);
  }
  EndPaint(page, &paint);
}

// Only a released thumb counts. The preview does not show the opacity.
void OnHScroll(HWND page, int request, HWND bar) {
  if (request != TB_THUMBPOSITION || bar == nullptr || bar != GetDlgItem(page, IDC_CAL_ALPHA)) return;
  SheetSettings().calendar_alpha = static_cast<std::int32_t>(SendMessageA(bar, TBM_GETPOS, 0, 0));
}

void OnLButtonUp(HWND page, POINT at) {
  CalendarPage& state = Page();
  for (std::size_t i = 0; i < kSwatchCount; ++i) {
    const SwatchRect& r = state.rects[i];
    if (!r.Contains(at.x, at.y)) continue;
    ChooseColour(state.colours[i], page);
    state.brushes[i].Reset(CreateSolidBrush(state.colours[i]));
    const RECT area = {r.left, r.top, r.right, r.bottom};
    InvalidateRect(page, &area, TRUE);
  }
}

void OnApply(HWND page) {
  TConfig& settings = SheetSettings();
  const CalendarPage& state = Page();
  for (std::size_t i = 0; i < kSwatchCount; ++i) {
    settings.*kSwatches[i].red = ColorRefRed(state.colours[i]);
    settings.*kSwatches[i].green = ColorRefGreen(state.colours[i]);
    settings.*kSwatches[i].blue = ColorRefBlue(state.colours[i]);
  }
  settings.active_calendar = Checked(page, IDC_CAL_ACTIVE) ? 1 : 0;
  settings.shadow = Checked(page, IDC_CAL_SHADOW) ? 1 : 0;
}

}  // namespace

INT_PTR CALLBACK CalendarPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(page);
    case WM_COMMAND:
      OnCommand(page, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_PAINT:
      OnPaint(page);
      return TRUE;
    case WM_HSCROLL:
      OnHScroll(page, LOWORD(wparam), reinterpret_cast<HWND>(lparam));
      return FALSE;
    case WM_LBUTTONUP:
      OnLButtonUp(page, MousePosition(lparam));
      return FALSE;
    case WM_NOTIFY:
      return OnPageNotify(page, lparam, OnApply);
    case WM_CLOSE:
      Page().preview.Clear();
      return TRUE;
    case WM_DESTROY: {
      CalendarPage& state = Page();
      state.preview.Clear();
      for (GdiObjectHolder& brush : state.brushes) brush.Reset();
      state.font.Reset();
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace vistelle
