#include "library/folder_scan.h"

#include <algorithm>
#include <set>
#include <unordered_set>
#include <utility>

#include "base/utf8.h"
#include "library/library_text.h"

namespace vistelle {

namespace {

// The extensions of the add-pictures dialog's "All pictures" filter
// (settings/picture_chooser_win32.cpp), in lower case.
constexpr std::string_view kPictureExtensions[] = {"bmp", "gif",  "ico", "tif", "tiff", "png",  "jpg",
                                                   "jpeg", "jpe", "jfif", "tga", "pcx", "wbmp", "wmf"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Upper-case letters of Latin (Basic, Latin-1, Extended-A), Greek and
// Cyrillic to lower case; every other code point stays.
char32_t FoldCase(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;
    // Pairs are upper case at the odd code point from U+0139 to U+0148 and
    // from U+0179 on, at the even one elsewhere.
    const bool odd_upper = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    const bool upper = ((c & 1) != 0) == odd_upper;
    return upper ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The path as Windows compares file names: case folded, either slash.
std::string PathKey(std::string_view path) {
  std::string key;
  key.reserve(path.size());
  for (std::size_t i = 0; i < path.size();) {
    const char32_t c = FoldCase(NextCodePoint(path, i));
    AppendUtf8(key, c == '/' ? U'\\' : c);
  }
  return key;
}

// Text that can stand on a line of the library file.
bool IsLibraryText(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return IsValidUtf8(text);
}

bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

class Finder {
 public:
  Finder(FolderListing& listing, const std::vector<std::string>& present, ScanControl* control)
      : listing_(listing), control_(control) {
    seen_.reserve(present.size());
    for (const std::string& path : present) seen_.insert(PathKey(path));
  }

  void AddFile(std::string path) {
    if (!IsLibraryText(path) || Utf16Length(path) > WallpaperLibrary::kMaxPathLength) {
      ++skipped_.too_long;
      return;
    }
    if (!seen_.insert(PathKey(path)).second) {
      ++skipped_.duplicates;
      return;
    }
    found_.push_back(std::move(path));
    if (control_ != nullptr) control_->found = found_.size();
  }

  void AddFolder(const std::string& folder, int depth) {
    if (Cancelled()) return;
    // The shortest file in it would need a separator and a character more.
    if (!IsLibraryText(folder) || Utf16Length(folder) + 2 > WallpaperLibrary::kMaxPathLength) {
      ++skipped_.too_long;
      return;
    }
    if (depth > kMaxScanDepth) return;
    // A folder given as well as the folder it is in, or reached again by
    // another path, is walked once.
    FolderIdentity identity;
    if (listing_.IdentityOf(folder, identity)) {
      if (!walked_ids_.insert({identity.volume, identity.file}).second) return;
    } else if (!walked_.insert(PathKey(folder)).second) {
      return;
    }

    std::vector<FolderEntry> entries;
    if (!listing_.List(folder, entries)) ++skipped_.unreadable;  // what could be read is taken
    // Listing a folder may take long (a share); a cancel meanwhile counts.
    if (Cancelled()) return;
    std::vector<const FolderEntry*> files;
    std::vector<const FolderEntry*> folders;
    for (const FolderEntry& entry : entries) {
      if (entry.hidden || entry.name.empty()) continue;
      if (entry.kind == EntryKind::kFile && IsPictureFileName(entry.name)) files.push_back(&entry);
      else if (entry.kind == EntryKind::kFile) ++skipped_.unsupported;
      else if (entry.kind == EntryKind::kFolder) folders.push_back(&entry);
    }
    const auto by_name = [](const FolderEntry* a, const FolderEntry* b) { return NaturalLess(a->name, b->name); };
    std::sort(files.begin(), files.end(), by_name);
    std::sort(folders.begin(), folders.end(), by_name);

    std::string prefix = folder;
    if (!EndsWithSeparator(prefix)) prefix += listing_.Separator();
    for (const FolderEntry* file : files) AddFile(prefix + file->name);
    for (const FolderEntry* sub : folders) AddFolder(prefix + sub->name, depth + 1);
  }

  bool Cancelled() {
    if (control_ == nullptr || !control_->cancel) return false;
    skipped_.cancelled = true;
    return true;
  }
  ScanSkipped& Skipped() { return skipped_; }
  std::vector<std::string> Take() { return std::move(found_); }

 private:
  FolderListing& listing_;
  ScanControl* control_;
  std::unordered_set<std::string> seen_;
  std::unordered_set<std::string> walked_;
  std::set<std::pair<std::uint64_t, std::uint64_t>> walked_ids_;
  std::vector<std::string> found_;
  ScanSkipped skipped_;
};

}  // namespace

bool IsPictureFileName(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = name.substr(dot + 1);
  for (const std::string_view known : kPictureExtensions) {
    if (extension.size() != known.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < known.size() && same; ++i) {
      const char c = extension[i];
      same = (c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) == known[i];
    }
    if (same) return true;
  }
  return false;
}

int NaturalCompare(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Two numbers: without their leading zeros, the longer is the larger,
      // and numbers of one length compare digit by digit.
      while (i + 1 < a.size() && a[i] == '0' && IsDigit(a[i + 1])) ++i;
      while (j + 1 < b.size() && b[j] == '0' && IsDigit(b[j + 1])) ++j;
      std::size_t end_a = i;
      std::size_t end_b = j;
      while (end_a < a.size() && IsDigit(a[end_a])) ++end_a;
      while (end_b < b.size() && IsDigit(b[end_b])) ++end_b;
      if (end_a - i != end_b - j) return end_a - i < end_b - j ? -1 : 1;
      const int digits = a.substr(i, end_a - i).compare(b.substr(j, end_b - j));
      if (digits != 0) return digits < 0 ? -1 : 1;
      i = end_a;
      j = end_b;
      continue;
    }
    const char32_t ca = FoldCase(NextCodePoint(a, i));
    const char32_t cb = FoldCase(NextCodePoint(b, j));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

ScanResult ScanForPictures(FolderListing& listing, const std::vector<std::string>& paths,
                           const std::vector<std::string>& present, ScanControl* control) {
  Finder finder(listing, present, control);
  std::vector<std::string> files;
  std::vector<std::string> folders;
  for (const std::string& path : paths) {
    const EntryKind kind = listing.KindOf(path);
    if (kind == EntryKind::kFile && IsPictureFileName(path)) files.push_back(path);
    else if (kind == EntryKind::kFolder) folders.push_back(path);
    else if (kind == EntryKind::kFile) ++finder.Skipped().unsupported;
    else ++finder.Skipped().unreadable;
  }
  std::sort(files.begin(), files.end(), NaturalLess);
  std::sort(folders.begin(), folders.end(), NaturalLess);

  for (std::string& file : files) finder.AddFile(std::move(file));
  for (const std::string& folder : folders) finder.AddFolder(folder, 0);
  ScanResult result;
  result.skipped = finder.Skipped();
  result.pictures = finder.Take();
  return result;
}

std::vector<std::string> NotYetIn(const std::vector<std::string>& found, const std::vector<std::string>& present) {
  std::unordered_set<std::string> there;
  there.reserve(present.size());
  for (const std::string& path : present) there.insert(PathKey(path));
  std::vector<std::string> left;
  for (const std::string& path : found)
    if (there.insert(PathKey(path)).second) left.push_back(path);
  return left;
}

std::string ScanSummaryText(std::size_t added, const ScanSkipped& skipped) {
  const auto count = [](std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string text = count(added, "picture added", "pictures added");
  if (skipped.cancelled) text += " before adding was cancelled";
  if (skipped.Total() == 0) return text + ".";
  text += "; " + std::to_string(skipped.Total()) + " skipped:";
  const char* separator = " ";
  const auto reason = [&](std::size_t n, const char* why) {
    if (n == 0) return;
    text += separator + std::to_string(n) + " " + why;
    separator = ", ";
  };
  reason(skipped.duplicates, "already there");
  reason(skipped.unsupported, skipped.unsupported == 1 ? "not a picture" : "not pictures");
  reason(skipped.too_long, skipped.too_long == 1 ? "name too long" : "names too long");
  reason(skipped.unreadable, "unreadable");
  return text + ".";
}

}  // namespace vistelle
