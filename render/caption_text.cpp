#include "render/caption_text.h"

#include <string_view>

namespace vistelle {

namespace {

// The field of this name, or null for a name that is none.
const std::string* Field(const CaptionFields& fields, std::string_view name) {
  if (name == "name") return &fields.name;
  if (name == "folder") return &fields.folder;
  if (name == "title") return &fields.title;
  if (name == "artist") return &fields.artist;
  if (name == "date") return &fields.date;
  if (name == "category") return &fields.category;
  return nullptr;
}

// "{a|b}" filled in; false when a name in it is none of the fields.
bool Fill(const CaptionFields& fields, std::string_view names, std::string& out) {
  std::string chosen;
  bool found = false;
  while (true) {
    const std::size_t bar = names.find('|');
    const std::string* field = Field(fields, names.substr(0, bar));
    if (field == nullptr) return false;
    if (!found && !field->empty()) {
      chosen = *field;
      found = true;
    }
    if (bar == std::string_view::npos) break;
    names.remove_prefix(bar + 1);
  }
  out += chosen;
  return true;
}

}  // namespace

CaptionFields CaptionFieldsOf(const std::string& path, const std::string& category, const ExifTags& tags) {
  CaptionFields fields;
  const std::size_t slash = path.find_last_of("\\/");
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = file.rfind('.');
  fields.name = dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
  if (slash != std::string::npos) {
    const std::string parent = path.substr(0, slash);
    const std::size_t before = parent.find_last_of("\\/");
    fields.folder = before == std::string::npos ? parent : parent.substr(before + 1);
    if (!fields.folder.empty() && fields.folder.back() == ':') fields.folder.clear();  // a drive's root
  }
  fields.title = tags.title;
  fields.artist = tags.artist;
  fields.date = tags.date;
  fields.category = category;
  return fields;
}

std::string CaptionText(const std::string& pattern, const CaptionFields& fields) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    const std::size_t close = pattern[i] == '{' ? pattern.find('}', i) : std::string::npos;
    if (close != std::string::npos &&
        Fill(fields, std::string_view(pattern).substr(i + 1, close - i - 1), out)) {
      i = close + 1;
      continue;
    }
    out += pattern[i++];
  }
  // One line: line breaks and other control characters in a tag are blanks.
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  const std::size_t first = out.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

}  // namespace vistelle
