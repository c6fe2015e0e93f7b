#include "skin/skin_file.h"

#include <climits>
#include <cstdint>

#include "skin/skin_scale.h"

namespace vistelle {

namespace {

bool IsAtoiBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string Cut(std::string s, std::size_t max) {
  if (s.size() > max) s.resize(max);
  return s;
}

}  // namespace

std::vector<std::string> SplitSkinFields(const std::string& value) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  const std::size_t n = value.size();
  while (i < n) {
    while (i < n && value[i] == ',') ++i;
    if (i == n) break;
    const std::size_t start = i;
    while (i < n && value[i] != ',') ++i;
    fields.push_back(value.substr(start, i - start));
  }
  return fields;
}

int SkinNumber(const std::string& field) {
  std::size_t i = 0;
  while (i < field.size() && IsAtoiBlank(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  std::int64_t n = 0;
  const std::int64_t limit = static_cast<std::int64_t>(INT_MAX) + 1;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    n = n * 10 + (field[i] - '0');
    if (n > limit) n = limit;
  }
  if (negative) return n >= limit ? INT_MIN : static_cast<int>(-n);
  return n >= limit ? INT_MAX : static_cast<int>(n);
}

std::optional<SkinButtonEntry> ParseButtonEntry(const std::string& value) {
  const std::vector<std::string> f = SplitSkinFields(value);
  if (f.size() < 6) return std::nullopt;
  SkinButtonEntry e;
  e.name = f[0];
  e.x = SkinNumber(f[1]);
  e.y = SkinNumber(f[2]);
  e.width = SkinNumber(f[3]);
  e.height = SkinNumber(f[4]);
  e.tooltip = f[5];
  return e;
}

std::optional<SkinTextEntry> ParseTextEntry(const std::string& value) {
  const std::vector<std::string> f = SplitSkinFields(value);
  if (f.size() < 12) return std::nullopt;
  SkinTextEntry e;
  e.name = f[0];
  e.face = f[1];
  // f[2] and f[3] hold nothing the program uses; they only have to be there.
  e.font_height = SkinNumber(f[4]);
  e.colour = static_cast<ColorRef>(SkinNumber(f[5]));
  e.x = SkinNumber(f[6]);
  e.y = SkinNumber(f[7]);
  e.width = SkinNumber(f[8]);
  e.height = SkinNumber(f[9]);
  e.text = f[10];
  e.tooltip = f[11];
  return e;
}

SkinDescription ReadSkinDescription(const SkinValueReader& read) {
  SkinDescription d;
  auto value = [&read](const char* section, const std::string& key) {
    return Cut(read(section, key), kSkinValueMax);
  };
  d.screen.main = value("SCREEN", "Main");
  auto or_main = [&](const char* key) {
    std::string v = value("SCREEN", key);
    return v.empty() ? d.screen.main : v;
  };
  d.screen.mask = or_main("Mask");
  d.screen.over = or_main("Over");
  d.screen.down = or_main("Down");
  d.screen.disabled = or_main("Disabled");
  for (int scale : kSkinScales) {
    if (scale == 100) continue;
    const std::string suffix = "@" + std::to_string(scale);
    ScaledSkinScreen scaled;
    scaled.scale = scale;
    scaled.main = value("SCREEN", "Main" + suffix);
    if (scaled.main.empty()) continue;
    scaled.mask = value("SCREEN", "Mask" + suffix);
    scaled.down = value("SCREEN", "Down" + suffix);
    d.scaled.push_back(std::move(scaled));
  }

  for (int number = 1;; ++number) {
    const std::string v = value("BUTTONINFO", std::to_string(number));
    if (v.empty()) break;
    if (std::optional<SkinButtonEntry> e = ParseButtonEntry(v)) d.buttons.push_back(std::move(*e));
  }
  for (int number = 1;; ++number) {
    const std::string v = value("TEXTINFO", std::to_string(number));
    if (v.empty()) break;
    if (std::optional<SkinTextEntry> e = ParseTextEntry(v)) d.texts.push_back(std::move(*e));
  }
  return d;
}

std::string SkinFolderOf(const std::string& skin_file) {
  std::string folder = Cut(skin_file, kSkinPathMax);
  const std::size_t slash = folder.find_last_of("\\/");
  if (slash != std::string::npos) folder.resize(slash + 1);
  return folder;
}

std::string SkinPicturePath(const std::string& folder, const std::string& value) {
  return Cut(folder + value, kSkinPathMax);
}

}  // namespace vistelle
