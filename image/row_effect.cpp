#include "image/row_effect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VISTELLE_EFFECTS_SSE2 1
#else
#define VISTELLE_EFFECTS_SSE2 0
#endif

namespace vistelle {

namespace {

inline std::uint8_t Clamp255(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

inline int Luma(const std::uint8_t* bgr) { return (77 * bgr[2] + 150 * bgr[1] + 29 * bgr[0] + 128) >> 8; }

void ApplyTableRow(std::uint8_t* p, std::size_t n, const std::uint8_t* table) {
  for (std::size_t i = 0; i < n; ++i) p[i] = table[p[i]];
}

#if VISTELLE_EFFECTS_SSE2
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

// Two 64-bit values in one vector, the first in the low half.
inline __m128i Pack64x2(std::uint64_t lo, std::uint64_t hi) {
  auto part = [](std::uint64_t v, int s) { return static_cast<int>(static_cast<std::uint32_t>(v >> s)); };
  return _mm_set_epi32(part(hi, 32), part(hi, 0), part(lo, 32), part(lo, 0));
}
#endif

// The generator: xorshift64*.
inline std::uint64_t Step(std::uint64_t s) {
  s ^= s >> 12;
  s ^= s << 25;
  s ^= s >> 27;
  return s;
}
inline std::uint64_t Draw(std::uint64_t& state) {
  state = Step(state);
  return state * 0x2545F4914F6CDD1Dull;
}

// Outputs for the first half of a row of n bytes: a whole number of
// 16-byte steps, and both halves' steps within the row.
inline std::size_t FirstHalfDraws(std::size_t n) { return (n / 8) & ~static_cast<std::size_t>(3); }

}  // namespace

NoiseJump NoiseJump::Of(std::uint64_t steps) {
  NoiseJump result, power;
  for (int i = 0; i < 64; ++i) {
    result.column_[i] = std::uint64_t{1} << i;
    power.column_[i] = Step(std::uint64_t{1} << i);
  }
  for (; steps != 0; steps >>= 1) {
    if (steps & 1)
      for (int i = 0; i < 64; ++i) result.column_[i] = power.Apply(result.column_[i]);
    NoiseJump squared;
    for (int i = 0; i < 64; ++i) squared.column_[i] = power.Apply(power.column_[i]);
    power = squared;
  }
  return result;
}

NoiseJump NoiseJump::Inverse() const {
  // Gauss-Jordan over GF(2) on the rows of [M | I]; row r of M holds bit r
  // of every column.
  std::uint64_t m[64], inv[64];
  for (int r = 0; r < 64; ++r) {
    m[r] = 0;
    for (int c = 0; c < 64; ++c) m[r] |= ((column_[c] >> r) & 1) << c;
    inv[r] = std::uint64_t{1} << r;
  }
  for (int c = 0; c < 64; ++c) {
    int pivot = c;
    while (pivot < 64 && !((m[pivot] >> c) & 1)) ++pivot;
    if (pivot == 64) return *this;  // not invertible: cannot happen for a step matrix
    std::swap(m[c], m[pivot]);
    std::swap(inv[c], inv[pivot]);
    for (int r = 0; r < 64; ++r)
      if (r != c && ((m[r] >> c) & 1)) {
        m[r] ^= m[c];
        inv[r] ^= inv[c];
      }
  }
  NoiseJump result;
  for (int c = 0; c < 64; ++c) {
    result.column_[c] = 0;
    for (int r = 0; r < 64; ++r) result.column_[c] |= ((inv[r] >> c) & 1) << r;
  }
  return result;
}

std::uint64_t NoiseJump::Apply(std::uint64_t s) const {
  std::uint64_t r = 0;
  for (int i = 0; s != 0; ++i, s >>= 1)
    if (s & 1) r ^= column_[i];
  return r;
}

RowEffect RowEffect::Negative() {
  RowEffect e;
  e.kind_ = Kind::kNegative;
  return e;
}

RowEffect RowEffect::Gray() {
  RowEffect e;
  e.kind_ = Kind::kGray;
  return e;
}

RowEffect RowEffect::HuePalette(float correction) {
  RowEffect e;
  e.kind_ = Kind::kHue;
  // Gray level -> corrected level -> position on the hue ramp (4 sectors of
  // 255 steps: blue-cyan, cyan-green, green-yellow, yellow-red).
  std::uint8_t level[256];
  for (int i = 0; i < 256; ++i) level[i] = static_cast<std::uint8_t>(i);
  if (correction > 0.0f && correction != 1.0f && std::isfinite(correction)) {
    for (int i = 0; i < 256; ++i)
      level[i] = Clamp255(static_cast<int>(std::floor(255.0 * std::pow(i / 255.0, 1.0 / correction) + 0.5)));
  }
  e.table_.resize(256 * 3);  // B, G, R
  e.words_.resize(256);
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
    e.table_[static_cast<std::size_t>(i) * 3] = static_cast<std::uint8_t>(b);
    e.table_[static_cast<std::size_t>(i) * 3 + 1] = static_cast<std::uint8_t>(g);
    e.table_[static_cast<std::size_t>(i) * 3 + 2] = static_cast<std::uint8_t>(r);
    e.words_[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(b) | static_cast<std::uint32_t>(g) << 8 |
                                            static_cast<std::uint32_t>(r) << 16;
  }
  return e;
}

RowEffect RowEffect::Noise(int level) {
  RowEffect e;
  level = std::clamp(level, 0, 255);
  if (level == 0) return e;
  e.kind_ = Kind::kNoise;
  e.a_ = level + 1;  // span
  e.b_ = level / 2;  // half
  return e;
}

RowEffect RowEffect::Light(int brightness, int contrast) {
  RowEffect e;
  e.kind_ = Kind::kLight;
  brightness = std::clamp(brightness, -255, 255);
  contrast = std::clamp(contrast, -100, 100);
  const int scale = 100 + contrast;
  e.a_ = scale;
  e.b_ = brightness;
  e.table_.resize(256);
  for (int v = 0; v < 256; ++v) {
    const int t = (v - 128) * scale;
    const int scaled = t >= 0 ? (t + 50) / 100 : -((-t + 50) / 100);
    e.table_[static_cast<std::size_t>(v)] = Clamp255(128 + scaled + brightness);
  }
#if VISTELLE_EFFECTS_SSE2
  // The same in 16-bit lanes: the rounded division by 100 as the high half
  // of a product and a shift, found by trying and taken only if it gives
  // the table's value for every byte.
  for (int s = 0; s <= 16 && !e.vector_; ++s) {
    const int m = static_cast<int>(((std::int64_t{1} << (16 + s)) + 99) / 100);
    if (m > 65535) break;
    bool exact = true;
    for (int v = 0; v < 256 && exact; ++v) {
      const int t = (v - 128) * scale;
      const int q = static_cast<int>((static_cast<std::uint32_t>(std::abs(t) + 50) * static_cast<std::uint32_t>(m)) >>
                                     (16 + s));
      exact = Clamp255(128 + (t < 0 ? -q : q) + brightness) == e.table_[static_cast<std::size_t>(v)];
    }
    if (exact) {
      e.vector_ = true;
      e.magic_ = m;
      e.shift_ = s;
    }
  }
#endif
  return e;
}

RowEffect RowEffect::ShiftRgb(int red, int green, int blue) {
  RowEffect e;
  e.kind_ = Kind::kShift;
  e.a_ = std::clamp(blue, -255, 255);
  e.b_ = std::clamp(green, -255, 255);
  e.c_ = std::clamp(red, -255, 255);
  // v' = clamp(v + shift) as an add of the positive part and a subtraction
  // of the negative part, each saturating: the same bytes either way.
  const int shifts[3] = {e.a_, e.b_, e.c_};
  e.table_.resize(96);
  for (int i = 0; i < 48; ++i) {
    e.table_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::max(0, shifts[i % 3]));
    e.table_[static_cast<std::size_t>(48 + i)] = static_cast<std::uint8_t>(std::max(0, -shifts[i % 3]));
  }
  return e;
}

// The weighted sum is outer * (sum of the 3x3 block) + (centre - outer) *
// pixel, the block sums come from column sums, and the division, offset
// and clamping from a table over every possible sum.
std::optional<RowEffect> RowEffect::BoxFilter(const std::int32_t* kernel, int divisor, int offset) {
  const std::int32_t outer = kernel[0];
  for (int i = 1; i < 9; ++i)
    if (i != 4 && kernel[i] != outer) return std::nullopt;
  const std::int32_t centre = kernel[4];
  if (outer < -4096 || outer > 4096 || centre < -4096 || centre > 4096 || divisor == 0) return std::nullopt;
  const std::int32_t extra = centre - outer;
  // Range of outer * block + extra * pixel for block 0..2295, pixel 0..255.
  std::int32_t lo = 0, hi = 0;
  for (std::int32_t block : {0, 9 * 255})
    for (std::int32_t pixel : {0, 255}) {
      lo = std::min(lo, outer * block + extra * pixel);
      hi = std::max(hi, outer * block + extra * pixel);
    }
  if (hi - lo > (1 << 22)) return std::nullopt;
  RowEffect e;
  e.kind_ = Kind::kFilter;
  e.outer_ = outer;
  e.extra_ = extra;
  e.lo_ = lo;
  e.offset_ = offset;
  e.table_.resize(static_cast<std::size_t>(hi - lo) + 1);
  for (std::int32_t sum = lo; sum <= hi; ++sum) {
    const std::int64_t v = static_cast<std::int64_t>(sum) / divisor + offset;
    e.table_[static_cast<std::size_t>(sum - lo)] = static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
#if VISTELLE_EFFECTS_SSE2
  // The SSE2 form: the weighted sum in 16-bit lanes (when every possible
  // sum fits), negative sums raised to 0, the division as the high half of
  // a product and a shift, the offset added and the clamp by packing. It is
  // used only when it gives the table's value for every possible sum.
  if (lo >= -32768 && hi <= 32767 && divisor > 0 && offset <= 0 && offset >= -255) {
    for (int s = 0; s <= 16 && !e.vector_; ++s) {
      const std::int64_t m = ((std::int64_t{1} << (16 + s)) + divisor - 1) / divisor;
      if (m > 65535) break;
      bool exact = true;
      for (std::int32_t sum = lo; sum <= hi && exact; ++sum) {
        const std::uint32_t u = static_cast<std::uint32_t>(std::max(sum, 0));
        const int q = static_cast<int>(((u * static_cast<std::uint32_t>(m)) >> 16) >> s) + offset;
        exact = Clamp255(q) == e.table_[static_cast<std::size_t>(sum - lo)];
      }
      if (exact) {
        e.vector_ = true;
        e.magic_ = static_cast<int>(m);
        e.shift_ = s;
      }
    }
  }
#endif
  return e;
}

void RowEffect::Pad(const std::uint8_t* row, std::uint32_t width, std::uint8_t* padded) {
  const std::size_t n = static_cast<std::size_t>(width) * 3;
  std::memcpy(padded + 3, row, n);
  std::memcpy(padded, row, 3);
  std::memcpy(padded + 3 + n, row + n - 3, 3);
}

void RowEffect::Apply(std::uint8_t* p, std::uint32_t width, std::uint64_t* noise_state) const {
  const std::size_t n = static_cast<std::size_t>(width) * 3;
  switch (kind_) {
    case Kind::kNone:
    case Kind::kFilter:
      return;
    case Kind::kNegative:
      for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(255 - p[i]);
      return;
    case Kind::kGray: {
      std::uint32_t x = 0;
#if VISTELLE_EFFECTS_SSE2
      // 16 pixels at a time: the lumas packed to bytes, kept at each
      // pixel's first byte and spread to the two after it.
      const __m128i starts[3] = {
          _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1),
          _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0),
          _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0)};
      for (; x + 16 <= width; x += 16, p += 48) {
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
      for (; x < width; ++x, p += 3) {
        const auto l = static_cast<std::uint8_t>(Luma(p));
        p[0] = p[1] = p[2] = l;
      }
      return;
    }
    case Kind::kHue: {
      std::uint32_t x = 0;
#if VISTELLE_EFFECTS_SSE2
      // The ramp as little-endian words (x86 only), so that four pixels go
      // out as one 8-byte and one 4-byte store.
      const std::uint32_t* ramp32 = words_.data();
      for (; x + 16 <= width; x += 16, p += 48) {
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
      for (; x < width; ++x, p += 3) std::memcpy(p, table_.data() + static_cast<std::size_t>(Luma(p)) * 3, 3);
      return;
    }
    case Kind::kNoise: {
      std::uint64_t& state = *noise_state;
      const std::uint32_t span = static_cast<std::uint32_t>(a_);
      const int half = b_;
      std::size_t i = 0;
      // Four 16-bit draws from each 64-bit output, low half first, taken
      // in order along the row; a row takes a fresh output for its last
      // one to three bytes and leaves the unused draws.
#if VISTELLE_EFFECTS_SSE2
      // offset = (u * span) >> 16, the high half of a 16-bit product.
      const __m128i zero = _mm_setzero_si128();
      const __m128i span16 = _mm_set1_epi16(static_cast<short>(span));
      const __m128i half16 = _mm_set1_epi16(static_cast<short>(half));
      // 16 bytes from four outputs.
      auto sixteen = [&](std::uint8_t* q, std::uint64_t& s) {
        const std::uint64_t r0 = Draw(s);
        const std::uint64_t r1 = Draw(s);
        const std::uint64_t r2 = Draw(s);
        const std::uint64_t r3 = Draw(s);
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(v, zero),
                                         _mm_sub_epi16(_mm_mulhi_epu16(Pack64x2(r0, r1), span16), half16));
        const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(v, zero),
                                         _mm_sub_epi16(_mm_mulhi_epu16(Pack64x2(r2, r3), span16), half16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_packus_epi16(lo, hi));
      };
      const std::size_t first = FirstHalfDraws(n);
      if (first != 0) {
        // The second half runs from its own state, where the first half's
        // ends, interleaved with the first: the same draws in the same
        // places, without waiting on one long chain of steps.
        if (jump_draws_ != first) {
          jump_ = NoiseJump::Of(first);
          jump_draws_ = first;
        }
        std::uint64_t second = jump_.Apply(state);
        std::uint8_t* q = p + first * 4;
        for (; i < first * 4; i += 16) {
          sixteen(p + i, state);
          sixteen(q + i, second);
        }
        i *= 2;
        state = second;
      }
      for (; i + 16 <= n; i += 16) sixteen(p + i, state);
#endif
      for (; i < n; i += 4) {
        const std::uint64_t r = Draw(state);
        for (std::size_t k = 0; k < 4 && i + k < n; ++k) {
          const std::uint32_t u = static_cast<std::uint16_t>(r >> (16 * k));
          p[i + k] = Clamp255(p[i + k] + static_cast<int>((u * span) >> 16) - half);
        }
      }
      return;
    }
    case Kind::kLight: {
      std::size_t i = 0;
#if VISTELLE_EFFECTS_SSE2
      if (vector_) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i c128 = _mm_set1_epi16(128);
        const __m128i scale16 = _mm_set1_epi16(static_cast<short>(a_));
        const __m128i fifty = _mm_set1_epi16(50);
        const __m128i magic = _mm_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(magic_)));
        const __m128i shift = _mm_cvtsi32_si128(shift_);
        const __m128i base = _mm_set1_epi16(static_cast<short>(128 + b_));
        auto eight = [&](__m128i v) {
          const __m128i t = _mm_mullo_epi16(_mm_sub_epi16(v, c128), scale16);  // |t| <= 25600
          const __m128i sign = _mm_srai_epi16(t, 15);
          const __m128i a = _mm_add_epi16(_mm_sub_epi16(_mm_xor_si128(t, sign), sign), fifty);
          const __m128i q = _mm_srl_epi16(_mm_mulhi_epu16(a, magic), shift);
          return _mm_add_epi16(base, _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
        };
        for (; i + 16 <= n; i += 16) {
          const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
          const __m128i r = _mm_packus_epi16(eight(_mm_unpacklo_epi8(v, zero)), eight(_mm_unpackhi_epi8(v, zero)));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), r);
        }
      }
#endif
      ApplyTableRow(p + i, n - i, table_.data());
      return;
    }
    case Kind::kShift: {
      std::size_t i = 0;
#if VISTELLE_EFFECTS_SSE2
      // 48 bytes (three vectors) hold a whole number of pixels.
      __m128i add[3], sub[3];
      for (int k = 0; k < 3; ++k) {
        add[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table_.data() + 16 * k));
        sub[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table_.data() + 48 + 16 * k));
      }
      for (; i + 48 <= n; i += 48) {
        for (int k = 0; k < 3; ++k) {
          __m128i* q = reinterpret_cast<__m128i*>(p + i + 16 * k);
          _mm_storeu_si128(q, _mm_subs_epu8(_mm_adds_epu8(_mm_loadu_si128(q), add[k]), sub[k]));
        }
      }
#endif
      const int shifts[3] = {a_, b_, c_};
      for (; i < n; ++i) p[i] = Clamp255(p[i] + shifts[i % 3]);
      return;
    }
  }
}

void RowEffect::Filter(const std::uint8_t* below, const std::uint8_t* here, const std::uint8_t* above,
                       std::uint8_t* d, std::uint32_t width, std::uint16_t* col) const {
  const std::size_t n = static_cast<std::size_t>(width) * 3;
  const std::size_t padded = PaddedBytes(width);
  const std::uint8_t* c = here + 3;
  const std::uint16_t* cs = col + 3;
  const std::uint8_t* out_of = table_.data();
  std::size_t i = 0;
  std::size_t k = 0;
#if VISTELLE_EFFECTS_SSE2
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
#if VISTELLE_EFFECTS_SSE2
  if (vector_) {
    const __m128i outer16 = _mm_set1_epi16(static_cast<short>(outer_));
    const __m128i extra16 = _mm_set1_epi16(static_cast<short>(extra_));
    const __m128i magic16 = _mm_set1_epi16(static_cast<short>(static_cast<std::uint16_t>(magic_)));
    const __m128i offset16 = _mm_set1_epi16(static_cast<short>(offset_));
    const __m128i shift16 = _mm_cvtsi32_si128(shift_);
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
    d[i] = out_of[outer_ * block + extra_ * c[i] - lo_];
  }
}

}  // namespace vistelle
