// The program runs with the UTF-8 code page, so CP_ACP is UTF-8 here; the
// code page the system is set to for other programs is asked for by name.
#include <windows.h>

#include <cstdlib>

#include "base/legacy_code_page.h"
#include "base/win32/utf16_win32.h"

namespace vistelle {

namespace {

UINT SystemLegacyCodePage() {
  char text[8] = "";
  if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, text, sizeof text) == 0) return 0;
  return static_cast<UINT>(std::strtoul(text, nullptr, 10));
}

}  // namespace

std::string LegacyToUtf8(std::string_view bytes) {
  if (bytes.empty()) return std::string();
  const UINT code_page = SystemLegacyCodePage();
  // A system without a legacy code page of its own (0, or UTF-8 itself)
  // gives no way to read the bytes; Windows-1252 then keeps every byte.
  if (code_page == 0 || code_page == CP_UTF8 || bytes.size() > 0x7FFFFFFF) return Cp1252ToUtf8(bytes);
  const std::wstring wide = win32::Widen(bytes, code_page);
  if (wide.empty()) return Cp1252ToUtf8(bytes);
  std::string out = win32::Narrow(wide);
  if (out.empty()) return Cp1252ToUtf8(bytes);
  return out;
}

}  // namespace vistelle
