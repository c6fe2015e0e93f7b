#include "image/resample.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VISTELLE_RESAMPLE_SSE2 1
#else
#define VISTELLE_RESAMPLE_SSE2 0
#endif

namespace vistelle {

namespace {

// Weights are fixed-point numbers with 14 fraction bits: one is 16384.
constexpr int kWeightBits = 14;
constexpr std::int64_t kOne = std::int64_t{1} << kWeightBits;
// The 16-bit buffer between the two passes holds values * 2^kFraction.
// With the cubic's overshoot they stay within about -700 .. 17100: far
// from the 16-bit limits, and every sum of products with the weights far
// from the 32-bit ones.
constexpr int kFraction = 6;
constexpr int kToBufferShift = kWeightBits - kFraction;  // bytes in, buffer out
constexpr int kToByteShift = kWeightBits + kFraction;    // buffer in, bytes out
// Lanes of slack after every 16-bit buffer: the SSE2 loops read and write
// four lanes for a pixel of three.
constexpr std::size_t kLaneSlack = 4;

// floor(a / b), b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

// a / b rounded to the nearest integer, halves upward; b > 0.
std::int64_t RoundDiv(std::int64_t a, std::int64_t b) { return FloorDiv(2 * a + b, 2 * b); }

// The Mitchell-Netravali cubic with B = C = 1/3 at the distance t >= 0
// (in 2^-16 pixels), in units of 2^-28:
//   t < 1:  (21 t^3 - 36 t^2 + 16) / 18
//   t < 2:  (-7 t^3 + 36 t^2 - 60 t + 32) / 18
// The terms are worked out in units of 2^-48 (t < 2^17, so t^3 < 2^51).
std::int64_t Mitchell(std::int64_t t) {
  constexpr std::int64_t kUnit = 65536;
  if (t >= 2 * kUnit) return 0;
  const std::int64_t t2 = t * t;
  const std::int64_t t3 = t2 * t;
  std::int64_t v;
  if (t < kUnit)
    v = 21 * t3 - 36 * (t2 * kUnit) + (std::int64_t{16} << 48);
  else
    v = -7 * t3 + 36 * (t2 * kUnit) - 60 * (t * kUnit * kUnit) + (std::int64_t{32} << 48);
  return FloorDiv(v, std::int64_t{18} << 20);
}

// The source pixels that output pixel j (of the window) takes, consecutive
// from `first`, with weights `raw` of any scale whose sum is positive.
void Contributions(const ResampleAxis& axis, std::uint32_t j, std::int64_t& first, std::vector<std::int64_t>& raw) {
  const std::int64_t n_in = axis.source, n_out = axis.scaled;
  const std::int64_t J = static_cast<std::int64_t>(axis.first) + j;
  raw.clear();
  if (n_out <= n_in) {
    // Area average. In units of 1 / n_out source pixels, output pixel J
    // covers [J n_in, (J + 1) n_in) and source pixel i [i n_out, (i + 1) n_out);
    // each source pixel weighs as much as the two overlap.
    const std::int64_t lo = J * n_in, hi = lo + n_in;
    const std::int64_t i0 = lo / n_out, i1 = (hi - 1) / n_out;
    for (std::int64_t i = i0; i <= i1; ++i) raw.push_back(std::min((i + 1) * n_out, hi) - std::max(i * n_out, lo));
    first = i0;
    return;
  }
  // Cubic. The centre of output pixel J, in units of 1 / (2 n_out) source
  // pixels from the centre of source pixel 0, is X; source pixels c - 1 ..
  // c + 2 around it count, those beyond the edges as the edge pixel.
  const std::int64_t X = (2 * J + 1) * n_in - n_out;
  const std::int64_t c = FloorDiv(X, 2 * n_out);
  const std::int64_t lo = std::max<std::int64_t>(0, c - 1), hi = std::min<std::int64_t>(n_in - 1, c + 2);
  raw.assign(static_cast<std::size_t>(hi - lo + 1), 0);
  for (std::int64_t i = c - 1; i <= c + 2; ++i) {
    const std::int64_t d = X - 2 * i * n_out;
    const std::int64_t t = RoundDiv((d < 0 ? -d : d) * 65536, 2 * n_out);
    raw[static_cast<std::size_t>(std::clamp(i, lo, hi) - lo)] += Mitchell(t);
  }
  first = lo;
}

// The weights of one axis. Every output pixel has the same number of taps
// (the largest support, padded with zero weights), so that the loops need
// no per-pixel length.
struct AxisWeights {
  std::uint32_t taps = 0;
  std::uint32_t lo = 0, hi = 0;          // the source pixels used: lo .. hi - 1
  std::vector<std::uint32_t> start;      // each output pixel's first tap, from lo
  std::vector<std::int16_t> weights;     // taps of them for each, summing to one
};

AxisWeights BuildWeights(const ResampleAxis& axis) {
  AxisWeights w;
  std::vector<std::int64_t> raw;
  std::int64_t first = 0;
  std::int64_t lo = INT64_MAX, hi = 0;
  std::size_t taps = 0;
  for (std::uint32_t j = 0; j < axis.count; ++j) {
    Contributions(axis, j, first, raw);
    lo = std::min(lo, first);
    hi = std::max<std::int64_t>(hi, first + static_cast<std::int64_t>(raw.size()));
    taps = std::max(taps, raw.size());
  }
  w.taps = static_cast<std::uint32_t>(taps);
  w.lo = static_cast<std::uint32_t>(lo);
  w.hi = static_cast<std::uint32_t>(hi);
  w.start.resize(axis.count);
  w.weights.assign(static_cast<std::size_t>(axis.count) * taps, 0);
  for (std::uint32_t j = 0; j < axis.count; ++j) {
    Contributions(axis, j, first, raw);
    // The padded window stays within lo .. hi - 1: it starts at the first
    // tap or, near the far end, early enough to end at hi.
    const std::int64_t start = std::min<std::int64_t>(first, hi - static_cast<std::int64_t>(taps));
    w.start[j] = static_cast<std::uint32_t>(start - lo);
    // Each weight is the rounded running sum minus the one before it, so
    // the weights sum to one exactly and none is off by more than one unit,
    // however many taps there are.
    std::int64_t total = 0;
    for (std::int64_t r : raw) total += r;
    std::int64_t sum = 0, previous = 0;
    std::int16_t* out = w.weights.data() + static_cast<std::size_t>(j) * taps + (first - start);
    for (std::size_t k = 0; k < raw.size(); ++k) {
      sum += raw[k];
      const std::int64_t rounded = RoundDiv(sum * kOne, total);
      out[k] = static_cast<std::int16_t>(rounded - previous);
      previous = rounded;
    }
  }
  return w;
}

template <typename Out>
Out Finish(std::int32_t sum);
// Bytes weighted into the 16-bit buffer.
template <>
std::int16_t Finish<std::int16_t>(std::int32_t sum) {
  const std::int32_t v = (sum + (1 << (kToBufferShift - 1))) >> kToBufferShift;
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(v, INT16_MIN, INT16_MAX));
}
// The 16-bit buffer weighted into bytes.
template <>
std::uint8_t Finish<std::uint8_t>(std::int32_t sum) {
  const std::int32_t v = (sum + (1 << (kToByteShift - 1))) >> kToByteShift;
  return static_cast<std::uint8_t>(std::clamp<std::int32_t>(v, 0, 255));
}

// (a * b) / 255 rounded, for a, b in 0..255.
inline int MulDiv255(int a, int b) {
  const int t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

// One row resized: output pixels from .. to - 1 of the axis, C channels a
// pixel, from the row `in` (its pixel 0 is source pixel wx.lo).
template <int C, typename In, typename Out>
void HorizontalPlain(const In* in, const AxisWeights& wx, std::uint32_t from, std::uint32_t to, Out* out) {
  const std::uint32_t taps = wx.taps;
  for (std::uint32_t j = from; j < to; ++j) {
    const In* s = in + static_cast<std::size_t>(wx.start[j]) * C;
    const std::int16_t* w = wx.weights.data() + static_cast<std::size_t>(j) * taps;
    std::int32_t sum[C] = {};
    for (std::uint32_t k = 0; k < taps; ++k)
      for (int c = 0; c < C; ++c) sum[c] += w[k] * s[static_cast<std::size_t>(k) * C + c];
    for (int c = 0; c < C; ++c) out[static_cast<std::size_t>(j) * C + c] = Finish<Out>(sum[c]);
  }
}

// Rows combined: out[i] = the rows' values at i weighted, for i from
// begin to end - 1.
template <typename In, typename Out>
void VerticalPlain(const In* const* rows, const std::int16_t* weights, std::uint32_t count, std::size_t begin,
                   std::size_t end, Out* out) {
  for (std::size_t i = begin; i < end; ++i) {
    std::int32_t sum = 0;
    for (std::uint32_t k = 0; k < count; ++k) sum += weights[k] * rows[k][i];
    out[i] = Finish<Out>(sum);
  }
}

#if VISTELLE_RESAMPLE_SSE2

// The weights of the SSE2 row loops: for each output pixel its taps in
// pairs, each pair (w0, w1) as a 32-bit word repeated in four lanes, ready
// for _mm_madd_epi16 against (v0, v1) pairs of each channel. An odd last
// tap pairs with a weight of 0 and its own pixel.
struct PairWeights {
  std::uint32_t pairs = 0;
  std::vector<std::int32_t> lanes;
};

PairWeights MakePairWeights(const AxisWeights& wx) {
  PairWeights p;
  p.pairs = (wx.taps + 1) / 2;
  const std::size_t count = wx.start.size();
  p.lanes.resize(count * p.pairs * 4);
  for (std::size_t j = 0; j < count; ++j) {
    const std::int16_t* w = wx.weights.data() + j * wx.taps;
    for (std::uint32_t q = 0; q < p.pairs; ++q) {
      const std::uint32_t w0 = static_cast<std::uint16_t>(w[2 * q]);
      const std::uint32_t w1 = 2 * q + 1 < wx.taps ? static_cast<std::uint16_t>(w[2 * q + 1]) : 0;
      const std::uint32_t word = w0 | (w1 << 16);
      for (int l = 0; l < 4; ++l) std::memcpy(&p.lanes[(j * p.pairs + q) * 4 + l], &word, 4);
    }
  }
  return p;
}

inline __m128i Load32(const std::uint8_t* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtsi32_si128(v);
}

// Output pixels 0 .. to - 1 of a row of bytes into the 16-bit buffer. Reads
// four bytes for each tap pixel (one past a pixel of three) and writes four
// lanes a pixel: the caller keeps the reads inside the row and gives the
// output lanes of slack. T is the number of taps, 0 for any.
template <int C, int T>
void HorizontalBytesSse2(const std::uint8_t* in, const AxisWeights& wx, const PairWeights& pw, std::uint32_t to,
                         std::int16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(1 << (kToBufferShift - 1));
  const std::uint32_t taps = T > 0 ? T : wx.taps, pairs = (taps + 1) / 2;
  const __m128i* w = reinterpret_cast<const __m128i*>(pw.lanes.data());
  for (std::uint32_t j = 0; j < to; ++j, w += pairs) {
    const std::uint8_t* s = in + static_cast<std::size_t>(wx.start[j]) * C;
    __m128i sum = round;
    for (std::uint32_t q = 0; q < pairs; ++q) {
      const __m128i v = _mm_unpacklo_epi8(Load32(s + 2 * q * C), Load32(s + std::min(2 * q + 1, taps - 1) * C));
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), _mm_loadu_si128(w + q)));
    }
    sum = _mm_srai_epi32(sum, kToBufferShift);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + static_cast<std::size_t>(j) * C), _mm_packs_epi32(sum, sum));
  }
}

// Output pixels 0 .. to - 1 of a buffer row into bytes. Reads four lanes
// for each tap pixel (the buffer has the slack) and writes four bytes a
// pixel: the caller stops before a last pixel of three bytes whose fourth
// would land outside the row.
template <int C, int T>
void HorizontalBufferSse2(const std::int16_t* in, const AxisWeights& wx, const PairWeights& pw, std::uint32_t to,
                          std::uint8_t* out) {
  const __m128i round = _mm_set1_epi32(1 << (kToByteShift - 1));
  const std::uint32_t taps = T > 0 ? T : wx.taps, pairs = (taps + 1) / 2;
  const __m128i* w = reinterpret_cast<const __m128i*>(pw.lanes.data());
  auto pixel = [&](std::uint32_t j, const __m128i* wj) {
    const std::int16_t* s = in + static_cast<std::size_t>(wx.start[j]) * C;
    __m128i sum = round;
    for (std::uint32_t q = 0; q < pairs; ++q) {
      const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 2 * q * C));
      const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + std::min(2 * q + 1, taps - 1) * C));
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), _mm_loadu_si128(wj + q)));
    }
    return _mm_srai_epi32(sum, kToByteShift);
  };
  std::uint32_t j = 0;
  // Two pixels at a time share the packing.
  for (; j + 2 <= to; j += 2, w += 2 * pairs) {
    const __m128i packed = _mm_packs_epi32(pixel(j, w), pixel(j + 1, w + pairs));
    const __m128i bytes = _mm_packus_epi16(packed, packed);
    const std::int32_t first = _mm_cvtsi128_si32(bytes), next = _mm_cvtsi128_si32(_mm_srli_si128(bytes, 4));
    std::memcpy(out + static_cast<std::size_t>(j) * C, &first, 4);
    std::memcpy(out + static_cast<std::size_t>(j + 1) * C, &next, 4);
  }
  for (; j < to; ++j, w += pairs) {
    const __m128i sum = pixel(j, w);
    const __m128i packed = _mm_packs_epi32(sum, sum);
    const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(packed, packed));
    std::memcpy(out + static_cast<std::size_t>(j) * C, &bytes, 4);
  }
}

// The row loops with the number of taps fixed where it is small.
template <int C, typename In, typename Out>
void HorizontalSse2(const In* in, const AxisWeights& wx, const PairWeights& pw, std::uint32_t to, Out* out) {
  auto run = [&](auto taps) {
    if constexpr (std::is_same_v<In, std::uint8_t>)
      HorizontalBytesSse2<C, decltype(taps)::value>(in, wx, pw, to, out);
    else
      HorizontalBufferSse2<C, decltype(taps)::value>(in, wx, pw, to, out);
  };
  switch (wx.taps) {
    case 1: run(std::integral_constant<int, 1>()); break;
    case 2: run(std::integral_constant<int, 2>()); break;
    case 3: run(std::integral_constant<int, 3>()); break;
    case 4: run(std::integral_constant<int, 4>()); break;
    case 5: run(std::integral_constant<int, 5>()); break;
    case 6: run(std::integral_constant<int, 6>()); break;
    default: run(std::integral_constant<int, 0>()); break;
  }
}

// The weights of rows k and k + 1 (0 past the last) as one 32-bit word for
// _mm_madd_epi16, for k = 0, 2, 4, ...
void PairWords(const std::int16_t* weights, std::uint32_t count, std::int32_t* words) {
  for (std::uint32_t k = 0; k < count; k += 2) {
    const std::uint32_t w0 = static_cast<std::uint16_t>(weights[k]);
    const std::uint32_t w1 = k + 1 < count ? static_cast<std::uint16_t>(weights[k + 1]) : 0;
    const std::uint32_t word = w0 | (w1 << 16);
    std::memcpy(&words[k / 2], &word, 4);
  }
}

// Byte rows combined into the 16-bit buffer, 16 values at a time; the
// rest (n % 16) is left to the plain loop. words: PairWords.
std::size_t VerticalBytesSse2(const std::uint8_t* const* rows, const std::int32_t* words, std::uint32_t count,
                              std::size_t n, std::int16_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(1 << (kToBufferShift - 1));
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i s0 = round, s1 = round, s2 = round, s3 = round;
    for (std::uint32_t k = 0; k < count; k += 2) {
      const bool pair = k + 1 < count;
      const __m128i w = _mm_set1_epi32(words[k / 2]);
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + i));
      const __m128i b = pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 1] + i)) : zero;
      const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
      s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), w));
      s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), w));
      s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), w));
      s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), w));
    }
    s0 = _mm_srai_epi32(s0, kToBufferShift);
    s1 = _mm_srai_epi32(s1, kToBufferShift);
    s2 = _mm_srai_epi32(s2, kToBufferShift);
    s3 = _mm_srai_epi32(s3, kToBufferShift);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(s0, s1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_packs_epi32(s2, s3));
  }
  return i;
}

// Buffer rows combined into bytes, 16 values at a time; the rest is left
// to the plain loop. words: PairWords.
std::size_t VerticalBufferSse2(const std::int16_t* const* rows, const std::int32_t* words, std::uint32_t count,
                               std::size_t n, std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi32(1 << (kToByteShift - 1));
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i s0 = round, s1 = round, s2 = round, s3 = round;
    for (std::uint32_t k = 0; k < count; k += 2) {
      const bool pair = k + 1 < count;
      const __m128i w = _mm_set1_epi32(words[k / 2]);
      const __m128i* ra = reinterpret_cast<const __m128i*>(rows[k] + i);
      const __m128i a0 = _mm_loadu_si128(ra), a1 = _mm_loadu_si128(ra + 1);
      __m128i b0 = zero, b1 = zero;
      if (pair) {
        const __m128i* rb = reinterpret_cast<const __m128i*>(rows[k + 1] + i);
        b0 = _mm_loadu_si128(rb);
        b1 = _mm_loadu_si128(rb + 1);
      }
      s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi16(a0, b0), w));
      s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi16(a0, b0), w));
      s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi16(a1, b1), w));
      s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi16(a1, b1), w));
    }
    s0 = _mm_srai_epi32(s0, kToByteShift);
    s1 = _mm_srai_epi32(s1, kToByteShift);
    s2 = _mm_srai_epi32(s2, kToByteShift);
    s3 = _mm_srai_epi32(s3, kToByteShift);
    const __m128i lo = _mm_packs_epi32(s0, s1), hi = _mm_packs_epi32(s2, s3);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
  }
  return i;
}

#endif  // VISTELLE_RESAMPLE_SSE2

// What the resampler needs of an engine whatever the number of channels.
class RowEngine {
 public:
  virtual ~RowEngine() = default;
  // Memory for source row r, as the engine's user lays it out.
  virtual std::uint8_t* Slot(std::uint32_t r) = 0;
  // Source row r is complete: its pixels wx.lo .. wx.hi - 1 are at p.
  virtual void Put(std::uint32_t r, const std::uint8_t* p) = 0;
  // Whether rows are kept until later rows come (else each is used at once).
  virtual bool KeepsRows() const = 0;
};

// The two passes over C-channel rows (C = 4: premultiplied B, G, R, A,
// laid over dst) for rows that arrive one at a time: from the top (row
// wy.hi - 1 first) down, or from the bottom up. An output row is made as
// soon as the last source row it takes has come, so only as many rows are
// held as an output row takes.
//
// Fewer output rows than source rows: the source rows are kept as they
// come and combined first, then each combined row is resized. Otherwise
// each source row is resized once as it comes into a ring of resized rows,
// which are then combined. Either way the costlier per-pixel pass runs on
// the smaller number of rows.
template <int C>
class Passes final : public RowEngine {
 public:
  // slot_bytes: the memory Slot gives for a row.
  Passes(const ResampleAxis& x, const ResampleAxis& y, bool simd, bool from_top, PixelRows dst, std::size_t slot_bytes)
      : wx_(BuildWeights(x)), wy_(BuildWeights(y)), from_top_(from_top), dst_(dst), slot_bytes_(slot_bytes) {
    out_width_ = x.count;
    out_height_ = y.count;
    in_width_ = wx_.hi - wx_.lo;
#if VISTELLE_RESAMPLE_SSE2
    simd_ = simd;
    if (simd_) pairs_ = MakePairWeights(wx_);
#else
    (void)simd;
#endif
    weights_.resize(wy_.taps);
    words_.resize(wy_.taps / 2 + 1);
    ring_size_ = wy_.taps;
    vertical_first_ = out_height_ < wy_.hi - wy_.lo;
    if (vertical_first_) {
      slots_.resize(ring_size_ * slot_bytes_);
      kept_.assign(ring_size_, nullptr);
      combined_.resize(static_cast<std::size_t>(in_width_) * C + kLaneSlack);
    } else {
      slots_.resize(slot_bytes_);
      row_values_ = static_cast<std::size_t>(out_width_) * C;
      resized_.resize(ring_size_ * (row_values_ + kLaneSlack));
      // Output pixels whose four-byte reads stay inside a source row of C = 3.
      safe_ = out_width_;
      if (C == 3)
        while (safe_ > 0 && wx_.start[safe_ - 1] + wx_.taps >= in_width_) --safe_;
    }
    if (C == 4) line_.resize(static_cast<std::size_t>(out_width_) * 4);
    next_ = from_top_ ? static_cast<std::int64_t>(out_height_) - 1 : 0;
  }

  std::uint32_t Lo() const { return wy_.lo; }
  // Output rows made, counted from where they start.
  std::uint32_t Made() const {
    return static_cast<std::uint32_t>(from_top_ ? static_cast<std::int64_t>(out_height_) - 1 - next_ : next_);
  }
  std::uint32_t Hi() const { return wy_.hi; }
  std::uint32_t LeftPixel() const { return wx_.lo; }
  std::uint32_t InWidth() const { return in_width_; }

  std::uint8_t* Slot(std::uint32_t r) override {
    return slots_.data() + (vertical_first_ ? (r % ring_size_) * slot_bytes_ : 0);
  }
  bool KeepsRows() const override { return vertical_first_; }

  void Put(std::uint32_t r, const std::uint8_t* p) override {
    if (r < wy_.lo || r >= wy_.hi) return;
    const std::size_t slot = r % ring_size_;
    if (vertical_first_) {
      kept_[slot] = p;
    } else {
      std::int16_t* row = resized_.data() + slot * (row_values_ + kLaneSlack);
      std::uint32_t x = 0;
#if VISTELLE_RESAMPLE_SSE2
      if (simd_) {
        x = safe_;
        HorizontalSse2<C>(p, wx_, pairs_, x, row);
      }
#endif
      HorizontalPlain<C>(p, wx_, x, out_width_, row);
    }
    // The output rows whose taps have all come now: from the top, those
    // whose lowest tap is this row; from the bottom, those whose highest is.
    if (from_top_) {
      while (next_ >= 0 && wy_.lo + wy_.start[static_cast<std::size_t>(next_)] >= r)
        Make(static_cast<std::uint32_t>(next_--));
    } else {
      while (next_ < static_cast<std::int64_t>(out_height_) &&
             wy_.lo + wy_.start[static_cast<std::size_t>(next_)] + wy_.taps - 1 <= r)
        Make(static_cast<std::uint32_t>(next_++));
    }
  }

 private:
  // The taps of output row j that weigh anything: their rows (through
  // row(source row)) and weights, in order; the number of them.
  template <typename Row, typename T>
  std::uint32_t TapsOf(std::uint32_t j, Row row, T* rows) {
    std::uint32_t n = 0;
    const std::int16_t* w = wy_.weights.data() + static_cast<std::size_t>(j) * wy_.taps;
    for (std::uint32_t k = 0; k < wy_.taps; ++k) {
      if (w[k] == 0) continue;
      rows[n] = row(wy_.lo + wy_.start[j] + k);
      weights_[n++] = w[k];
    }
    return n;
  }

  void Make(std::uint32_t j) {
    std::uint8_t* out = C == 4 ? line_.data() : dst_.data + static_cast<std::ptrdiff_t>(j) * dst_.stride;
    if (vertical_first_) {
      const std::uint8_t* rows[64];
      std::vector<const std::uint8_t*> many;
      const std::uint8_t** list = rows;
      if (wy_.taps > 64) {
        many.resize(wy_.taps);
        list = many.data();
      }
      const std::uint32_t count = TapsOf(j, [&](std::uint32_t r) { return kept_[r % ring_size_]; }, list);
      const std::size_t n = static_cast<std::size_t>(in_width_) * C;
      std::size_t i = 0;
#if VISTELLE_RESAMPLE_SSE2
      if (simd_) {
        PairWords(weights_.data(), count, words_.data());
        i = VerticalBytesSse2(list, words_.data(), count, n, combined_.data());
      }
#endif
      VerticalPlain(list, weights_.data(), count, i, n, combined_.data());
      std::uint32_t x = 0;
#if VISTELLE_RESAMPLE_SSE2
      if (simd_) {
        x = C == 4 ? out_width_ : out_width_ - 1;
        HorizontalSse2<C>(combined_.data(), wx_, pairs_, x, out);
      }
#endif
      HorizontalPlain<C>(combined_.data(), wx_, x, out_width_, out);
    } else {
      const std::int16_t* rows[64];
      std::vector<const std::int16_t*> many;
      const std::int16_t** list = rows;
      if (wy_.taps > 64) {
        many.resize(wy_.taps);
        list = many.data();
      }
      const std::uint32_t count = TapsOf(
          j, [&](std::uint32_t r) { return resized_.data() + (r % ring_size_) * (row_values_ + kLaneSlack); }, list);
      std::size_t i = 0;
#if VISTELLE_RESAMPLE_SSE2
      if (simd_) {
        PairWords(weights_.data(), count, words_.data());
        i = VerticalBufferSse2(list, words_.data(), count, row_values_, out);
      }
#endif
      VerticalPlain(list, weights_.data(), count, i, row_values_, out);
    }
    if (C == 4) {
      // The premultiplied picture over what dst holds.
      std::uint8_t* d = dst_.data + static_cast<std::ptrdiff_t>(j) * dst_.stride;
      const std::uint8_t* s = line_.data();
      for (std::uint32_t i = 0; i < out_width_; ++i, d += 3, s += 4) {
        const int rest = 255 - s[3];
        for (int k = 0; k < 3; ++k) d[k] = static_cast<std::uint8_t>(std::min(255, s[k] + MulDiv255(d[k], rest)));
      }
    }
  }

  const AxisWeights wx_, wy_;
  const bool from_top_;
  const PixelRows dst_;
  const std::size_t slot_bytes_;
  bool simd_ = false;
#if VISTELLE_RESAMPLE_SSE2
  PairWeights pairs_;
#endif
  std::uint32_t out_width_ = 0, out_height_ = 0, in_width_ = 0;
  std::size_t ring_size_ = 1;
  bool vertical_first_ = false;
  std::vector<std::int16_t> weights_;
  std::vector<std::int32_t> words_;
  std::vector<std::uint8_t> slots_;        // the rows' memory: a ring of them, or one
  std::vector<const std::uint8_t*> kept_;  // the rows kept, by slot
  std::vector<std::int16_t> combined_;     // source rows combined
  std::size_t row_values_ = 0;
  std::vector<std::int16_t> resized_;  // the ring of resized rows
  std::uint32_t safe_ = 0;
  std::vector<std::uint8_t> line_;  // an output row before it is laid over dst
  std::int64_t next_ = 0;           // the next output row to make
};

bool Valid(ConstPixelRows src, const ResampleAxis& x, const ResampleAxis& y, PixelRows dst) {
  return src.data != nullptr && dst.data != nullptr && ResampleAxisValid(x) && ResampleAxisValid(y);
}

// Row memory with room for the four-byte reads and writes past a pixel.
constexpr std::size_t kByteSlack = 16;

}  // namespace

struct RowResampler::State {
  std::unique_ptr<Passes<3>> opaque;
  std::unique_ptr<Passes<4>> over;
  std::uint32_t source_width = 0;
  std::uint32_t lo = 0, hi = 0;
  std::uint32_t left = 0, in_width = 0;
  // The colour and alpha of a row with alpha, before it is premultiplied.
  std::vector<std::uint8_t> colour, alpha;
};

RowResampler::RowResampler() = default;
RowResampler::~RowResampler() = default;
RowResampler::RowResampler(RowResampler&&) noexcept = default;
RowResampler& RowResampler::operator=(RowResampler&&) noexcept = default;

bool RowResampler::Start(const ResampleAxis& x, const ResampleAxis& y, bool alpha, bool from_top, PixelRows dst,
                         ResampleCode code) {
  state_.reset();
  if (dst.data == nullptr || !ResampleAxisValid(x) || !ResampleAxisValid(y)) return false;
  auto state = std::make_unique<State>();
  const bool simd = code == ResampleCode::kFastest;
  state->source_width = x.source;
  if (alpha) {
    // The slots hold premultiplied pixels of the columns used.
    const AxisWeights probe = BuildWeights(x);
    const std::size_t bytes = static_cast<std::size_t>(probe.hi - probe.lo) * 4 + kByteSlack;
    state->over = std::make_unique<Passes<4>>(x, y, simd, from_top, dst, bytes);
    state->lo = state->over->Lo();
    state->hi = state->over->Hi();
    state->left = state->over->LeftPixel();
    state->in_width = state->over->InWidth();
    state->colour.resize(static_cast<std::size_t>(x.source) * 3 + kByteSlack);
    state->alpha.resize(static_cast<std::size_t>(x.source) + kByteSlack);
  } else {
    // The slots hold whole source rows, as a decoder writes them.
    state->opaque = std::make_unique<Passes<3>>(x, y, simd, from_top, dst, static_cast<std::size_t>(x.source) * 3 + kByteSlack);
    state->lo = state->opaque->Lo();
    state->hi = state->opaque->Hi();
    state->left = state->opaque->LeftPixel();
    state->in_width = state->opaque->InWidth();
  }
  state_ = std::move(state);
  return true;
}

std::uint32_t RowResampler::FirstRow() const { return state_ ? state_->lo : 0; }
std::uint32_t RowResampler::EndRow() const { return state_ ? state_->hi : 0; }

std::uint32_t RowResampler::RowsMade() const {
  if (!state_) return 0;
  return state_->opaque ? state_->opaque->Made() : state_->over->Made();
}

std::uint8_t* RowResampler::ColourBuffer(std::uint32_t r) {
  if (!state_) return nullptr;
  return state_->over ? state_->colour.data() : state_->opaque->Slot(r);
}

std::uint8_t* RowResampler::AlphaBuffer(std::uint32_t) {
  return state_ && state_->over ? state_->alpha.data() : nullptr;
}

void RowResampler::Put(std::uint32_t r, const std::uint8_t* bgr, const std::uint8_t* alpha, bool lasting) {
  if (!state_ || bgr == nullptr || r < state_->lo || r >= state_->hi) return;
  State& s = *state_;
  const std::size_t left = static_cast<std::size_t>(s.left);
  if (s.opaque) {
    std::uint8_t* slot = s.opaque->Slot(r);
    // A row kept for later rows must stay as it is until they come.
    if (bgr != slot && !lasting && s.opaque->KeepsRows()) {
      std::memcpy(slot + left * 3, bgr + left * 3, static_cast<std::size_t>(s.in_width) * 3);
      bgr = slot;
    }
    s.opaque->Put(r, bgr + left * 3);
    return;
  }
  if (alpha == nullptr) return;
  std::uint8_t* row = s.over->Slot(r);
  const std::uint8_t* c = bgr + left * 3;
  const std::uint8_t* a = alpha + left;
  for (std::uint32_t i = 0; i < s.in_width; ++i) {
    for (int k = 0; k < 3; ++k) row[i * 4 + k] = static_cast<std::uint8_t>(MulDiv255(c[i * 3 + k], a[i]));
    row[i * 4 + 3] = a[i];
  }
  s.over->Put(r, row);
}

bool ResampleAxisValid(const ResampleAxis& axis) {
  return axis.source >= 1 && axis.source <= (1u << 20) && axis.scaled >= 1 && axis.scaled <= (1u << 31) &&
         axis.count >= 1 && static_cast<std::uint64_t>(axis.first) + axis.count <= axis.scaled;
}

bool ResampleBgr(ConstPixelRows src, const ResampleAxis& x, const ResampleAxis& y, PixelRows dst, ResampleCode code) {
  if (!Valid(src, x, y, dst)) return false;
  RowResampler resampler;
  if (!resampler.Start(x, y, false, false, dst, code)) return false;
  for (std::uint32_t r = resampler.FirstRow(); r < resampler.EndRow(); ++r)
    resampler.Put(r, src.data + static_cast<std::ptrdiff_t>(r) * src.stride, nullptr, true);
  return true;
}

bool ResampleBgrOver(ConstPixelRows src, ConstPixelRows alpha, const ResampleAxis& x, const ResampleAxis& y,
                     PixelRows dst, ResampleCode code) {
  if (!Valid(src, x, y, dst) || alpha.data == nullptr) return false;
  RowResampler resampler;
  if (!resampler.Start(x, y, true, false, dst, code)) return false;
  for (std::uint32_t r = resampler.FirstRow(); r < resampler.EndRow(); ++r)
    resampler.Put(r, src.data + static_cast<std::ptrdiff_t>(r) * src.stride,
                  alpha.data + static_cast<std::ptrdiff_t>(r) * alpha.stride, true);
  return true;
}

}  // namespace vistelle
