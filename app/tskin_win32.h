// TSkin: the program's main window, a view of the session. A skinned dialog
// that shows the session's two lists, a preview of the current picture and
// the countdown to the next change, runs the one-minute timer of the
// rotation, keeps the tray icon with its menu, and turns the skin's buttons,
// the tray menu, the hotkeys and clicks in the lists into calls on the
// session; what a call answers becomes list updates, boxes and repaints.
// Every box and dialog it opens is its own and modal to it.
//
// It is left alone in the tray for weeks, so it never piles anything up: a
// wallpaper change never starts inside another (a tick that comes while a
// change or its message is open only counts the minute), and a close request
// that comes while one of the program's boxes or dialogs is open waits for it.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/list_box_view_win32.h"
#include "app/list_view.h"
#include "app/main_window_choices_win32.h"
#include "app/remote_command.h"
#include "app/session.h"
#include "base/win32/handle_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "skin/skin_dialog_win32.h"

namespace vistelle {

class TSkin : public SkinDialog {
 public:
  static constexpr UINT_PTR kTimerId = 200;
  static constexpr UINT kTimerPeriod = 60000;  // one step of the minute counter
  // After the monitors change the wallpaper is composed again once, when the
  // layout has settled (Windows sends several WM_DISPLAYCHANGE in a row).
  static constexpr UINT_PTR kDisplayTimerId = 210;
  static constexpr UINT kDisplaySettle = 2000;
  // What changed is saved a moment after the last change, so that a crash
  // or a power cut loses nothing, and a burst of edits is one save.
  static constexpr UINT_PTR kSaveTimerId = 220;
  static constexpr UINT kSaveDelay = 2000;
  static constexpr UINT kTrayId = 201;
  static constexpr UINT kTrayMessage = WM_USER + 1;
  static constexpr int kPictureListId = 202;
  static constexpr int kCategoryListId = 203;
  // The default button the window names when asked (DM_GETDEFID): none of
  // its controls has this number.
  static constexpr WORD kNoDefaultButton = 0xFFF0;

  // The commands' ids: the tray menu's (WM_COMMAND with lParam 0) and the
  // hotkeys' (RegisterHotKey); the others have ids for the command table.
  enum CommandId : UINT {
    kMenuOpen = 1,
    kMenuClose = 3,
    kMenuAbout = 4,
    kMenuNext = 5,
    kMenuPrevious = 6,
    kMenuSettings = 7,
    kMenuRandom = 8,
    kMenuPause = 9,
    kMenuBack = 10,
    kMenuForward = 11,
    kMenuFavourite = 12,
    kMenuNever = 13,
    kMenuUndoNever = 14,
    kMenuSeparator = 4444,
    kCommandHide = 20,
    kCommandMinimize,
    kCommandAddPictures,
    kCommandAddFolder,
    kCommandClearList,
    kCommandMoveUp,
    kCommandMoveDown,
    kCommandDeletePicture,
    kCommandClearCategory,
    kCommandAddCategory,
    kCommandDeleteCategory,
    kCommandSetSelected,
    kCommandCancelAdding,
  };

  // Asked of the window by automation and the tests: answers the minutes
  // until the next change, as the countdown shows them.
  static constexpr UINT kQueryMinutesLeft = WM_APP + 1;
  // Posted by the folder scan's thread when it is done.
  static constexpr UINT kScanDone = WM_APP + 2;
  // A command another start of the program sent (WM_COPYDATA with this
  // tag), carried out after it was answered.
  static constexpr ULONG_PTR kRemoteTag = 0x56495354;  // "VIST"
  static constexpr UINT kRunRemote = WM_APP + 3;
  enum RemoteAnswer : LRESULT { kRemoteAccepted = 1, kRemoteUnknown = 2, kRemoteNoCategory = 3 };
  // A change held by the surroundings is looked at again this often.
  static constexpr UINT_PTR kHeldTimerId = 240;
  static constexpr UINT kHeldCheck = 5000;
  static constexpr UINT_PTR kRemoteTimerId = 250;
  static constexpr UINT kRemoteRetry = 500;
  // While pictures are being added the countdown shows how many were
  // found, and afterwards for a while what came of it.
  static constexpr UINT_PTR kScanTimerId = 230;
  static constexpr UINT kScanProgressPeriod = 250;
  static constexpr DWORD kStatusShown = 10000;

  // Places on the skin's 100 % layout (the window scales them, see
  // SkinDialog::Scale).
  static constexpr RECT kPreviewArea = {15, 25, 188, 161};
  static constexpr RECT kCountdownArea = {24, 365, 232, 387};
  static constexpr RECT kPictureListArea = {266, 139, 555, 363};
  static constexpr RECT kCategoryListArea = {266, 51, 410, 131};
  static constexpr int kListFontHeight = 14;

  // program_dir holds config.ini, pictora.txt and the Skin and Calendar
  // folders. Reads the settings (before any window exists).
  explicit TSkin(const std::string& program_dir);
  // The same on a desktop and settings store of the caller's (the tests).
  TSkin(const std::string& program_dir, std::unique_ptr<Desktop> desktop, std::unique_ptr<ProfileStore> store);
  // Does not save: saving belongs to the close request.
  ~TSkin() override;

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnPaint(HDC dc) override;
  // The window's own parts at its scaling: the lists and their font, the
  // preview and the countdown, the icons.
  void LayOut();
  // Runs the command the table gives the name; a name that is not in it is
  // ignored. Answers 0.
  int HandleSkinCommand(const char* name) override;

  // The application icon, a resource of instance with several sizes: the
  // window's icons and the tray icon are loaded from it at the sizes the
  // window's DPI asks for, and again when that changes. Given before the
  // window exists.
  void SetIconResource(HINSTANCE instance, int icon_id);
  // The two list boxes that start-up places on the window.
  void AttachListBoxes(HWND picture_list, HWND category_list);
  // Reads the library into the lists and makes the preview.
  void LoadLibrary();
  // The change at a start with the system (started with "hide").
  void ChangeAtStart();
  // Ends the window without saving: its tray icon, timers and hotkeys go.
  void EndWithoutSaving() { EndWindow(); }
  // A command the program was started with, no copy running: carried out
  // once the message loop runs.
  void RunAtStart(const RemoteCommand& command) {
    remote_.push_back(command);
    PostMessageA(hwnd_, kRunRemote, 0, 0);
  }

  Session& GetSession() { return session_; }
  WallpaperLibrary& Library() { return session_.Library(); }
  TConfig& Settings() { return session_.MutableSettings(); }
  const Image& Preview() const { return session_.Preview(); }
  bool TrayIconAdded() const { return tray_added_; }
  // The tray icon's tip as it was last set.
  std::string TrayTip() const { return tray_.szTip; }
  // Whether the command's hotkey could be registered (another program may
  // hold it).
  bool HotkeyRegistered(UINT command) const;
  // True from the start of a wallpaper change until its message is closed.
  bool ChangeRunning() const { return changing_; }
  // A close request is waiting for a box or dialog to close.
  bool ClosePending() const { return close_pending_; }
  // The countdown as the window shows it, or what adding pictures has come
  // to while it runs and for a while after.
  std::string Countdown() const;
  // The message loop. The window works by keyboard as a dialog: Tab and
  // Shift+Tab go through its buttons and lists, Space and Enter press the
  // focused button, and Esc hides the window as the hide button does, or,
  // while pictures are being added, cancels the adding (whichever control
  // of the window has the focus).
  int MessageLoop() override;
  // The font height the countdown was last drawn with (0 before).
  int CountdownFontHeight() const { return countdown_height_; }

 private:
  void OnScaleChanged() override;
  // One command of the program: where it comes from (the skin's button,
  // the tray menu's entry with its picture, the hotkey the settings give)
  // and what it does.
  struct Command {
    UINT id;
    const char* skin_name;  // null: no button
    const char* menu_text;  // null: not in the tray menu
    int menu_picture;       // bitmap resource of the menu entry
    std::string TConfig::*hotkey;  // null: no hotkey
    bool separator_after;   // in the tray menu
    void (TSkin::*handler)();
    bool while_adding = false;  // in the tray menu only while pictures are being added
    bool (TSkin::*checked)() const = nullptr;  // the menu entry's tick
    bool (TSkin::*offered)() const = nullptr;  // null: always in the tray menu
  };
  static const Command kCommands[];
  static const Command* FindCommand(UINT id);

  void OnCreate(HWND hwnd);
  void OnCommand(WPARAM wparam, LPARAM lparam);
  void OnTimer(UINT_PTR id);
  void OnTrayIcon(LPARAM mouse_message);
  void OnClose();
  void OnEndSession(bool ending);
  // After a message was handled: a close request that had to wait is
  // carried out once nothing of the program is open any more.
  void AfterMessage();
  // Removes the tray icon, stops the timer and destroys the window.
  void EndWindow();
  void ShowTrayMenu();
  bool AddTrayIcon();
  void RemoveTrayIcon();
  // The tip after a change, a tick or new settings.
  void UpdateTrayTip();
  void FillTrayTip();
  void OnDropFiles(HDROP drop);
  void OnDisplaySettled();
  // The save a moment after a change: a file that cannot be written is told
  // once (with a retry), until it can be again.
  void OnSaveDue();
  // At start: a folder that cannot be written, and a save that failed when
  // the last Windows session ended.
  void TellSavingProblems();
  // Registers the hotkeys the settings name (again); those another program
  // holds are passed over without a word, and the texts that are refused
  // (HotkeyRead) are told once a run, in one box.
  void RegisterHotkeys();
  void UnregisterHotkeys();

  // The handlers of the command table.
  void ToggleVisible();
  void HideToTray();
  void Minimize();
  void RequestClose();
  void CancelAdding() { session_.CancelAdding(); }
  void OnEscape();
  void TogglePause();
  bool Paused() const { return session_.Paused(); }
  void ShowInFront();
  // Another start's command: answered at once, carried out afterwards.
  LRESULT OnRemoteCommand(const COPYDATASTRUCT* data);
  void RunRemoteCommands();
  // After a resume, an unlock or Explorer's restart.
  void KeepWallpaperShown();
  // The scan has ended (or was stopped): its pictures join the category.
  void OnScanDone();
  // The function the scan calls from its thread when it is done.
  std::function<void()> ScanDoneNotice();
  void AddPictures() { Edit(&EditingCommands::AddPictures, static_cast<UserChoices&>(choices_)); }
  void AddFolder();
  void ClearPictureList() { Edit(&EditingCommands::ClearPictureList); }
  void MovePictureUp() { Edit(&EditingCommands::MovePictureUp); }
  void MovePictureDown() { Edit(&EditingCommands::MovePictureDown); }
  void DeletePicture() { Edit(&EditingCommands::DeletePicture); }
  void ClearCategory() { Edit(&EditingCommands::ClearCategory, static_cast<UserChoices&>(choices_)); }
  void AddCategory() { Edit(&EditingCommands::AddCategory, static_cast<UserChoices&>(choices_)); }
  void DeleteCategory() { Edit(&EditingCommands::DeleteCategory, static_cast<UserChoices&>(choices_)); }
  void SetPreviousWallpaper() { Change(&Session::SetPreviousWallpaper); }
  void SetSelectedWallpaper() { Change(&Session::SetSelectedWallpaper); }
  void SetNextWallpaper() { Change(&Session::SetNextWallpaper); }
  void SetRandomWallpaper() { Change(&Session::SetRandomWallpaper); }
  void ShowBack() { Change(&Session::ShowBack); }
  void ShowForward() { Change(&Session::ShowForward); }
  void AddToFavourites() { Show(session_.AddToFavourites()); }
  void NeverShow();
  void UndoNeverShow() { Show(session_.UndoNeverShow()); }
  bool CanUndoNeverShow() const { return session_.CanUndoNeverShow(); }
  void RunSettingsFlow();
  void ShowAbout();

  // A wallpaper change, then what it answered. Nothing happens while
  // another change (or its message) is open.
  void Change(Outcome (Session::*change)());
  void Change(const std::function<Outcome()>& change);
  template <typename... Params, typename... Args>
  void Edit(Outcome (EditingCommands::*command)(Params...), Args&&... args) {
    Show(session_.Edit(command, std::forward<Args>(args)...));
  }
  // Brings the views the outcome names up to the session, repaints the
  // countdown and the tip, and tells the user what it says.
  void Show(const Outcome& outcome);
  void InvalidateCountdown();
  HFONT CountdownFont(HDC dc, const std::string& text);

  std::string program_dir_;
  std::unique_ptr<Desktop> desktop_;
  std::unique_ptr<ProfileStore> system_store_;
  Session session_;
  win32::MessageBoxes messages_;
  MainWindowChoices choices_;
  ListBoxView picture_box_;
  ListBoxView category_box_;
  ShownList pictures_shown_{picture_box_};
  ShownList categories_shown_{category_box_};

  HINSTANCE icon_instance_ = nullptr;
  int icon_id_ = 0;
  win32::Icon small_icon_;
  win32::Icon big_icon_;
  win32::Font list_font_;
  RECT preview_area_ = kPreviewArea;
  RECT countdown_area_ = kCountdownArea;
  NOTIFYICONDATAA tray_{};
  bool tray_added_ = false;
  std::vector<UINT> hotkeys_;  // the commands whose hotkeys are held
  std::vector<std::string> hotkeys_told_;  // refused hotkeys the user was told of, as key=text
  std::vector<std::string> saves_told_;    // files whose failed saves the user was told of
  std::vector<RemoteCommand> remote_;       // commands answered and not yet carried out
  std::string status_;                      // what adding pictures came to, shown a while
  ULONGLONG status_until_ = 0;
  UINT taskbar_created_ = 0;
  win32::Brush list_brush_;
  win32::Font countdown_font_;
  std::string countdown_fitted_for_;
  int countdown_height_ = 0;

  int dispatch_depth_ = 0;  // window procedures running, one inside the other
  bool changing_ = false;
  bool close_pending_ = false;
  bool session_ended_ = false;
};

}  // namespace vistelle
