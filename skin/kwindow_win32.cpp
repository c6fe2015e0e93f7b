#include "skin/kwindow_win32.h"

#include "base/win32/handle_win32.h"

namespace vistelle {

namespace {

// What CreateWindowExA carries to WM_NCCREATE.
struct CreationRecord {
  KWindow* object;
};

KWindow* ObjectOf(HWND hwnd) { return reinterpret_cast<KWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

}  // namespace

KWindow::~KWindow() {
  Detach();
  if (!class_name_.empty()) UnregisterClassA(class_name_.c_str(), instance_);  // fails while in use
}

void KWindow::Detach() {
  if (hwnd_ != nullptr && ObjectOf(hwnd_) == this) SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
}

int KWindow::MessageLoop() {
  MSG msg{};
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return -1;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

HWND KWindow::Create(DWORD ex_style, const char* class_name, const char* window_name, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance) {
  if (class_name == nullptr || !EnsureClass(class_name, instance)) return nullptr;
  CreationRecord record{this};
  HWND hwnd = CreateWindowExA(ex_style, class_name, window_name, style, x, y, width, height, parent, menu,
                              instance, &record);
  hwnd_ = hwnd;
  instance_ = instance;
  class_name_ = class_name;
  return hwnd;
}

void KWindow::FillClass(WNDCLASSEXA& description) {
  description = WNDCLASSEXA{};
  description.cbSize = sizeof(WNDCLASSEXA);
  description.style = CS_HREDRAW | CS_VREDRAW;
  description.lpfnWndProc = &KWindow::ClassProcedure;
  description.hCursor = LoadCursorA(nullptr, IDC_ARROW);
}

bool KWindow::EnsureClass(const char* class_name, HINSTANCE instance) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExA(instance, class_name, &existing)) return true;
  WNDCLASSEXA description{};
  FillClass(description);
  description.hInstance = instance;
  description.lpszClassName = class_name;
  return RegisterClassExA(&description) != 0;
}

LRESULT KWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      const win32::PaintDc dc(hwnd);
      if (dc) OnPaint(dc.Get());
      return 0;
    }
    case WM_KEYDOWN:
      OnKeyDown(wparam, lparam);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

void KWindow::OnKeyDown(WPARAM, LPARAM) {}

void KWindow::OnPaint(HDC) {}

LRESULT CALLBACK KWindow::ClassProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  KWindow* object = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    const auto* record = create ? static_cast<const CreationRecord*>(create->lpCreateParams) : nullptr;
    if (record != nullptr && record->object != nullptr) {
      object = record->object;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
      // Known from here on, so that messages sent during creation that use
      // the stored handle find it.
      object->hwnd_ = hwnd;
    }
  } else {
    object = ObjectOf(hwnd);
  }
  if (object == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  const LRESULT result = object->WindowProc(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    // The last message of the window: nothing may reach the object through
    // this handle any more, nor the object use it.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (object->hwnd_ == hwnd) object->hwnd_ = nullptr;
  }
  return result;
}

}  // namespace vistelle
