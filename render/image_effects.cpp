// The image effects of Image: point operations through 256-entry tables,
// the diffusion smoothing, the noise generator and the alpha blend. All
// integer, so that every build gives the same pixels.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/image.h"

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
  std::uint64_t Next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
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
    for (std::size_t i = 0; i < padded; ++i)
      col[i] = static_cast<std::uint16_t>(below[i] + here[i] + above[i]);
    std::uint8_t* d = image.Row(y);
    const std::uint8_t* c = here + 3;
    const std::uint16_t* cs = col + 3;
    for (std::size_t i = 0; i < n; ++i) {
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
    for (std::uint32_t x = 0; x < w; ++x, p += 3) {
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
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* p = Row(y);
    for (std::uint32_t x = 0; x < w; ++x, p += 3) {
      const std::uint8_t* c = ramp[Luma(p)];
      p[0] = c[0];
      p[1] = c[1];
      p[2] = c[2];
    }
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
  // The row's draws first, four 16-bit ones from each 64-bit output (a
  // fresh output for the last one to three), then the row itself.
  std::vector<std::uint16_t> draws((n + 3) & ~static_cast<std::size_t>(3));
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::size_t i = 0; i < draws.size(); i += 4) {
      const std::uint64_t r = gen.Next();
      draws[i] = static_cast<std::uint16_t>(r);
      draws[i + 1] = static_cast<std::uint16_t>(r >> 16);
      draws[i + 2] = static_cast<std::uint16_t>(r >> 32);
      draws[i + 3] = static_cast<std::uint16_t>(r >> 48);
    }
    std::uint8_t* p = Row(y);
    const std::uint16_t* u = draws.data();
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    // offset = (u * span) >> 16, the high half of a 16-bit product.
    const __m128i zero = _mm_setzero_si128();
    const __m128i span16 = _mm_set1_epi16(static_cast<short>(span));
    const __m128i half16 = _mm_set1_epi16(static_cast<short>(half));
    for (; i + 8 <= n; i += 8) {
      const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + i));
      const __m128i offset = _mm_sub_epi16(_mm_mulhi_epu16(r, span16), half16);
      const __m128i v = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i)), zero);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(p + i), _mm_packus_epi16(_mm_add_epi16(v, offset), zero));
    }
#endif
    for (; i < n; ++i) p[i] = Clamp255(p[i] + static_cast<int>((u[i] * span) >> 16) - half);
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
