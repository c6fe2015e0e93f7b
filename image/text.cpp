#include "image/text.h"

#include <algorithm>

#include "image/built_in_font.h"
#include "image/text_raster.h"

namespace vistelle {

void InitTextInfo(TextInfo& info, const std::string& face) {
  info = TextInfo();
  info.face = face.substr(0, TextInfo::kMaxFace);
  info.align = kTextAlignCenter;
}

bool DrawStringEx(Image& image, std::int64_t x, std::int64_t y, const TextInfo& info) {
  if (!image.IsValid()) return false;
  if (info.text.empty()) return true;
  TextMask mask;
  if (!(info.built_in_font ? RasterizeBuiltInText(info, mask) : RasterizeText(info, mask))) return false;
  std::int64_t pen = x;
  if (info.align == kTextAlignCenter)
    pen = x - mask.advance / 2;
  else if (info.align == kTextAlignRight)
    pen = x - mask.advance;
  DrawTextMask(image, pen, y, mask, info.color);
  return true;
}

void DrawTextMask(Image& image, std::int64_t x, std::int64_t y, const TextMask& mask, ColorRef color) {
  if (!image.IsValid() || mask.width <= 0 || mask.height <= 0) return;
  const std::int64_t W = image.GetWidth(), H = image.GetHeight();
  const std::int64_t left = x + mask.left;  // image column of mask column 0
  const std::int64_t top = y + mask.top;    // row from the top of mask row 0
  const std::int64_t c0 = std::max<std::int64_t>(0, -left), c1 = std::min<std::int64_t>(mask.width, W - left);
  const std::int64_t r0 = std::max<std::int64_t>(0, -top), r1 = std::min<std::int64_t>(mask.height, H - top);
  if (c0 >= c1 || r0 >= r1) return;

  const int blue = ColorRefBlue(color), green = ColorRefGreen(color), red = ColorRefRed(color);
  for (std::int64_t r = r0; r < r1; ++r) {
    // Rows are stored bottom-up.
    std::uint8_t* d = image.Row(static_cast<std::uint32_t>(H - 1 - (top + r))) + (left + c0) * 3;
    const std::uint8_t* m = mask.coverage.data() + r * mask.width + c0;
    for (std::int64_t c = c0; c < c1; ++c, ++m, d += 3) {
      const int a = *m;
      if (a == 0) continue;
      const int na = 255 - a;
      // (colour * a + d * (255 - a)) / 255, rounded.
      int t = blue * a + d[0] * na + 128;
      d[0] = static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
      t = green * a + d[1] * na + 128;
      d[1] = static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
      t = red * a + d[2] * na + 128;
      d[2] = static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
    }
  }
}

}  // namespace vistelle
