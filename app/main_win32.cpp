// Pictora.exe for now: works in the program's folder and, given a picture,
// makes the wallpaper from it.
//
//   Pictora.exe [picture]
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "config/profile_store.h"
#include "render/desktop.h"
#include "render/wallpaper_renderer.h"

namespace {

// UTF-16 to the program's UTF-8.
std::string Narrow(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return std::string();
  std::string out(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], length, nullptr, nullptr) != length) return std::string();
  out.resize(static_cast<std::size_t>(length) - 1);
  return out;
}

// The full name of a path given relative to the current folder.
std::wstring FullPathW(const wchar_t* path) {
  const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (needed == 0) return std::wstring();
  std::wstring out(needed, L'\0');
  const DWORD length = GetFullPathNameW(path, needed, &out[0], nullptr);
  if (length == 0 || length >= needed) return std::wstring();
  out.resize(length);
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
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::string();
  path.resize(slash);
  return Narrow(path.c_str());
}

// The picture named on the command line, as a full path, or empty.
std::string PictureArgument() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return std::string();
  std::string picture;
  if (count > 1 && arguments[1][0] != L'\0') picture = Narrow(FullPathW(arguments[1]).c_str());
  LocalFree(arguments);
  return picture;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The picture's name may be relative to where we were started from.
  const std::string picture = PictureArgument();
  const std::string folder = ProgramFolder();
  if (folder.empty() || !SetCurrentDirectoryA(folder.c_str())) return 1;
  if (picture.empty()) return 0;

  std::unique_ptr<vistelle::Desktop> desktop = vistelle::MakeSystemDesktop();
  std::unique_ptr<vistelle::ProfileStore> store = vistelle::MakeSystemProfileStore();
  if (!desktop || !store) return 1;
  vistelle::WallpaperRenderer renderer(folder, *desktop, *store);
  if (!renderer.LoadCurrentPicture(picture)) return 1;
  renderer.ComposeWallpaper();
  return 0;
}
