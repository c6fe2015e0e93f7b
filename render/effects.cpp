#include "render/effects.h"

namespace vistelle {

void TEffects::ApplySmartBlur(Image& image) const { image.Repair(0.25f, 2, 0); }

void TEffects::ApplyNegative(Image& image) const { image.Negative(); }

void TEffects::ApplyGray(Image& image) const { image.GrayScale(); }

void TEffects::ApplyPseudocolors(Image& image) const {
  // The picture made gray, then coloured by level. The hue palette takes
  // each pixel's luma itself, and the luma of a gray pixel is its level, so
  // it gives the same bytes without the gray pass first.
  image.HuePalette(1.0f);
}

void TEffects::ApplyNoise(Image& image, int level) const {
  if (level < 0 || level > 255) level = kBadNoiseLevel;
  image.Noise(level);
}

void TEffects::ApplySharpen(Image& image) const {
  static const std::int32_t kSharpen[9] = {-1, -1, -1, -1, 15, -1, -1, -1, -1};
  image.Filter(kSharpen, 3, 7, 0);
}

void TEffects::ApplyBlur(Image& image) const {
  static const std::int32_t kBlur[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  image.Filter(kBlur, 3, 9, 0);
}

void TEffects::ApplyContrast(Image& image, int contrast) const {
  if (contrast < -100 || contrast > 100) contrast = kBadContrast;
  image.Light(0, contrast);
}

void TEffects::ApplyLighten(Image& image, int brightness) const {
  if (brightness < -255 || brightness > 255) brightness = kBadBrightness;
  image.Light(brightness, 0);
}

void TEffects::ApplyColorize(Image& image, ColorRef color) const {
  image.ShiftRGB(ColorRefRed(color) - 128, ColorRefGreen(color) - 128, ColorRefBlue(color) - 128);
}

ColorRef TEffects::PackColorize(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return MakeColorRef(red & 0xFF, green & 0xFF, blue & 0xFF);
}

void TEffects::ApplyConfigured(Image& image, const TConfig& s) const {
  if (s.smartblur) ApplySmartBlur(image);
  if (s.negativ) ApplyNegative(image);
  if (s.gray) ApplyGray(image);
  if (s.pseudocolors) ApplyPseudocolors(image);
  if (s.noise) ApplyNoise(image, s.noise_int);
  if (s.sharpen) ApplySharpen(image);
  if (s.blur) ApplyBlur(image);
  if (s.contrast) ApplyContrast(image, s.contrast_int);
  if (s.lighten) ApplyLighten(image, s.lighten_int);
  if (s.colorize) ApplyColorize(image, PackColorize(s.colorize_r, s.colorize_g, s.colorize_b));
}

}  // namespace vistelle
