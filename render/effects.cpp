#include "render/effects.h"

namespace vistelle {

namespace {

const std::int32_t kSharpen[9] = {-1, -1, -1, -1, 15, -1, -1, -1, -1};
const std::int32_t kBlur[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};

int NoiseLevel(int level) { return level < 0 || level > 255 ? TEffects::kBadNoiseLevel : level; }
int Contrast(int contrast) { return contrast < -100 || contrast > 100 ? TEffects::kBadContrast : contrast; }
int Brightness(int brightness) {
  return brightness < -255 || brightness > 255 ? TEffects::kBadBrightness : brightness;
}

}  // namespace

void TEffects::ApplySmartBlur(Image& image) const { image.Repair(0.25f, 2, 0); }

void TEffects::ApplyNegative(Image& image) const { image.Negative(); }

void TEffects::ApplyGray(Image& image) const { image.GrayScale(); }

void TEffects::ApplyPseudocolors(Image& image) const {
  // The picture made gray, then coloured by level. The hue palette takes
  // each pixel's luma itself, and the luma of a gray pixel is its level, so
  // it gives the same bytes without the gray pass first.
  image.HuePalette(1.0f);
}

void TEffects::ApplyNoise(Image& image, int level) const { image.Noise(NoiseLevel(level)); }

void TEffects::ApplySharpen(Image& image) const { image.Filter(kSharpen, 3, 7, 0); }

void TEffects::ApplyBlur(Image& image) const { image.Filter(kBlur, 3, 9, 0); }

void TEffects::ApplyContrast(Image& image, int contrast) const { image.Light(0, Contrast(contrast)); }

void TEffects::ApplyLighten(Image& image, int brightness) const { image.Light(Brightness(brightness), 0); }

void TEffects::ApplyColorize(Image& image, ColorRef color) const {
  image.ShiftRGB(ColorRefRed(color) - 128, ColorRefGreen(color) - 128, ColorRefBlue(color) - 128);
}

ColorRef TEffects::PackColorize(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return MakeColorRef(red & 0xFF, green & 0xFF, blue & 0xFF);
}

void TEffects::ApplyConfigured(Image& image, const TConfig& s) const {
  if (WholeImageFirst(s)) ApplySmartBlur(image);
  EffectChain chain = ChainOf(s);
  if (!chain.Empty()) chain.Run(image);
}

EffectChain TEffects::ChainOf(const TConfig& s) {
  // Each as its Apply above does it.
  EffectChain chain;
  if (s.negativ) chain.Add(RowEffect::Negative());
  if (s.gray) chain.Add(RowEffect::Gray());
  if (s.pseudocolors) chain.Add(RowEffect::HuePalette(1.0f));
  if (s.noise && NoiseLevel(s.noise_int) != 0) chain.Add(RowEffect::Noise(NoiseLevel(s.noise_int)));
  if (s.sharpen) chain.Add(*RowEffect::BoxFilter(kSharpen, 7, 0));
  if (s.blur) chain.Add(*RowEffect::BoxFilter(kBlur, 9, 0));
  if (s.contrast) chain.Add(RowEffect::Light(0, Contrast(s.contrast_int)));
  if (s.lighten) chain.Add(RowEffect::Light(Brightness(s.lighten_int), 0));
  if (s.colorize) {
    const ColorRef c = PackColorize(s.colorize_r, s.colorize_g, s.colorize_b);
    chain.Add(RowEffect::ShiftRgb(ColorRefRed(c) - 128, ColorRefGreen(c) - 128, ColorRefBlue(c) - 128));
  }
  return chain;
}

TEffects::Settings TEffects::SettingsOf(const TConfig& s) {
  return {s.smartblur, s.negativ,     s.gray,         s.pseudocolors, s.noise,      s.noise_int,
          s.sharpen,   s.blur,        s.contrast,     s.contrast_int, s.lighten,    s.lighten_int,
          s.colorize,  s.colorize_r,  s.colorize_g,   s.colorize_b};
}

}  // namespace vistelle
