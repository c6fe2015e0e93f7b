// Pictora.exe: the program's start and end.
//
//   Pictora.exe [hide]
//
// With exactly "hide" (as the system-start entry gives it) the main window
// stays hidden, reachable through the tray icon, and the wallpaper changes
// once when the settings ask for a change at system start.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/tskin_win32.h"

namespace {

constexpr const char* kMutexName = "PICTORA20WIDGET";
constexpr const char* kCaption = "Vistelle";
constexpr int kApplicationIcon = 126;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY;

// UTF-16 to the program's UTF-8.
std::string Narrow(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return std::string();
  std::string out(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], length, nullptr, nullptr) != length) return std::string();
  out.resize(static_cast<std::size_t>(length) - 1);
  return out;
}

// The folder of Pictora.exe, without a trailing backslash; empty if the
// system does not say.
std::string ProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) break;
    if (buffer.size() >= 32768) return std::string();  // longer than any Windows path
    buffer.resize(buffer.size() * 2);
  }
  std::wstring path(buffer.data());
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return std::string();
  path.resize(slash);
  return Narrow(path.c_str());
}

HWND CreateList(HWND parent, int id, int x, int y, int width, int height, HINSTANCE instance) {
  return CreateWindowExA(0, "LISTBOX", nullptr, kListStyle, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

HICON LoadApplicationIcon(HINSTANCE instance, int size_metric) {
  const int size = GetSystemMetrics(size_metric);
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kApplicationIcon), IMAGE_ICON, size, size, 0));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
  // One copy at a time; the name stays taken until this process ends.
  HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (mutex != nullptr) CloseHandle(mutex);
    return 0;
  }

  // Every file of the program lies beside it, wherever it was started from.
  const std::string folder = ProgramFolder();
  if (folder.empty() || !SetCurrentDirectoryA(folder.c_str())) return 1;

  std::srand(static_cast<unsigned>(std::time(nullptr)));

  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&controls)) InitCommonControls();

  int code = 0;
  {
    // Reads the settings before any window exists.
    vistelle::TSkin skin(folder);

    HICON small_icon = LoadApplicationIcon(instance, SM_CXSMICON);
    HICON big_icon = LoadApplicationIcon(instance, SM_CXICON);
    skin.SetIcons(small_icon, big_icon);

    const std::string skin_file = folder + "\\Skin\\skin.ini";
    HWND window = skin.CreateFromSkin(kCaption, 200, 200, instance, skin_file.c_str());
    HWND pictures = nullptr;
    HWND categories = nullptr;
    HFONT list_font = nullptr;
    if (window != nullptr) {
      pictures = CreateList(window, vistelle::TSkin::kPictureListId, 266, 139, 289, 224, instance);
      categories = CreateList(window, vistelle::TSkin::kCategoryListId, 266, 51, 144, 80, instance);
    }
    if (window == nullptr || pictures == nullptr || categories == nullptr) {
      // Without its window and lists the program cannot be used, and must
      // not go on to change anything.
      if (window != nullptr) DestroyWindow(window);
      code = 1;
    } else {
      list_font = CreateFontA(14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
      SendMessageA(pictures, WM_SETFONT, reinterpret_cast<WPARAM>(list_font), 1);
      SendMessageA(categories, WM_SETFONT, reinterpret_cast<WPARAM>(list_font), 1);
      skin.AttachListBoxes(pictures, categories);

      SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon));
      SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon));

      skin.LoadLibrary();
      skin.SetDragByBackground(true);

      // Exactly "hide": not "HIDE", not " hide", not "hide" and more.
      const bool hidden = command_line != nullptr && std::strcmp(command_line, "hide") == 0;
      if (!hidden) ShowWindow(window, show_command);
      UpdateWindow(window);
      if (hidden) skin.ChangeAtStart();

      code = skin.MessageLoop();
    }
    if (list_font != nullptr) DeleteObject(list_font);
    if (small_icon != nullptr) DestroyIcon(small_icon);
    if (big_icon != nullptr) DestroyIcon(big_icon);
  }
  return code;
}
