// The private-profile (INI) functions the settings go through. On Windows
// these are GetPrivateProfileIntA, GetPrivateProfileStringA and
// WritePrivateProfileStringA; natively our own INI reader and writer, which
// answers the same way:
//  - section and key names match without regard to case, and blanks around
//    names and values are removed;
//  - GetInt answers the default for a missing key (or file) and for an empty
//    value, otherwise the decimal number at the start of the value (an
//    optional sign, then digits), 0 when the value does not begin with one;
//  - GetString answers at most buffer_size - 1 characters (the buffer size
//    counts the terminating zero), the default when the key is missing;
//  - WriteString creates the file and the section when they are missing,
//    replaces the key's value where it stands, or adds the key at the end of
//    its section.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace vistelle {

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  virtual int GetInt(const std::string& file, const std::string& section, const std::string& key,
                     int default_value) = 0;
  virtual std::string GetString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& default_value,
                                std::size_t buffer_size) = 0;
  virtual bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                           const std::string& value) = 0;
};

// The store of this platform (the Windows functions, or the INI file class).
std::unique_ptr<ProfileStore> MakeSystemProfileStore();

// The program's own INI implementation, on every platform.
std::unique_ptr<ProfileStore> MakeIniFileProfileStore();

}  // namespace vistelle
