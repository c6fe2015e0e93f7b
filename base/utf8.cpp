#include "base/utf8.h"

namespace vistelle {

char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (lead < 0x80 || extra == 0 || lead > 0xF4 || text.size() - i <= extra) {
    ++i;
    return lead;
  }
  char32_t c = lead & (0x3F >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return lead;
    }
    c = (c << 6) | (next & 0x3F);
  }
  i += extra + 1;
  return c;
}

}  // namespace vistelle
