#include "config/ini_document.h"

#include <cstdint>

namespace vistelle {

namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The section name of a header line, or nothing for other lines.
std::optional<std::string> SectionOf(const std::string& line) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  const std::size_t close = t.rfind(']');
  return Trim(t.substr(1, (close == npos || close == 0) ? npos : close - 1));
}

// Key and raw value of a key line; comment lines and lines without '=' give
// no key.
bool SplitKeyLine(const std::string& line, std::string& key, std::string& value) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '[') return false;
  const std::size_t eq = t.find('=');
  if (eq == npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return true;
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != npos; }

}  // namespace

IniDocument::IniDocument(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    start = end + 1;
  }
}

std::size_t IniDocument::FindSection(const std::string& section) const {
  const std::string wanted = Trim(section);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionOf(lines_[i]);
    if (name && SameName(*name, wanted)) return i;
  }
  return npos;
}

std::optional<std::string> IniDocument::Get(const std::string& section, const std::string& key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  const std::string wanted = Trim(key);
  std::string k, v;
  for (std::size_t i = header + 1; i < lines_.size() && !SectionOf(lines_[i]); ++i) {
    if (SplitKeyLine(lines_[i], k, v) && SameName(k, wanted)) {
      if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
      return v;
    }
  }
  return std::nullopt;
}

bool IniDocument::Set(const std::string& section, const std::string& key, const std::string& value) {
  const std::string s = Trim(section), k = Trim(key);
  if (s.empty() || k.empty() || HasLineBreak(s) || HasLineBreak(k) || HasLineBreak(value) ||
      s.find(']') != npos || k.find('=') != npos || k[0] == '[' || k[0] == ';')
    return false;
  const std::string line = k + "=" + value;
  std::size_t header = FindSection(s);
  if (header == npos) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + s + "]");
    lines_.push_back(line);
    return true;
  }
  std::size_t last_content = header;
  std::size_t i = header + 1;
  std::string lk, lv;
  for (; i < lines_.size() && !SectionOf(lines_[i]); ++i) {
    if (SplitKeyLine(lines_[i], lk, lv) && SameName(lk, k)) {
      lines_[i] = lk + "=" + value;  // the key keeps its spelling
      return true;
    }
    if (!Trim(lines_[i]).empty()) last_content = i;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last_content + 1), line);
  return true;
}

std::string IniDocument::Text() const {
  std::string out;
  for (const std::string& line : lines_) {
    out += line;
    out += "\r\n";
  }
  return out;
}

int ParseProfileInt(const std::string& value) {
  std::size_t i = 0;
  while (i < value.size() && IsBlank(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  std::uint32_t n = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
    n = n * 10u + static_cast<std::uint32_t>(value[i] - '0');
  if (negative) n = 0u - n;
  return static_cast<int>(n);
}

}  // namespace vistelle
