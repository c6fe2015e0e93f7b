// An INI file held in memory as its lines, read and changed the way the
// Windows private-profile functions read and change one: names match
// without regard to case, blanks around names and values do not count, a
// value in matching quotes loses them, the first matching section and key
// win, and a change touches only the line it concerns.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vistelle {

class IniDocument {
 public:
  IniDocument() = default;
  // Takes the text of a file: CR LF or bare LF line ends, any bytes.
  explicit IniDocument(const std::string& text);

  // The value of key in section, or nothing when either is missing.
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;
  // Sets the value in place, or adds the key at the end of its section,
  // or adds the section at the end of the file. False for names or values
  // that would break the file's structure (line breaks, or a key with '='
  // or a section name with ']').
  bool Set(const std::string& section, const std::string& key, const std::string& value);

  // The file's text, lines ending in CR LF.
  std::string Text() const;

 private:
  // Index of the section header line, or npos.
  std::size_t FindSection(const std::string& section) const;
  std::vector<std::string> lines_;
};

// The number at the start of a value, read as GetPrivateProfileIntA reads it:
// blanks, an optional sign, decimal digits up to the first other character;
// 0 when there are none. Overflow wraps around as in 32-bit arithmetic.
int ParseProfileInt(const std::string& value);

}  // namespace vistelle
