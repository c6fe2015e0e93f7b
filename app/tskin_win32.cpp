#include "app/tskin_win32.h"

#include <cstring>
#include <utility>

#include "app/about_dialog_win32.h"
#include "app/countdown.h"
#include "app/folder_picker_win32.h"
#include "app/hotkey_text.h"
#include "app/tray_tip.h"
#include "base/folder_listing.h"
#include "base/win32/utf16_win32.h"
#include "library/folder_scan.h"
#include "base/write_stop.h"
#include "image/image_draw_win32.h"
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

// Every skin command, and the one place where a name meets its handler.
const TSkin::SkinCommand TSkin::kSkinCommands[] = {
    {"BUTTON_EXIT", &TSkin::HideToTray},
    {"BUTTON_MINIMIZE", &TSkin::Minimize},
    {"BUTTON_WALLPAPERADD", &TSkin::AddPictures},
    {"BUTTON_FOLDERADD", &TSkin::AddFolder},
    {"BUTTON_CLEAR", &TSkin::ClearPictureList},
    {"BUTTON_MOVEUP", &TSkin::MovePictureUp},
    {"BUTTON_MOVEDOWN", &TSkin::MovePictureDown},
    {"BUTTON_WALLPAPERDELETE", &TSkin::DeletePicture},
    {"BUTTON_CLEARLIST", &TSkin::ClearCategory},
    {"BUTTON_CATEGORYADD", &TSkin::AddCategory},
    {"BUTTON_CATEGORYDEL", &TSkin::DeleteCategory},
    {"BUTTON_WSET_UP", &TSkin::SetPreviousWallpaper},
    {"BUTTON_WSET", &TSkin::SetSelectedWallpaper},
    {"BUTTON_WSET_DOWN", &TSkin::SetNextWallpaper},
    {"BUTTON_OPTIONS", &TSkin::RunSettingsFlow},
    {"BUTTON_ABOUT", &TSkin::ShowAbout},
};

TSkin::TSkin(const std::string& program_dir) : TSkin(program_dir, MakeSystemDesktop(), MakeSystemProfileStore()) {}

TSkin::TSkin(const std::string& program_dir, std::unique_ptr<Desktop> desktop, std::unique_ptr<ProfileStore> store)
    : program_dir_(program_dir),
      desktop_(std::move(desktop)),
      system_store_(std::move(store)),
      store_(*system_store_),
      library_(program_dir, *desktop_, store_),
      rotation_(library_),
      editor_(library_, messages_),
      list_brush_(CreateSolidBrush(kListBackground)) {
  library_.renderer.SetPreviewSize(static_cast<std::uint32_t>(Width(preview_area_)),
                                   static_cast<std::uint32_t>(Height(preview_area_)));
}

TSkin::~TSkin() {
  // Nothing of the window may reach this object while it goes.
  Detach();
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
  // The remembered wallpaper is on the desktop: a new round starts from it.
  rotation_.StartNewRound();
  PictureChanged();
  UpdateTrayTip();
  ReportFailedPreviews();
}

void TSkin::ChangeAtStart() { Change(&Rotation::ChangeAtStart); }

LRESULT TSkin::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // Explorer has started (again): a tray icon it had is gone with it.
  if (taskbar_created_ != 0 && message == taskbar_created_) {
    AddTrayIcon();
    return 0;
  }
  // Counted so that a close request waits until the outermost handler is
  // done; the guard also lowers the count when a handler returns early.
  struct Dispatch {
    TSkin& skin;
    explicit Dispatch(TSkin& s) : skin(s) { ++skin.dispatch_depth_; }
    ~Dispatch() {
      --skin.dispatch_depth_;
      skin.AfterMessage();
    }
  } dispatch(*this);

  switch (message) {
    case WM_CREATE:
      OnCreate(hwnd);
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_ENDSESSION:
      OnEndSession(wparam != FALSE);
      return 0;
    case WM_COMMAND:
      OnCommand(wparam, lparam);
      break;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wparam));
      break;
    case WM_DISPLAYCHANGE:
      if (hwnd_ != nullptr) SetTimer(hwnd_, kDisplayTimerId, kDisplaySettle, nullptr);
      break;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_HOTKEY:
      OnHotkey(static_cast<int>(wparam));
      return 0;
    case WM_CTLCOLORLISTBOX: {
      const HWND list = reinterpret_cast<HWND>(lparam);
      if (list != nullptr && (list == picture_view_.Handle() || list == category_view_.Handle())) {
        const HDC dc = reinterpret_cast<HDC>(wparam);
        SetBkColor(dc, kListBackground);
        SetTextColor(dc, kListText);
        return reinterpret_cast<LRESULT>(list_brush_.Get());
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
  editor_.SetMainWindow(hwnd);
  SetTimer(hwnd, kTimerId, kTimerPeriod, nullptr);
  DragAcceptFiles(hwnd, TRUE);
  RegisterHotkeys();
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  if (!AddTrayIcon()) win32::MessageBoxes::Show(hwnd, "Error tray", "Error", MB_OK | MB_ICONERROR);
}

bool TSkin::AddTrayIcon() {
  if (hwnd_ == nullptr || session_ended_) return false;
  tray_ = NOTIFYICONDATAA{};
  tray_.cbSize = sizeof(tray_);
  tray_.hWnd = hwnd_;
  tray_.uID = kTrayId;
  tray_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray_.uCallbackMessage = kTrayMessage;
  tray_.hIcon = small_icon_;
  FillTrayTip();
  // After Explorer restarts an icon may or may not still be known to it.
  tray_added_ = Shell_NotifyIconA(NIM_ADD, &tray_) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &tray_) != FALSE;
  return tray_added_;
}

void TSkin::FillTrayTip() {
  const std::string tip = TrayTipText(rotation_.DesktopPicture(), Settings(), category_view_.Selection() != -1);
  lstrcpynA(tray_.szTip, tip.c_str(), static_cast<int>(sizeof(tray_.szTip)));
}

void TSkin::UpdateTrayTip() {
  if (!tray_added_) return;
  FillTrayTip();
  const UINT flags = tray_.uFlags;
  tray_.uFlags = NIF_TIP;
  Shell_NotifyIconA(NIM_MODIFY, &tray_);
  tray_.uFlags = flags;
}

void TSkin::RegisterHotkeys() {
  UnregisterHotkeys();
  if (hwnd_ == nullptr || session_ended_) return;
  const TConfig& settings = Settings();
  const std::string* texts[3] = {&settings.hotkey_next, &settings.hotkey_previous, &settings.hotkey_random};
  for (int i = 0; i < 3; ++i) {
    const Hotkey hotkey = HotkeyFromText(*texts[i]);
    if (hotkey.IsNone()) continue;
    // MOD_NOREPEAT: a held key changes the wallpaper once.
    hotkeys_[i] = RegisterHotKey(hwnd_, i + 1, hotkey.modifiers | 0x4000, hotkey.key) != FALSE;
  }
}

void TSkin::UnregisterHotkeys() {
  for (int i = 0; i < 3; ++i) {
    if (hotkeys_[i] && hwnd_ != nullptr) UnregisterHotKey(hwnd_, i + 1);
    hotkeys_[i] = false;
  }
}

void TSkin::OnHotkey(int id) {
  // The same commands as the tray menu's entries.
  switch (id) {
    case kHotkeyNext:
      SetNextWallpaper();
      break;
    case kHotkeyPrevious:
      SetPreviousWallpaper();
      break;
    case kHotkeyRandom:
      SetRandomWallpaper();
      break;
    default:
      return;
  }
  InvalidateCountdown();
}

void TSkin::OnDropFiles(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, &path[0], length + 1);
    path.resize(copied);
    paths.push_back(win32::Narrow(path));
  }
  DragFinish(drop);
  AddDroppedPaths(paths);
}

void TSkin::AddFolder() {
  // As the add command: a category first, then the dialog.
  if (category_view_.Selection() == -1 || library_.CurrentCategory() == nullptr) {
    messages_.Warning(EditingCommands::kSelectCategoryToAdd, MessageOwner::kMainWindow);
    return;
  }
  const std::string folder = ChooseFolder(hwnd_);
  // The dialog may have moved the working directory.
  SetCurrentDirectoryA(program_dir_.c_str());
  if (!folder.empty()) AddDroppedPaths({folder});
}

int TSkin::AddDroppedPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return 0;
  const std::unique_ptr<FolderListing> listing = MakeSystemFolderListing();
  const FolderAddResult result = AddPicturesFromPaths(library_, *listing, paths);
  if (!result.category_selected) {
    messages_.Warning(EditingCommands::kSelectCategoryToAdd, MessageOwner::kMainWindow);
    return 0;
  }
  rotation_.StartNewRound();
  PictureChanged();
  return result.added;
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
      library_.Preview(category->PictureAt(selected));
      library_.selectedPicture = selected;
      PictureChanged();
      ReportFailedPreviews();
    }
  } else if (id == kCategoryListId && notification == LBN_SELCHANGE) {
    library_.SelectCategory();
    rotation_.StartNewRound();
    PictureChanged();
    ReportFailedPreviews();
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
      ShowAbout();
      break;
    case kMenuNext:
      SetNextWallpaper();
      break;
    case kMenuPrevious:
      SetPreviousWallpaper();
      break;
    case kMenuSettings:
      RunSettingsFlow();
      break;
    case kMenuRandom:
      SetRandomWallpaper();
      break;
    default:
      break;
  }
  InvalidateCountdown();
}

void TSkin::OnTimer(UINT_PTR id) {
  InvalidateCountdown();
  if (id == kDisplayTimerId) {
    OnDisplaySettled();
    return;
  }
  if (id != kTimerId || session_ended_) return;
  const bool due = MinuteTick(Settings(), category_view_.Selection() != -1);
  UpdateTrayTip();
  if (!due) return;
  // A change, or the message it ended with, is still open: the minute is
  // counted and the change comes at the first tick after it.
  if (changing_) return;
  Change(&Rotation::ChangeAutomatically);
}

void TSkin::OnDisplaySettled() {
  KillTimer(hwnd_, kDisplayTimerId);
  // Not in the middle of a change (it composes for the new layout itself),
  // and not after the end of the session.
  if (changing_ || session_ended_) {
    if (changing_) SetTimer(hwnd_, kDisplayTimerId, kDisplaySettle, nullptr);
    return;
  }
  // The wallpaper as it is, composed for the monitors as they are now; the
  // countdown goes on (this is no change of picture). The preview stays
  // the picture the user last clicked.
  const std::string wallpaper = rotation_.DesktopPicture();
  if (wallpaper.empty()) return;
  changing_ = true;
  WallpaperRenderer& renderer = library_.renderer;
  const std::string previewed = renderer.CurrentPicturePath();
  if (renderer.LoadCurrentPicture(wallpaper)) {
    renderer.RefreshCalendarDate();
    renderer.ComposeWallpaper();
  }
  if (!previewed.empty() && previewed != wallpaper) renderer.LoadPreview(previewed);
  changing_ = false;
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

void TSkin::Minimize() { ShowWindow(hwnd_, SW_MINIMIZE); }

void TSkin::ClearPictureList() { library_.ClearPictureList(); }

void TSkin::ShowTrayMenu() {
  POINT cursor = {0, 0};
  GetCursorPos(&cursor);
  SetForegroundWindow(hwnd_);

  const win32::Menu menu(CreatePopupMenu());
  if (!menu) return;
  const HMENU m = menu.Get();
  AppendMenuA(m, MF_STRING, kMenuOpen, "Open");
  AppendMenuA(m, MF_SEPARATOR, kMenuSeparator, "");
  AppendMenuA(m, MF_STRING, kMenuNext, "Set next wallpaper");
  AppendMenuA(m, MF_STRING, kMenuPrevious, "Set previous wallpaper");
  AppendMenuA(m, MF_STRING, kMenuRandom, "Random wallpaper");
  AppendMenuA(m, MF_SEPARATOR, kMenuSeparator, "");
  AppendMenuA(m, MF_STRING, kMenuSettings, "Settings");
  AppendMenuA(m, MF_STRING, kMenuAbout, "About");
  AppendMenuA(m, MF_SEPARATOR, kMenuSeparator, "");
  AppendMenuA(m, MF_STRING, kMenuClose, "Close");

  // The entries' pictures, made for this one showing; the menu goes first
  // (it is declared first), then the pictures it showed.
  struct ItemPicture {
    UINT command;
    int resource;
  };
  static constexpr ItemPicture kPictures[] = {{kMenuAbout, 134},    {kMenuPrevious, 135}, {kMenuNext, 136},
                                              {kMenuSettings, 138}, {kMenuClose, 139},    {kMenuOpen, 140},
                                              {kMenuRandom, 141}};
  win32::Bitmap bitmaps[sizeof(kPictures) / sizeof(kPictures[0])];
  const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
  // An entry's picture takes the place of its check mark and is cut to that
  // size, so it is loaded at the size the system gives check marks.
  const int width = GetSystemMetrics(SM_CXMENUCHECK);
  const int height = GetSystemMetrics(SM_CYMENUCHECK);
  for (std::size_t i = 0; i < sizeof(kPictures) / sizeof(kPictures[0]); ++i) {
    bitmaps[i].Reset(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(kPictures[i].resource), IMAGE_BITMAP, width, height, 0)));
    if (bitmaps[i]) SetMenuItemBitmaps(m, kPictures[i].command, MF_BYCOMMAND, bitmaps[i].Get(), nullptr);
  }

  {
    const win32::ModalLoop loop;
    TrackPopupMenu(m, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, hwnd_, nullptr);
  }
  // Lets the menu close properly when the user clicks elsewhere.
  PostMessageA(hwnd_, WM_NULL, 0, 0);
}

int TSkin::HandleSkinCommand(const char* name) {
  if (name == nullptr) return 0;
  for (const SkinCommand& command : kSkinCommands) {
    if (std::strcmp(name, command.name) != 0) continue;
    (this->*command.handler)();
    InvalidateCountdown();
    break;
  }
  return 0;
}

void TSkin::Change(ChangeResult (Rotation::*change)()) {
  // One change at a time: not while another, or the message it ended
  // with, is still open; and none once the session is over.
  if (changing_ || session_ended_) return;
  changing_ = true;
  const ChangeResult result = (rotation_.*change)();
  PictureChanged();
  InvalidateCountdown();
  UpdateTrayTip();
  Report(result);
  changing_ = false;
}

void TSkin::Report(ChangeResult result) {
  switch (result) {
    case ChangeResult::kNoFileSelected:
      messages_.Warning(Rotation::kSelectFile, MessageOwner::kNone);
      break;
    case ChangeResult::kNoCategorySelected:
      messages_.Warning(Rotation::kSelectCategory, MessageOwner::kMainWindow);
      break;
    case ChangeResult::kPictureMissing:
      messages_.Error(Rotation::kErrorNoFile, Rotation::kErrorCaption, MessageOwner::kNone);
      break;
    case ChangeResult::kChanged:
    case ChangeResult::kNothingToChange:
      break;
  }
}

void TSkin::ReportFailedPreviews() {
  // Loading the library may preview the same missing picture twice; one
  // message tells it.
  if (library_.TakeFailedPreviews() > 0)
    messages_.Error(Rotation::kErrorNoFile, Rotation::kErrorCaption, MessageOwner::kNone);
}

void TSkin::Edit(void (LibraryEditor::*command)()) {
  (editor_.*command)();
  rotation_.StartNewRound();
  PictureChanged();
  UpdateTrayTip();
  ReportFailedPreviews();
}

void TSkin::ShowAbout() { RunAboutDialog(hwnd_); }

void TSkin::RunSettingsFlow() {
  TConfig& settings = Settings();
  // The sheet reads config.ini: it must see the settings as they are now,
  // the minute counter included.
  store_.Begin(settings.Path());
  settings.Save(store_);
  store_.Commit();

  RunSettingsSheet(hwnd_);
  settings.Load(store_);
  library_.renderer.LoadConfiguredCalendarBackground();
  RegisterHotkeys();
  UpdateTrayTip();
  InvalidateCountdown();
}

bool TSkin::SaveAll() {
  const bool staged = store_.Begin(Settings().Path());
  bool ok = Settings().Save(store_);
  ok = library_.Save() && ok;
  if (staged) ok = store_.Commit() && ok;
  return ok;
}

void TSkin::OnClose() {
  if (hwnd_ == nullptr) return;
  if (win32::ModalLoop::Depth() > 0 || changing_) {
    // Closing under an open box or dialog would pull the window away from
    // the code that runs it, and that code would go on after the save;
    // close as soon as it is done.
    close_pending_ = true;
    return;
  }
  close_pending_ = false;
  // After the end of the session its save was the last one.
  if (!session_ended_) SaveAll();
  EndWindow();
}

void TSkin::OnEndSession(bool ending) {
  if (hwnd_ == nullptr || session_ended_) return;
  // The system may end the process as soon as this returns: everything is
  // written now, whatever box or dialog is open.
  SaveAll();
  if (!ending) return;  // the shutdown was cancelled; the program goes on
  session_ended_ = true;
  StopWrites();
  RemoveTrayIcon();
  KillTimer(hwnd_, kTimerId);
  OnClose();
}

void TSkin::AfterMessage() {
  if (dispatch_depth_ != 0 || !close_pending_ || hwnd_ == nullptr) return;
  if (win32::ModalLoop::Depth() > 0 || changing_) return;
  close_pending_ = false;
  PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void TSkin::EndWindow() {
  UnregisterHotkeys();
  KillTimer(hwnd_, kDisplayTimerId);
  RemoveTrayIcon();
  KillTimer(hwnd_, kTimerId);
  DestroyWindow(hwnd_);
}

void TSkin::PictureChanged() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, &preview_area_, TRUE);
}

void TSkin::InvalidateCountdown() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, &kCountdownArea, TRUE);
}

std::string TSkin::Countdown() const { return CountdownText(MinutesLeft(library_.renderer.Settings())); }

HFONT TSkin::CountdownFont(HDC dc, const std::string& text) {
  if (countdown_font_ && text == countdown_fitted_for_) return countdown_font_.Get();
  countdown_font_.Reset();
  // The largest bold Arial up to 16 pixels in which the text fits the area;
  // the smallest when none does.
  for (int height = kCountdownFontHeight; height >= kCountdownSmallestHeight; --height) {
    win32::Font font(CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    if (!font) continue;
    SIZE size = {0, 0};
    BOOL measured = FALSE;
    {
      const win32::ScopedSelect selected(dc, font.Get());
      measured = GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    countdown_font_ = std::move(font);
    countdown_height_ = height;
    if (measured && size.cx <= Width(kCountdownArea) && size.cy <= Height(kCountdownArea)) break;
  }
  countdown_fitted_for_ = text;
  return countdown_font_.Get();
}

void TSkin::OnPaint(HDC dc) {
  SkinDialog::OnPaint(dc);
  Draw2(Preview(), dc, preview_area_.left, preview_area_.top, Width(preview_area_), Height(preview_area_));

  const std::string text = Countdown();
  HFONT font = CountdownFont(dc, text);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_colour = SetTextColor(dc, kCountdownColour);
  const win32::ScopedSelect selected(dc, font);
  RECT area = kCountdownArea;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
}

}  // namespace vistelle
