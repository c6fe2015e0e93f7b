#include "base/win32/utf16_win32.h"

#include <climits>

namespace vistelle::win32 {

namespace {

bool Convert(std::string_view text, UINT code_page, DWORD flags, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  if (text.size() > static_cast<std::size_t>(INT_MAX)) return false;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(code_page, flags, text.data(), size, nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(code_page, flags, text.data(), size, &wide[0], length) != length) return false;
  out = std::move(wide);
  return true;
}

}  // namespace

std::wstring Widen(std::string_view text, UINT code_page) {
  std::wstring out;
  Convert(text, code_page, 0, out);
  return out;
}

bool TryWiden(std::string_view text, std::wstring& out, UINT code_page) {
  if (!Convert(text, code_page, MB_ERR_INVALID_CHARS, out) || out.find(L'\0') != std::wstring::npos) {
    out.clear();
    return false;
  }
  return true;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string out(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &out[0], length, nullptr, nullptr) != length)
    return std::string();
  return out;
}

}  // namespace vistelle::win32
