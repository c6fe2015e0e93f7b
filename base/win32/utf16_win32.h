// The program's text is UTF-8; the system's ...W functions take UTF-16.
// These are the one way between the two.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vistelle::win32 {

// UTF-8 (or text in code_page) to UTF-16. Bytes that are not valid text
// become U+FFFD.
std::wstring Widen(std::string_view text, UINT code_page = CP_UTF8);

// The same, but false (out left empty) when the text holds bytes that are
// not valid in code_page or a zero: for names that must reach the system
// exactly as given, such as file names.
bool TryWiden(std::string_view text, std::wstring& out, UINT code_page = CP_UTF8);

// UTF-16 to UTF-8. Lone surrogates become U+FFFD.
std::string Narrow(std::wstring_view text);

}  // namespace vistelle::win32
