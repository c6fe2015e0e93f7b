#include "app/tskin_win32.h"

#include <climits>
#include <cstring>
#include <utility>

#include "app/countdown.h"
#include "app/preview_image.h"
#include "render/image_draw_win32.h"
#include "settings/settings_sheet_win32.h"

namespace vistelle {

namespace {

constexpr COLORREF kListBackground = RGB(240, 240, 240);
constexpr COLORREF kListText = RGB(0, 0, 0);
constexpr COLORREF kCountdownColour = RGB(119, 134, 119);
constexpr int kCountdownFontHeight = 16;
constexpr int kCountdownSmallestHeight = 8;
constexpr LPARAM kTrayLeftDown = WM_LBUTTONDOWN;
constexpr LPARAM kTrayRightDown = WM_RBUTTONDOWN;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

TSkin::TSkin(const std::string& program_dir) : TSkin(program_dir, MakeSystemDesktop(), MakeSystemProfileStore()) {}

TSkin::TSkin(const std::string& program_dir, std::unique_ptr<Desktop> desktop, std::unique_ptr<ProfileStore> store)
    : program_dir_(program_dir),
      desktop_(std::move(desktop)),
      system_store_(std::move(store)),
      store_(*system_store_),
      library_(program_dir, *desktop_, store_),
      rotation_(library_, messages_),
      list_brush_(CreateSolidBrush(kListBackground)) {}

TSkin::~TSkin() {
  // Nothing of the window may reach this object while it goes.
  Detach();
  if (countdown_font_ != nullptr) DeleteObject(countdown_font_);
  if (list_brush_ != nullptr) DeleteObject(list_brush_);
}

void TSkin::SetIcons(HICON small_icon, HICON big_icon) {
  small_icon_ = small_icon;
  big_icon_ = big_icon;
}

void TSkin::AttachListBoxes(HWND picture_list, HWND category_list) {
  picture_view_.Attach(picture_list);
  category_view_.Attach(category_list);
  library_.AttachLists(picture_view_, category_view_);
}

void TSkin::LoadLibrary() {
  library_.Load();
  PictureChanged();
}

void TSkin::ChangeAtStart() {
  rotation_.ChangeAtStart();
  PictureChanged();
  InvalidateCountdown();
}

LRESULT TSkin::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // Explorer has started (again): a tray icon it had is gone with it.
  if (taskbar_created_ != 0 && message == taskbar_created_) {
    AddTrayIcon();
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      OnCreate(hwnd);
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      OnCloseRequest(false, true);
      return 0;
    case WM_ENDSESSION:
      OnCloseRequest(true, wparam != FALSE);
      return 0;
    case WM_COMMAND:
      OnCommand(wparam, lparam);
      break;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wparam));
      break;
    case WM_CTLCOLORLISTBOX: {
      const HWND list = reinterpret_cast<HWND>(lparam);
      if (list != nullptr && (list == picture_view_.Handle() || list == category_view_.Handle())) {
        const HDC dc = reinterpret_cast<HDC>(wparam);
        SetBkColor(dc, kListBackground);
        SetTextColor(dc, kListText);
        return reinterpret_cast<LRESULT>(list_brush_);
      }
      break;
    }
    case kTrayMessage:
      // The skin's buttons post the same number with their name's address
      // when pressed; only the tray's mouse messages are acted on.
      OnTrayIcon(lparam);
      break;
    case kQueryMinutesLeft: {
      const std::int64_t minutes = MinutesLeft(Settings());
      return static_cast<LRESULT>(minutes);
    }
    default:
      break;
  }
  return SkinDialog::WindowProc(hwnd, message, wparam, lparam);
}

void TSkin::OnCreate(HWND hwnd) {
  messages_.SetMainWindow(hwnd);
  SetTimer(hwnd, kTimerId, kTimerPeriod, nullptr);
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  if (!AddTrayIcon()) MessageBoxA(hwnd, "Error tray", "Error", MB_OK | MB_ICONERROR);
}

bool TSkin::AddTrayIcon() {
  if (hwnd_ == nullptr) return false;
  tray_ = NOTIFYICONDATAA{};
  tray_.cbSize = sizeof(tray_);
  tray_.hWnd = hwnd_;
  tray_.uID = kTrayId;
  tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray_.uCallbackMessage = kTrayMessage;
  tray_.hIcon = small_icon_;
  lstrcpynA(tray_.szTip, kTrayTip, 64);
  // After Explorer restarts an icon may or may not still be known to it.
  tray_added_ = Shell_NotifyIconA(NIM_ADD, &tray_) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &tray_) != FALSE;
  return tray_added_;
}

void TSkin::RemoveTrayIcon() {
  if (tray_.hWnd != nullptr) Shell_NotifyIconA(NIM_DELETE, &tray_);
  tray_added_ = false;
}

void TSkin::OnCommand(WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  const int notification = HIWORD(wparam);
  if (id == kPictureListId && notification == LBN_SELCHANGE) {
    const std::int32_t selected = picture_view_.Selection();
    const Category* category = library_.CurrentCategory();
    if (category != nullptr && selected >= 0 && selected < category->PictureCount()) {
      library_.renderer.LoadCurrentPicture(category->PictureAt(selected));
      library_.selectedPicture = selected;
      PictureChanged();
    }
  } else if (id == kCategoryListId && notification == LBN_SELCHANGE) {
    library_.SelectCategory();
    PictureChanged();
  }
  if (lparam != 0) return;

  switch (id) {
    case kMenuOpen:
      SendMessageA(hwnd_, kTrayMessage, 0, kTrayLeftDown);
      break;
    case kMenuClose:
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);
      break;
    case kMenuAbout:
      ++modal_depth_;
      ShowAboutDialog(hwnd_);
      AfterModal();
      break;
    case kMenuNext:
      rotation_.SetNextWallpaper();
      PictureChanged();
      break;
    case kMenuPrevious:
      rotation_.SetPreviousWallpaper();
      PictureChanged();
      break;
    case kMenuSettings:
      RunSettingsFlow();
      break;
    case kMenuRandom:
      rotation_.SetRandomWallpaper();
      PictureChanged();
      break;
    default:
      break;
  }
  InvalidateCountdown();
}

void TSkin::OnTimer(UINT_PTR id) {
  InvalidateCountdown();
  if (id != kTimerId) return;
  if (!MinuteTick(Settings(), category_view_.Selection() != -1)) return;
  rotation_.ChangeAutomatically();
  PictureChanged();
}

void TSkin::OnTrayIcon(LPARAM mouse_message) {
  if (mouse_message == kTrayLeftDown) {
    ToggleVisible();
  } else if (mouse_message == kTrayRightDown) {
    ShowTrayMenu();
  }
}

void TSkin::ToggleVisible() {
  if (hwnd_ == nullptr) return;
  if (IsWindowVisible(hwnd_)) {
    HideToTray();
  } else {
    ShowWindow(hwnd_, SW_RESTORE);
    SetActiveWindow(hwnd_);
    SetForegroundWindow(hwnd_);
  }
}

void TSkin::HideToTray() {
  ShowWindow(hwnd_, SW_MINIMIZE);
  ShowWindow(hwnd_, SW_HIDE);
}

void TSkin::ShowTrayMenu() {
  POINT cursor = {0, 0};
  GetCursorPos(&cursor);
  SetForegroundWindow(hwnd_);

  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  AppendMenuA(menu, MF_STRING, kMenuOpen, "Open");
  AppendMenuA(menu, MF_SEPARATOR, kMenuSeparator, "");
  AppendMenuA(menu, MF_STRING, kMenuNext, "Set next wallpaper");
  AppendMenuA(menu, MF_STRING, kMenuPrevious, "Set previous wallpaper");
  AppendMenuA(menu, MF_STRING, kMenuRandom, "Random wallpaper");
  AppendMenuA(menu, MF_SEPARATOR, kMenuSeparator, "");
  AppendMenuA(menu, MF_STRING, kMenuSettings, "Settings");
  AppendMenuA(menu, MF_STRING, kMenuAbout, "About");
  AppendMenuA(menu, MF_SEPARATOR, kMenuSeparator, "");
  AppendMenuA(menu, MF_STRING, kMenuClose, "Close");

  // The entries' pictures, made for this one showing.
  struct ItemPicture {
    UINT command;
    int resource;
  };
  static constexpr ItemPicture kPictures[] = {{kMenuAbout, 134},    {kMenuPrevious, 135}, {kMenuNext, 136},
                                              {kMenuSettings, 138}, {kMenuClose, 139},    {kMenuOpen, 140},
                                              {kMenuRandom, 141}};
  HBITMAP bitmaps[sizeof(kPictures) / sizeof(kPictures[0])] = {};
  const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
  // An entry's picture takes the place of its check mark and is cut to that
  // size, so it is loaded at the size the system gives check marks.
  const int width = GetSystemMetrics(SM_CXMENUCHECK);
  const int height = GetSystemMetrics(SM_CYMENUCHECK);
  for (std::size_t i = 0; i < sizeof(kPictures) / sizeof(kPictures[0]); ++i) {
    bitmaps[i] = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(kPictures[i].resource), IMAGE_BITMAP, width, height, 0));
    if (bitmaps[i] != nullptr) SetMenuItemBitmaps(menu, kPictures[i].command, MF_BYCOMMAND, bitmaps[i], nullptr);
  }

  TrackPopupMenu(menu, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, hwnd_, nullptr);
  // Lets the menu close properly when the user clicks elsewhere.
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
  for (HBITMAP bitmap : bitmaps)
    if (bitmap != nullptr) DeleteObject(bitmap);
}

void TSkin::RunCommand(void (*command)(MainWindowContext&)) {
  MainWindowContext context{library_, messages_, hwnd_};
  ++modal_depth_;
  command(context);
  AfterModal();
  PictureChanged();
}

int TSkin::HandleSkinCommand(const char* name) {
  if (name == nullptr) return 0;
  auto is = [name](const char* candidate) { return std::strcmp(name, candidate) == 0; };
  if (is("BUTTON_EXIT")) {
    HideToTray();
  } else if (is("BUTTON_MINIMIZE")) {
    ShowWindow(hwnd_, SW_MINIMIZE);
  } else if (is("BUTTON_WALLPAPERADD")) {
    RunCommand(&AddPictures);
  } else if (is("BUTTON_CLEAR")) {
    library_.ClearPictureList();
  } else if (is("BUTTON_MOVEUP")) {
    RunCommand(&MovePictureUp);
  } else if (is("BUTTON_MOVEDOWN")) {
    RunCommand(&MovePictureDown);
  } else if (is("BUTTON_WALLPAPERDELETE")) {
    RunCommand(&DeletePicture);
  } else if (is("BUTTON_CLEARLIST")) {
    RunCommand(&ClearCategory);
  } else if (is("BUTTON_CATEGORYADD")) {
    RunCommand(&AddCategoryWithDialog);
  } else if (is("BUTTON_CATEGORYDEL")) {
    RunCommand(&DeleteCategory);
  } else if (is("BUTTON_WSET_UP")) {
    rotation_.SetPreviousWallpaper();
    PictureChanged();
  } else if (is("BUTTON_WSET")) {
    rotation_.SetSelectedWallpaper();
    PictureChanged();
  } else if (is("BUTTON_WSET_DOWN")) {
    rotation_.SetNextWallpaper();
    PictureChanged();
  } else if (is("BUTTON_OPTIONS")) {
    RunSettingsFlow();
  } else if (is("BUTTON_ABOUT")) {
    ++modal_depth_;
    ShowAboutDialog(hwnd_);
    AfterModal();
  }
  InvalidateCountdown();
  return 0;
}

void TSkin::RunSettingsFlow() {
  TConfig& settings = Settings();
  // The sheet reads config.ini: it must see the settings as they are now,
  // the minute counter included.
  store_.Begin(settings.Path());
  settings.Save(store_);
  store_.Commit();

  ++modal_depth_;
  RunSettingsSheet(hwnd_);
  settings.Load(store_);
  if (settings.calendar_background != 0)
    library_.renderer.LoadCalendarBackground(settings.calendar_background_user, -1);
  else
    library_.renderer.LoadCalendarBackground(std::string(), settings.calendar_background_prog);
  InvalidateCountdown();
  AfterModal();
}

void TSkin::AfterModal() {
  if (modal_depth_ > 0) --modal_depth_;
  // A close request that came while a dialog was open is carried out now
  // that the dialog, and the code that opened it, are done.
  if (modal_depth_ == 0 && close_pending_ && hwnd_ != nullptr) {
    close_pending_ = false;
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  }
}

bool TSkin::SaveAll() {
  const bool staged = store_.Begin(Settings().Path());
  bool ok = Settings().Save(store_);
  ok = library_.Save() && ok;
  if (staged) ok = store_.Commit() && ok;
  return ok;
}

void TSkin::OnCloseRequest(bool end_session, bool session_ending) {
  if (hwnd_ == nullptr) return;
  if (!end_session && modal_depth_ > 0) {
    // Closing under an open dialog would pull the window away from the code
    // that runs the dialog; close as soon as it returns.
    close_pending_ = true;
    return;
  }
  // The session may end as soon as WM_ENDSESSION returns, so everything is
  // written before then.
  SaveAll();
  if (end_session && !session_ending) return;  // the shutdown was cancelled
  RemoveTrayIcon();
  KillTimer(hwnd_, kTimerId);
  DestroyWindow(hwnd_);
}

void TSkin::PictureChanged() {
  MakePreviewImage(library_.renderer.CurrentPicture(), static_cast<std::uint32_t>(Width(preview_area_)),
                   static_cast<std::uint32_t>(Height(preview_area_)), preview_);
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, &preview_area_, TRUE);
}

void TSkin::InvalidateCountdown() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, &kCountdownArea, TRUE);
}

std::string TSkin::Countdown() const { return CountdownText(MinutesLeft(library_.renderer.Settings())); }

HFONT TSkin::CountdownFont(HDC dc, const std::string& text) {
  if (countdown_font_ != nullptr && text == countdown_fitted_for_) return countdown_font_;
  if (countdown_font_ != nullptr) DeleteObject(countdown_font_);
  countdown_font_ = nullptr;
  // The largest bold Arial up to 16 pixels in which the text fits the area.
  for (int height = kCountdownFontHeight; height >= kCountdownSmallestHeight; --height) {
    HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    if (font == nullptr) continue;
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {0, 0};
    const BOOL measured = GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    countdown_font_ = font;
    countdown_height_ = height;
    if (measured && size.cx <= Width(kCountdownArea) && size.cy <= Height(kCountdownArea)) break;
    if (height > kCountdownSmallestHeight) {
      DeleteObject(font);
      countdown_font_ = nullptr;
    }
  }
  countdown_fitted_for_ = text;
  return countdown_font_;
}

void TSkin::OnPaint(HDC dc) {
  SkinDialog::OnPaint(dc);
  Draw2(preview_, dc, preview_area_.left, preview_area_.top, Width(preview_area_), Height(preview_area_));

  const std::string text = Countdown();
  HFONT font = CountdownFont(dc, text);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = SetTextColor(dc, kCountdownColour);
  const HGDIOBJ old_font = font != nullptr ? SelectObject(dc, font) : nullptr;
  RECT area = kCountdownArea;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (old_font != nullptr) SelectObject(dc, old_font);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
}

}  // namespace vistelle
