// TSkin: the program's main window. A skinned dialog that holds the picture
// library, shows a preview of the current picture and the countdown to the
// next change, runs the one-minute timer of the rotation, keeps the tray
// icon with its menu, and turns the skin's buttons, the tray menu and the
// two list boxes into commands.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "app/main_window_commands_win32.h"
#include "app/rotation.h"
#include "app/user_messages_win32.h"
#include "config/profile_file_replace.h"
#include "library/list_box_view_win32.h"
#include "library/wallpaper_library.h"
#include "render/image.h"
#include "skin/skin_dialog_win32.h"

namespace vistelle {

class TSkin : public SkinDialog {
 public:
  static constexpr UINT_PTR kTimerId = 200;
  static constexpr UINT kTimerPeriod = 60000;  // one step of the minute counter
  static constexpr UINT kTrayId = 201;
  static constexpr UINT kTrayMessage = WM_USER + 1;
  static constexpr int kPictureListId = 202;
  static constexpr int kCategoryListId = 203;
  static constexpr const char* kTrayTip = "Vistelle";

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
  const Image& Preview() const { return preview_; }
  bool TrayIconAdded() const { return tray_added_; }
  // The countdown as the window shows it.
  std::string Countdown() const;
  // The font height the countdown was last drawn with (0 before).
  int CountdownFontHeight() const { return countdown_height_; }

 private:
  void OnCreate(HWND hwnd);
  void OnCommand(WPARAM wparam, LPARAM lparam);
  void OnTimer(UINT_PTR id);
  void OnTrayIcon(LPARAM mouse_message);
  void OnCloseRequest(bool end_session, bool session_ending);
  void ShowTrayMenu();
  bool AddTrayIcon();
  void RemoveTrayIcon();
  void ToggleVisible();
  void HideToTray();
  void RunSettingsFlow();
  void RunCommand(void (*command)(MainWindowContext&));
  // The current picture may have changed: makes the preview copy anew and
  // repaints it.
  void PictureChanged();
  void InvalidateCountdown();
  HFONT CountdownFont(HDC dc, const std::string& text);
  void AfterModal();

  std::string program_dir_;
  std::unique_ptr<Desktop> desktop_;
  std::unique_ptr<ProfileStore> system_store_;
  ReplacingProfileStore store_;
  ListBoxView picture_view_;
  ListBoxView category_view_;
  WallpaperLibrary library_;
  MessageBoxUserMessages messages_;
  Rotation rotation_;

  HICON small_icon_ = nullptr;
  HICON big_icon_ = nullptr;
  RECT preview_area_ = kPreviewArea;
  NOTIFYICONDATAA tray_{};
  bool tray_added_ = false;
  UINT taskbar_created_ = 0;
  HBRUSH list_brush_ = nullptr;
  Image preview_;
  HFONT countdown_font_ = nullptr;
  std::string countdown_fitted_for_;
  int countdown_height_ = 0;
  int modal_depth_ = 0;
  bool close_pending_ = false;
};

}  // namespace vistelle
