// Text on Windows: the glyphs of the GDI font as antialiased gray bitmaps
// (GetGlyphOutline), laid out as TextOut lays them out.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/win32/handle_win32.h"
#include "base/win32/utf16_win32.h"
#include "image/text_raster.h"

namespace vistelle {

bool RasterizeText(const TextInfo& info, TextMask& mask) {
  mask = TextMask();
  const std::string text = info.text.substr(0, TextInfo::kMaxText);
  const std::string face = info.face.substr(0, TextInfo::kMaxFace);
  // The text is UTF-8; glyphs are asked for by UTF-16 character.
  const std::wstring wide = win32::Widen(text);
  if (!text.empty() && wide.empty()) return false;

  const win32::MemoryDc dc = win32::MakeMemoryDc();
  if (!dc) return false;
  const win32::Font font(CreateFontA(info.height == 0 ? -12 : info.height, 0, 0, 0, info.weight, FALSE, FALSE,
                                    FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str()));
  if (!font) return false;
  const win32::ScopedSelect font_selection(dc.Get(), font.Get());

  // Each glyph as a 65-level gray bitmap (GDI's own text output would leave
  // small sizes of fonts like Arial unsmoothed), placed as TextOut places
  // it: advancing by the cell increment, without kerning.
  struct Placed {
    int x = 0;           // left edge, from the pen origin
    int top = 0;         // top row, from the baseline (negative above)
    int width = 0;
    int rows = 0;
    std::size_t offset = 0;  // into the gray buffer
    std::size_t pitch = 0;
  };
  std::vector<Placed> placed;
  std::vector<std::uint8_t> gray;
  const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  int pen = 0;
  int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  bool any = false;
  for (wchar_t ch : wide) {
    GLYPHMETRICS gm;
    ZeroMemory(&gm, sizeof gm);
    const DWORD size = GetGlyphOutlineW(dc.Get(), ch, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
    if (size == GDI_ERROR) continue;
    if (size > 0 && gm.gmBlackBoxX > 0 && gm.gmBlackBoxY > 0) {
      Placed p;
      p.x = pen + gm.gmptGlyphOrigin.x;
      p.top = -gm.gmptGlyphOrigin.y;
      p.width = static_cast<int>(gm.gmBlackBoxX);
      p.rows = static_cast<int>(gm.gmBlackBoxY);
      p.pitch = (static_cast<std::size_t>(gm.gmBlackBoxX) + 3) & ~static_cast<std::size_t>(3);
      p.offset = gray.size();
      if (p.pitch * p.rows > size) continue;
      gray.resize(gray.size() + size);
      if (GetGlyphOutlineW(dc.Get(), ch, GGO_GRAY8_BITMAP, &gm, size, gray.data() + p.offset, &identity) ==
          GDI_ERROR)
        continue;
      if (!any) {
        x0 = p.x;
        x1 = p.x + p.width;
        y0 = p.top;
        y1 = p.top + p.rows;
        any = true;
      } else {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x + p.width);
        y0 = std::min(y0, p.top);
        y1 = std::max(y1, p.top + p.rows);
      }
      placed.push_back(p);
    }
    pen += gm.gmCellIncX;
  }
  mask.advance = pen;
  if (!any) return true;
  if (x1 - x0 > 32767 || y1 - y0 > 32767) return false;
  mask.left = x0;
  mask.top = y0;
  mask.width = x1 - x0;
  mask.height = y1 - y0;
  mask.coverage.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
  for (const Placed& p : placed) {
    for (int r = 0; r < p.rows; ++r) {
      const std::uint8_t* s = gray.data() + p.offset + static_cast<std::size_t>(r) * p.pitch;
      std::uint8_t* d =
          mask.coverage.data() + static_cast<std::size_t>(p.top + r - y0) * mask.width + (p.x - x0);
      for (int c = 0; c < p.width; ++c) {
        // 0..64 to 0..255.
        const int v = std::min<int>(s[c], 64);
        d[c] = std::max<std::uint8_t>(d[c], static_cast<std::uint8_t>((v * 255 + 32) / 64));
      }
    }
  }
  return true;
}

}  // namespace vistelle
