#include "image/built_in_font.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "base/utf8.h"

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

namespace vistelle {

extern const unsigned char kBuiltInFont[];
extern const std::size_t kBuiltInFont_size;

namespace {

constexpr int kMaxPixels = 1000;

const stbtt_fontinfo* Font() {
  static const stbtt_fontinfo* const font = [] {
    static stbtt_fontinfo info;
    return stbtt_InitFont(&info, kBuiltInFont, stbtt_GetFontOffsetForIndex(kBuiltInFont, 0)) ? &info : nullptr;
  }();
  return font;
}

// Pixels per font unit; 0 for a height out of reach.
float ScaleFor(const stbtt_fontinfo* font, int height) {
  if (height == 0) height = 12;
  if (height < -kMaxPixels || height > kMaxPixels) return 0;
  return height < 0 ? stbtt_ScaleForMappingEmToPixels(font, static_cast<float>(-height))
                    : stbtt_ScaleForPixelHeight(font, static_cast<float>(height));
}

// The glyphs of the text and the pen position of each (font units), then
// that of the end.
struct Line {
  std::vector<int> glyphs;
  std::vector<long> pens;
  std::vector<std::size_t> ends;  // the byte after each glyph's character
};

Line LayOut(const stbtt_fontinfo* font, const std::string& text) {
  Line line;
  long pen = 0;
  for (std::size_t i = 0; i < text.size();) {
    const int glyph = stbtt_FindGlyphIndex(font, static_cast<int>(NextCodePoint(text, i)));
    if (!line.glyphs.empty()) pen += stbtt_GetGlyphKernAdvance(font, line.glyphs.back(), glyph);
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(font, glyph, &advance, &bearing);
    line.glyphs.push_back(glyph);
    line.pens.push_back(pen);
    line.ends.push_back(i);
    pen += advance;
  }
  line.pens.push_back(pen);
  return line;
}

int Pixels(long units, float scale) { return static_cast<int>(std::lround(static_cast<float>(units) * scale)); }

}  // namespace

bool RasterizeBuiltInText(const TextInfo& info, TextMask& mask) {
  mask = TextMask();
  const stbtt_fontinfo* font = Font();
  if (font == nullptr) return false;
  const float scale = ScaleFor(font, info.height);
  if (scale <= 0) return false;
  const Line line = LayOut(font, info.text.substr(0, TextInfo::kMaxText));
  mask.advance = Pixels(line.pens.back(), scale);

  // Each glyph at its pen position to the pixel, drawn with the rest of
  // the position as a subpixel shift.
  struct Placed {
    int glyph, x, x0, y0, x1, y1;
    float shift;
  };
  std::vector<Placed> placed;
  int left = 0, top = 0, right = 0, bottom = 0;
  for (std::size_t g = 0; g < line.glyphs.size(); ++g) {
    const float at = static_cast<float>(line.pens[g]) * scale;
    const float whole = std::floor(at);
    Placed p{line.glyphs[g], static_cast<int>(whole), 0, 0, 0, 0, at - whole};
    stbtt_GetGlyphBitmapBoxSubpixel(font, p.glyph, scale, scale, p.shift, 0, &p.x0, &p.y0, &p.x1, &p.y1);
    if (p.x1 <= p.x0 || p.y1 <= p.y0) continue;
    if (placed.empty()) {
      left = p.x + p.x0, right = p.x + p.x1, top = p.y0, bottom = p.y1;
    } else {
      left = std::min(left, p.x + p.x0), right = std::max(right, p.x + p.x1);
      top = std::min(top, p.y0), bottom = std::max(bottom, p.y1);
    }
    placed.push_back(p);
  }
  if (placed.empty()) return true;
  mask.left = left;
  mask.top = top;
  mask.width = right - left;
  mask.height = bottom - top;
  mask.coverage.assign(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height), 0);
  std::vector<unsigned char> bitmap;
  for (const Placed& p : placed) {
    const int w = p.x1 - p.x0, h = p.y1 - p.y0;
    bitmap.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    stbtt_MakeGlyphBitmapSubpixel(font, bitmap.data(), w, h, w, scale, scale, p.shift, 0, p.glyph);
    // Where neighbours overlap, their coverage adds up to full.
    for (int y = 0; y < h; ++y) {
      std::uint8_t* to = mask.coverage.data() + static_cast<std::size_t>(p.y0 - top + y) * mask.width +
                         (p.x + p.x0 - left);
      const unsigned char* from = bitmap.data() + static_cast<std::size_t>(y) * w;
      for (int x = 0; x < w; ++x) to[x] = static_cast<std::uint8_t>(std::min(255, to[x] + from[x]));
    }
  }
  return true;
}

int BuiltInTextAdvance(const std::string& text, int height) {
  const stbtt_fontinfo* font = Font();
  const float scale = font ? ScaleFor(font, height) : 0;
  if (scale <= 0) return 0;
  return Pixels(LayOut(font, text.substr(0, TextInfo::kMaxText)).pens.back(), scale);
}

LineMetrics BuiltInFontLine(int height) {
  const stbtt_fontinfo* font = Font();
  const float scale = font ? ScaleFor(font, height) : 0;
  if (scale <= 0) return {};
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(font, &ascent, &descent, &gap);
  return {static_cast<int>(std::ceil(static_cast<float>(ascent) * scale)),
          static_cast<int>(std::ceil(static_cast<float>(-descent) * scale))};
}

std::string FitBuiltInText(const std::string& text, int height, int max_width) {
  const stbtt_fontinfo* font = Font();
  const float scale = font ? ScaleFor(font, height) : 0;
  if (scale <= 0) return std::string();
  const std::string whole = text.substr(0, TextInfo::kMaxText);
  const Line line = LayOut(font, whole);
  if (Pixels(line.pens.back(), scale) <= max_width) return whole;
  const Line dots = LayOut(font, "...");
  // The longest start whose end, with the dots after it, still fits (the
  // kerning between them is left out: it is a fraction of a pixel).
  std::size_t keep = line.glyphs.size();
  while (keep > 0 && Pixels(line.pens[keep] + dots.pens.back(), scale) > max_width) --keep;
  if (keep == 0 && Pixels(dots.pens.back(), scale) > max_width) return std::string();
  std::string start = whole.substr(0, keep == 0 ? 0 : line.ends[keep - 1]);
  while (!start.empty() && (start.back() == ' ' || start.back() == '\t')) start.pop_back();
  return start + "...";
}

}  // namespace vistelle
