// The image effects of Image: point operations through 256-entry tables,
// the diffusion smoothing, the noise generator and the alpha blend. All
// integer, so that every build gives the same pixels.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/image.h"

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

void ApplyTable(Image& image, const std::uint8_t* table) {
  // Two bytes a lookup, through a table of every byte pair.
  std::vector<std::uint16_t> pairs(65536);
  for (int hi = 0; hi < 256; ++hi)
    for (int lo = 0; lo < 256; ++lo)
      pairs[static_cast<std::size_t>(hi << 8 | lo)] = static_cast<std::uint16_t>(table[hi] << 8 | table[lo]);
  const std::uint16_t* pair = pairs.data();
  const std::size_t n = static_cast<std::size_t>(image.GetWidth()) * 3;
  const std::uint32_t h = image.GetHeight();
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* p = image.Row(y);
    std::size_t i = 0;
    for (; i + 2 <= n; i += 2) {
      const std::uint16_t v = pair[static_cast<std::size_t>(p[i + 1]) << 8 | p[i]];
      p[i] = static_cast<std::uint8_t>(v);
      p[i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    if (i < n) p[i] = table[p[i]];
  }
}

inline int Luma(const std::uint8_t* bgr) { return (77 * bgr[2] + 150 * bgr[1] + 29 * bgr[0] + 128) >> 8; }

#if defined(__SSE2__) || defined(_M_X64)
// Luma of 16 pixels (48 bytes at p) in 16-bit lanes: lane 3j of the six
// vectors (lanes numbered across them) holds the luma of pixel j; the
// other lanes hold values 0..255 of no meaning. The same integers as
// Luma(): the products and their sums stay below 65536, so the wrapping
// 16-bit arithmetic is exact.
inline void Luma16(const std::uint8_t* p, __m128i out[6]) {
  const __m128i zero = _mm_setzero_si128();
  // Weights by lane; the pattern repeats every three vectors (24 lanes).
  const __m128i weights[3] = {_mm_setr_epi16(29, 150, 77, 29, 150, 77, 29, 150),
                              _mm_setr_epi16(77, 29, 150, 77, 29, 150, 77, 29),
                              _mm_setr_epi16(150, 77, 29, 150, 77, 29, 150, 77)};
  __m128i prod[7];
  for (int k = 0; k < 3; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    prod[2 * k] = _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), weights[(2 * k) % 3]);
    prod[2 * k + 1] = _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), weights[(2 * k + 1) % 3]);
  }
  prod[6] = zero;
  const __m128i round = _mm_set1_epi16(128);
  for (int k = 0; k < 6; ++k) {
    // Each lane plus the next two lanes.
    const __m128i next1 = _mm_or_si128(_mm_srli_si128(prod[k], 2), _mm_slli_si128(prod[k + 1], 14));
    const __m128i next2 = _mm_or_si128(_mm_srli_si128(prod[k], 4), _mm_slli_si128(prod[k + 1], 12));
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(prod[k], next1), _mm_add_epi16(next2, round));
    out[k] = _mm_srli_epi16(sum, 8);
  }
}
#endif

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

#if defined(__SSE2__) || defined(_M_X64)
// Two 64-bit values in one vector, the first in the low half.
inline __m128i Pack64x2(std::uint64_t lo, std::uint64_t hi) {
  auto part = [](std::uint64_t v, int s) { return static_cast<int>(static_cast<std::uint32_t>(v >> s)); };
  return _mm_set_epi32(part(hi, 32), part(hi, 0), part(lo, 32), part(lo, 0));
}
#endif

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
  std::uint64_t Next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
};

// The generator's state step is linear over bits, so n steps at once are a
// 64x64 bit matrix (column i: the image of bit i). This lets a row's second
// half run from its own state, interleaved with the first half: the same
// outputs in the same places, without waiting on one long chain of steps.
struct StateJump {
  std::uint64_t column[64];

  static std::uint64_t Step(std::uint64_t s) {
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return s;
  }
  std::uint64_t Apply(std::uint64_t s) const {
    std::uint64_t r = 0;
    for (int i = 0; i < 64; ++i)
      if ((s >> i) & 1) r ^= column[i];
    return r;
  }
  // The map of `steps` steps, by squaring.
  static StateJump Of(std::size_t steps) {
    StateJump result, power;
    for (int i = 0; i < 64; ++i) {
      result.column[i] = std::uint64_t{1} << i;
      power.column[i] = Step(std::uint64_t{1} << i);
    }
    for (; steps != 0; steps >>= 1) {
      if (steps & 1)
        for (int i = 0; i < 64; ++i) result.column[i] = power.Apply(result.column[i]);
      StateJump squared;
      for (int i = 0; i < 64; ++i) squared.column[i] = power.Apply(power.column[i]);
      power = squared;
    }
    return result;
  }
};

NoiseGenerator& Generator() {
  static NoiseGenerator generator;
  return generator;
}

}  // namespace

void SeedImageNoise(std::uint32_t seed) { Generator().Seed(seed); }

bool FilterRing(Image& image, const std::int32_t* kernel, int divisor, int offset);

// The 3x3 filter for kernels whose eight outer weights are equal (the
// smoothing, sharpening and blur kernels of the program): the weighted sum
// is outer * (sum of the 3x3 block) + (centre - outer) * pixel, the block
// sums come from column sums, and the division, offset and clamping from a
// table over every possible sum. Same edge handling and the same results as
// Image::Filter's general loop; false (nothing done) for other kernels.
bool FilterRing(Image& image, const std::int32_t* kernel, int divisor, int offset) {
  const std::int32_t outer = kernel[0];
  for (int i = 1; i < 9; ++i)
    if (i != 4 && kernel[i] != outer) return false;
  const std::int32_t centre = kernel[4];
  if (outer < -4096 || outer > 4096 || centre < -4096 || centre > 4096 || divisor == 0) return false;
  const std::int32_t extra = centre - outer;
  // Range of outer * block + extra * pixel for block 0..2295, pixel 0..255.
  std::int32_t lo = 0, hi = 0;
  for (std::int32_t block : {0, 9 * 255})
    for (std::int32_t pixel : {0, 255}) {
      lo = std::min(lo, outer * block + extra * pixel);
      hi = std::max(hi, outer * block + extra * pixel);
    }
  if (hi - lo > (1 << 22)) return false;
  std::vector<std::uint8_t> table(static_cast<std::size_t>(hi - lo) + 1);
  for (std::int32_t sum = lo; sum <= hi; ++sum) {
    const std::int64_t v = static_cast<std::int64_t>(sum) / divisor + offset;
    table[static_cast<std::size_t>(sum - lo)] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
  const std::uint8_t* out_of = table.data();

#if defined(__SSE2__) || defined(_M_X64)
  // The SSE2 form: the weighted sum in 16-bit lanes (when every possible
  // sum fits), negative sums raised to 0, the division as the high half of
  // a product and a shift, the offset added and the clamp by packing. It is
  // used only when it gives the table's value for every possible sum.
  int magic = 0, shift = 0;
  bool vector = lo >= -32768 && hi <= 32767 && divisor > 0 && offset <= 0 && offset >= -255;
  if (vector) {
    vector = false;
    for (int s = 0; s <= 16 && !vector; ++s) {
      const std::int64_t m = ((std::int64_t{1} << (16 + s)) + divisor - 1) / divisor;
      if (m > 65535) break;
      bool exact = true;
      for (std::int32_t sum = lo; sum <= hi && exact; ++sum) {
        const std::uint32_t u = static_cast<std::uint32_t>(std::max(sum, 0));
        const int q = static_cast<int>(((u * static_cast<std::uint32_t>(m)) >> 16) >> s) + offset;
        exact = Clamp255(q) == out_of[sum - lo];
      }
      if (exact) {
        vector = true;
        magic = static_cast<int>(m);
        shift = s;
      }
    }
  }
#endif

  const std::uint32_t w = image.GetWidth(), h = image.GetHeight();
  const std::size_t n = static_cast<std::size_t>(w) * 3;
  const std::size_t padded = n + 6;
  // Three unchanged rows with their edge pixels repeated, and the column
  // sums of the three.
  std::vector<std::uint8_t> lines(padded * 3);
  std::vector<std::uint16_t> columns(padded);
  auto load = [&](std::uint32_t y, std::uint8_t* dst) {
    const std::uint8_t* s = image.Row(y);
    std::memcpy(dst + 3, s, n);
    std::memcpy(dst, s, 3);
    std::memcpy(dst + 3 + n, s + n - 3, 3);
  };
  std::uint8_t* below = lines.data();
  std::uint8_t* here = lines.data() + padded;
  std::uint8_t* above = lines.data() + 2 * padded;
  load(0, below);
  load(0, here);
  load(h > 1 ? 1 : 0, above);
  std::uint16_t* col = columns.data();
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* d = image.Row(y);
    const std::uint8_t* c = here + 3;
    const std::uint16_t* cs = col + 3;
    std::size_t i = 0;
    std::size_t k = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i zero = _mm_setzero_si128();
    for (; k + 16 <= padded; k += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(here + k));
      const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + k));
      const __m128i lo8 = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
                                        _mm_unpacklo_epi8(e, zero));
      const __m128i hi8 = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)),
                                        _mm_unpackhi_epi8(e, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(col + k), lo8);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(col + k + 8), hi8);
    }
#endif
    for (; k < padded; ++k) col[k] = static_cast<std::uint16_t>(below[k] + here[k] + above[k]);
#if defined(__SSE2__) || defined(_M_X64)
    if (vector) {
      const __m128i outer16 = _mm_set1_epi16(static_cast<short>(outer));
      const __m128i extra16 = _mm_set1_epi16(static_cast<short>(extra));
      const __m128i magic16 = _mm_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(magic)));
      const __m128i offset16 = _mm_set1_epi16(static_cast<short>(offset));
      const __m128i shift16 = _mm_cvtsi32_si128(shift);
      auto eight = [&](std::size_t j, __m128i pixels) {
        const __m128i block = _mm_add_epi16(
            _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cs + j - 3)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(cs + j))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(cs + j + 3)));
        // The sum fits in 16 bits, so the wrapping products give it exactly.
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(block, outer16), _mm_mullo_epi16(pixels, extra16));
        const __m128i u = _mm_max_epi16(sum, zero);
        return _mm_add_epi16(_mm_srl_epi16(_mm_mulhi_epu16(u, magic16), shift16), offset16);
      };
      for (; i + 16 <= n; i += 16) {
        const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + i));
        const __m128i r0 = eight(i, _mm_unpacklo_epi8(px, zero));
        const __m128i r1 = eight(i + 8, _mm_unpackhi_epi8(px, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(r0, r1));
      }
    }
#endif
    for (; i < n; ++i) {
      const std::int32_t block = cs[i - 3] + cs[i] + cs[i + 3];
      d[i] = out_of[outer * block + extra * c[i] - lo];
    }
    std::swap(below, here);
    std::swap(here, above);
    load(y + 2 < h ? y + 2 : h - 1, above);
  }
  return true;
}

bool Image::Negative() {
  if (!IsValid()) return false;
  const std::size_t n = static_cast<std::size_t>(width_) * 3;
  const std::uint32_t h = height_;
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* p = Row(y);
    for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(255 - p[i]);
  }
  return true;
}

bool Image::GrayScale() {
  if (!IsValid()) return false;
  const std::uint32_t w = width_, h = height_;
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* p = Row(y);
    std::uint32_t x = 0;
#if defined(__SSE2__) || defined(_M_X64)
    // 16 pixels at a time: the lumas packed to bytes, kept at each pixel's
    // first byte and spread to the two after it.
    const __m128i starts[3] = {
        _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1),
        _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0),
        _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0)};
    for (; x + 16 <= w; x += 16, p += 48) {
      __m128i l[6];
      Luma16(p, l);
      __m128i prev = _mm_setzero_si128();
      for (int k = 0; k < 3; ++k) {
        const __m128i m = _mm_and_si128(_mm_packus_epi16(l[2 * k], l[2 * k + 1]), starts[k]);
        const __m128i one = _mm_or_si128(_mm_slli_si128(m, 1), _mm_srli_si128(prev, 15));
        const __m128i two = _mm_or_si128(_mm_slli_si128(m, 2), _mm_srli_si128(prev, 14));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * k), _mm_or_si128(_mm_or_si128(m, one), two));
        prev = m;
      }
    }
#endif
    for (; x < w; ++x, p += 3) {
      const auto l = static_cast<std::uint8_t>(Luma(p));
      p[0] = p[1] = p[2] = l;
    }
  }
  return true;
}

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

bool Image::HuePalette(float correction) {
  if (!IsValid()) return false;
  // Gray level -> corrected level -> position on the hue ramp (4 sectors of
  // 255 steps: blue-cyan, cyan-green, green-yellow, yellow-red).
  std::uint8_t level[256];
  for (int i = 0; i < 256; ++i) level[i] = static_cast<std::uint8_t>(i);
  if (correction > 0.0f && correction != 1.0f && std::isfinite(correction)) {
    for (int i = 0; i < 256; ++i)
      level[i] = Clamp255(static_cast<int>(std::floor(255.0 * std::pow(i / 255.0, 1.0 / correction) + 0.5)));
  }
  std::uint8_t ramp[256][3];  // B, G, R
  for (int i = 0; i < 256; ++i) {
    const int p = level[i] * 4;
    const int f = p % 255;
    int b = 0, g = 0, r = 0;
    switch (p / 255) {
      case 0: b = 255; g = f; break;
      case 1: b = 255 - f; g = 255; break;
      case 2: g = 255; r = f; break;
      case 3: g = 255 - f; r = 255; break;
      default: r = 255; break;
    }
    ramp[i][0] = static_cast<std::uint8_t>(b);
    ramp[i][1] = static_cast<std::uint8_t>(g);
    ramp[i][2] = static_cast<std::uint8_t>(r);
  }
  const std::uint32_t w = width_, h = height_;
#if defined(__SSE2__) || defined(_M_X64)
  // The ramp as little-endian words (x86 only), so that four pixels go out
  // as one 8-byte and one 4-byte store.
  std::uint32_t ramp32[256];
  for (int i = 0; i < 256; ++i)
    ramp32[i] = static_cast<std::uint32_t>(ramp[i][0]) | static_cast<std::uint32_t>(ramp[i][1]) << 8 |
                static_cast<std::uint32_t>(ramp[i][2]) << 16;
#endif
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* p = Row(y);
    std::uint32_t x = 0;
#if defined(__SSE2__) || defined(_M_X64)
    for (; x + 16 <= w; x += 16, p += 48) {
      alignas(16) std::uint16_t lanes[48];
      __m128i l[6];
      Luma16(p, l);
      for (int k = 0; k < 6; ++k) _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 8 * k), l[k]);
      for (int j = 0; j < 16; j += 4) {
        const std::uint64_t c0 = ramp32[lanes[3 * j]], c1 = ramp32[lanes[3 * j + 3]];
        const std::uint32_t c2 = ramp32[lanes[3 * j + 6]], c3 = ramp32[lanes[3 * j + 9]];
        const std::uint64_t first = c0 | c1 << 24 | static_cast<std::uint64_t>(c2) << 48;
        const std::uint32_t last = c2 >> 16 | c3 << 8;
        std::memcpy(p + 3 * j, &first, 8);
        std::memcpy(p + 3 * j + 8, &last, 4);
      }
    }
#endif
    for (; x < w; ++x, p += 3) std::memcpy(p, ramp[Luma(p)], 3);
  }
  return true;
}

bool Image::Noise(int level) {
  if (!IsValid()) return false;
  level = std::clamp(level, 0, 255);
  if (level == 0) return true;
  NoiseGenerator& gen = Generator();
  if (!gen.seeded) gen.Seed(static_cast<std::uint32_t>(std::rand()));
  const std::uint32_t span = static_cast<std::uint32_t>(level) + 1;
  const int half = level / 2;
  const std::size_t n = static_cast<std::size_t>(width_) * 3;
  const std::uint32_t h = height_;
  // Four 16-bit draws from each 64-bit output, low half first, taken in
  // order along the row; a row takes a fresh output for its last one to
  // three bytes and leaves the unused draws.
#if defined(__SSE2__) || defined(_M_X64)
  // offset = (u * span) >> 16, the high half of a 16-bit product.
  const __m128i zero = _mm_setzero_si128();
  const __m128i span16 = _mm_set1_epi16(static_cast<short>(span));
  const __m128i half16 = _mm_set1_epi16(static_cast<short>(half));
  // 16 bytes from four outputs.
  auto sixteen = [&](std::uint8_t* q, NoiseGenerator& g) {
    const std::uint64_t r0 = g.Next();
    const std::uint64_t r1 = g.Next();
    const std::uint64_t r2 = g.Next();
    const std::uint64_t r3 = g.Next();
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(v, zero),
                                     _mm_sub_epi16(_mm_mulhi_epu16(Pack64x2(r0, r1), span16), half16));
    const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(v, zero),
                                     _mm_sub_epi16(_mm_mulhi_epu16(Pack64x2(r2, r3), span16), half16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_packus_epi16(lo, hi));
  };
  // Outputs for the first half of a row: a whole number of 16-byte steps,
  // and both halves' steps within the row.
  const std::size_t first = (n / 8) & ~static_cast<std::size_t>(3);
  const StateJump jump = StateJump::Of(first);
#endif
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* p = Row(y);
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    if (first != 0) {
      // The second half's generator starts where the first half's ends.
      NoiseGenerator second = gen;
      second.state = jump.Apply(gen.state);
      std::uint8_t* q = p + first * 4;
      for (; i < first * 4; i += 16) {
        sixteen(p + i, gen);
        sixteen(q + i, second);
      }
      i *= 2;
      gen.state = second.state;
    }
    for (; i + 16 <= n; i += 16) sixteen(p + i, gen);
#endif
    for (; i < n; i += 4) {
      const std::uint64_t r = gen.Next();
      for (std::size_t k = 0; k < 4 && i + k < n; ++k) {
        const std::uint32_t u = static_cast<std::uint16_t>(r >> (16 * k));
        p[i + k] = Clamp255(p[i + k] + static_cast<int>((u * span) >> 16) - half);
      }
    }
  }
  return true;
}

bool Image::Light(int brightness, int contrast) {
  if (!IsValid()) return false;
  brightness = std::clamp(brightness, -255, 255);
  contrast = std::clamp(contrast, -100, 100);
  std::uint8_t table[256];
  const int scale = 100 + contrast;
  for (int v = 0; v < 256; ++v) {
    const int t = (v - 128) * scale;
    const int scaled = t >= 0 ? (t + 50) / 100 : -((-t + 50) / 100);
    table[v] = Clamp255(128 + scaled + brightness);
  }
#if defined(__SSE2__) || defined(_M_X64)
  // The same in 16-bit lanes: the rounded division by 100 as the high half
  // of a product and a shift, found by trying and taken only if it gives
  // the table's value for every byte.
  for (int s = 0; s <= 16; ++s) {
    const int m = static_cast<int>(((std::int64_t{1} << (16 + s)) + 99) / 100);
    if (m > 65535) break;
    bool exact = true;
    for (int v = 0; v < 256 && exact; ++v) {
      const int t = (v - 128) * scale;
      const int q = static_cast<int>((static_cast<std::uint32_t>(std::abs(t) + 50) * static_cast<std::uint32_t>(m)) >> (16 + s));
      exact = Clamp255(128 + (t < 0 ? -q : q) + brightness) == table[v];
    }
    if (!exact) continue;
    const __m128i zero = _mm_setzero_si128();
    const __m128i c128 = _mm_set1_epi16(128);
    const __m128i scale16 = _mm_set1_epi16(static_cast<short>(scale));
    const __m128i fifty = _mm_set1_epi16(50);
    const __m128i magic = _mm_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(m)));
    const __m128i shift = _mm_cvtsi32_si128(s);
    const __m128i base = _mm_set1_epi16(static_cast<short>(128 + brightness));
    auto eight = [&](__m128i v) {
      const __m128i t = _mm_mullo_epi16(_mm_sub_epi16(v, c128), scale16);  // |t| <= 25600
      const __m128i sign = _mm_srai_epi16(t, 15);
      const __m128i a = _mm_add_epi16(_mm_sub_epi16(_mm_xor_si128(t, sign), sign), fifty);
      const __m128i q = _mm_srl_epi16(_mm_mulhi_epu16(a, magic), shift);
      return _mm_add_epi16(base, _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
    };
    const std::size_t n = static_cast<std::size_t>(width_) * 3;
    for (std::uint32_t y = 0; y < height_; ++y) {
      std::uint8_t* p = Row(y);
      std::size_t i = 0;
      for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i r = _mm_packus_epi16(eight(_mm_unpacklo_epi8(v, zero)), eight(_mm_unpackhi_epi8(v, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), r);
      }
      for (; i < n; ++i) p[i] = table[p[i]];
    }
    return true;
  }
#endif
  ApplyTable(*this, table);
  return true;
}

bool Image::ShiftRGB(int red, int green, int blue) {
  if (!IsValid()) return false;
  red = std::clamp(red, -255, 255);
  green = std::clamp(green, -255, 255);
  blue = std::clamp(blue, -255, 255);
  // v' = clamp(v + shift) as an add of the positive part and a subtraction
  // of the negative part, each saturating: the same bytes either way.
  const int shifts[3] = {blue, green, red};
  std::uint8_t up[48], down[48];
  for (int i = 0; i < 48; ++i) {
    up[i] = static_cast<std::uint8_t>(std::max(0, shifts[i % 3]));
    down[i] = static_cast<std::uint8_t>(std::max(0, -shifts[i % 3]));
  }
  const std::size_t n = static_cast<std::size_t>(width_) * 3;
  const std::uint32_t h = height_;
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* p = Row(y);
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    // 48 bytes (three vectors) hold a whole number of pixels.
    __m128i add[3], sub[3];
    for (int k = 0; k < 3; ++k) {
      add[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(up + 16 * k));
      sub[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(down + 16 * k));
    }
    for (; i + 48 <= n; i += 48) {
      for (int k = 0; k < 3; ++k) {
        __m128i* q = reinterpret_cast<__m128i*>(p + i + 16 * k);
        _mm_storeu_si128(q, _mm_subs_epu8(_mm_adds_epu8(_mm_loadu_si128(q), add[k]), sub[k]));
      }
    }
#endif
    for (; i < n; ++i) p[i] = Clamp255(p[i] + shifts[i % 3]);
  }
  return true;
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
