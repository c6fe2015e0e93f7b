#include "app/running_copy_win32.h"

#include <windows.h>

#include "app/tskin_win32.h"
#include "base/win32/handle_win32.h"
#include "base/win32/utf16_win32.h"

namespace vistelle {

namespace {

constexpr const char* kWindowClass = "Vistelle";
constexpr DWORD kWaitMs = 10000;

}  // namespace

int SendToRunningCopy(const RemoteCommand& command, std::string* why) {
  const DWORD start = GetTickCount();
  HWND window = nullptr;
  while ((window = FindWindowA(kWindowClass, nullptr)) == nullptr && GetTickCount() - start < kWaitMs) Sleep(100);
  if (window == nullptr) {
    if (why != nullptr) *why = "Vistelle is running, but its window did not appear within 10 seconds";
    return 2;
  }
  // The running copy may bring its window to the front.
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  AllowSetForegroundWindow(process);

  const std::string message = EncodeRemoteCommand(command);
  COPYDATASTRUCT data;
  data.dwData = TSkin::kRemoteTag;
  data.cbData = static_cast<DWORD>(message.size());
  data.lpData = const_cast<char*>(message.data());
  DWORD_PTR answer = 0;
  const DWORD left = kWaitMs - (GetTickCount() - start < kWaitMs ? GetTickCount() - start : kWaitMs);
  if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                           left > 1000 ? left : 1000, &answer)) {
    if (why != nullptr) *why = "the running Vistelle did not answer within 10 seconds";
    return 2;
  }
  switch (answer) {
    case TSkin::kRemoteAccepted:
      return 0;
    case TSkin::kRemoteNoCategory:
      if (why != nullptr) *why = "there is no category \"" + command.category + "\"";
      return 1;
    default:
      if (why != nullptr) *why = "the running Vistelle does not know the command";
      return 1;
  }
}

void TellConsole(const std::string& line) {
  const std::string text = line + "\r\n";
  HANDLE out = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (out != nullptr && out != INVALID_HANDLE_VALUE &&
      WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
    return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  const win32::KernelHandle console(CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
  const std::wstring wide = win32::Widen(text);
  if (console) WriteConsoleW(console.Get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  FreeConsole();
}

}  // namespace vistelle
