// The start with the system: the string value "Pictora" under the Run key.
// It is written for the current user, which needs no administrator rights.
// Several copies of the program (an installed one, a portable folder) share
// the value's name, so a value counts for this copy only when it starts this
// copy's Pictora.exe; an entry that an earlier version made for the whole
// machine is removed where the rights allow when it would start another
// copy, or this one's start is switched off.
#include "settings/startup_entry_win32.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "base/win32/utf16_win32.h"
#include "settings/settings_values.h"

namespace vistelle {

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kValueName = "Pictora";

// What the value would start.
enum class Entry { kNone, kThisCopy, kOtherCopy };

// The value's text; false when there is none or it holds no text.
bool ReadValue(HKEY root, std::wstring& text) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegQueryValueExW(key, L"Pictora", nullptr, &type, nullptr, &size);
  if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && size != 0) {
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    result = RegQueryValueExW(key, L"Pictora", nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    if (result == ERROR_SUCCESS) {
      // Up to the first zero: the data need not end in one, or may end in several.
      data.resize(wcslen(data.c_str()));
      text = data;
    }
  } else if (result == ERROR_SUCCESS) {
    result = ERROR_INVALID_DATA;
  }
  RegCloseKey(key);
  return result == ERROR_SUCCESS && !text.empty();
}

// Whether the command line starts program (a full path to Pictora.exe):
// the path, in any case, quoted or not, followed by nothing or by the
// arguments.
bool StartsProgram(const std::wstring& command, const std::wstring& program) {
  std::wstring unquoted;
  for (wchar_t c : command)
    if (c != L'"') unquoted += c;
  size_t start = 0;
  while (start < unquoted.size() && (unquoted[start] == L' ' || unquoted[start] == L'\t')) ++start;
  if (unquoted.size() - start < program.size()) return false;
  if (CompareStringOrdinal(unquoted.c_str() + start, static_cast<int>(program.size()), program.c_str(),
                           static_cast<int>(program.size()), TRUE) != CSTR_EQUAL)
    return false;
  const size_t after = start + program.size();
  return after == unquoted.size() || unquoted[after] == L' ' || unquoted[after] == L'\t';
}

Entry EntryOf(HKEY root, const std::string& program_dir) {
  std::wstring command;
  if (!ReadValue(root, command)) return Entry::kNone;
  return StartsProgram(command, win32::Widen(ProgramPath(program_dir))) ? Entry::kThisCopy : Entry::kOtherCopy;
}

bool WriteValue(const std::wstring& command) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  // The stored string keeps its terminating zero, as REG_SZ data should.
  const LONG result = RegSetValueExW(key, L"Pictora", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
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

bool StartupEntryExists(const std::string& program_dir) {
  return EntryOf(HKEY_CURRENT_USER, program_dir) == Entry::kThisCopy ||
         EntryOf(HKEY_LOCAL_MACHINE, program_dir) == Entry::kThisCopy;
}

bool SetStartupEntry(bool enabled, const std::string& program_dir) {
  if (!enabled) {
    // Another copy's start is that copy's business; a value that starts
    // nothing goes as well.
    if (EntryOf(HKEY_LOCAL_MACHINE, program_dir) != Entry::kOtherCopy)
      DeleteValue(HKEY_LOCAL_MACHINE);  // only where the rights allow
    if (EntryOf(HKEY_CURRENT_USER, program_dir) == Entry::kOtherCopy) return true;
    return DeleteValue(HKEY_CURRENT_USER);
  }
  // The machine's entry runs too at the start and would start the other
  // copy first.
  if (EntryOf(HKEY_LOCAL_MACHINE, program_dir) == Entry::kOtherCopy) DeleteValue(HKEY_LOCAL_MACHINE);
  return WriteValue(win32::Widen(StartupCommand(program_dir)));
}

void MendStartupEntry(const std::string& program_dir) {
  std::wstring command;
  if (!ReadValue(HKEY_CURRENT_USER, command) || command.find(L'"') != std::wstring::npos) return;
  const std::wstring program = win32::Widen(ProgramPath(program_dir));
  if (!StartsProgram(command, program)) return;
  const std::size_t start = command.find_first_not_of(L" \t");
  WriteValue(L"\"" + command.substr(start, program.size()) + L"\"" + command.substr(start + program.size()));
}

}  // namespace vistelle
