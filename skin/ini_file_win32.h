// Reads values of one INI file through the system's private-profile
// functions (names match without regard to case, blanks around values are
// removed).
#pragma once

#include <string>

#include "skin/skin_file.h"

namespace vistelle {

class IniFile {
 public:
  IniFile() = default;
  virtual ~IniFile() = default;

  // Paths longer than 259 characters are cut.
  void SetPath(const std::string& path);
  const std::string& Path() const { return path_; }

  // The value of key in section (at most 2047 characters), or default_value
  // when the key is missing; an empty answer means "no value".
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& default_value = std::string()) const;

  // A reader of this file for ReadSkinDescription.
  SkinValueReader Reader() const;

 private:
  std::string path_;
};

}  // namespace vistelle
