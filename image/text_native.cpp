// Text natively: FreeType with Liberation Sans, whose metrics are Arial's,
// sized as GDI sizes a font for a LOGFONT height. Every face name maps to
// Liberation Sans; weights of 600 and above take its bold cut. Rendered
// glyphs are kept, so a calendar's few hundred short strings render once.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

#include "image/text_raster.h"

namespace vistelle {

namespace {

const char* const kRegularFonts[] = {
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
};
const char* const kBoldFonts[] = {
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
};

struct Glyph {
  int left = 0;  // bitmap position from the pen, y up from the baseline
  int top = 0;
  int width = 0;
  int rows = 0;
  FT_Pos advance = 0;  // 26.6
  std::vector<std::uint8_t> pixels;
};

class FontCache {
 public:
  ~FontCache() {
    for (FT_Face f : faces_)
      if (f) FT_Done_Face(f);
    if (library_) FT_Done_FreeType(library_);
  }

  bool Render(const TextInfo& info, TextMask& mask) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int style = info.weight >= 600 ? 1 : 0;
    FT_Face face = Face(style);
    if (face == nullptr) return false;
    const FT_F26Dot6 em = EmSize(face, info.height);
    if (em <= 0) return false;
    if (FT_Set_Char_Size(face, 0, em, 72, 72) != 0) return false;

    // Lay the glyphs out, then paint their coverage into one mask.
    struct Placed {
      const Glyph* glyph;
      int x;
    };
    std::vector<Placed> placed;
    FT_Pos pen = 0;
    int x_min = 0, x_max = 0, y_min = 0, y_max = 0;
    bool any = false;
    const std::string text = info.text.substr(0, TextInfo::kMaxText);
    for (std::size_t i = 0; i < text.size();) {
      const Glyph* g = GlyphFor(face, style, em, NextCodePoint(text, i));
      if (g == nullptr) continue;
      const int x = static_cast<int>((pen + 32) >> 6) + g->left;
      if (g->width > 0 && g->rows > 0) {
        if (!any) {
          x_min = x;
          x_max = x + g->width;
          y_min = -g->top;
          y_max = -g->top + g->rows;
          any = true;
        } else {
          x_min = std::min(x_min, x);
          x_max = std::max(x_max, x + g->width);
          y_min = std::min(y_min, -g->top);
          y_max = std::max(y_max, -g->top + g->rows);
        }
        placed.push_back({g, x});
      }
      pen += g->advance;
    }
    mask = TextMask();
    mask.advance = static_cast<int>((pen + 32) >> 6);
    if (!any) return true;
    mask.left = x_min;
    mask.top = y_min;
    mask.width = x_max - x_min;
    mask.height = y_max - y_min;
    mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
    for (const Placed& p : placed) {
      const Glyph& g = *p.glyph;
      for (int r = 0; r < g.rows; ++r) {
        std::uint8_t* d = mask.coverage.data() + static_cast<std::size_t>(r - g.top - y_min) * mask.width +
                          (p.x - x_min);
        const std::uint8_t* s = g.pixels.data() + static_cast<std::size_t>(r) * g.width;
        for (int c = 0; c < g.width; ++c) d[c] = std::max(d[c], s[c]);
      }
    }
    return true;
  }

 private:
  FT_Face Face(int style) {
    if (tried_[style]) return faces_[style];
    tried_[style] = true;
    if (library_ == nullptr && FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return nullptr;
    }
    const char* const* names = style ? kBoldFonts : kRegularFonts;
    for (std::size_t i = 0; i < 2; ++i) {
      FT_Face face = nullptr;
      if (FT_New_Face(library_, names[i], 0, &face) == 0) {
        faces_[style] = face;
        break;
      }
    }
    // Without the bold cut the regular one serves.
    if (faces_[style] == nullptr && style == 1) return Face(0);
    return faces_[style];
  }

  // The em size (26.6 pixels) that GDI gives a LOGFONT height: a positive
  // height is the cell, ascent plus descent of the Windows metrics.
  static FT_F26Dot6 EmSize(FT_Face face, int height) {
    if (height == 0) return 12 * 64;
    if (height < 0) return static_cast<FT_F26Dot6>(-static_cast<long long>(height) * 64);
    long long cell = 0;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
      cell = static_cast<long long>(os2->usWinAscent) + os2->usWinDescent;
    if (cell <= 0) cell = static_cast<long long>(face->ascender) - face->descender;
    if (cell <= 0) cell = face->units_per_EM;
    return static_cast<FT_F26Dot6>(static_cast<long long>(height) * 64 * face->units_per_EM / cell);
  }

  // UTF-8, with any byte that does not start a valid sequence taken as
  // Latin-1.
  static FT_ULong NextCodePoint(const std::string& s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int extra = b >= 0xC2 && b < 0xE0 ? 1 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xF0 && b < 0xF5 ? 3 : 0;
    if (extra == 0 || i + extra >= s.size()) {
      ++i;
      return b;
    }
    FT_ULong cp = b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) {
        ++i;
        return b;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
  }

  const Glyph* GlyphFor(FT_Face face, int style, FT_F26Dot6 em, FT_ULong code) {
    const auto key = std::make_tuple(style, em, code);
    auto it = glyphs_.find(key);
    if (it != glyphs_.end()) return it->second.get();
    auto glyph = std::make_unique<Glyph>();
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
      const FT_GlyphSlot slot = face->glyph;
      const FT_Bitmap& bm = slot->bitmap;
      glyph->advance = slot->advance.x;
      if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.buffer != nullptr && bm.width > 0 && bm.rows > 0) {
        glyph->left = slot->bitmap_left;
        glyph->top = slot->bitmap_top;
        glyph->width = static_cast<int>(bm.width);
        glyph->rows = static_cast<int>(bm.rows);
        glyph->pixels.resize(static_cast<std::size_t>(bm.width) * bm.rows);
        for (unsigned r = 0; r < bm.rows; ++r) {
          const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(r) * bm.pitch;
          std::copy(src, src + bm.width, glyph->pixels.begin() + static_cast<std::ptrdiff_t>(r) * bm.width);
        }
      }
    }
    return (glyphs_[key] = std::move(glyph)).get();
  }

  std::mutex mutex_;
  FT_Library library_ = nullptr;
  FT_Face faces_[2] = {nullptr, nullptr};
  bool tried_[2] = {false, false};
  std::map<std::tuple<int, FT_F26Dot6, FT_ULong>, std::unique_ptr<Glyph>> glyphs_;
};

FontCache& Fonts() {
  static FontCache cache;
  return cache;
}

}  // namespace

bool RasterizeText(const TextInfo& info, TextMask& mask) { return Fonts().Render(info, mask); }

}  // namespace vistelle
