// vistelle-controller: drives a running Pictora.exe from outside, for the
// end-to-end tests. It finds the main window (class "Vistelle") and works
// it the way a user or the system would: tray clicks and menu commands,
// skin buttons, list boxes, timer ticks, close and end-of-session requests,
// message boxes.
//
//   vistelle-controller.exe COMMAND [ARGS] [+ COMMAND [ARGS]]...
//
// Commands (a failed one ends the run with exit code 1):
//   wait-window SECONDS        until the main window exists
//   wait-gone SECONDS          until it no longer exists
//   visible                    prints "visible" or "hidden"
//   geometry                   prints the window's DPI, size, outline's area
//                              and each child's id, title and rectangle
//   wait-visible 0|1 SECONDS   until the window is hidden (0) or shown (1)
//   command ID                 a tray menu command (WM_COMMAND, lParam 0)
//   tray MOUSE_MESSAGE         the tray icon's callback (513 left click)
//   timer [ID]                 a timer tick (default 200)
//   click BUTTON_NAME          presses and releases a skin button
//   list 202|203               prints the items, then "selected N"
//   select 202|203 INDEX       selects an item as a click would
//   minutes                    prints the minutes until the next change
//   close                      posts WM_CLOSE
//   end-session 0|1            sends WM_ENDSESSION and waits for its answer
//   tray-icon                  prints "present" or "absent"
//   set-wallpaper PATH         sets another wallpaper, as another program would
//   wallpaper                  prints the wallpaper the desktop shows
//   power-resume               tells the window the computer woke up
//   drop-tray-icon             removes the tray icon, as an Explorer restart does
//   taskbar-created            tells the window that the taskbar came back
//   answer-box SECONDS [ID]    waits for a message box of the program, prints
//                              "caption|text" and presses the button (IDOK)
//   no-box                     fails when a message box of the program is open
//   boxes                      prints how many message boxes of the program are open
//   wait-box SECONDS           until a message box (or dialog) of the program is
//                              open; prints "caption|text" and leaves it open
// (Before the main window exists, a box of any other process counts as the
// program's: the program tells of a skin it cannot read before it has a
// window.)
//   sleep MILLISECONDS
//   launch PROGRAM [ARGS]      starts the program and prints the milliseconds
//                              until its main window is shown
//   run-start-entry            starts the current user's Run value "Pictora"
//                              as Windows does at a start: CreateProcess of
//                              its text, from the Windows folder
//   hold FILE SECONDS          keeps FILE open for the seconds, shared with
//                              readers alone, as a program that has it open
//                              does (it can be neither written nor deleted);
//                              prints "held" once it is open
// Commands that the program handles inside the call (command, tray, timer)
// are sent and return when it is done; "post" before one of them posts it
// instead, for commands that open a message box, and "timed" prints the
// milliseconds the program took.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/win32/utf16_win32.h"

namespace {

constexpr const char* kClass = "Vistelle";
constexpr UINT kTrayMessage = WM_USER + 1;
constexpr UINT kTrayId = 201;
constexpr UINT kQueryMinutesLeft = WM_APP + 1;
constexpr UINT kSendTimeoutMs = 60000;

std::string Utf8(const std::wstring& text) { return vistelle::win32::Narrow(text); }

std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(hwnd, buffer, 1024);
  return buffer;
}

HWND MainWindow() { return FindWindowA(kClass, nullptr); }

HWND RequireMainWindow() {
  HWND hwnd = MainWindow();
  if (hwnd == nullptr) std::fprintf(stderr, "controller: no window of class %s\n", kClass);
  return hwnd;
}

bool Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result = nullptr) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(hwnd, message, wparam, lparam, SMTO_NORMAL, kSendTimeoutMs, &answer)) {
    std::fprintf(stderr, "controller: message %u got no answer\n", message);
    return false;
  }
  if (result != nullptr) *result = static_cast<LRESULT>(answer);
  return true;
}

bool Deliver(bool post, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (post) return PostMessageA(hwnd, message, wparam, lparam) != FALSE;
  return Send(hwnd, message, wparam, lparam);
}

// The message boxes of the process that owns the main window (of any
// process but this one for process 0).
struct BoxSearch {
  DWORD process;
  HWND box;
  int count;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<BoxSearch*>(lparam);
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  const bool ours = search->process != 0 ? process == search->process : process != GetCurrentProcessId();
  if (ours && std::strcmp(name, "#32770") == 0 && IsWindowVisible(hwnd)) {
    if (search->box == nullptr) search->box = hwnd;
    ++search->count;
  }
  return TRUE;
}

BOOL CALLBACK FindBoxText(HWND hwnd, LPARAM lparam) {
  auto* text = reinterpret_cast<std::wstring*>(lparam);
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (_stricmp(name, "Static") == 0) {
    const std::wstring t = WindowText(hwnd);
    if (!t.empty()) {
      *text = t;
      return FALSE;
    }
  }
  return TRUE;
}

BoxSearch ProgramBoxes(DWORD process) {
  BoxSearch search{process, nullptr, 0};
  EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
  return search;
}

HWND ProgramBox(DWORD process) { return ProgramBoxes(process).box; }

DWORD ProgramProcess() {
  HWND hwnd = MainWindow();
  DWORD process = 0;
  if (hwnd != nullptr) GetWindowThreadProcessId(hwnd, &process);
  return process;
}

bool TrayIconPresent(HWND hwnd) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd;
  data.uID = kTrayId;
  data.uFlags = 0;
  // Changing nothing succeeds only for an icon that exists.
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// Milliseconds since start, from the performance counter.
double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Number(const std::vector<std::string>& args, std::size_t i, int fallback) {
  return i < args.size() ? std::atoi(args[i].c_str()) : fallback;
}

bool Run(const std::vector<std::string>& args) {
  if (args.empty()) return true;
  bool post = false;
  bool timed = false;
  std::size_t at = 0;
  if (args[0] == "post") {
    post = true;
    at = 1;
  } else if (args[0] == "timed") {
    timed = true;
    at = 1;
  }
  if (at >= args.size()) return false;
  const std::string& command = args[at];
  const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(at) + 1, args.end());

  if (command == "run-start-entry") {
    wchar_t text[2048] = L"";
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Pictora",
                     RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
      std::fprintf(stderr, "controller: no start entry\n");
      return false;
    }
    std::printf("%s\n", Utf8(text).c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    wchar_t windows[MAX_PATH] = L"";
    GetWindowsDirectoryW(windows, MAX_PATH);
    if (!CreateProcessW(nullptr, text, nullptr, nullptr, FALSE, 0, nullptr, windows, &startup, &process)) {
      std::fprintf(stderr, "controller: the start entry does not start (%lu)\n", GetLastError());
      return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
  if (command == "launch") {
    if (rest.empty()) return false;
    std::string line = "\"" + rest[0] + "\"";
    for (std::size_t i = 1; i < rest.size(); ++i) line += " " + rest[i];
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      std::fprintf(stderr, "controller: cannot start %s\n", rest[0].c_str());
      return false;
    }
    CloseHandle(process.hThread);
    for (;;) {
      HWND hwnd = MainWindow();
      if (hwnd != nullptr && IsWindowVisible(hwnd)) break;
      if (WaitForSingleObject(process.hProcess, 2) == WAIT_OBJECT_0) {
        std::fprintf(stderr, "controller: the program ended before it showed a window\n");
        CloseHandle(process.hProcess);
        return false;
      }
    }
    const double elapsed = MillisecondsSince(start);
    CloseHandle(process.hProcess);
    std::printf("%.0f\n", elapsed);
    return true;
  }
  if (command == "hold") {
    if (rest.empty()) return false;
    const std::wstring name = vistelle::win32::Widen(rest[0]);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      std::fprintf(stderr, "controller: cannot open %s (%lu)\n", rest[0].c_str(), GetLastError());
      return false;
    }
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(Number(rest, 1, 60)) * 1000u);
    CloseHandle(file);
    return true;
  }
  if (command == "sleep") {
    Sleep(static_cast<DWORD>(Number(rest, 0, 100)));
    return true;
  }
  if (command == "wait-window" || command == "wait-gone") {
    const bool want = command == "wait-window";
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(Number(rest, 0, 10)) * 1000u;
    for (;;) {
      if ((MainWindow() != nullptr) == want) return true;
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) break;
      Sleep(50);
    }
    std::fprintf(stderr, "controller: the window did not %s in time\n", want ? "appear" : "go");
    return false;
  }
  if (command == "boxes") {
    std::printf("%d\n", ProgramBoxes(ProgramProcess()).count);
    return true;
  }
  if (command == "no-box") {
    const DWORD process = ProgramProcess();
    HWND box = process != 0 ? ProgramBox(process) : nullptr;
    if (box == nullptr) return true;
    std::printf("%s|", Utf8(WindowText(box)).c_str());
    std::wstring text;
    EnumChildWindows(box, &FindBoxText, reinterpret_cast<LPARAM>(&text));
    std::printf("%s\n", Utf8(text).c_str());
    std::fprintf(stderr, "controller: a message box is open\n");
    return false;
  }
  if (command == "answer-box" || command == "wait-box") {
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(Number(rest, 0, 10)) * 1000u;
    const int button = Number(rest, 1, IDOK);
    const bool answer = command == "answer-box";
    for (;;) {
      HWND box = ProgramBox(ProgramProcess());
      if (box != nullptr) {
        std::wstring text;
        EnumChildWindows(box, &FindBoxText, reinterpret_cast<LPARAM>(&text));
        std::printf("%s|%s\n", Utf8(WindowText(box)).c_str(), Utf8(text).c_str());
        if (!answer) return true;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        // Until the box has gone, so that the next command meets the program.
        for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(25);
        return true;
      }
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) break;
      Sleep(50);
    }
    std::fprintf(stderr, "controller: no message box appeared\n");
    return false;
  }

  HWND hwnd = RequireMainWindow();
  if (hwnd == nullptr) return false;

  if (command == "visible") {
    std::printf("%s\n", IsWindowVisible(hwnd) ? "visible" : "hidden");
    return true;
  }
  if (command == "geometry") {
    // The window's DPI, size and outline (the pixels its region holds),
    // then each child window: its control id, its title, and its place in
    // the window's client area.
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::printf("dpi %u\nwindow %ld %ld\n", GetDpiForWindow(hwnd), r.right - r.left, r.bottom - r.top);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    long long area = 0;
    if (GetWindowRgn(hwnd, region) != ERROR) {
      const DWORD bytes = GetRegionData(region, 0, nullptr);
      std::vector<char> data(bytes);
      auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
      if (bytes != 0 && GetRegionData(region, bytes, rgn) == bytes) {
        const RECT* rects = reinterpret_cast<const RECT*>(rgn->Buffer);
        for (DWORD i = 0; i < rgn->rdh.nCount; ++i)
          area += static_cast<long long>(rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
      }
    }
    DeleteObject(region);
    std::printf("region %lld\n", area);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT c{};
      GetWindowRect(child, &c);
      MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&c), 2);
      char title[128] = "";
      GetWindowTextA(child, title, sizeof title);
      std::printf("child %d %s %ld %ld %ld %ld\n", GetDlgCtrlID(child), title[0] ? title : "-", c.left, c.top,
                  c.right - c.left, c.bottom - c.top);
    }
    return true;
  }
  if (command == "wait-visible") {
    const bool want = Number(rest, 0, 1) != 0;
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(Number(rest, 1, 10)) * 1000u;
    for (;;) {
      if ((IsWindowVisible(hwnd) != FALSE) == want) return true;
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) break;
      Sleep(50);
    }
    std::fprintf(stderr, "controller: the window is still %s\n", want ? "hidden" : "visible");
    return false;
  }
  if (command == "command" && timed) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!Send(hwnd, WM_COMMAND, static_cast<WPARAM>(Number(rest, 0, 0)), 0)) return false;
    std::printf("%.0f\n", MillisecondsSince(start));
    return true;
  }
  if (command == "command") return Deliver(post, hwnd, WM_COMMAND, static_cast<WPARAM>(Number(rest, 0, 0)), 0);
  if (command == "tray") return Deliver(post, hwnd, kTrayMessage, 0, static_cast<LPARAM>(Number(rest, 0, 0)));
  if (command == "timer") return Deliver(post, hwnd, WM_TIMER, static_cast<WPARAM>(Number(rest, 0, 200)), 0);
  if (command == "close") return PostMessageA(hwnd, WM_CLOSE, 0, 0) != FALSE;
  if (command == "end-session") return Send(hwnd, WM_ENDSESSION, static_cast<WPARAM>(Number(rest, 0, 1)), 0);
  if (command == "click") {
    if (rest.empty()) return false;
    HWND button = FindWindowExA(hwnd, nullptr, rest[0].c_str(), nullptr);
    if (button == nullptr) {
      std::fprintf(stderr, "controller: no button %s\n", rest[0].c_str());
      return false;
    }
    // The button tells its parent by a posted message.
    return Send(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)) &&
           Send(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  if (command == "list" || command == "select") {
    HWND list = GetDlgItem(hwnd, Number(rest, 0, 0));
    if (list == nullptr) {
      std::fprintf(stderr, "controller: no list box %d\n", Number(rest, 0, 0));
      return false;
    }
    if (command == "select") {
      const int index = Number(rest, 1, 0);
      if (!Send(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0)) return false;
      return Deliver(post, hwnd, WM_COMMAND, MAKEWPARAM(Number(rest, 0, 0), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
      if (length < 0) continue;
      std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
      text.resize(wcslen(text.c_str()));
      std::printf("%s\n", Utf8(text).c_str());
    }
    std::printf("selected %d\n", static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
    return true;
  }
  if (command == "minutes") {
    LRESULT minutes = 0;
    if (!Send(hwnd, kQueryMinutesLeft, 0, 0, &minutes)) return false;
    std::printf("%lld\n", static_cast<long long>(minutes));
    return true;
  }
  if (command == "set-wallpaper" && !rest.empty()) {
    // Another wallpaper, as the user or another program would set it.
    std::wstring path = vistelle::win32::Widen(rest[0]);
    return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &path[0], SPIF_UPDATEINIFILE) != FALSE;
  }
  if (command == "wallpaper") {
    wchar_t path[MAX_PATH * 2] = L"";
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH * 2, path, 0);
    std::printf("%s\n", Utf8(path).c_str());
    return true;
  }
  if (command == "power-resume") return Send(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  if (command == "tray-icon") {
    std::printf("%s\n", TrayIconPresent(hwnd) ? "present" : "absent");
    return true;
  }
  if (command == "drop-tray-icon") {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd;
    data.uID = kTrayId;
    return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
  }
  if (command == "taskbar-created") {
    const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message != 0 && Send(hwnd, message, 0, 0);
  }
  std::fprintf(stderr, "controller: unknown command %s\n", command.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> step;
  for (int i = 1; i <= argc; ++i) {
    if (i == argc || std::strcmp(argv[i], "+") == 0) {
      if (!Run(step)) {
        std::fflush(stdout);
        return 1;
      }
      step.clear();
    } else {
      step.push_back(argv[i]);
    }
  }
  std::fflush(stdout);
  return 0;
}
