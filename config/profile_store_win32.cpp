// The settings on the system's private-profile functions. Names are UTF-8,
// which the ...A functions take as they are under the program's code page.
#include <windows.h>

#include <string>

#include "base/write_stop.h"
#include "config/profile_store.h"

namespace vistelle {

namespace {

// Longest text one GetString call hands out; far beyond any setting.
constexpr std::size_t kMaxStringBuffer = 1u << 20;

// The functions look for a name without a folder in the Windows folder. Our
// INI files live beside the program or wherever the caller says, so a
// relative name is taken from the current folder, as the native store does.
std::string FullPath(const std::string& file) {
  if (file.empty()) return file;
  const DWORD needed = GetFullPathNameA(file.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return file;
  std::string full(needed, '\0');
  const DWORD length = GetFullPathNameA(file.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return file;
  full.resize(length);
  return full;
}

class SystemProfileStore final : public ProfileStore {
 public:
  int GetInt(const std::string& file, const std::string& section, const std::string& key,
             int default_value) override {
    const UINT value =
        GetPrivateProfileIntA(section.c_str(), key.c_str(), default_value, FullPath(file).c_str());
    return static_cast<int>(value);
  }

  std::string GetString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& default_value, std::size_t buffer_size) override {
    if (buffer_size == 0) return std::string();
    if (buffer_size > kMaxStringBuffer) buffer_size = kMaxStringBuffer;
    std::string buffer(buffer_size, '\0');
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(),
                                                  &buffer[0], static_cast<DWORD>(buffer_size),
                                                  FullPath(file).c_str());
    buffer.resize(length < buffer_size ? length : buffer_size - 1);
    return buffer;
  }

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    if (WritesStopped()) return false;
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), FullPath(file).c_str()) !=
           FALSE;
  }
};

}  // namespace

std::unique_ptr<ProfileStore> MakeSystemProfileStore() { return std::make_unique<SystemProfileStore>(); }

}  // namespace vistelle
