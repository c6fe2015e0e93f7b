// The library file on arbitrary contents: what Load reads from pictora.txt
// (WallpaperLibrary::Parse over the file's bytes, UTF-8 or the legacy code
// page) and what Save writes back (Serialize), and the text helpers they
// use, each on the raw bytes.
//
// Checked besides crashes and sanitizer reports: every name and path read
// is well-formed UTF-8 within its length, holds no line break or NUL, and
// a library that was read, written and read again is the same library
// (and writes the same bytes) - what Save after Load promises.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/legacy_code_page.h"
#include "library/library_text.h"
#include "library/wallpaper_library.h"

namespace {

using namespace vistelle;

void Check(bool ok) {
  if (!ok) std::abort();
}

// A plain decoder to hold the UTF-8 helpers against: the code points of
// well-formed text, or false. It works from the code point's value (too
// small for its length, a surrogate, beyond U+10FFFF) rather than from the
// table of valid first bytes the helpers use.
bool DecodeUtf8(std::string_view s, std::vector<std::uint32_t>& out) {
  out.clear();
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t length;
    std::uint32_t cp;
    if (c < 0x80) {
      length = 1;
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (s.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    static const std::uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    out.push_back(cp);
    i += length;
  }
  return true;
}

std::size_t Units(std::uint32_t cp) { return cp >= 0x10000 ? 2 : 1; }

std::size_t Units(const std::vector<std::uint32_t>& cps) {
  std::size_t n = 0;
  for (std::uint32_t cp : cps) n += Units(cp);
  return n;
}

// Well-formed, at most max_units long, no line break, no NUL.
void CheckLibraryText(const std::string& s, std::size_t max_units) {
  std::vector<std::uint32_t> cps;
  Check(IsValidUtf8(s) && DecodeUtf8(s, cps));
  Check(Utf16Length(s) == Units(cps) && Units(cps) <= max_units);
  Check(s.find_first_of(std::string("\n\0", 2)) == std::string::npos);
}

bool Same(const std::vector<Category>& a, const std::vector<Category>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].pictures != b[i].pictures) return false;
  return true;
}

void CheckCut(std::string_view text, std::size_t max_units) {
  const std::string_view cut = CutToUtf16Length(text, max_units);
  Check(cut.data() == text.data() && cut.size() <= text.size());
  std::vector<std::uint32_t> all, kept;
  if (!DecodeUtf8(text, all)) return;  // only well-formed text is ever cut
  // Whole characters only, as many as fit.
  Check(DecodeUtf8(cut, kept));
  Check(Units(kept) <= max_units);
  Check(std::equal(kept.begin(), kept.end(), all.begin()));
  if (kept.size() < all.size()) Check(Units(kept) + Units(all[kept.size()]) > max_units);
}

// The text helpers on the raw bytes.
void RawText(std::string_view raw) {
  std::vector<std::uint32_t> cps;
  const bool valid = DecodeUtf8(raw, cps);
  Check(IsValidUtf8(raw) == valid);
  if (valid) Check(Utf16Length(raw) == Units(cps));
  for (std::size_t max : {std::size_t{0}, std::size_t{1}, WallpaperLibrary::kMaxNameLength,
                          WallpaperLibrary::kMaxPathLength, raw.empty() ? 0 : std::size_t(raw[0] & 0x3F)})
    CheckCut(raw, max);

  // Every byte of the legacy code page is one character of the 16-bit range.
  const std::string converted = LegacyToUtf8(raw);
  Check(DecodeUtf8(converted, cps) && cps.size() == raw.size() && Units(cps) == raw.size());
  Check(Cp1252ToUtf8(raw) == converted);  // natively the legacy code page is Windows-1252

  const std::string shown = DisplayName(raw);
  Check(shown.size() <= raw.size() && raw.substr(raw.size() - shown.size()) == shown);
  Check(shown.find_first_of("\\/") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Load: the file's bytes into categories.
  const std::vector<Category> loaded = WallpaperLibrary::Parse(bytes);
  std::size_t lines = 1;
  for (char c : bytes) lines += c == '\n';
  Check(loaded.size() <= lines);
  for (const Category& category : loaded) {
    CheckLibraryText(category.name, WallpaperLibrary::kMaxNameLength);
    for (const std::string& path : category.pictures) {
      Check(!path.empty());
      CheckLibraryText(path, WallpaperLibrary::kMaxPathLength);
    }
  }

  // Save, then Load again: the same library, and the same bytes once more.
  // The one exception is a single nameless category without pictures,
  // which the file cannot tell from no category at all (both are the empty
  // file).
  const std::string saved = WallpaperLibrary::Serialize(loaded);
  const std::vector<Category> reloaded = WallpaperLibrary::Parse(saved);
  const bool lone_empty = loaded.size() == 1 && loaded[0].name.empty() && loaded[0].pictures.empty();
  if (lone_empty) {
    Check(saved.empty() && reloaded.empty());
  } else {
    Check(Same(reloaded, loaded));
    Check(WallpaperLibrary::Serialize(reloaded) == saved);
  }
  Check(IsValidUtf8(saved));

  RawText(bytes);
  return 0;
}
