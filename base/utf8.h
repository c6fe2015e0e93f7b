// Reading UTF-8 text one character at a time.
#pragma once

#include <cstddef>
#include <string_view>

namespace vistelle {

// The code point at i (i < text.size()), moving i past it. A byte that does
// not begin a well-formed character stands for itself (as Latin-1).
char32_t NextCodePoint(std::string_view text, std::size_t& i);

}  // namespace vistelle
