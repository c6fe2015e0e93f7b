#include "image/effect_chain.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vistelle {

bool EffectChain::Add(RowEffect effect) {
  if (effect.DrawsNoise()) {
    if (noise_) return false;
    noise_ = true;
  }
  stages_.emplace_back(std::move(effect));
  return true;
}

void EffectChain::Start(Image& image) {
  image_ = image.IsValid() ? &image : nullptr;
  width_ = image_ ? image.GetWidth() : 0;
  height_ = image_ ? image.GetHeight() : 0;
  for (Stage& s : stages_) {
    if (!s.effect.IsFilter()) continue;
    s.lines.resize(RowEffect::PaddedBytes(width_) * 3);
    s.columns.resize(RowEffect::PaddedBytes(width_));
  }
  if (noise_ && image_ != nullptr) {
    // Row y takes its draws after those of the rows below it.
    const std::uint64_t per_row = NoiseDrawsOfRow(width_);
    noise_start_ = NoiseState();
    back_ = NoiseJump::Of(per_row).Inverse();
    noise_end_ = NoiseJump::Of(per_row * height_).Apply(noise_start_);
    SetNoiseState(noise_end_);
  }
  Restart();
}

void EffectChain::Restart() {
  for (Stage& s : stages_) {
    s.done = 0;
    s.above = 0;
  }
  if (made_told_ != 0) {
    made_told_ = 0;
    if (made_) made_(0);
  }
  // The top row's draws are the last of the run.
  if (noise_ && image_ != nullptr) noise_row_ = back_.Apply(noise_end_);
}

void EffectChain::Cancel() {
  if (noise_ && image_ != nullptr) SetNoiseState(noise_start_);
  image_ = nullptr;
}

void EffectChain::Advance(std::uint32_t rows) {
  if (image_ == nullptr) return;
  std::uint32_t ready = std::min(rows, height_);
  for (Stage& s : stages_) {
    // A filter makes a row once the row below it is final too.
    const std::uint32_t limit = !s.effect.IsFilter() || ready == height_ ? ready : (ready > 0 ? ready - 1 : 0);
    for (; s.done < limit; ++s.done) MakeRow(s, height_ - 1 - s.done);
    ready = s.done;
  }
  if (ready > made_told_) {
    made_told_ = ready;
    if (made_) made_(ready);
  }
}

void EffectChain::MakeRow(Stage& s, std::uint32_t y) {
  std::uint8_t* row = image_->Row(y);
  if (!s.effect.IsFilter()) {
    if (!s.effect.DrawsNoise()) {
      s.effect.Apply(row, width_, nullptr);
      return;
    }
    std::uint64_t state = noise_row_;
    s.effect.Apply(row, width_, &state);
    // Going down, each row's draws come before those of the row above.
    noise_row_ = back_.Apply(noise_row_);
    return;
  }
  const std::size_t padded = RowEffect::PaddedBytes(width_);
  std::uint8_t* above = s.lines.data() + padded * s.above;
  std::uint8_t* here = s.lines.data() + padded * ((s.above + 1) % 3);
  std::uint8_t* below = s.lines.data() + padded * ((s.above + 2) % 3);
  if (y == height_ - 1) {
    // The top row is its own row above.
    RowEffect::Pad(row, width_, here);
    std::memcpy(above, here, padded);
  }
  // And the bottom row its own row below.
  if (y > 0)
    RowEffect::Pad(image_->Row(y - 1), width_, below);
  else
    std::memcpy(below, here, padded);
  s.effect.Filter(below, here, above, row, width_, s.columns.data());
  // One row down: what was here is above, what was below is here.
  s.above = (s.above + 1) % 3;
}

void EffectChain::Run(Image& image) {
  Start(image);
  for (std::uint32_t rows = 1; rows <= height_; ++rows) Advance(rows);
}

}  // namespace vistelle
