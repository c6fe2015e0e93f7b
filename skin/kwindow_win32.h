// The small window framework of the skin engine: an object owns one native
// window, and every message of that window reaches the object's virtual
// window procedure.
//
// The object travels to its window in the creation parameter and is kept in
// the window's user data (GWLP_USERDATA). It is taken off the window again
// when the window is gone (WM_NCDESTROY) and when the object is destroyed
// first; from then on the window's messages go to DefWindowProcA, so no
// message ever reaches a freed or half-destroyed object.
#pragma once

#include <windows.h>

#include <string>

namespace vistelle {

class KWindow {
 public:
  KWindow() = default;
  // Takes the object off its window (the window itself stays) and gives the
  // window class back when no other window uses it.
  virtual ~KWindow();
  KWindow(const KWindow&) = delete;
  KWindow& operator=(const KWindow&) = delete;

  // The program's message loop: runs until WM_QUIT and returns its code.
  virtual int MessageLoop();
  // Registers the class if needed and creates the window with this object
  // attached. Null when either fails.
  virtual HWND Create(DWORD ex_style, const char* class_name, const char* window_name, DWORD style, int x,
                      int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance);
  // The description of a new window class: redraw on resize, the arrow
  // cursor, and no background brush (each window paints all of its area).
  virtual void FillClass(WNDCLASSEXA& description);
  // Default handling: WM_PAINT calls OnPaint, WM_KEYDOWN calls OnKeyDown,
  // the rest goes to DefWindowProcA. Destroying a window does not end the
  // message loop; the program's main window does that itself.
  virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  virtual void OnKeyDown(WPARAM wparam, LPARAM lparam);
  virtual void OnPaint(HDC dc);

  // True when the class exists for this instance or could be registered.
  // Objects that give the same class name share the class of the first.
  bool EnsureClass(const char* class_name, HINSTANCE instance);

  HWND Handle() const { return hwnd_; }
  HINSTANCE Instance() const { return instance_; }
  const std::string& ClassName() const { return class_name_; }

  // The procedure of every framework window class.
  static LRESULT CALLBACK ClassProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 protected:
  // Takes the object off its window now. Destructors of subclasses call it
  // first, so that nothing they do while releasing their resources routes a
  // message to a half-destroyed object.
  void Detach();

  HWND hwnd_ = nullptr;
  HINSTANCE instance_ = nullptr;

 private:
  std::string class_name_;
};

}  // namespace vistelle
