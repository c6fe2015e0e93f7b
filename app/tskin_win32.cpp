#include "app/tskin_win32.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <cstring>
#include <iterator>
#include <utility>

#include "app/about_dialog_win32.h"
#include "app/failed_save_win32.h"
#include "app/hotkey_text.h"
#include "app/surroundings_win32.h"
#include "app/tray_tip.h"
#include "base/file_io.h"
#include "base/folder_listing.h"
#include "base/win32/utf16_win32.h"
#include "base/write_stop.h"
#include "image/image_draw_win32.h"
#include "skin/accessible_control_win32.h"
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

// Every command of the program, and the one place where a button, a menu
// entry or a hotkey meets its handler. The tray menu lists the entries with
// a text in this order.
const TSkin::Command TSkin::kCommands[] = {
    {kCommandCancelAdding, nullptr, "Cancel adding pictures", 0, nullptr, true, &TSkin::CancelAdding, true},
    {kMenuOpen, nullptr, "Open", 140, nullptr, true, &TSkin::ToggleVisible},
    {kMenuNext, "BUTTON_WSET_DOWN", "Set next wallpaper", 136, &TConfig::hotkey_next, false,
     &TSkin::SetNextWallpaper},
    {kMenuPrevious, "BUTTON_WSET_UP", "Set previous wallpaper", 135, &TConfig::hotkey_previous, false,
     &TSkin::SetPreviousWallpaper},
    {kMenuRandom, nullptr, "Random wallpaper", 141, &TConfig::hotkey_random, false, &TSkin::SetRandomWallpaper},
    {kMenuPause, nullptr, "Pause changes", 0, nullptr, true, &TSkin::TogglePause, false, &TSkin::Paused},
    {kMenuBack, nullptr, "Back", 0, &TConfig::hotkey_back, false, &TSkin::ShowBack},
    {kMenuForward, nullptr, "Forward", 0, &TConfig::hotkey_forward, false, &TSkin::ShowForward},
    {kMenuFavourite, nullptr, "Add to favourites", 0, &TConfig::hotkey_favourite, false, &TSkin::AddToFavourites},
    {kMenuNever, nullptr, "Never show this picture", 0, &TConfig::hotkey_never, false, &TSkin::NeverShow},
    {kMenuUndoNever, nullptr, "Undo never show", 0, nullptr, true, &TSkin::UndoNeverShow, false, nullptr,
     &TSkin::CanUndoNeverShow},
    {kMenuSettings, "BUTTON_OPTIONS", "Settings", 138, nullptr, false, &TSkin::RunSettingsFlow},
    {kMenuAbout, "BUTTON_ABOUT", "About", 134, nullptr, true, &TSkin::ShowAbout},
    {kMenuClose, nullptr, "Close", 139, nullptr, false, &TSkin::RequestClose},
    {kCommandHide, "BUTTON_EXIT", nullptr, 0, nullptr, false, &TSkin::HideToTray},
    {kCommandMinimize, "BUTTON_MINIMIZE", nullptr, 0, nullptr, false, &TSkin::Minimize},
    {kCommandAddPictures, "BUTTON_WALLPAPERADD", nullptr, 0, nullptr, false, &TSkin::AddPictures},
    {kCommandAddFolder, "BUTTON_FOLDERADD", nullptr, 0, nullptr, false, &TSkin::AddFolder},
    {kCommandClearList, "BUTTON_CLEAR", nullptr, 0, nullptr, false, &TSkin::ClearPictureList},
    {kCommandMoveUp, "BUTTON_MOVEUP", nullptr, 0, nullptr, false, &TSkin::MovePictureUp},
    {kCommandMoveDown, "BUTTON_MOVEDOWN", nullptr, 0, nullptr, false, &TSkin::MovePictureDown},
    {kCommandDeletePicture, "BUTTON_WALLPAPERDELETE", nullptr, 0, nullptr, false, &TSkin::DeletePicture},
    {kCommandClearCategory, "BUTTON_CLEARLIST", nullptr, 0, nullptr, false, &TSkin::ClearCategory},
    {kCommandAddCategory, "BUTTON_CATEGORYADD", nullptr, 0, nullptr, false, &TSkin::AddCategory},
    {kCommandDeleteCategory, "BUTTON_CATEGORYDEL", nullptr, 0, nullptr, false, &TSkin::DeleteCategory},
    {kCommandSetSelected, "BUTTON_WSET", nullptr, 0, nullptr, false, &TSkin::SetSelectedWallpaper},
};

namespace {

// The settings key of a hotkey field.
std::string HotkeySettingKey(std::string TConfig::*field) {
  for (const SettingKey& key : SettingKeys())
    if (key.text == field) return key.key;
  return std::string();
}

}  // namespace

const TSkin::Command* TSkin::FindCommand(UINT id) {
  for (const Command& command : kCommands)
    if (command.id == id) return &command;
  return nullptr;
}

TSkin::TSkin(const std::string& program_dir) : TSkin(program_dir, MakeSystemDesktop(), MakeSystemProfileStore()) {}

TSkin::TSkin(const std::string& program_dir, std::unique_ptr<Desktop> desktop, std::unique_ptr<ProfileStore> store)
    : program_dir_(program_dir),
      desktop_(std::move(desktop)),
      system_store_(std::move(store)),
      session_(program_dir, *desktop_, *system_store_),
      choices_(messages_, program_dir),
      list_brush_(CreateSolidBrush(kListBackground)) {
  session_.Renderer().SetPreviewSize(static_cast<std::uint32_t>(Width(preview_area_)),
                                     static_cast<std::uint32_t>(Height(preview_area_)));
}

TSkin::~TSkin() {
  // Nothing of the window may reach this object while it goes.
  Detach();
}

void TSkin::SetIconResource(HINSTANCE instance, int icon_id) {
  icon_instance_ = instance;
  icon_id_ = icon_id;
}

namespace {

// The icon resource at size x size: scaled down from the next larger
// picture in it (LoadIconWithScaleDown, which MinGW's comctl32 import
// library lacks, so it is looked up), else whatever LoadImage makes.
win32::Icon LoadIconAt(HINSTANCE instance, int id, int size) {
  using ScaleDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto scale_down = reinterpret_cast<ScaleDown>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "LoadIconWithScaleDown")));
  HICON icon = nullptr;
  if (scale_down != nullptr && SUCCEEDED(scale_down(instance, MAKEINTRESOURCEW(id), size, size, &icon)))
    return win32::Icon(icon);
  return win32::Icon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
}

}  // namespace

void TSkin::OnScaleChanged() {
  LayOut();
  // The new buttons and the moved lists, in one order again.
  ArrangeFocusOrder();
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
}

void TSkin::LayOut() {
  preview_area_ = Scaled(kPreviewArea);
  countdown_area_ = Scaled(kCountdownArea);
  countdown_font_.Reset();
  countdown_fitted_for_.clear();
  session_.Renderer().SetPreviewSize(static_cast<std::uint32_t>(Width(preview_area_)),
                                     static_cast<std::uint32_t>(Height(preview_area_)));
  list_font_.Reset(CreateFontA(Scaled(kListFontHeight), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
  const std::pair<HWND, RECT> lists[] = {{picture_box_.Handle(), kPictureListArea},
                                         {category_box_.Handle(), kCategoryListArea}};
  for (const auto& [list, area] : lists) {
    if (list == nullptr) continue;
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_.Get()), FALSE);
    const RECT at = Scaled(area);
    MoveWindow(list, at.left, at.top, Width(at), Height(at), TRUE);
  }
  if (hwnd_ == nullptr || icon_instance_ == nullptr) return;
  const UINT dpi = GetDpiForWindow(hwnd_);
  small_icon_ = LoadIconAt(icon_instance_, icon_id_, GetSystemMetricsForDpi(SM_CXSMICON, dpi));
  big_icon_ = LoadIconAt(icon_instance_, icon_id_, GetSystemMetricsForDpi(SM_CXICON, dpi));
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.Get()));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.Get()));
  // The tray takes the icon at its new size.
  if (tray_added_) {
    tray_.hIcon = small_icon_.Get();
    const UINT flags = tray_.uFlags;
    tray_.uFlags = NIF_ICON;
    Shell_NotifyIconA(NIM_MODIFY, &tray_);
    tray_.uFlags = flags;
  }
}

void TSkin::AttachListBoxes(HWND picture_list, HWND category_list) {
  picture_box_.Attach(picture_list);
  category_box_.Attach(category_list);
  // The lists are tab stops among the buttons, and screen readers call them
  // by the labels above them.
  const struct {
    HWND list;
    const char* label;
    const wchar_t* otherwise;
  } lists[] = {{picture_list, "LABEL_PICTURES", L"Pictures"}, {category_list, "LABEL_CATEGORIES", L"Categories"}};
  for (const auto& entry : lists) {
    if (entry.list == nullptr) continue;
    SetWindowLongPtrA(entry.list, GWL_STYLE, GetWindowLongPtrA(entry.list, GWL_STYLE) | WS_TABSTOP);
    std::wstring name = entry.otherwise;
    for (std::size_t i = 0; i < LabelCount(); ++i) {
      const TransLabel* label = LabelAt(i);
      if (label->ClassName() != entry.label || label->Handle() == nullptr) continue;
      wchar_t text[TransLabel::kMaxShown + 1] = {};
      if (GetWindowTextW(label->Handle(), text, static_cast<int>(std::size(text))) > 0) name = text;
    }
    // Named by their window text, which the standard object reports: a
    // procedure in front of the list's own would slow the filling of a big
    // folder's thousands of items.
    SetWindowTextW(entry.list, name.c_str());
  }
  LayOut();
  ArrangeFocusOrder();
}

void TSkin::LoadLibrary() {
  Show(session_.ReadLibrary());
  TellSavingProblems();
}

void TSkin::TellSavingProblems() {
  std::string reason;
  if (!CanWriteIn(program_dir_, &reason)) {
    messages_.Tell(Notice::Error("Vistelle can't save in " + program_dir_ + ": " + reason +
                                     "\r\nChanges to the library and the settings will be lost when it closes.",
                                 "Vistelle"));
    // Said once: the saves after a change stay silent about it.
    saves_told_ = {session_.Settings().Path(), session_.Library().LibraryPath()};
  }
  const std::string last = TakeFailedSave();
  if (!last.empty())
    messages_.Tell(Notice::Error("When Windows last ended, Vistelle could not save everything:\r\n" + last,
                                 "Vistelle"));
}

void TSkin::ChangeAtStart() { Change(&Session::ChangeAtStart); }

bool TSkin::HotkeyRegistered(UINT command) const {
  return std::find(hotkeys_.begin(), hotkeys_.end(), command) != hotkeys_.end();
}

LRESULT TSkin::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // Explorer has started (again): a tray icon it had is gone with it.
  if (taskbar_created_ != 0 && message == taskbar_created_) {
    AddTrayIcon();
    KeepWallpaperShown();
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
    case WM_HOTKEY: {
      const Command* command = FindCommand(static_cast<UINT>(wparam));
      if (command != nullptr && command->hotkey != nullptr) (this->*command->handler)();
      InvalidateCountdown();
      return 0;
    }
    case WM_CTLCOLORLISTBOX: {
      const HWND list = reinterpret_cast<HWND>(lparam);
      if (list != nullptr && (list == picture_box_.Handle() || list == category_box_.Handle())) {
        const HDC dc = reinterpret_cast<HDC>(wparam);
        SetBkColor(dc, kListBackground);
        SetTextColor(dc, kListText);
        return reinterpret_cast<LRESULT>(list_brush_.Get());
      }
      break;
    }
    case kTrayMessage:
      OnTrayIcon(lparam);
      break;
    case kQueryMinutesLeft:
      return static_cast<LRESULT>(session_.MinutesLeft());
    case kScanDone:
      OnScanDone();
      return 0;
    case WM_COPYDATA:
      return OnRemoteCommand(reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case DM_GETDEFID:
      // Enter where no button has the focus (in a list): the message loop
      // asks for a default button; the one it is told of does not exist,
      // so nothing happens (without it, the IDOK that would come is the
      // number of the tray menu's "Open").
      return MAKELRESULT(kNoDefaultButton, DC_HASDEFID);
    case kRunRemote:
      RunRemoteCommands();
      return 0;
    case WM_POWERBROADCAST:
      if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND) KeepWallpaperShown();
      return TRUE;
    case WM_WTSSESSION_CHANGE:
      if (wparam == WTS_SESSION_UNLOCK) KeepWallpaperShown();
      return 0;
    default:
      break;
  }
  return SkinDialog::WindowProc(hwnd, message, wparam, lparam);
}

void TSkin::OnCreate(HWND hwnd) {
  messages_.SetMainWindow(hwnd);
  choices_.SetMainWindow(hwnd);
  SetTimer(hwnd, kTimerId, kTimerPeriod, nullptr);
  DragAcceptFiles(hwnd, TRUE);
  RegisterHotkeys();
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  // Commands of another start come from a process of the same user, also
  // when this one runs with other rights; and the unlock of the session is
  // told.
  ChangeWindowMessageFilterEx(hwnd, WM_COPYDATA, MSGFLT_ALLOW, nullptr);
  WTSRegisterSessionNotification(hwnd, NOTIFY_FOR_THIS_SESSION);
  LayOut();  // the icons, for the tray's
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
  tray_.hIcon = small_icon_.Get();
  FillTrayTip();
  // After Explorer restarts an icon may or may not still be known to it.
  tray_added_ = Shell_NotifyIconA(NIM_ADD, &tray_) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &tray_) != FALSE;
  return tray_added_;
}

void TSkin::FillTrayTip() {
  // While pictures are added, and for a while after, the tip says how it
  // goes, whole (the countdown area may have to cut it).
  const std::string status = Countdown();
  const bool adding = session_.Adding() || (!status_.empty() && GetTickCount64() < status_until_);
  const std::string tip = adding ? std::string(kTrayTipTitle) + "\n" + status : session_.TrayTip();
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
  const TConfig& settings = session_.Settings();
  std::string refused;
  for (const Command& command : kCommands) {
    if (command.hotkey == nullptr) continue;
    const std::string& text = settings.*command.hotkey;
    Hotkey hotkey;
    const HotkeyRead read = ReadHotkey(text, hotkey);
    if (read != HotkeyRead::kHotkey) {
      // A refused text is told once a run; it stays in the file as written.
      const std::string key = HotkeySettingKey(command.hotkey);
      const std::string told = key + "=" + text;
      const std::string line = HotkeyRefusal(key, text, read);
      if (!line.empty() && std::find(hotkeys_told_.begin(), hotkeys_told_.end(), told) == hotkeys_told_.end()) {
        hotkeys_told_.push_back(told);
        refused += (refused.empty() ? "" : "\r\n") + line;
      }
      continue;
    }
    // MOD_NOREPEAT: a held key runs the command once. One that another
    // program holds is passed over without a word.
    if (RegisterHotKey(hwnd_, static_cast<int>(command.id), hotkey.modifiers | 0x4000, hotkey.key))
      hotkeys_.push_back(command.id);
  }
  if (!refused.empty()) messages_.Tell(Notice{Notice::Kind::kWarning, refused.c_str(), "Vistelle"});
}

void TSkin::UnregisterHotkeys() {
  if (hwnd_ != nullptr)
    for (UINT id : hotkeys_) UnregisterHotKey(hwnd_, static_cast<int>(id));
  hotkeys_.clear();
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
  Show(session_.StartAdding(std::move(paths), MakeSystemFolderListing(), ScanDoneNotice()));
  if (session_.Adding() && hwnd_ != nullptr) SetTimer(hwnd_, kScanTimerId, kScanProgressPeriod, nullptr);
}

void TSkin::AddFolder() {
  Show(session_.AddFolder(choices_, MakeSystemFolderListing(), ScanDoneNotice()));
  if (session_.Adding() && hwnd_ != nullptr) SetTimer(hwnd_, kScanTimerId, kScanProgressPeriod, nullptr);
}

std::function<void()> TSkin::ScanDoneNotice() {
  const HWND window = hwnd_;
  return [window] { PostMessageA(window, kScanDone, 0, 0); };
}

void TSkin::OnScanDone() {
  if (!session_.Adding()) return;
  const Outcome outcome = session_.FinishAdding();
  status_ = outcome.status;
  status_until_ = GetTickCount64() + kStatusShown;
  Show(outcome);
}

std::string TSkin::Countdown() const {
  if (session_.Adding()) return "Adding pictures: " + std::to_string(session_.AddingFound()) + " found";
  if (!status_.empty() && GetTickCount64() < status_until_) return status_;
  return session_.CountdownText();
}

int TSkin::MessageLoop() {
  MSG msg{};
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return -1;
    // Tab, Enter and Esc in the window and its controls (see OnEscape).
    if (HandleKeyboard(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void TSkin::RemoveTrayIcon() {
  if (tray_.hWnd != nullptr) Shell_NotifyIconA(NIM_DELETE, &tray_);
  tray_added_ = false;
}

void TSkin::OnCommand(WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  const int notification = HIWORD(wparam);
  if (notification == LBN_SELCHANGE && (id == kPictureListId || id == kCategoryListId)) {
    const HWND list = reinterpret_cast<HWND>(lparam);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    const auto position = static_cast<std::int32_t>(selected == LB_ERR ? -1 : selected);
    Show(id == kPictureListId ? session_.SelectPicture(position) : session_.SelectCategory(position));
    return;
  }
  // Esc, from the message loop (no command has this number).
  if (id == IDCANCEL && notification == 0) {
    OnEscape();
    return;
  }
  if (lparam != 0) return;
  // A tray-menu entry.
  const Command* command = FindCommand(static_cast<UINT>(id));
  if (command != nullptr && command->menu_text != nullptr) (this->*command->handler)();
  InvalidateCountdown();
}

void TSkin::OnTimer(UINT_PTR id) {
  InvalidateCountdown();
  if (id == kDisplayTimerId) {
    OnDisplaySettled();
    return;
  }
  if (id == kSaveTimerId) {
    OnSaveDue();
    return;
  }
  if (id == kScanTimerId) {
    // Progress while adding; afterwards the countdown comes back.
    if (!session_.Adding() && GetTickCount64() >= status_until_) KillTimer(hwnd_, kScanTimerId);
    UpdateTrayTip();
    return;
  }
  if (id == kRemoteTimerId) {
    KillTimer(hwnd_, kRemoteTimerId);
    RunRemoteCommands();
    return;
  }
  if (id == kHeldTimerId) {
    if (!session_.ChangeHeld()) {
      KillTimer(hwnd_, kHeldTimerId);
    } else if (!changing_ && !session_ended_ && session_.HeldChangeMayCome(CurrentSurroundings())) {
      KillTimer(hwnd_, kHeldTimerId);
      Change(&Session::ChangeAutomatically);
    }
    return;
  }
  if (id != kTimerId || session_ended_) return;
  const bool due = session_.MinuteTick(CurrentSurroundings());
  // A change the surroundings hold comes as soon as they let it.
  if (session_.ChangeHeld()) SetTimer(hwnd_, kHeldTimerId, kHeldCheck, nullptr);
  UpdateTrayTip();
  if (!due) return;
  // A change, or the message it ended with, is still open: the minute is
  // counted and the change comes at the first tick after it.
  if (changing_) return;
  Change(&Session::ChangeAutomatically);
}

void TSkin::OnDisplaySettled() {
  KillTimer(hwnd_, kDisplayTimerId);
  // Not in the middle of a change (it composes for the new layout itself),
  // and not after the end of the session.
  if (changing_ || session_ended_) {
    if (changing_) SetTimer(hwnd_, kDisplayTimerId, kDisplaySettle, nullptr);
    return;
  }
  changing_ = true;
  session_.ComposeAgain();
  changing_ = false;
}

void TSkin::OnSaveDue() {
  KillTimer(hwnd_, kSaveTimerId);
  if (session_ended_) return;
  // Not under a box or a change: the save waits for them.
  if (win32::ModalLoop::Depth() > 0 || changing_) {
    SetTimer(hwnd_, kSaveTimerId, kSaveDelay, nullptr);
    return;
  }
  for (;;) {
    const std::vector<SaveFailure> failures = session_.SaveAll();
    // A file that was written again may be told of again.
    std::vector<std::string> still;
    std::vector<SaveFailure> fresh;
    for (const SaveFailure& failure : failures) {
      const bool told = std::find(saves_told_.begin(), saves_told_.end(), failure.file) != saves_told_.end();
      still.push_back(failure.file);
      if (!told) fresh.push_back(failure);
    }
    saves_told_.erase(std::remove_if(saves_told_.begin(), saves_told_.end(),
                                     [&](const std::string& file) {
                                       return std::find(still.begin(), still.end(), file) == still.end();
                                     }),
                      saves_told_.end());
    if (fresh.empty()) return;
    const int answer = win32::MessageBoxes::Show(
        hwnd_, SaveFailureText(fresh) + "\r\n\r\nChoose Retry to try again.", "Vistelle",
        MB_RETRYCANCEL | MB_ICONWARNING);
    if (answer != IDRETRY) {
      for (const SaveFailure& failure : fresh) saves_told_.push_back(failure.file);
      return;
    }
  }
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

void TSkin::OnEscape() {
  if (session_.Adding())
    CancelAdding();
  else
    HideToTray();
}

void TSkin::HideToTray() {
  ShowWindow(hwnd_, SW_MINIMIZE);
  ShowWindow(hwnd_, SW_HIDE);
}

void TSkin::Minimize() { ShowWindow(hwnd_, SW_MINIMIZE); }

void TSkin::RequestClose() { PostMessageA(hwnd_, WM_CLOSE, 0, 0); }

void TSkin::NeverShow() {
  // A change meanwhile could put another picture on the desktop than the
  // one the question was about: one at a time, as every change.
  Change([this] { return session_.NeverShow(choices_); });
}

void TSkin::TogglePause() {
  session_.SetPaused(!session_.Paused());
  Show(Outcome());
}

void TSkin::ShowInFront() {
  if (hwnd_ == nullptr) return;
  ShowWindow(hwnd_, IsIconic(hwnd_) || !IsWindowVisible(hwnd_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd_);
}

LRESULT TSkin::OnRemoteCommand(const COPYDATASTRUCT* data) {
  // Another process wrote this: nothing is taken that is not one of the
  // commands, whole and of a sane length.
  if (data == nullptr || data->dwData != kRemoteTag || data->cbData > kMaxRemoteMessage ||
      (data->cbData != 0 && data->lpData == nullptr))
    return kRemoteUnknown;
  const std::optional<RemoteCommand> command =
      DecodeRemoteCommand(std::string_view(static_cast<const char*>(data->lpData), data->cbData));
  if (!command) return kRemoteUnknown;
  if (command->verb == RemoteVerb::kCategory && session_.Library().FindCategory(command->category) < 0)
    return kRemoteNoCategory;
  // Carried out once the sender has its answer, so that no box of a change
  // keeps it waiting.
  remote_.push_back(*command);
  PostMessageA(hwnd_, kRunRemote, 0, 0);
  return kRemoteAccepted;
}

void TSkin::RunRemoteCommands() {
  while (!remote_.empty()) {
    // Not inside a change or under a box: a moment later.
    if (changing_ || win32::ModalLoop::Depth() > 0) {
      SetTimer(hwnd_, kRemoteTimerId, kRemoteRetry, nullptr);
      return;
    }
    const RemoteCommand command = remote_.front();
    remote_.erase(remote_.begin());
    switch (command.verb) {
      case RemoteVerb::kNext:
        SetNextWallpaper();
        break;
      case RemoteVerb::kPrevious:
        SetPreviousWallpaper();
        break;
      case RemoteVerb::kRandom:
        SetRandomWallpaper();
        break;
      case RemoteVerb::kPause:
      case RemoteVerb::kResume:
        session_.SetPaused(command.verb == RemoteVerb::kPause);
        Show(Outcome());
        break;
      case RemoteVerb::kShow:
        ShowInFront();
        break;
      case RemoteVerb::kClose:
        RequestClose();
        break;
      case RemoteVerb::kCategory: {
        // As a click in the category list, then "set".
        const std::int32_t position = session_.Library().FindCategory(command.category);
        if (position < 0) break;
        Show(session_.SelectCategory(position));
        SetSelectedWallpaper();
        break;
      }
    }
  }
}

void TSkin::KeepWallpaperShown() {
  if (changing_ || session_ended_) return;
  changing_ = true;
  session_.KeepWallpaperShown();
  changing_ = false;
}

void TSkin::ShowTrayMenu() {
  POINT cursor = {0, 0};
  GetCursorPos(&cursor);
  SetForegroundWindow(hwnd_);

  // The entries' pictures, made for this one showing; the menu goes first
  // (it is declared last), then the pictures it showed. An entry's picture
  // takes the place of its check mark and is cut to that size, so it is
  // loaded at the size the system gives check marks.
  std::vector<win32::Bitmap> pictures;
  const win32::Menu menu(CreatePopupMenu());
  if (!menu) return;
  const HMENU m = menu.Get();
  const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
  const int width = GetSystemMetrics(SM_CXMENUCHECK);
  const int height = GetSystemMetrics(SM_CYMENUCHECK);
  for (const Command& command : kCommands) {
    if (command.menu_text == nullptr || (command.while_adding && !session_.Adding())) continue;
    if (command.offered != nullptr && !(this->*command.offered)()) {
      // The separator after it still ends its group.
      if (command.separator_after) AppendMenuA(m, MF_SEPARATOR, kMenuSeparator, "");
      continue;
    }
    const bool ticked = command.checked != nullptr && (this->*command.checked)();
    AppendMenuA(m, MF_STRING | (ticked ? MF_CHECKED : 0), command.id, command.menu_text);
    win32::Bitmap picture(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(command.menu_picture), IMAGE_BITMAP, width, height, 0)));
    if (picture) SetMenuItemBitmaps(m, command.id, MF_BYCOMMAND, picture.Get(), nullptr);
    pictures.push_back(std::move(picture));
    if (command.separator_after) AppendMenuA(m, MF_SEPARATOR, kMenuSeparator, "");
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
  for (const Command& command : kCommands) {
    if (command.skin_name == nullptr || std::strcmp(name, command.skin_name) != 0) continue;
    (this->*command.handler)();
    InvalidateCountdown();
    break;
  }
  return 0;
}

void TSkin::Change(Outcome (Session::*change)()) {
  Change([this, change] { return (session_.*change)(); });
}

void TSkin::Change(const std::function<Outcome()>& change) {
  // One change at a time: not while another, or the message it ended
  // with, is still open; and none once the session is over.
  if (changing_ || session_ended_) return;
  changing_ = true;
  Show(change());
  changing_ = false;
}

void TSkin::Show(const Outcome& outcome) {
  const WallpaperLibrary& library = session_.Library();
  if (outcome.Changed(kCategoryList))
    categories_shown_.Show(library.CategoryListItems(), library.CategoryListSelection());
  else if (outcome.Changed(kCategorySelection))
    categories_shown_.Select(library.CategoryListSelection());
  if (outcome.Changed(kPictureList))
    pictures_shown_.Show(library.PictureListItems(), library.PictureListSelection());
  else if (outcome.Changed(kPictureSelection))
    pictures_shown_.Select(library.PictureListSelection());
  if (outcome.Changed(kPreview) && hwnd_ != nullptr) InvalidateRect(hwnd_, &preview_area_, TRUE);
  // What adding came to gives way to a new wallpaper.
  if (outcome.Changed(kWallpaper)) status_.clear();
  if (session_.Unsaved() && hwnd_ != nullptr && !session_ended_)
    SetTimer(hwnd_, kSaveTimerId, kSaveDelay, nullptr);
  InvalidateCountdown();
  UpdateTrayTip();
  messages_.Tell(outcome.notice);
}

void TSkin::ShowAbout() { RunAboutDialog(hwnd_, program_dir_); }

void TSkin::RunSettingsFlow() {
  // The file holds the settings as they are when the sheet opens, the
  // minute counter included.
  session_.SaveSettings();
  const std::vector<Monitor> monitors =
      desktop_ ? MonitorLayout(desktop_->Monitors()).Monitors() : std::vector<Monitor>();
  const std::optional<SheetResult> result =
      RunSettingsSheet(hwnd_, session_.Settings(), program_dir_, monitors, session_.Library().CategoryListItems(),
                       session_.DesktopCaptionFields());
  if (!result) return;  // a sheet was open already
  // What the sheet edits comes from it; what happened meanwhile (a change
  // by the timer or a hotkey) stays.
  session_.ApplySheetSettings(result->settings);
  session_.SaveSettings();
  RegisterHotkeys();
  UpdateTrayTip();
  InvalidateCountdown();
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
  // Pictures being added: the scan stops, and what it found is kept.
  if (session_.Adding()) {
    session_.CancelAdding();
    session_.FinishAdding();
  }
  // After the end of the session its save was the last one. A save that
  // fails asks before anything is given up.
  while (!session_ended_) {
    const std::vector<SaveFailure> failures = session_.SaveAll();
    if (failures.empty()) break;
    const int answer = win32::MessageBoxes::Show(
        hwnd_,
        SaveFailureText(failures) +
            "\r\n\r\nTry again, continue to close without saving, or cancel to keep Vistelle open.",
        "Vistelle", MB_CANCELTRYCONTINUE | MB_ICONWARNING | MB_DEFBUTTON2);
    if (answer == IDTRYAGAIN) continue;
    if (answer == IDCONTINUE) break;
    close_pending_ = false;  // a close asked for meanwhile is this one
    return;
  }
  EndWindow();
}

void TSkin::OnEndSession(bool ending) {
  if (hwnd_ == nullptr || session_ended_) return;
  // The system may end the process as soon as this returns: everything is
  // written now, whatever box or dialog is open. Nobody can be asked now;
  // what was not written is told at the next start.
  if (session_.Adding()) {
    session_.CancelAdding();
    session_.FinishAdding();
  }
  const std::vector<SaveFailure> failures = session_.SaveAll();
  if (!failures.empty()) RememberFailedSave(SaveFailureText(failures));
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
  WTSUnRegisterSessionNotification(hwnd_);
  KillTimer(hwnd_, kHeldTimerId);
  UnregisterHotkeys();
  KillTimer(hwnd_, kDisplayTimerId);
  KillTimer(hwnd_, kSaveTimerId);
  KillTimer(hwnd_, kScanTimerId);
  RemoveTrayIcon();
  KillTimer(hwnd_, kTimerId);
  DestroyWindow(hwnd_);
}

void TSkin::InvalidateCountdown() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, &countdown_area_, TRUE);
}

HFONT TSkin::CountdownFont(HDC dc, const std::string& text) {
  if (countdown_font_ && text == countdown_fitted_for_) return countdown_font_.Get();
  countdown_font_.Reset();
  // The largest bold Arial up to 16 pixels (at 100 %) in which the text
  // fits the area; the smallest when none does.
  for (int height = Scaled(kCountdownFontHeight); height >= Scaled(kCountdownSmallestHeight); --height) {
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
    if (measured && size.cx <= Width(countdown_area_) && size.cy <= Height(countdown_area_)) break;
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
  RECT area = countdown_area_;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SetTextColor(dc, old_colour);
  SetBkMode(dc, old_mode);
}

}  // namespace vistelle
