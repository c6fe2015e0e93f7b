// The program runs with the UTF-8 code page, so CP_ACP is UTF-8 here; the
// code page the system is set to for other programs is asked for by name.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "base/legacy_code_page.h"

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
  const int size = static_cast<int>(bytes.size());
  const int wide_length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  if (wide_length <= 0) return Cp1252ToUtf8(bytes);
  std::vector<wchar_t> wide(static_cast<std::size_t>(wide_length));
  if (MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), wide_length) != wide_length)
    return Cp1252ToUtf8(bytes);
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return Cp1252ToUtf8(bytes);
  std::string out(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, &out[0], length, nullptr, nullptr) != length)
    return Cp1252ToUtf8(bytes);
  return out;
}

}  // namespace vistelle
