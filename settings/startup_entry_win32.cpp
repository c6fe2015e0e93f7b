// The start with the system: the string value "Pictora" under the Run key.
// It is written for the current user, which needs no administrator rights;
// an entry that an earlier version made for the whole machine still counts
// and is removed with the user's where the rights allow.
#include <string>

#include "settings/settings_pages_win32.h"
#include "settings/settings_values.h"

namespace vistelle {

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kValueName = "Pictora";

// A value with no data (size 0) does not start anything and does not count.
bool ValueHoldsData(HKEY root) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  const LONG result = RegQueryValueExA(key, kValueName, nullptr, nullptr, nullptr, &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && size != 0;
}

bool DeleteValue(HKEY root) {
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(root, kRunKey, 0, KEY_SET_VALUE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  const LONG result = RegDeleteValueA(key, kValueName);
  RegCloseKey(key);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool StartupEntryExists() { return ValueHoldsData(HKEY_CURRENT_USER) || ValueHoldsData(HKEY_LOCAL_MACHINE); }

bool SetStartupEntry(bool enabled, const std::string& program_dir) {
  if (!enabled) {
    DeleteValue(HKEY_LOCAL_MACHINE);  // only where the rights allow
    return DeleteValue(HKEY_CURRENT_USER);
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const std::string command = StartupCommand(program_dir);
  // The stored string keeps its terminating zero, as REG_SZ data should.
  const LONG result = RegSetValueExA(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                     static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace vistelle
