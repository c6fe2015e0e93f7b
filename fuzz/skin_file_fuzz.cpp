// The skin description on arbitrary input: the whole bytes as a skin.ini,
// read through the program's own INI reader as the main window reads it,
// and the same bytes straight into each value parser. Besides crashes and
// sanitizer reports, any entry that breaks what the grammar guarantees
// (fields without commas, numbers as atoi gives them, paths within their
// limit) is a finding.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/ini_document.h"
#include "skin/skin_file.h"

namespace {

using namespace vistelle;

void Check(bool ok) {
  if (!ok) std::abort();
}

// What atoi gives (saturated at the ends of int, as the Windows C runtime
// does), worked out by the C library's own strtoll.
int ReferenceNumber(const std::string& field) {
  const std::string text = field.substr(0, field.find('\0'));
  const long long n = std::strtoll(text.c_str(), nullptr, 10);
  if (n > INT_MAX) return INT_MAX;
  if (n < INT_MIN) return INT_MIN;
  return static_cast<int>(n);
}

bool IsField(const std::string& field) { return !field.empty() && field.find(',') == std::string::npos; }

// A field as it reads back through the grammar: the number written out.
void CheckNumber(int n) { Check(SkinNumber(std::to_string(n)) == n); }

void CheckButton(const SkinButtonEntry& e) {
  Check(IsField(e.name) && IsField(e.tooltip));
  for (int n : {e.x, e.y, e.width, e.height}) CheckNumber(n);
  // Written out again, the entry reads back the same.
  const auto again = ParseButtonEntry(e.name + "," + std::to_string(e.x) + "," + std::to_string(e.y) + "," +
                                      std::to_string(e.width) + "," + std::to_string(e.height) + "," + e.tooltip);
  Check(again && again->name == e.name && again->x == e.x && again->y == e.y && again->width == e.width &&
        again->height == e.height && again->tooltip == e.tooltip);
}

void CheckText(const SkinTextEntry& e) {
  Check(IsField(e.name) && IsField(e.face) && IsField(e.text) && IsField(e.tooltip));
  for (int n : {e.font_height, e.x, e.y, e.width, e.height}) CheckNumber(n);
}

void CheckScreen(const SkinScreen& s) {
  for (const std::string* v : {&s.main, &s.mask, &s.down, &s.over, &s.disabled}) Check(v->size() <= kSkinValueMax);
  // Every picture defaults to Main: with a Main there is no empty one.
  if (!s.main.empty())
    for (const std::string* v : {&s.mask, &s.down, &s.over, &s.disabled}) Check(!v->empty());
}

void CheckPaths(const std::string& file, const SkinDescription& d) {
  const std::string folder = SkinFolderOf(file);
  Check(folder.size() <= kSkinPathMax);
  Check(file.compare(0, folder.size(), folder) == 0);
  const std::string head = file.substr(0, kSkinPathMax);
  const std::size_t slash = head.find_last_of("\\/");
  Check(folder.size() == (slash == std::string::npos ? head.size() : slash + 1));
  for (const std::string* v : {&d.screen.main, &d.screen.mask, &d.screen.down}) {
    const std::string path = SkinPicturePath(folder, *v);
    Check(path.size() <= kSkinPathMax);
    Check(path == (folder + *v).substr(0, kSkinPathMax));
  }
}

// The value parsers on the raw bytes.
void RawValues(const std::string& raw) {
  const std::vector<std::string> fields = SplitSkinFields(raw);
  std::string joined, without_commas;
  for (const std::string& f : fields) {
    Check(IsField(f));
    joined += f;
  }
  for (char c : raw)
    if (c != ',') without_commas += c;
  Check(joined == without_commas);

  Check(SkinNumber(raw) == ReferenceNumber(raw));
  for (const std::string& f : fields) Check(SkinNumber(f) == ReferenceNumber(f));

  const auto button = ParseButtonEntry(raw);
  Check(button.has_value() == (fields.size() >= 6));
  if (button) CheckButton(*button);
  const auto text = ParseTextEntry(raw);
  Check(text.has_value() == (fields.size() >= 12));
  if (text) CheckText(*text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // The whole input as a skin file.
  const IniDocument ini(bytes);
  std::size_t lookups = 0;
  const SkinDescription d = ReadSkinDescription([&](const std::string& section, const std::string& key) {
    ++lookups;
    return ini.Get(section, key).value_or(std::string());
  });
  CheckScreen(d.screen);
  for (const SkinButtonEntry& e : d.buttons) CheckButton(e);
  for (const SkinTextEntry& e : d.texts) CheckText(e);
  // Reading stops at the first number without a value: no more lookups
  // than the file has lines, plus the screen's five and one miss each.
  std::size_t lines = 1;
  for (char c : bytes) lines += c == '\n';
  Check(lookups <= 5 + 2 + lines);
  Check(d.buttons.size() + d.texts.size() <= lines);

  // The same bytes as the skin file's path, and as each kind of value.
  CheckPaths(bytes, d);
  RawValues(bytes);
  return 0;
}
