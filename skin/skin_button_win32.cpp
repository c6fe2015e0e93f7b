#include "skin/skin_button_win32.h"

#include <oleacc.h>

#include <utility>

#include "base/win32/log_win32.h"
#include "base/win32/utf16_win32.h"
#include "skin/accessible_control_win32.h"

namespace vistelle {

SkinButton::~SkinButton() { Detach(); }

LRESULT SkinButton::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(wparam, lparam);
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(wparam, lparam);
      return 0;
    case WM_LBUTTONUP:
      OnLeftButtonUp(wparam, lparam);
      return 0;
    case WM_RBUTTONDOWN:
      OnRightButtonDown(wparam, lparam);
      return 0;
    case WM_RBUTTONUP:
      OnRightButtonUp(wparam, lparam);
      return 0;
    case WM_MOUSELEAVE:
      hover_ = false;
      pressed_ = pressed_ && space_down_;
      Redraw();
      tracking_ = false;
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      return OnKey(message, wparam, lparam);
    case WM_GETDLGCODE:
      return DialogCode(reinterpret_cast<const MSG*>(lparam));
    case WM_SETFOCUS:
      focused_ = true;
      Redraw();
      return 0;
    case WM_KILLFOCUS:
      // A Space held while the focus goes is no press.
      focused_ = false;
      if (space_down_) pressed_ = false;
      space_down_ = false;
      Redraw();
      return 0;
    case WM_UPDATEUISTATE: {
      const LRESULT result = KWindow::WindowProc(hwnd, message, wparam, lparam);
      if (focused_) Redraw();
      return result;
    }
    case BM_CLICK:
      Press();
      return 0;
    case WM_GETOBJECT: {
      AccessibleFace face;
      face.name = win32::Widen(AccessibleName());
      face.role = ROLE_SYSTEM_PUSHBUTTON;
      face.default_action = L"Press";
      const LRESULT answer = AnswerAccessibleObject(hwnd, wparam, lparam, face);
      return answer != 0 ? answer : KWindow::WindowProc(hwnd, message, wparam, lparam);
    }
    default:
      return KWindow::WindowProc(hwnd, message, wparam, lparam);
  }
}

void SkinButton::Post(UINT message, WPARAM wparam) {
  if (parent_ != nullptr) PostMessageA(parent_, message, wparam, reinterpret_cast<LPARAM>(name_.c_str()));
}

void SkinButton::Redraw() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void SkinButton::OnMouseMove(WPARAM wparam, LPARAM) {
  if (!tracking_) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd_;
    if (!_TrackMouseEvent(&track)) win32::LogLine("TrackMouseEvent failed");
    tracking_ = true;
  }
  // A move with only the left button held keeps the look (pressed stays
  // pressed while the pointer is over the button).
  if (wparam != MK_LBUTTON) {
    pressed_ = false;
    hover_ = true;
    Redraw();
  }
}

void SkinButton::OnLeftButtonDown(WPARAM wparam, LPARAM) {
  Post(kSkinLeftDown, wparam);
  pressed_ = true;
  Redraw();
}

void SkinButton::OnLeftButtonUp(WPARAM wparam, LPARAM) {
  Post(kSkinLeftUp, wparam);
  pressed_ = false;
  Redraw();
}

void SkinButton::OnRightButtonDown(WPARAM wparam, LPARAM) { Post(kSkinRightDown, wparam); }

void SkinButton::OnRightButtonUp(WPARAM wparam, LPARAM) { Post(kSkinRightUp, wparam); }

LRESULT SkinButton::DialogCode(const MSG* message) const {
  // Enter is the button's own (it presses the button with the focus);
  // Tab and Esc are left to the window.
  LRESULT code = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
  if (message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
  return code;
}

LRESULT SkinButton::OnKey(UINT message, WPARAM key, LPARAM flags) {
  // Bit 30: the key was down already (the keyboard's repeat).
  const bool repeat = (flags & (1 << 30)) != 0;
  if (message == WM_KEYDOWN && key == VK_RETURN) {
    if (!repeat) Press();
  } else if (message == WM_KEYDOWN && key == VK_SPACE) {
    if (!repeat && !space_down_) {
      space_down_ = true;
      pressed_ = true;
      Redraw();
    }
  } else if (message == WM_KEYUP && key == VK_SPACE && space_down_) {
    space_down_ = false;
    pressed_ = false;
    Redraw();
    Press();
  } else if (message == WM_KEYDOWN) {
    OnKeyDown(key, flags);
  }
  return 0;
}

bool SkinButton::ShowsFocusRing() const {
  if (!focused_ || hwnd_ == nullptr) return false;
  return (SendMessageA(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

SkinButton::Look SkinButton::CurrentLook() const {
  if (pressed_) return Look::kPressed;
  if (hover_) return Look::kHover;
  if (!active_) return Look::kInactive;
  return Look::kNormal;
}

void SkinButton::OnPaint(HDC dc) {
  switch (CurrentLook()) {
    case Look::kPressed:
      DrawBitmap(dc, pressed_look_.Get());
      break;
    case Look::kHover:
      DrawBitmap(dc, hover_look_.Get());
      break;
    case Look::kInactive:
      DrawBitmap(dc, inactive_look_.Get());
      break;
    case Look::kNormal:
      DrawBitmap(dc, normal_.Get());
      break;
  }
  if (ShowsFocusRing()) {
    RECT ring{};
    GetClientRect(hwnd_, &ring);
    // Two pixels in at 100 %, more at a larger scaling.
    const int inset = MulDiv(kFocusInset, static_cast<int>(GetDpiForWindow(hwnd_)), USER_DEFAULT_SCREEN_DPI);
    InflateRect(&ring, -inset, -inset);
    if (ring.right > ring.left && ring.bottom > ring.top) {
      // DrawFocusRect inverts every other pixel of the outline where its
      // pattern meets the white background colour, so that the ring shows
      // on the dark and the light parts of the skin alike.
      const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
      const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
      DrawFocusRect(dc, &ring);
      SetBkColor(dc, back);
      SetTextColor(dc, text);
    }
  }
}

void SkinButton::SetActive(bool active) {
  active_ = active;
  Redraw();
}

HWND SkinButton::CreateFromStateFiles(const char* name, DWORD flags, int x, int y, HWND parent, HINSTANCE instance,
                                      const char* mask_file, const char* normal_file, const char* pressed_file,
                                      const char* hover_file, const char* inactive_file) {
  if (name == nullptr) return nullptr;
  HWND hwnd = CreateFromFiles(0, name, name, kStyle, x, y, parent, instance, mask_file, normal_file);
  parent_ = parent;
  name_ = name;
  if (pressed_file != nullptr) LoadBitmapFile(pressed_look_, pressed_file);
  if ((flags & 0x800) != 0 && hover_file != nullptr) LoadBitmapFile(hover_look_, hover_file);
  if (inactive_file != nullptr) LoadBitmapFile(inactive_look_, inactive_file);
  return hwnd;
}

HWND SkinButton::CreateFromSkinBitmaps(const char* name, int x, int y, HWND parent, HINSTANCE instance,
                                       Looks looks) {
  // The looks are ours from here on, whatever happens.
  pressed_look_ = std::move(looks.pressed);
  hover_look_ = std::move(looks.hover);
  inactive_look_ = std::move(looks.inactive);
  if (name == nullptr) return nullptr;
  // Known before the window exists, so that nothing it posts goes astray.
  parent_ = parent;
  name_ = name;
  return CreateFromBitmaps(0, name, name, kStyle, x, y, parent, instance, std::move(looks.mask),
                           std::move(looks.normal));
}

KToolTip::~KToolTip() {
  if (tooltip_ != nullptr && IsWindow(tooltip_)) SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool_));
}

HWND KToolTip::Attach(HWND owner, HINSTANCE instance, const char* text) {
  INITCOMMONCONTROLSEX init{};
  init.dwSize = sizeof(init);
  init.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&init);
  HWND tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                 instance, nullptr);
  if (tooltip == nullptr) return nullptr;
  SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  tool_ = TOOLINFOA{};
  tool_.cbSize = sizeof(TOOLINFOA);
  tool_.uFlags = TTF_SUBCLASS;
  tool_.hwnd = owner;
  tool_.uId = 0;
  GetClientRect(owner, &tool_.rect);
  tool_.hinst = instance;
  tool_.lpszText = const_cast<char*>(text != nullptr ? text : "");
  SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool_));
  tool_.lpszText = nullptr;  // the control has its own copy
  tooltip_ = tooltip;
  return tooltip;
}

}  // namespace vistelle
