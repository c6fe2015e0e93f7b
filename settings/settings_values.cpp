#include "settings/settings_values.h"

namespace vistelle {

int ScaleDesignPixels(int value, int base, int standard_base) {
  if (standard_base <= 0 || base == standard_base) return value;
  const std::int64_t product = static_cast<std::int64_t>(value) * base;
  const std::int64_t half = standard_base / 2;
  const std::int64_t scaled = product >= 0 ? (product + half) / standard_base : -((-product + half) / standard_base);
  return static_cast<int>(scaled);
}

int CalendarPositionOfButton(int id) {
  for (int i = 0; i < 9; ++i)
    if (kCalendarPositionButtons[i] == id) return i;
  return -1;
}

int CalendarButtonOfPosition(int position) {
  if (position < 0 || position > 8) return 0;
  return kCalendarPositionButtons[position];
}

void ApplyPreviewEffects(const TEffects& effects, Image& image, const PreviewEffects& ticks,
                         const TConfig& settings, ColorRef colorize) {
  if (ticks.negative) effects.ApplyNegative(image);
  if (ticks.gray) effects.ApplyGray(image);
  if (ticks.lighten) effects.ApplyLighten(image, settings.lighten_int);
  if (ticks.contrast) effects.ApplyContrast(image, settings.contrast_int);
  if (ticks.blur) effects.ApplyBlur(image);
  if (ticks.sharpen) effects.ApplySharpen(image);
  if (ticks.smartblur) effects.ApplySmartBlur(image);
  if (ticks.noise) effects.ApplyNoise(image, settings.noise_int);
  if (ticks.pseudocolors) effects.ApplyPseudocolors(image);
  if (ticks.colorize) effects.ApplyColorize(image, colorize);
}

std::string ProgramPath(const std::string& program_dir) {
  std::string path = program_dir;
  // A drive root already ends in its separator ("C:\").
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path + "\\Pictora.exe";
}

std::string StartupCommand(const std::string& program_dir) { return "\"" + ProgramPath(program_dir) + "\" hide"; }

const char* BuiltInCalendarBackground(int choice) {
  static constexpr const char* kFiles[3] = {"Calendar\\calendar1.jpg", "Calendar\\calendar2.jpg",
                                            "Calendar\\calendar3.jpg"};
  if (choice < 0 || choice > 2) return nullptr;
  return kFiles[choice];
}

std::string CutUtf8(const std::string& text, std::size_t most_bytes) {
  if (text.size() <= most_bytes) return text;
  std::size_t end = most_bytes;
  // Back over the continuation bytes (10xxxxxx) of a character cut short,
  // to the byte that starts it; a character has at most three.
  for (int back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++back) --end;
  return text.substr(0, end);
}

}  // namespace vistelle
