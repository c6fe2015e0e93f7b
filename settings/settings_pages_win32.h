// The inside of the settings sheet: the record the open sheet edits, how a
// page keeps its state, the five pages' dialog procedures and the choosers
// they share.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "base/win32/handle_win32.h"
#include "config/config.h"
#include "image/image.h"
#include "render/caption_text.h"
#include "render/monitor_layout.h"
#include "settings/settings_values.h"
#include "settings/startup_entry_win32.h"

namespace vistelle {

// The open sheet: its own settings record, a copy of the program's made when
// it opens, and the program's folder, where the pages find their sample
// pictures; the monitors (in the layout's order) and the library's category
// names, as they were when it opened, for the Screens and times page; what
// the caption of the picture on the desktop is made from, for the Caption
// page.
struct SettingsSheet {
  TConfig settings;
  std::string program_folder;
  std::vector<Monitor> monitors;
  std::vector<std::string> categories;
  CaptionFields desktop_fields;
  // The monitor mode the Options page shows now, chosen or not yet stored.
  int monitor_mode_shown = 0;
  bool applied = false;  // OK was pressed (PSN_APPLY)
};

// The record of the sheet that is open, or null.
const TConfig* OpenSheetSettings();

// Each page keeps a state of its own while it exists. The sheet hands the
// page its SettingsSheet in the page's lParam; at WM_INITDIALOG the page
// makes its state from it and keeps it in DWLP_USER, and at WM_DESTROY the
// state goes.
//
// A page's state derives from PageBase and gives the handlers PageProcedure
// routes the page's messages to; those it does not need do nothing.
struct PageBase {
  explicit PageBase(SettingsSheet& s) : sheet(s) {}
  SettingsSheet& sheet;

  // BOOL OnInitDialog(HWND page), void OnPaint(HWND page, HDC dc) and
  // void OnApply(HWND page) (OK was pressed) every page has.
  void OnCommand(HWND, int /*id*/, int /*code*/) {}
  void OnHScroll(HWND, int /*request*/, HWND /*bar*/) {}
  void OnLButtonUp(HWND, POINT) {}
  // The page comes to the front (PSN_SETACTIVE).
  void OnSetActive(HWND) {}
  // The page is about to be left, or OK was pressed on it (PSN_KILLACTIVE):
  // false keeps the page, after it said what is wrong.
  bool OnKillActive(HWND) { return true; }
  // True when the page handled WM_CLOSE.
  bool OnClose() { return false; }
};

// The page's client position of a mouse message (signed).
POINT MousePosition(LPARAM lparam);

template <typename Page>
INT_PTR CALLBACK PageProcedure(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    const auto* description = reinterpret_cast<const PROPSHEETPAGEA*>(lparam);
    if (description == nullptr || description->lParam == 0) return FALSE;
    auto* made = new Page(*reinterpret_cast<SettingsSheet*>(description->lParam));
    SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(made));
    return made->OnInitDialog(page);
  }
  auto* state = reinterpret_cast<Page*>(GetWindowLongPtrA(page, DWLP_USER));
  if (state == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      state->OnCommand(page, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_PAINT: {
      const win32::PaintDc dc(page);
      if (dc) state->OnPaint(page, dc.Get());
      return TRUE;
    }
    case WM_HSCROLL:
      state->OnHScroll(page, LOWORD(wparam), reinterpret_cast<HWND>(lparam));
      return FALSE;
    case WM_LBUTTONUP:
      state->OnLButtonUp(page, MousePosition(lparam));
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header == nullptr) return FALSE;
      if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        state->OnSetActive(page);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      if (header->code == static_cast<UINT>(PSN_KILLACTIVE)) {
        SetWindowLongPtrA(page, DWLP_MSGRESULT, state->OnKillActive(page) ? FALSE : TRUE);
        return TRUE;
      }
      if (header->code != static_cast<UINT>(PSN_APPLY)) return FALSE;
      // OK: the page copies its controls into the sheet's record, the sheet
      // learns that OK was pressed, and the page answers without objection.
      state->OnApply(page);
      state->sheet.applied = true;
      SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
      return TRUE;
    }
    case WM_CLOSE:
      return state->OnClose() ? TRUE : FALSE;
    case WM_DESTROY:
      SetWindowLongPtrA(page, DWLP_USER, 0);
      delete state;
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK EffectsPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK CalendarPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK ScreensPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK CaptionPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// The sample picture of the Effects and Caption pages' previews, in the
// program's folder.
constexpr const char* kSamplePicture = "Skin\\clear.jpg";

// The system colour dialog for one colour, opened over owner with the
// colour preselected and the program's 16 custom colours, which stay for
// the whole run. The colour is unchanged when the user cancels.
void ChooseColour(ColorRef& colour, HWND owner);

// The open-file dialog for the calendar's own background picture. A chosen
// file goes into the settings ("Ccalendar_background_user", and
// "Ccalendar_background" set); true then. The current directory is the
// program's folder afterwards whatever folder the user visited.
bool ChooseCalendarPicture(HWND owner, SettingsSheet& sheet);

// A colour swatch of a page: its place, its colour and the brush that
// paints it.
struct PageSwatch {
  SwatchRect rect{};
  ColorRef colour = 0;
  win32::Brush brush;

  void SetColour(ColorRef c);
  // The rectangle filled with the brush and outlined with the context's pen.
  void Paint(HDC dc) const;
  // Asks for a new colour when the point lies inside; true when it did.
  bool ChooseAt(POINT at, HWND owner);
  void Invalidate(HWND page) const;
};

// Draws a page's preview picture at `at`, stretched to the client size of
// the frame control that surrounds it.
void DrawPreview(HWND page, HDC dc, int frame_id, POINT at, const Image& preview);

// Where a page draws the preview its frame control surrounds: the top-left
// corner of the frame's client area, in the page's client coordinates, so
// that the picture, at the client area's size, stays inside the frame
// whatever the font makes of the template. (0, 0) when the frame is
// missing.
inline POINT FrameClientOrigin(HWND page, int frame_id) {
  POINT origin = {0, 0};
  const HWND frame = GetDlgItem(page, frame_id);
  if (frame == nullptr) return origin;
  MapWindowPoints(frame, page, &origin, 1);
  return origin;
}

// The page's dialog base units, for placing what the page draws itself.
PageScale ScaleOf(HWND page);

// A control's whole text as UTF-8, read in UTF-16.
std::string ControlText(HWND control);
// Makes the items of a drop-down list these (UTF-8) texts, in order.
void FillList(HWND list, const std::vector<std::string>& items);

// The small Arial font of the pages' drop-down lists, at the page's scaling.
HFONT CreateListFont(HWND page);

// A drop-down list the page places itself (in page pixels, see PageScale)
// with the given items, in the list font.
HWND CreatePageList(HWND page, int id, const PageScale& scale, int x, int y, int width, int height,
                    const char* const* items, int count, const win32::Font& font);

}  // namespace vistelle
