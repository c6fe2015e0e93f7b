// Pictora.exe: the program's start and end.
//
//   Pictora.exe [hide | /next | /previous | /random | /pause | /resume |
//                /show | /close | /category NAME]
//
// With exactly "hide" (as the system-start entry gives it) the main window
// stays hidden, reachable through the tray icon, and the wallpaper changes
// once when the settings ask for a change at system start (see
// app/start_arguments.h for the whole rule).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "app/leftovers.h"
#include "app/remote_command.h"
#include "app/running_copy_win32.h"
#include "app/start_arguments.h"
#include "app/tskin_win32.h"
#include "base/win32/handle_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "base/win32/utf16_win32.h"
#include "settings/startup_entry_win32.h"

namespace {

constexpr const char* kMutexName = "PICTORA20WIDGET";
constexpr const char* kCaption = "Vistelle";
constexpr int kApplicationIcon = 126;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY;

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
  return vistelle::win32::Narrow(path);
}

HWND CreateList(HWND parent, int id, int x, int y, int width, int height, HINSTANCE instance) {
  return CreateWindowExA(0, "LISTBOX", nullptr, kListStyle, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

// The arguments as Windows splits them (quotes and all), the program's own
// name left out.
std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (words == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(vistelle::win32::Narrow(words[i]));
  LocalFree(words);
  return arguments;
}

// A skin that cannot be read gives a window nobody can use: one box naming
// the file, titled as the framework's other failures.
void ReportBrokenSkin(const std::string& file) {
  vistelle::win32::MessageBoxes::Show(nullptr, "The skin cannot be read:\r\n" + file, "Error",
                                      MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  const std::vector<std::string> arguments = Arguments();
  const vistelle::StartKind kind = vistelle::KindOfStart(arguments);
  // A command (a script's, a launcher's) is told to the console, never in a box.
  std::optional<vistelle::RemoteCommand> command;
  if (kind == vistelle::StartKind::kCommand) {
    std::string why;
    command = vistelle::CommandFromArguments(arguments, &why);
    if (!command) {
      vistelle::TellConsole("Vistelle: " + why);
      return 1;
    }
  }

  // One copy at a time; the name stays taken until this process ends. A
  // second start brings the running copy forward, or hands it its command;
  // the start with the system ends silently.
  HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (mutex != nullptr) CloseHandle(mutex);
    if (kind == vistelle::StartKind::kHidden) return 0;
    std::string why;
    const int code =
        vistelle::SendToRunningCopy(command ? *command : vistelle::RemoteCommand{vistelle::RemoteVerb::kShow, ""}, &why);
    if (code != 0) vistelle::TellConsole("Vistelle: " + why);
    return code;
  }
  // Without a running copy there is nothing to close or to resume.
  if (command && (command->verb == vistelle::RemoteVerb::kClose || command->verb == vistelle::RemoteVerb::kResume))
    return 0;

  // Every text goes to Windows as UTF-8, which the manifest's code page
  // makes the ...A functions take from Windows 10 version 1903 on; on an
  // older Windows names with accents would not reach the files.
  if (GetACP() != CP_UTF8) {
    static constexpr const char* kTooOld = "Vistelle needs Windows 10 version 1903 (May 2019 Update) or later.";
    if (command) vistelle::TellConsole(kTooOld);
    else vistelle::win32::MessageBoxes::Show(nullptr, kTooOld, kCaption, MB_OK | MB_ICONERROR);
    return 1;
  }

  // Every file of the program lies beside it, wherever it was started from.
  const std::string folder = ProgramFolder();
  if (folder.empty() || !SetCurrentDirectoryA(folder.c_str())) return 1;

  // What a save cut short by a kill left behind (this copy alone holds the
  // folder now).
  vistelle::RemoveSavingLeftovers(folder);
  // A start with the system as earlier versions wrote it breaks in a folder
  // with a space; it is written again the way that works.
  vistelle::MendStartupEntry(folder);

  std::srand(static_cast<unsigned>(std::time(nullptr)));

  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  if (!InitCommonControlsEx(&controls)) InitCommonControls();
  // Screen readers reach the window's buttons through COM, which this
  // thread joins for its whole life.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  int code = 0;
  {
    // Reads the settings before any window exists.
    vistelle::TSkin skin(folder);

    skin.SetIconResource(instance, kApplicationIcon);

    const std::string skin_file = folder + "\\Skin\\skin.ini";
    HWND window = skin.CreateFromSkin(kCaption, 200, 200, instance, skin_file.c_str());
    HWND pictures = nullptr;
    HWND categories = nullptr;
    if (window == nullptr && !skin.SkinProblem().empty()) ReportBrokenSkin(skin.SkinProblem());
    if (window != nullptr) {
      // Made anywhere; AttachListBoxes places them.
      pictures = CreateList(window, vistelle::TSkin::kPictureListId, 0, 0, 1, 1, instance);
      categories = CreateList(window, vistelle::TSkin::kCategoryListId, 0, 0, 1, 1, instance);
    }
    if (window == nullptr || pictures == nullptr || categories == nullptr) {
      // Without its window and lists the program cannot be used, and must
      // not go on to change anything.
      if (window != nullptr) DestroyWindow(window);
      code = 1;
    } else {
      // Placed, given their font and the window its icons for the
      // window's scaling.
      skin.AttachListBoxes(pictures, categories);

      skin.LoadLibrary();
      skin.SetDragByBackground(true);

      // A command with no copy running: the program starts hidden, with no
      // change at start, and carries the command out.
      const bool hidden = kind == vistelle::StartKind::kHidden || command;
      if (!hidden) ShowWindow(window, show_command);
      UpdateWindow(window);
      if (kind == vistelle::StartKind::kHidden) skin.ChangeAtStart();
      if (command && command->verb == vistelle::RemoteVerb::kCategory &&
          skin.Library().FindCategory(command->category) < 0) {
        vistelle::TellConsole("Vistelle: there is no category \"" + command->category + "\"");
        skin.EndWithoutSaving();
        return 1;
      }
      if (command) skin.RunAtStart(*command);

      code = skin.MessageLoop();
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}
