// The settings sheet: five pages over one settings record of its own, a
// copy of the program's settings made when the sheet opens and handed back
// when it closes, by OK or Cancel.
#include "settings/settings_sheet_win32.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cstring>

#include "base/win32/handle_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "base/win32/utf16_win32.h"
#include "image/image_draw_win32.h"
#include "resources/settings_ids.h"
#include "settings/picture_chooser_win32.h"
#include "settings/settings_pages_win32.h"

namespace vistelle {

namespace {

constexpr const char* kSheetCaption = "Pictora 2.0";

// The sheet while it is open: a second request (the tray menu works while
// the sheet is open) only brings the open sheet forward.
SettingsSheet* g_open = nullptr;
HWND g_sheet = nullptr;

// The custom colours of every colour dialog of the run.
COLORREF g_custom_colours[16] = {};

// Takes the help button off the sheet's title bar: the sheet has no help.
int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lparam) {
  if (message == PSCB_INITIALIZED) g_sheet = sheet;
  if (message != PSCB_PRECREATE || lparam == 0) return 0;
  auto* bytes = reinterpret_cast<unsigned char*>(lparam);
  WORD signature = 0;
  std::memcpy(&signature, bytes + sizeof(WORD), sizeof signature);
  // An extended template (DLGTEMPLATEEX) keeps its style after the version,
  // signature, help id and extended style; a plain one starts with it.
  unsigned char* style_at = signature == 0xFFFF ? bytes + 12 : bytes;
  DWORD style = 0;
  std::memcpy(&style, style_at, sizeof style);
  style &= ~static_cast<DWORD>(DS_CONTEXTHELP);
  std::memcpy(style_at, &style, sizeof style);
  return 1;
}

UINT CALLBACK PageCallback(HWND, UINT message, LPPROPSHEETPAGEA) { return message == PSPCB_CREATE ? 1 : 0; }

PROPSHEETPAGEA MakePage(HINSTANCE instance, int template_id, DLGPROC procedure, SettingsSheet& sheet) {
  PROPSHEETPAGEA page = {};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_USECALLBACK;
  page.hInstance = instance;
  page.pszTemplate = MAKEINTRESOURCEA(template_id);
  page.pfnDlgProc = procedure;
  page.lParam = reinterpret_cast<LPARAM>(&sheet);
  page.pfnCallback = PageCallback;
  return page;
}

}  // namespace

const TConfig* OpenSheetSettings() { return g_open != nullptr ? &g_open->settings : nullptr; }

std::optional<SheetResult> RunSettingsSheet(HWND owner, const TConfig& settings, const std::string& program_dir,
                                            const std::vector<Monitor>& monitors,
                                            const std::vector<std::string>& categories,
                                            const CaptionFields& shown) {
  if (g_open != nullptr) {
    if (g_sheet != nullptr) SetForegroundWindow(g_sheet);
    return std::nullopt;
  }
  SettingsSheet sheet;
  sheet.program_folder = program_dir;
  sheet.settings = settings;
  sheet.monitors = monitors;
  sheet.categories = categories;
  sheet.desktop_fields = shown;
  sheet.monitor_mode_shown = settings.monitor_mode;
  g_open = &sheet;

  const HINSTANCE instance = GetModuleHandleA(nullptr);
  PROPSHEETPAGEA pages[] = {
      MakePage(instance, IDD_OPTIONS_PAGE, OptionsPageProc, sheet),
      MakePage(instance, IDD_EFFECTS_PAGE, EffectsPageProc, sheet),
      MakePage(instance, IDD_CALENDAR_PAGE, CalendarPageProc, sheet),
      MakePage(instance, IDD_SCREENS_PAGE, ScreensPageProc, sheet),
      MakePage(instance, IDD_CAPTION_PAGE, CaptionPageProc, sheet),
  };

  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPTITLE | PSH_USEICONID | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK |
                   PSH_STRETCHWATERMARK;
  header.hwndParent = owner;
  header.hInstance = instance;
  header.pszIcon = MAKEINTRESOURCEA(IDI_SETTINGS_SHEET);
  header.pszCaption = kSheetCaption;
  header.nPages = static_cast<UINT>(sizeof pages / sizeof pages[0]);
  header.nStartPage = 0;
  header.ppsp = pages;
  header.pfnCallback = SheetCallback;
  {
    const win32::ModalLoop loop;
    PropertySheetA(&header);
  }
  g_sheet = nullptr;
  g_open = nullptr;
  SheetResult result;
  result.settings = sheet.settings;
  result.settings.DeriveColors();
  result.ok = sheet.applied;
  return result;
}

void ChooseColour(ColorRef& colour, HWND owner) {
  CHOOSECOLORA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.rgbResult = colour;
  dialog.lpCustColors = g_custom_colours;
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
  const win32::ModalLoop loop;
  if (ChooseColorA(&dialog)) colour = dialog.rgbResult & 0x00FFFFFFu;
}

bool ChooseCalendarPicture(HWND owner, SettingsSheet& sheet) {
  char file[MAX_PATH] = "";
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kPictureFilters;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  dialog.lpstrDefExt = "bmp";
  bool chosen = false;
  {
    const win32::ModalLoop loop;
    chosen = GetOpenFileNameA(&dialog) != 0;
  }
  if (chosen) {
    sheet.settings.calendar_background_user = file;
    sheet.settings.calendar_background = 1;
  }
  // The dialog may have moved the current directory to the folder the user
  // browsed; the program resolves its own files against it.
  if (!sheet.program_folder.empty()) SetCurrentDirectoryA(sheet.program_folder.c_str());
  return chosen;
}

void PageSwatch::SetColour(ColorRef c) {
  colour = c;
  brush.Reset(CreateSolidBrush(c));
}

void PageSwatch::Paint(HDC dc) const {
  if (!brush) return;
  const win32::ScopedSelect selected(dc, brush.Get());
  Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

bool PageSwatch::ChooseAt(POINT at, HWND owner) {
  if (!rect.Contains(at.x, at.y)) return false;
  ColorRef chosen = colour;
  ChooseColour(chosen, owner);
  SetColour(chosen);
  return true;
}

void PageSwatch::Invalidate(HWND page) const {
  const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
  InvalidateRect(page, &area, TRUE);
}

void DrawPreview(HWND page, HDC dc, int frame_id, POINT at, const Image& preview) {
  RECT frame = {};
  if (GetClientRect(GetDlgItem(page, frame_id), &frame))
    Draw2(preview, dc, at.x, at.y, frame.right - frame.left, frame.bottom - frame.top);
}

PageScale ScaleOf(HWND page) {
  RECT units = {0, 0, 4, 8};
  PageScale scale;
  if (MapDialogRect(page, &units) && units.right > 0 && units.bottom > 0) {
    scale.base_x = units.right;
    scale.base_y = units.bottom;
  }
  return scale;
}

std::string ControlText(HWND control) {
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(control, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return win32::Narrow(text);
}

void FillList(HWND list, const std::vector<std::string>& items) {
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Widen(item).c_str()));
}

HFONT CreateListFont(HWND page) {
  // 14 pixels at 100 %, more at the page's display scaling.
  const int height = MulDiv(14, static_cast<int>(GetDpiForWindow(page)), USER_DEFAULT_SCREEN_DPI);
  return CreateFontA(height, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
}

HWND CreatePageList(HWND page, int id, const PageScale& scale, int x, int y, int width, int height,
                    const char* const* items, int count, const win32::Font& font) {
  const HWND list = CreateWindowExA(0, "combobox", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST,
                                    scale.X(x), scale.Y(y), scale.X(width), scale.Y(height), page,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                    nullptr);
  if (list == nullptr) return nullptr;
  for (int i = 0; i < count; ++i)
    SendMessageA(list, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(items[i]));
  if (font) SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  return list;
}

POINT MousePosition(LPARAM lparam) {
  POINT p;
  p.x = GET_X_LPARAM(lparam);
  p.y = GET_Y_LPARAM(lparam);
  return p;
}

}  // namespace vistelle
