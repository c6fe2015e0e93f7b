#include "tests/windows/dialog_catcher_win32.h"

#include <utility>

#include <gtest/gtest.h>

#include "base/win32/utf16_win32.h"
#include "base/win32/dib_win32.h"

namespace vistelle::testing {

std::wstring Wide(const std::string& utf8) { return win32::Widen(utf8); }

std::string Utf8(const std::wstring& text) { return win32::Narrow(text); }

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], length + 1)));
  return text;
}

std::vector<std::string> Items(HWND list_box) {
  std::vector<std::string> out;
  const LRESULT count = SendMessageW(list_box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list_box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(list_box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    out.push_back(Utf8(text));
  }
  return out;
}

int Selected(HWND list_box) { return static_cast<int>(SendMessageW(list_box, LB_GETCURSEL, 0, 0)); }

void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

BITMAPINFO TopDownDibInfo(int width, int height) { return win32::DibInfo(width, -height, 32); }

ListBoxHost::ListBoxHost(const char* title, bool visible, int x, int y) {
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "VistelleListBoxTestHost";
  RegisterClassExA(&wc);  // fails harmlessly when already registered
  window_ = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), x, y,
                            460, 260, nullptr, nullptr, wc.hInstance, nullptr);
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY;
  pictures_ = CreateWindowExA(0, "LISTBOX", "", style, 10, 10, 200, 200, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(202)), wc.hInstance, nullptr);
  categories_ = CreateWindowExA(0, "LISTBOX", "", style, 230, 10, 200, 200, window_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(203)), wc.hInstance, nullptr);
}

ListBoxHost::~ListBoxHost() { DestroyWindow(window_); }

namespace {

// The catcher whose hook and timer are in place; a hook procedure has no
// other way to find it.
DialogCatcher* g_catcher = nullptr;

bool IsDialog(HWND window) {
  wchar_t class_name[32] = L"";
  GetClassNameW(window, class_name, 32);
  return lstrcmpW(class_name, L"#32770") == 0;
}

BOOL CALLBACK CloseDialog(HWND window, LPARAM) {
  if (IsDialog(window)) {
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM out) {
  wchar_t class_name[32] = L"";
  GetClassNameW(child, class_name, 32);
  if (lstrcmpiW(class_name, L"Static") != 0) return TRUE;
  CaughtBox& box = *reinterpret_cast<CaughtBox*>(out);
  if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
    box.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
  else if (GetWindowTextLengthW(child) > 0)
    box.text = WindowText(child);
  return TRUE;
}

}  // namespace

DialogCatcher::DialogCatcher(unsigned timeout_ms) {
  EXPECT_EQ(g_catcher, nullptr) << "one dialog catcher at a time";
  g_catcher = this;
  hook_ = SetWindowsHookExW(WH_CBT, &DialogCatcher::Hook, nullptr, GetCurrentThreadId());
  if (timeout_ms > 0) timer_ = SetTimer(nullptr, 0, timeout_ms, &DialogCatcher::Timeout);
}

DialogCatcher::~DialogCatcher() {
  if (timer_ != 0) KillTimer(nullptr, timer_);
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  if (g_catcher == this) g_catcher = nullptr;
}

void DialogCatcher::Then(DialogHandler handler) { handlers_.push_back(std::move(handler)); }

void DialogCatcher::Otherwise(DialogHandler handler) { otherwise_ = std::move(handler); }

DialogHandler DialogCatcher::AnswerBox(int button) {
  return [this, button](HWND box) {
    CaughtBox seen;
    seen.caption = WindowText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.yes_no = GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr;
    EnumChildWindows(box, ReadBoxChild, reinterpret_cast<LPARAM>(&seen));
    boxes_.push_back(seen);
    PostMessageW(box, WM_COMMAND, button, 0);
  };
}

void DialogCatcher::ExpectAllAnswered() const {
  EXPECT_TRUE(handlers_.empty());
  EXPECT_EQ(unexpected_, 0);
  EXPECT_FALSE(timed_out_);
}

LRESULT CALLBACK DialogCatcher::Hook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE && g_catcher != nullptr) g_catcher->Catch(reinterpret_cast<HWND>(wparam));
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Should a dialog be left open, this closes it so that the run goes on.
void CALLBACK DialogCatcher::Timeout(HWND, UINT, UINT_PTR, DWORD) {
  if (g_catcher != nullptr) g_catcher->timed_out_ = true;
  EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
}

void DialogCatcher::Catch(HWND dialog) {
  if (!IsDialog(dialog) || !seen_.insert(dialog).second) return;
  if (!handlers_.empty()) {
    DialogHandler handler = std::move(handlers_.front());
    handlers_.pop_front();
    handler(dialog);
  } else if (otherwise_) {
    otherwise_(dialog);
  } else {
    ++unexpected_;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

}  // namespace vistelle::testing
