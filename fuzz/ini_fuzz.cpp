// The INI reader and writer on arbitrary file contents: reading any key,
// then changing one, must neither crash nor lose the other keys.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vistelle::IniDocument doc(text);
  const auto before = doc.Get("setting", "Calpha");
  const auto other = doc.Get("setting", "category");
  if (before) (void)vistelle::ParseProfileInt(*before);

  if (doc.Set("setting", "Cposition", "8")) {
    const auto after = doc.Get("setting", "Cposition");
    if (!after || *after != "8") std::abort();
    // A reread of the written text answers the same.
    vistelle::IniDocument reread(doc.Text());
    const auto again = reread.Get("setting", "Cposition");
    if (!again || *again != "8") std::abort();
    if (reread.Get("setting", "category") != doc.Get("setting", "category")) std::abort();
  }
  (void)other;
  return 0;
}
