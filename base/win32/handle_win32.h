// Owning wrappers of the system's handles: one move-only template for GDI
// objects, icons, menus, memory device contexts and kernel handles, and the
// few guards that pair a call with its undoing (a selected object, a window's
// device context, a paint).
//
// Every wrapper that holds a handle is counted, so that a test can see
// whether a long run gives back what it took: the system's own counter
// (GetGuiResources) is not available everywhere.
#pragma once

#include <windows.h>

#include <atomic>

namespace vistelle::win32 {

// How many handles the wrappers below hold at this moment, over all kinds.
class HandleCount {
 public:
  static long Alive() { return alive_.load(std::memory_order_relaxed); }

 private:
  template <typename>
  friend class UniqueHandle;
  friend class WindowDc;
  friend class PaintDc;
  static void Took() { alive_.fetch_add(1, std::memory_order_relaxed); }
  static void Gave() { alive_.fetch_sub(1, std::memory_order_relaxed); }

  static inline std::atomic<long> alive_{0};
};

// Owns one handle and closes it exactly once: when destroyed, when given
// another one, or never once it was handed on with Release or a move.
// Traits give the handle type, what counts as none and how to close it.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle handle) noexcept : handle_(Traits::IsValid(handle) ? handle : Traits::None()) {
    if (*this) HandleCount::Took();
  }
  ~UniqueHandle() { Close(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = Traits::None(); }
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.handle_;
      other.handle_ = Traits::None();
    }
    return *this;
  }

  Handle Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return Traits::IsValid(handle_); }

  // Closes the handle held so far (unless it is this one) and takes this.
  void Reset(Handle handle = Traits::None()) noexcept {
    if (handle == handle_) return;
    Close();
    if (Traits::IsValid(handle)) {
      handle_ = handle;
      HandleCount::Took();
    }
  }
  // Hands the handle on (to the system or another owner); empty afterwards.
  [[nodiscard]] Handle Release() noexcept {
    const Handle handle = handle_;
    if (*this) HandleCount::Gave();
    handle_ = Traits::None();
    return handle;
  }
  // Closes now; false when the system refused (the handle is gone anyway).
  bool Close() noexcept {
    if (!*this) return true;
    const bool ok = Traits::Close(handle_);
    HandleCount::Gave();
    handle_ = Traits::None();
    return ok;
  }

 private:
  Handle handle_ = Traits::None();
};

// Handles whose "none" is null, closed by Closer::Close. (Functions that
// the system's libraries export are not constants that a template can take.)
template <typename H, typename Closer>
struct NullHandleTraits {
  using Handle = H;
  static constexpr Handle None() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
  static bool Close(Handle handle) noexcept { return Closer::Close(handle); }
};

struct GdiObjectCloser {
  static bool Close(HGDIOBJ object) noexcept { return DeleteObject(object) != FALSE; }
};
struct IconCloser {
  static bool Close(HICON icon) noexcept { return DestroyIcon(icon) != FALSE; }
};
struct MenuCloser {
  static bool Close(HMENU menu) noexcept { return DestroyMenu(menu) != FALSE; }
};
struct DcCloser {
  static bool Close(HDC dc) noexcept { return DeleteDC(dc) != FALSE; }
};

template <typename H>
using GdiObjectTraits = NullHandleTraits<H, GdiObjectCloser>;

// Kernel handles, where both null and INVALID_HANDLE_VALUE mean none.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle None() noexcept { return nullptr; }
  static bool IsValid(Handle handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static bool Close(Handle handle) noexcept { return CloseHandle(handle) != FALSE; }
};

using Bitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using Brush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using Font = UniqueHandle<GdiObjectTraits<HFONT>>;
using Region = UniqueHandle<GdiObjectTraits<HRGN>>;
using Icon = UniqueHandle<NullHandleTraits<HICON, IconCloser>>;
using Menu = UniqueHandle<NullHandleTraits<HMENU, MenuCloser>>;
using MemoryDc = UniqueHandle<NullHandleTraits<HDC, DcCloser>>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;

// A memory device context compatible with dc (with the screen for null).
inline MemoryDc MakeMemoryDc(HDC dc = nullptr) { return MemoryDc(CreateCompatibleDC(dc)); }

// Selects an object into a device context and puts the one it replaced back
// when it goes, so that the object can be deleted afterwards.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) noexcept
      : dc_(dc), previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

  // False when the object could not be selected.
  bool Selected() const noexcept { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's device context (GetDC), released to the same window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {
    if (dc_ != nullptr) HandleCount::Took();
  }
  ~WindowDc() {
    if (dc_ != nullptr) {
      ReleaseDC(window_, dc_);
      HandleCount::Gave();
    }
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint and EndPaint around the handling of one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {
    if (dc_ != nullptr) HandleCount::Took();
  }
  ~PaintDc() {
    // EndPaint belongs to every BeginPaint, also one that gave no context.
    EndPaint(window_, &paint_);
    if (dc_ != nullptr) HandleCount::Gave();
  }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;

  HDC Get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }
  const RECT& Area() const noexcept { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace vistelle::win32
