// Without a Windows system there is no system code page to ask; files from
// the older program are taken to be Windows-1252, the code page of most
// Western European Windows installations.
#include "base/legacy_code_page.h"

namespace vistelle {

std::string LegacyToUtf8(std::string_view bytes) { return Cp1252ToUtf8(bytes); }

}  // namespace vistelle
