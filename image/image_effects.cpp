// The image effects of Image: the point operations of RowEffect over every
// row, the diffusion smoothing, the noise generator and the alpha blend.
// All integer, so that every build gives the same pixels.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/image.h"
#include "image/row_effect.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace vistelle {

namespace {

inline std::uint8_t Clamp255(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// (a * b) / 255, rounded, for a, b in 0..255.
inline int MulDiv255(int v) {
  const int t = v + 128;
  return (t + (t >> 8)) >> 8;
}

// The flow of the smoothing for a difference d to a neighbour: d itself
// up to kRepairEdge, then falling linearly to nothing at twice that, so
// that differences of an edge do not flow at all.
constexpr int kRepairEdge = 16;

inline int RepairFlow(int d) {
  const int a = d < 0 ? -d : d;
  const int f = std::min(a, std::max(0, 2 * kRepairEdge - a));
  return d < 0 ? -f : f;
}

// One row of one smoothing pass: c the row (with one repeated pixel on each
// side), a and b the rows above and below, out the result; n bytes.
void DiffuseRow(const std::uint8_t* c, const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out,
                std::size_t n, int step) {
  std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
  // Eight values at a time in 16-bit lanes; the same arithmetic as below.
  const __m128i zero = _mm_setzero_si128();
  const __m128i edge2 = _mm_set1_epi16(2 * kRepairEdge);
  const __m128i step16 = _mm_set1_epi16(static_cast<short>(step));
  const __m128i half = _mm_set1_epi16(128);
  auto load8 = [&](const std::uint8_t* p) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
  };
  auto flow = [&](__m128i d) {
    const __m128i sign = _mm_srai_epi16(d, 15);
    const __m128i mag = _mm_max_epi16(d, _mm_sub_epi16(zero, d));
    const __m128i f = _mm_min_epi16(mag, _mm_max_epi16(zero, _mm_sub_epi16(edge2, mag)));
    return _mm_sub_epi16(_mm_xor_si128(f, sign), sign);
  };
  for (; i + 8 <= n; i += 8) {
    const __m128i v = load8(c + i);
    __m128i sum = flow(_mm_sub_epi16(load8(c + i - 3), v));
    sum = _mm_add_epi16(sum, flow(_mm_sub_epi16(load8(c + i + 3), v)));
    sum = _mm_add_epi16(sum, flow(_mm_sub_epi16(load8(a + i), v)));
    sum = _mm_add_epi16(sum, flow(_mm_sub_epi16(load8(b + i), v)));
    const __m128i moved = _mm_srai_epi16(_mm_add_epi16(_mm_mullo_epi16(sum, step16), half), 8);
    const __m128i r = _mm_packus_epi16(_mm_add_epi16(v, moved), zero);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), r);
  }
#endif
  for (; i < n; ++i) {
    const int v = c[i];
    const int sum = RepairFlow(c[i - 3] - v) + RepairFlow(c[i + 3] - v) + RepairFlow(a[i] - v) +
                    RepairFlow(b[i] - v);
    // Arithmetic shift: rounds to the nearest, halves upward.
    out[i] = Clamp255(v + ((sum * step + 128) >> 8));
  }
}

// The noise generator: xorshift64*, one state for the run.
struct NoiseGenerator {
  std::uint64_t state = 0;
  bool seeded = false;

  void Seed(std::uint32_t seed) {
    // splitmix64 of the seed, so that small seeds give well-mixed states
    // and the state is never 0.
    std::uint64_t z = static_cast<std::uint64_t>(seed) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    state = z != 0 ? z : 0x2545F4914F6CDD1Dull;
    seeded = true;
  }
};

NoiseGenerator& Generator() {
  static NoiseGenerator generator;
  return generator;
}

}  // namespace

void SeedImageNoise(std::uint32_t seed) { Generator().Seed(seed); }

std::uint64_t NoiseState() {
  NoiseGenerator& gen = Generator();
  if (!gen.seeded) gen.Seed(static_cast<std::uint32_t>(std::rand()));
  return gen.state;
}

void SetNoiseState(std::uint64_t state) { Generator().state = state; }

namespace {

// The effect on every row, from the bottom up.
bool ApplyToRows(Image& image, const RowEffect& effect, std::uint64_t* noise_state = nullptr) {
  if (!image.IsValid()) return false;
  const std::uint32_t w = image.GetWidth(), h = image.GetHeight();
  for (std::uint32_t y = 0; y < h; ++y) effect.Apply(image.Row(y), w, noise_state);
  return true;
}

}  // namespace

bool Image::Negative() { return ApplyToRows(*this, RowEffect::Negative()); }

bool Image::GrayScale() { return ApplyToRows(*this, RowEffect::Gray()); }

bool Image::IsGrayScale() const {
  if (!IsValid()) return false;
  const std::uint32_t w = width_, h = height_;
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* p = Row(y);
    int differs = 0;
    for (std::uint32_t x = 0; x < w; ++x, p += 3) differs |= (p[0] ^ p[1]) | (p[1] ^ p[2]);
    if (differs != 0) return false;
  }
  return true;
}

bool Image::HuePalette(float correction) { return ApplyToRows(*this, RowEffect::HuePalette(correction)); }

bool Image::Noise(int level) {
  if (!IsValid()) return false;
  if (std::clamp(level, 0, 255) == 0) return true;
  std::uint64_t state = NoiseState();
  ApplyToRows(*this, RowEffect::Noise(level), &state);
  SetNoiseState(state);
  return true;
}

bool Image::Light(int brightness, int contrast) { return ApplyToRows(*this, RowEffect::Light(brightness, contrast)); }

bool Image::ShiftRGB(int red, int green, int blue) {
  return ApplyToRows(*this, RowEffect::ShiftRgb(red, green, blue));
}

bool Image::Repair(float radius, int iterations, int color_space) {
  (void)color_space;  // the diffusion works on the RGB channels alone
  if (!IsValid()) return false;
  if (!(radius > 0.0f) || iterations <= 0) return true;
  iterations = std::min(iterations, 100);
  // The step in 1/256 units; 0.25 is the largest stable step for four
  // neighbours.
  const int step = radius >= 0.25f ? 64 : std::max(1, static_cast<int>(radius * 256.0f + 0.5f));

  const std::uint32_t w = width_, h = height_;
  const std::size_t n = static_cast<std::size_t>(w) * 3;
  // Unchanged copies of the row being worked on and of the one below it,
  // each with its edge pixels repeated (an edge has no flow across it).
  std::vector<std::uint8_t> buffers(2 * (n + 6));
  std::uint8_t* below = buffers.data();
  std::uint8_t* here = buffers.data() + n + 6;
  auto load = [&](std::uint32_t y, std::uint8_t* dst) {
    const std::uint8_t* s = Row(y);
    std::memcpy(dst + 3, s, n);
    std::memcpy(dst, s, 3);
    std::memcpy(dst + 3 + n, s + n - 3, 3);
  };

  for (int it = 0; it < iterations; ++it) {
    load(0, below);
    for (std::uint32_t y = 0; y < h; ++y) {
      load(y, here);
      const std::uint8_t* c = here + 3;
      const std::uint8_t* b = y > 0 ? below + 3 : c;
      // The row above is not yet changed in this pass.
      const std::uint8_t* a = y + 1 < h ? Row(y + 1) : c;
      DiffuseRow(c, a, b, Row(y), n, step);
      std::swap(below, here);
    }
  }
  return true;
}

bool Image::Mix(const Image& source, int op, std::int64_t x_offset, std::int64_t y_offset, bool mix_alpha) {
  if (op != kMixBlend || !IsValid() || !source.IsValid()) return false;
  const std::int64_t W = width_, H = height_;
  const std::int64_t w = source.GetWidth(), h = source.GetHeight();
  // Destination pixels covered by the source: x + x_offset in 0..w-1.
  const std::int64_t x0 = std::max<std::int64_t>(0, -x_offset), x1 = std::min<std::int64_t>(W, w - x_offset);
  const std::int64_t y0 = std::max<std::int64_t>(0, -y_offset), y1 = std::min<std::int64_t>(H, h - y_offset);
  if (x0 >= x1 || y0 >= y1) return true;
  const std::size_t count = static_cast<std::size_t>(x1 - x0);
  const bool blend_alpha = mix_alpha && HasAlpha();
  for (std::int64_t y = y0; y < y1; ++y) {
    const auto sy = static_cast<std::uint32_t>(y + y_offset);
    const std::uint8_t* s = source.Row(sy) + (x0 + x_offset) * 3;
    const std::uint8_t* sa = source.AlphaRow(sy);
    if (sa) sa += x0 + x_offset;
    std::uint8_t* d = Row(static_cast<std::uint32_t>(y)) + x0 * 3;
    std::uint8_t* da = blend_alpha ? AlphaRow(static_cast<std::uint32_t>(y)) + x0 : nullptr;
    if (sa == nullptr) {
      std::memcpy(d, s, count * 3);
      if (da) std::memset(da, 255, count);
      continue;
    }
    for (std::size_t i = 0; i < count; ++i, s += 3, d += 3) {
      const int a = sa[i];
      if (a == 0) continue;
      if (a == 255) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
      } else {
        const int na = 255 - a;
        d[0] = static_cast<std::uint8_t>(MulDiv255(s[0] * a + d[0] * na));
        d[1] = static_cast<std::uint8_t>(MulDiv255(s[1] * a + d[1] * na));
        d[2] = static_cast<std::uint8_t>(MulDiv255(s[2] * a + d[2] * na));
      }
      if (da) da[i] = static_cast<std::uint8_t>(a + MulDiv255(da[i] * (255 - a)));
    }
  }
  return true;
}

}  // namespace vistelle
