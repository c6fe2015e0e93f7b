// One image effect as work on a single row: the point operations change a
// row in place, the 3x3 filters make a row from the unchanged rows below,
// at and above it. Image's effects run one over every row; an EffectChain
// runs several row by row, while a row is still in the cache or as a
// canvas's rows are placed. All integer, so every build gives the same
// pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vistelle {

// The generator's state `steps` draws later, at once: the step is linear
// over bits, so n steps are a 64x64 bit matrix.
class NoiseJump {
 public:
  static NoiseJump Of(std::uint64_t steps);
  // The jump back: the inverse matrix (every step matrix has one).
  NoiseJump Inverse() const;
  std::uint64_t Apply(std::uint64_t state) const;

 private:
  std::uint64_t column_[64];  // the image of bit i
};

class RowEffect {
 public:
  static RowEffect Negative();
  static RowEffect Gray();
  // Each pixel's luma, corrected, as a colour of the hue ramp.
  static RowEffect HuePalette(float correction);
  // Each byte moved by a draw from the noise generator (level 1..255;
  // level 0 changes nothing and draws nothing).
  static RowEffect Noise(int level);
  static RowEffect Light(int brightness, int contrast);
  static RowEffect ShiftRgb(int red, int green, int blue);
  // The 3x3 filter of a kernel whose eight outer weights are equal (every
  // kernel of the program); nothing for other kernels. Such a kernel is the
  // same upside down, so rows may be filtered in either order.
  static std::optional<RowEffect> BoxFilter(const std::int32_t* kernel, int divisor, int offset);

  bool IsFilter() const { return kind_ == Kind::kFilter; }
  bool DrawsNoise() const { return kind_ == Kind::kNoise; }

  // A point effect on `width` pixels at p. noise_state: the generator's
  // state for the row's first draw, left after its last (Noise only).
  void Apply(std::uint8_t* p, std::uint32_t width, std::uint64_t* noise_state) const;
  // The filter of a row: below, here and above hold the unchanged rows with
  // their edge pixels repeated (PaddedBytes each, the row from byte 3);
  // columns is scratch of PaddedBytes entries.
  void Filter(const std::uint8_t* below, const std::uint8_t* here, const std::uint8_t* above, std::uint8_t* out,
              std::uint32_t width, std::uint16_t* columns) const;
  static std::size_t PaddedBytes(std::uint32_t width) { return static_cast<std::size_t>(width) * 3 + 6; }
  // Copies a row into its padded form.
  static void Pad(const std::uint8_t* row, std::uint32_t width, std::uint8_t* padded);

 private:
  enum class Kind { kNone, kNegative, kGray, kHue, kNoise, kLight, kShift, kFilter };
  RowEffect() = default;

  Kind kind_ = Kind::kNone;
  std::vector<std::uint8_t> table_;  // light: by byte; hue: B, G, R by luma; filter: by weighted sum
  std::vector<std::uint32_t> words_;  // hue: the ramp as little-endian words
  int a_ = 0, b_ = 0, c_ = 0;         // noise: span, half; light: scale, brightness; shift: B, G, R
  // Light and filter: the division as a product's high half and a shift,
  // when it gives the table's values (vector_).
  bool vector_ = false;
  int magic_ = 0, shift_ = 0;
  std::int32_t outer_ = 0, extra_ = 0, lo_ = 0, offset_ = 0;  // filter
  // Noise: the jump to a row's second half, made for the last width seen.
  mutable NoiseJump jump_;
  mutable std::size_t jump_draws_ = 0;
};

// The noise generator behind Image::Noise and RowEffect::Noise, whose
// state a run of rows takes and hands back. NoiseState seeds it first if
// nothing has (SeedImageNoise, else one std::rand() call).
std::uint64_t NoiseState();
void SetNoiseState(std::uint64_t state);
// The draws a row of `width` pixels takes.
inline std::uint64_t NoiseDrawsOfRow(std::uint32_t width) { return (static_cast<std::uint64_t>(width) * 3 + 3) / 4; }


}  // namespace vistelle
