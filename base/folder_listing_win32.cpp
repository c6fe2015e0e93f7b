#include <windows.h>

#include <string>
#include <string_view>

#include "base/folder_listing.h"
#include "base/win32/handle_win32.h"
#include "base/win32/utf16_win32.h"

namespace vistelle {

namespace {

// Find handles: none is INVALID_HANDLE_VALUE, and FindClose closes them.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle None() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle handle) noexcept { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
  static bool Close(Handle handle) noexcept { return FindClose(handle) != FALSE; }
};
using FindHandle = win32::UniqueHandle<FindHandleTraits>;

// A folder reached through a symbolic link or a junction (a reparse point
// that names another place). Other reparse points, such as the placeholders
// of cloud storage, are ordinary folders.
bool IsFolderLink(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(data.dwReserved0);
}

// UTF-16 that no UTF-8 text gives back: such a name could not be opened
// again by the path made of it.
bool HasLoneSurrogate(std::wstring_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const wchar_t c = name[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

class Win32FolderListing final : public FolderListing {
 public:
  char Separator() const override { return '\\'; }

  EntryKind KindOf(const std::string& path) override {
    std::wstring wide;
    if (!win32::TryWiden(path, wide)) return EntryKind::kNone;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kNone;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::kFolder : EntryKind::kFile;
  }

  bool List(const std::string& folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    std::wstring pattern;
    if (!win32::TryWiden(folder, pattern)) return false;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';

    WIN32_FIND_DATAW data;
    const FindHandle find(FindFirstFileW(pattern.c_str(), &data));
    // An empty drive has not even "." and "..".
    if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
      const std::wstring_view name(data.cFileName);
      if (name == L"." || name == L".." || HasLoneSurrogate(name)) continue;
      FolderEntry entry;
      entry.name = win32::Narrow(name);
      entry.hidden = (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) entry.kind = EntryKind::kFile;
      else entry.kind = IsFolderLink(data) ? EntryKind::kFolderLink : EntryKind::kFolder;
      entries.push_back(std::move(entry));
    } while (FindNextFileW(find.Get(), &data) != FALSE);
    return GetLastError() == ERROR_NO_MORE_FILES;
  }

  // Through a link, the folder it leads to: a share that shows a link to
  // its parent as a plain folder gives the parent's identity.
  bool IdentityOf(const std::string& folder, FolderIdentity& out) override {
    std::wstring wide;
    if (!win32::TryWiden(folder, wide)) return false;
    const win32::KernelHandle handle(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !GetFileInformationByHandle(handle.Get(), &info)) return false;
    out = FolderIdentity{info.dwVolumeSerialNumber,
                         (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return true;
  }
};

}  // namespace

std::unique_ptr<FolderListing> MakeSystemFolderListing() { return std::make_unique<Win32FolderListing>(); }

}  // namespace vistelle
