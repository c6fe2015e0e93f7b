// The Caption page: whether a caption is drawn on the wallpaper, its text
// (a pattern of fields), its place, size and colour, a shadow and a plate,
// with a preview of the sample picture and the caption as the wallpaper
// would have it, at its real size. Every change the user makes goes into
// the page's own choice, which the preview shows at once; the sheet's
// record gets it on OK.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "base/paths.h"
#include "base/win32/utf16_win32.h"
#include "image/exif_tags.h"
#include "image/image.h"
#include "render/caption.h"
#include "render/caption_text.h"
#include "resources/settings_ids.h"
#include "settings/settings_pages_win32.h"
#include "settings/settings_values.h"

namespace vistelle {

namespace {

// The caption colour's swatch, in page pixels (see PageScale): right of its
// label and level with it.
constexpr SwatchRect kSwatch = {62, 140, 100, 155};
constexpr int kSmallest = 6;
constexpr int kLargest = 144;
constexpr int kSizeDigits = 3;

// The controls that belong to the caption, greyed while it is off.
constexpr int kDependentControls[] = {IDC_CAP_TEXT_LABEL, IDC_CAP_PATTERN,      IDC_CAP_HINT,
                                      IDC_CAP_HINT_MORE,  IDC_CAP_PLACE_LABEL,  IDC_CAP_PLACE,
                                      IDC_CAP_SIZE_LABEL, IDC_CAP_SIZE,         IDC_CAP_SIZE_SPIN,
                                      IDC_CAP_POINTS,     IDC_CAP_COLOUR_LABEL, IDC_CAP_SHADOW,
                                      IDC_CAP_PLATE};

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

struct CaptionPage : PageBase {
  using PageBase::PageBase;
  // What the page shows, the sheet's on OK.
  bool on = false;
  std::string pattern;
  CaptionLook look;

  CaptionFields fields;  // of the picture on the desktop, else of the sample
  PageSwatch swatch;
  POINT preview_at = {0, 0};  // the frame's client area (see FrameClientOrigin)
  SIZE preview_size = {0, 0};
  Image sample;   // the sample picture at the frame's size
  Image preview;  // the sample with the caption
  bool ready = false;  // the controls are filled in

  BOOL OnInitDialog(HWND page) {
    const TConfig& settings = sheet.settings;
    on = settings.caption != 0;
    pattern = settings.caption_pattern;
    look = CaptionLookOf(settings);

    const std::string sample_path = JoinPath(sheet.program_folder, kSamplePicture);
    fields = sheet.desktop_fields.name.empty() ? CaptionFieldsOf(sample_path, "", ExifTags()) : sheet.desktop_fields;
    preview_at = FrameClientOrigin(page, IDC_CAP_PREVIEW_FRAME);
    RECT frame = {};
    GetClientRect(GetDlgItem(page, IDC_CAP_PREVIEW_FRAME), &frame);
    preview_size = {frame.right, frame.bottom};
    // A missing sample leaves the preview empty; the page works otherwise.
    if (preview_size.cx > 0 && preview_size.cy > 0 && sample.Load(sample_path))
      sample.Resample(static_cast<std::uint32_t>(preview_size.cx), static_cast<std::uint32_t>(preview_size.cy), 0);

    swatch.rect = ScaleOf(page).Scale(kSwatch);
    swatch.SetColour(look.color);

    if (on) CheckDlgButton(page, IDC_CAP_SHOW, BST_CHECKED);
    SendDlgItemMessageW(page, IDC_CAP_PATTERN, EM_LIMITTEXT, TConfig::kMaxText, 0);
    SetDlgItemTextW(page, IDC_CAP_PATTERN, win32::Widen(pattern).c_str());
    const HWND places = GetDlgItem(page, IDC_CAP_PLACE);
    for (const char* place : kCaptionPlaceNames)
      SendMessageA(places, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(place));
    // A place outside 0..8 leaves the list without a choice.
    SendMessageA(places, CB_SETCURSEL, static_cast<WPARAM>(look.position), 0);
    SendDlgItemMessageA(page, IDC_CAP_SIZE, EM_LIMITTEXT, kSizeDigits, 0);
    SendDlgItemMessageA(page, IDC_CAP_SIZE_SPIN, UDM_SETRANGE32, kSmallest, kLargest);
    SendDlgItemMessageA(page, IDC_CAP_SIZE_SPIN, UDM_SETPOS32, 0, look.points);
    SetDlgItemInt(page, IDC_CAP_SIZE, static_cast<UINT>(look.points), FALSE);
    if (look.shadow) CheckDlgButton(page, IDC_CAP_SHADOW, BST_CHECKED);
    if (look.plate) CheckDlgButton(page, IDC_CAP_PLATE, BST_CHECKED);

    ready = true;
    EnableDependentControls(page);
    Recompute(page);
    return TRUE;
  }

  void EnableDependentControls(HWND page) const {
    for (int id : kDependentControls) EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE);
    swatch.Invalidate(page);
  }

  // The preview anew from the sample: the caption drawn on it as the
  // wallpaper gets it, nothing with the caption off.
  void Recompute(HWND page) {
    preview.Copy(sample);
    if (on) DrawCaption(preview, CaptionText(pattern, fields), look);
    const RECT area = {preview_at.x, preview_at.y, preview_at.x + preview_size.cx, preview_at.y + preview_size.cy};
    InvalidateRect(page, &area, FALSE);
  }

  // The user's change to one control, taken into the page's choice.
  void OnCommand(HWND page, int id, int code) {
    if (!ready) return;
    if (id == IDC_CAP_SHOW && code == BN_CLICKED) {
      on = Checked(page, IDC_CAP_SHOW);
      EnableDependentControls(page);
    } else if (id == IDC_CAP_PATTERN && code == EN_CHANGE) {
      pattern = CutUtf8(ControlText(GetDlgItem(page, IDC_CAP_PATTERN)), TConfig::kMaxText);
    } else if (id == IDC_CAP_PLACE && code == CBN_SELCHANGE) {
      const LRESULT place = SendDlgItemMessageA(page, IDC_CAP_PLACE, CB_GETCURSEL, 0, 0);
      if (place == CB_ERR) return;
      look.position = static_cast<int>(place);
    } else if (id == IDC_CAP_SIZE && code == EN_CHANGE) {
      // Empty or not a number counts as 0: like any size out of range it is
      // held to the nearest end.
      BOOL is_number = FALSE;
      const UINT typed = GetDlgItemInt(page, IDC_CAP_SIZE, &is_number, FALSE);
      look.points = static_cast<int>(std::clamp<UINT>(is_number ? typed : 0, kSmallest, kLargest));
    } else if (id == IDC_CAP_SHADOW && code == BN_CLICKED) {
      look.shadow = Checked(page, IDC_CAP_SHADOW);
    } else if (id == IDC_CAP_PLATE && code == BN_CLICKED) {
      look.plate = Checked(page, IDC_CAP_PLATE);
    } else {
      return;
    }
    Recompute(page);
  }

  void OnPaint(HWND page, HDC dc) {
    if (on) {
      swatch.Paint(dc);
    } else {
      // Greyed with the rest: outlined in the colour of greyed text.
      const win32::ScopedSelect pen(dc, GetStockObject(DC_PEN));
      SetDCPenColor(dc, GetSysColor(COLOR_GRAYTEXT));
      swatch.Paint(dc);
    }
    DrawPreview(page, dc, IDC_CAP_PREVIEW_FRAME, preview_at, preview);
  }

  void OnLButtonUp(HWND page, POINT at) {
    if (!on || !swatch.ChooseAt(at, page)) return;
    look.color = swatch.colour;
    swatch.Invalidate(page);
    Recompute(page);
  }

  void OnApply(HWND) {
    TConfig& settings = sheet.settings;
    settings.caption = on ? 1 : 0;
    settings.caption_pattern = pattern;
    settings.caption_position = look.position;
    settings.caption_size = look.points;
    settings.caption_r = ColorRefRed(look.color);
    settings.caption_g = ColorRefGreen(look.color);
    settings.caption_b = ColorRefBlue(look.color);
    settings.caption_shadow = look.shadow ? 1 : 0;
    settings.caption_plate = look.plate ? 1 : 0;
    settings.DeriveColors();
  }

  bool OnClose() {
    sample.Clear();
    preview.Clear();
    return true;
  }
};

}  // namespace

INT_PTR CALLBACK CaptionPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  return PageProcedure<CaptionPage>(page, message, wparam, lparam);
}

}  // namespace vistelle
