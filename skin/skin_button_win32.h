// The skin's buttons and the tooltips of its buttons and labels.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "skin/skin_object_win32.h"

namespace vistelle {

// What a button posts to its parent; wParam is the mouse-key state of the
// mouse message, lParam the address of the button's name (valid while the
// button exists). Numbers of the program's own range, apart from the tray
// icon's callback message (WM_USER + 1).
constexpr UINT kSkinLeftDown = WM_APP + 0x100;
constexpr UINT kSkinRightDown = WM_APP + 0x101;
constexpr UINT kSkinLeftUp = WM_APP + 0x102;  // the click that runs the button's command
constexpr UINT kSkinRightUp = WM_APP + 0x103;

// A shaped child window that shows its normal, hover, pressed or inactive
// look and reports presses and releases to its parent. It never captures
// the mouse: a release counts only over the button.
//
// It is also a push button for the keyboard and for screen readers: it is a
// tab stop, shows a dotted focus ring while it has the focus (unless the
// window hides focus rings, as Windows does until the keyboard is used), is
// pressed by Space (on release) and Enter, and tells its name and role.
// Clicking it with the mouse leaves the focus where it was, as on a toolbar.
// Every press, by mouse, key, BM_CLICK or a screen reader, posts the same
// kSkinLeftUp.
class SkinButton : public SkinObject {
 public:
  enum class Look { kNormal, kHover, kPressed, kInactive };

  SkinButton() = default;
  ~SkinButton() override;

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnPaint(HDC dc) override;

  virtual void OnMouseMove(WPARAM wparam, LPARAM lparam);
  virtual void OnRightButtonUp(WPARAM wparam, LPARAM lparam);
  virtual void OnLeftButtonUp(WPARAM wparam, LPARAM lparam);
  virtual void OnRightButtonDown(WPARAM wparam, LPARAM lparam);
  virtual void OnLeftButtonDown(WPARAM wparam, LPARAM lparam);

  // From Windows bitmap files; the hover look is loaded only when flags has
  // the bit 0x800.
  virtual HWND CreateFromStateFiles(const char* name, DWORD flags, int x, int y, HWND parent, HINSTANCE instance,
                                    const char* mask_file, const char* normal_file, const char* pressed_file,
                                    const char* hover_file, const char* inactive_file);

  // The looks of a button, cut from the skin's pictures.
  struct Looks {
    win32::Bitmap mask;
    win32::Bitmap normal;
    win32::Bitmap pressed;
    win32::Bitmap hover;
    win32::Bitmap inactive;
  };
  // From bitmaps, which the button takes over. The name is the window class
  // and title, and what the button reports.
  HWND CreateFromSkinBitmaps(const char* name, int x, int y, HWND parent, HINSTANCE instance, Looks looks);

  // The application's activation: an inactive button shows its inactive look
  // unless it is hovered or pressed.
  void SetActive(bool active);
  // What a screen reader calls the button: the skin's tooltip text (UTF-8);
  // empty leaves its name.
  void SetDescription(const std::string& text) { description_ = text; }
  // The name screen readers are given.
  std::string AccessibleName() const { return description_.empty() ? name_ : description_; }
  // The focus ring is drawn: the button has the focus and the window shows
  // focus rings.
  bool ShowsFocusRing() const;

  Look CurrentLook() const;
  const char* Name() const { return name_.c_str(); }
  bool IsPressed() const { return pressed_; }
  bool IsHovered() const { return hover_; }
  bool IsActive() const { return active_; }

 private:
  static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | 0x4003;
  // The ring's distance from the button's edges.
  static constexpr int kFocusInset = 2;

  void Post(UINT message, WPARAM wparam);
  void Redraw();
  // A press by the keyboard or for a screen reader: the click the mouse
  // would give.
  void Press() { Post(kSkinLeftUp, 0); }
  LRESULT OnKey(UINT message, WPARAM key, LPARAM flags);
  LRESULT DialogCode(const MSG* message) const;

  win32::Bitmap hover_look_;
  win32::Bitmap pressed_look_;
  win32::Bitmap inactive_look_;
  std::string name_;
  std::string description_;
  HWND parent_ = nullptr;
  bool pressed_ = false;
  bool hover_ = false;
  bool active_ = true;
  bool tracking_ = false;
  bool focused_ = false;
  bool space_down_ = false;  // pressed by Space, released by its key-up
};

// A standard tooltip over the whole client area of one window.
class KToolTip {
 public:
  KToolTip() = default;
  // Removes the tool; the tooltip window goes with its owner.
  virtual ~KToolTip();
  KToolTip(const KToolTip&) = delete;
  KToolTip& operator=(const KToolTip&) = delete;

  // The tooltip control keeps its own copy of the text.
  HWND Attach(HWND owner, HINSTANCE instance, const char* text);
  HWND Handle() const { return tooltip_; }

 private:
  HWND tooltip_ = nullptr;
  TOOLINFOA tool_{};
};

}  // namespace vistelle
