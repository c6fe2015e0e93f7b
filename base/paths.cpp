#include "base/paths.h"

namespace vistelle {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string JoinPath(const std::string& dir, const std::string& relative) {
  std::string rel = relative;
  for (char& c : rel)
    if (IsSeparator(c)) c = kSeparator;
  std::size_t skip = 0;
  while (skip < rel.size() && rel[skip] == kSeparator) ++skip;
  rel.erase(0, skip);
  if (dir.empty()) return rel;
  std::string out = dir;
  if (!IsSeparator(out.back())) out += kSeparator;
  return out + rel;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return path.substr(0, 1);
  // Keep the backslash of a drive root ("C:\").
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, slash);
}

}  // namespace vistelle
