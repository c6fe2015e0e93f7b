// TSkin: the program's main window. A skinned dialog that holds the picture
// library, shows a preview of the current picture and the countdown to the
// next change, runs the one-minute timer of the rotation, keeps the tray
// icon with its menu, and turns the skin's buttons, the tray menu and the
// two list boxes into commands.
//
// It is left alone in the tray for weeks, so it never piles anything up: a
// wallpaper change never starts inside another (a tick that comes while a
// change or its message is open only counts the minute), and a close request
// that comes while one of the program's boxes or dialogs is open waits for it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/rotation.h"
#include "base/win32/handle_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "config/profile_file_replace.h"
#include "library/editing_commands_win32.h"
#include "library/list_box_view_win32.h"
#include "library/wallpaper_library.h"
#include "image/image.h"
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
  static constexpr UINT kTrayId = 201;
  static constexpr UINT kTrayMessage = WM_USER + 1;
  static constexpr int kPictureListId = 202;
  static constexpr int kCategoryListId = 203;
  static constexpr const char* kTrayTip = "Vistelle";
  // The global hotkeys' ids (RegisterHotKey).
  enum HotkeyId : int { kHotkeyNext = 1, kHotkeyPrevious = 2, kHotkeyRandom = 3 };

  // Tray menu commands.
  enum MenuCommand : UINT {
    kMenuOpen = 1,
    kMenuClose = 3,
    kMenuAbout = 4,
    kMenuNext = 5,
    kMenuPrevious = 6,
    kMenuSettings = 7,
    kMenuRandom = 8,
    kMenuSeparator = 4444,
  };

  // Asked of the window by automation and the tests: answers the minutes
  // until the next change, as the countdown shows them.
  static constexpr UINT kQueryMinutesLeft = WM_APP + 1;

  static constexpr RECT kPreviewArea = {15, 25, 188, 161};
  static constexpr RECT kCountdownArea = {24, 365, 232, 387};

  // program_dir holds config.ini, pictora.txt and the Skin and Calendar
  // folders. Reads the settings (before any window exists).
  explicit TSkin(const std::string& program_dir);
  // The same on a desktop and settings store of the caller's (the tests).
  TSkin(const std::string& program_dir, std::unique_ptr<Desktop> desktop, std::unique_ptr<ProfileStore> store);
  // Does not save: saving belongs to the close request.
  ~TSkin() override;

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnPaint(HDC dc) override;
  // Runs the handler that the skin command table gives the name; a name
  // that is not in it is ignored. Answers 0.
  int HandleSkinCommand(const char* name) override;

  // The application icon: the small one is the tray icon; both are the
  // caller's and must outlive the window. Given before the window exists.
  void SetIcons(HICON small_icon, HICON big_icon);
  // The two list boxes that start-up places on the window.
  void AttachListBoxes(HWND picture_list, HWND category_list);
  // Reads the library into the lists and makes the preview.
  void LoadLibrary();
  // The change at a start with the system (started with "hide").
  void ChangeAtStart();

  // Saves the settings and the library, as the close request does, with
  // config.ini replaced in one step. False when something was not written.
  bool SaveAll();

  WallpaperLibrary& Library() { return library_; }
  Rotation& WallpaperRotation() { return rotation_; }
  TConfig& Settings() { return library_.renderer.Settings(); }
  const Image& Preview() const { return library_.renderer.Preview(); }
  bool TrayIconAdded() const { return tray_added_; }
  // The tray icon's tip as it was last set.
  std::string TrayTip() const { return tray_.szTip; }
  // Whether the hotkey could be registered (another program may hold it).
  bool HotkeyRegistered(HotkeyId id) const { return hotkeys_[id - 1]; }
  // Adds the picture files of dropped files and folders, or of a chosen
  // folder, to the current category ("Please select a category." without
  // one). Answers how many were added.
  int AddDroppedPaths(const std::vector<std::string>& paths);
  // True from the start of a wallpaper change until its message is closed.
  bool ChangeRunning() const { return changing_; }
  // A close request is waiting for a box or dialog to close.
  bool ClosePending() const { return close_pending_; }
  // The countdown as the window shows it.
  std::string Countdown() const;
  // The font height the countdown was last drawn with (0 before).
  int CountdownFontHeight() const { return countdown_height_; }

 private:
  struct SkinCommand {
    const char* name;
    void (TSkin::*handler)();
  };
  static const SkinCommand kSkinCommands[];

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
  void OnHotkey(int id);
  // Registers the hotkeys the settings name (again); those another program
  // holds are passed over without a word.
  void RegisterHotkeys();
  void UnregisterHotkeys();

  // The handlers of the skin commands and the tray menu.
  void ToggleVisible();
  void HideToTray();
  void Minimize();
  void ClearPictureList();
  void AddPictures() { Edit(&LibraryEditor::AddPictures); }
  void AddFolder();
  void MovePictureUp() { Edit(&LibraryEditor::MovePictureUp); }
  void MovePictureDown() { Edit(&LibraryEditor::MovePictureDown); }
  void DeletePicture() { Edit(&LibraryEditor::DeletePicture); }
  void ClearCategory() { Edit(&LibraryEditor::ClearCategory); }
  void AddCategory() { Edit(&LibraryEditor::NewCategory); }
  void DeleteCategory() { Edit(&LibraryEditor::DeleteCategory); }
  void SetPreviousWallpaper() { Change(&Rotation::SetPreviousWallpaper); }
  void SetSelectedWallpaper() { Change(&Rotation::SetSelectedWallpaper); }
  void SetNextWallpaper() { Change(&Rotation::SetNextWallpaper); }
  void SetRandomWallpaper() { Change(&Rotation::SetRandomWallpaper); }
  void RunSettingsFlow();
  void ShowAbout();

  // A wallpaper change, then the message its result calls for. Nothing
  // happens while another change (or its message) is open.
  void Change(ChangeResult (Rotation::*change)());
  void Report(ChangeResult result);
  void Edit(void (LibraryEditor::*command)());
  // Tells the user when a picture could not be previewed.
  void ReportFailedPreviews();
  // The current picture may have changed: repaints the preview.
  void PictureChanged();
  void InvalidateCountdown();
  HFONT CountdownFont(HDC dc, const std::string& text);

  std::string program_dir_;
  std::unique_ptr<Desktop> desktop_;
  std::unique_ptr<ProfileStore> system_store_;
  ReplacingProfileStore store_;
  ListBoxView picture_view_;
  ListBoxView category_view_;
  WallpaperLibrary library_;
  win32::MessageBoxes messages_;
  Rotation rotation_;
  LibraryEditor editor_;

  HICON small_icon_ = nullptr;
  HICON big_icon_ = nullptr;
  RECT preview_area_ = kPreviewArea;
  NOTIFYICONDATAA tray_{};
  bool tray_added_ = false;
  bool hotkeys_[3] = {false, false, false};
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
