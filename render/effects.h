// TEffects: the ten image effects of the program, each a fixed call (or a
// short fixed sequence of calls) of the image layer with its amount checked.
// It holds no state, so one applier serves any image.
#pragma once

#include <array>

#include "config/config.h"
#include "image/effect_chain.h"
#include "image/image.h"

namespace vistelle {

class TEffects {
 public:
  TEffects() = default;
  virtual ~TEffects() = default;

  // Amounts outside their ranges are replaced by these.
  static constexpr int kBadNoiseLevel = 50;     // level outside 0..255
  static constexpr int kBadContrast = 25;       // contrast outside -100..100
  static constexpr int kBadBrightness = 20;     // brightness outside -255..255

  void ApplySmartBlur(Image& image) const;            // Repair(0.25, 2 iterations, RGB)
  void ApplyNegative(Image& image) const;
  void ApplyGray(Image& image) const;
  void ApplyPseudocolors(Image& image) const;         // gray first unless it is, then hues
  void ApplyNoise(Image& image, int level) const;
  void ApplySharpen(Image& image) const;              // -1 -1 -1 / -1 15 -1 / -1 -1 -1, divisor 7
  void ApplyBlur(Image& image) const;                 // 1 1 1 / 1 1 1 / 1 1 1, divisor 9
  void ApplyContrast(Image& image, int contrast) const;
  void ApplyLighten(Image& image, int brightness) const;
  // Shifts red, green and blue by (component - 128) of the packed colour.
  void ApplyColorize(Image& image, ColorRef color) const;

  // The colorize colour of the settings: each component reduced to its low
  // eight bits, packed red + 256 green + 65536 blue.
  static ColorRef PackColorize(std::int32_t red, std::int32_t green, std::int32_t blue);

  // Every effect the settings enable, in the wallpaper's fixed order:
  // smart blur, negative, gray, pseudocolours, noise, sharpen, blur,
  // contrast, brightness, colorize.
  void ApplyConfigured(Image& image, const TConfig& settings) const;

  // The effects the settings enable after smart blur, as one chain that
  // takes the image row by row. Smart blur spreads over the whole picture
  // twice, so only without it can a canvas's rows go through the effects as
  // they are placed (WholeImageFirst says when).
  static EffectChain ChainOf(const TConfig& settings);
  static bool WholeImageFirst(const TConfig& settings) { return settings.smartblur != 0; }
  // The settings that make the effects, to tell whether effects applied
  // earlier are still the ones asked for.
  using Settings = std::array<std::int32_t, 16>;
  static Settings SettingsOf(const TConfig& settings);
};

}  // namespace vistelle
