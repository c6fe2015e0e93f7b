#include "skin/ini_file_win32.h"

#include <windows.h>

#include <vector>

namespace vistelle {

void IniFile::SetPath(const std::string& path) { path_ = path.substr(0, kSkinPathMax); }

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               const std::string& default_value) const {
  if (path_.empty()) return std::string();
  std::vector<char> buffer(kSkinValueMax + 1, '\0');
  GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(), buffer.data(),
                           static_cast<DWORD>(kSkinValueMax), path_.c_str());
  return std::string(buffer.data());
}

SkinValueReader IniFile::Reader() const {
  return [this](const std::string& section, const std::string& key) { return GetString(section, key); };
}

}  // namespace vistelle
