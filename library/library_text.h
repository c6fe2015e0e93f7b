// Texts of the library: names and paths are UTF-8 in memory and in
// pictora.txt. Lengths are counted the way Windows counts them, in UTF-16
// units, so that a path that fits here also fits a Windows path buffer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vistelle {

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The length of well-formed UTF-8 text in UTF-16 units.
std::size_t Utf16Length(std::string_view utf8);

// The longest start of well-formed UTF-8 text that is at most max_units
// UTF-16 units long; a character is never cut in two.
std::string_view CutToUtf16Length(std::string_view utf8, std::size_t max_units);

// What the picture list shows for a path: the text after its last
// backslash (or slash), the whole path when it has neither.
std::string DisplayName(std::string_view path);

}  // namespace vistelle
