// Text from files that older programs wrote in the system's legacy ("ANSI")
// code page, as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vistelle {

// Text in the system's legacy code page as UTF-8. On Windows that is the
// code page the system is set to for programs that are not Unicode (this
// program itself runs with UTF-8); elsewhere Windows-1252.
std::string LegacyToUtf8(std::string_view bytes);

// Windows-1252 text as UTF-8. The five bytes that code page leaves
// unassigned stand for the control characters of the same number, as
// Windows converts them.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace vistelle
