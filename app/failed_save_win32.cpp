#include "app/failed_save_win32.h"

#include <windows.h>

#include "base/win32/utf16_win32.h"

namespace vistelle {

namespace {

constexpr const wchar_t* kKey = L"Software\\Vistelle";
constexpr const wchar_t* kValue = L"LastSaveFailed";

}  // namespace

void RememberFailedSave(const std::string& what) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  const std::wstring text = win32::Widen(what);
  RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

std::string TakeFailedSave() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return std::string();
  wchar_t text[4096] = L"";
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  std::string what;
  if (RegQueryValueExW(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    text[size / sizeof(wchar_t) < 4096 ? size / sizeof(wchar_t) : 4095] = L'\0';
    what = win32::Narrow(text);
    RegDeleteValueW(key, kValue);
  }
  RegCloseKey(key);
  RegDeleteKeyW(HKEY_CURRENT_USER, kKey);  // only when nothing else is in it
  return what;
}

}  // namespace vistelle
