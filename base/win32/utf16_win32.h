// How text meets Windows in this program; the one place the rule is written.
//
//  - Every string of the program is UTF-8: names and paths in memory, in
//    pictora.txt and config.ini, in the list boxes and the boxes' texts.
//  - The manifest (resources/pictora.manifest.in) gives the program the
//    UTF-8 code page, so the ...A functions (windows, list boxes, message
//    boxes, the private-profile functions, file names) take and give UTF-8
//    as it is. Windows honours that from Windows 10 version 1903 on.
//  - Where the ...A form loses text or has none (reading an edit box, drop
//    lists, the shell's dialogs and folder walks, file names that must reach
//    the system exactly), the ...W function is called with the text turned
//    to UTF-16 here, and what comes back is turned into UTF-8 here. Nothing
//    else converts between the two.
//  - Text from outside in another code page (an older program's library
//    file) is converted when it is read (base/legacy_code_page.h).
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
