#include "render/caption.h"

#include <algorithm>

#include "image/built_in_font.h"
#include "image/text.h"
#include "image/text_raster.h"

namespace vistelle {

namespace {

constexpr std::int64_t kMargin = 20;

}  // namespace

CaptionLook CaptionLookOf(const TConfig& settings) {
  CaptionLook look;
  look.position = settings.caption_position;
  look.points = settings.caption_size;
  look.color = settings.color_caption;
  look.shadow = settings.caption_shadow != 0;
  look.plate = settings.caption_plate != 0;
  return look;
}

CaptionPlacement PlaceCaption(std::uint32_t W, std::uint32_t H, const std::string& text, const CaptionLook& look) {
  CaptionPlacement at;
  const int points = std::clamp(look.points, 1, 720);
  const int em = (points * 96 + 36) / 72;
  at.height = -em;
  const LineMetrics line = BuiltInFontLine(at.height);
  const std::int64_t pad = em / 4;
  const std::int64_t bottom_keep = kMargin + static_cast<std::int64_t>(H) * 7 / 100;
  const std::int64_t room = static_cast<std::int64_t>(W) - 2 * kMargin - 2 * pad;
  const std::int64_t block_height = line.ascent + line.descent + 2 * pad;
  if (text.empty() || room <= 0 || block_height > static_cast<std::int64_t>(H) - kMargin - bottom_keep) return at;
  at.text = FitBuiltInText(text, at.height, static_cast<int>(std::min<std::int64_t>(room, 1 << 30)));
  if (at.text.empty()) return at;
  const std::int64_t block_width = BuiltInTextAdvance(at.text, at.height) + 2 * pad;

  const int position = look.position >= 0 && look.position <= 8 ? look.position : 8;
  const int column = position % 3, row = position / 3;
  const std::int64_t width = W, height = H;
  at.left = column == 0 ? kMargin : column == 1 ? (width - block_width) / 2 : width - kMargin - block_width;
  at.top = row == 0 ? kMargin : row == 1 ? (height - block_height) / 2 : height - bottom_keep - block_height;
  at.right = at.left + block_width;
  at.bottom = at.top + block_height;
  at.pen_x = at.left + pad;
  at.baseline = at.top + pad + line.ascent;
  return at;
}

void DrawCaption(Image& canvas, const std::string& text, const CaptionLook& look) {
  if (!canvas.IsValid()) return;
  const std::uint32_t W = canvas.GetWidth(), H = canvas.GetHeight();
  const CaptionPlacement at = PlaceCaption(W, H, text, look);
  if (at.text.empty()) return;
  TextInfo info;
  info.text = at.text;
  info.height = at.height;
  info.built_in_font = true;
  TextMask mask;
  if (!RasterizeBuiltInText(info, mask)) return;
  if (look.plate) {
    // Half as bright behind the text.
    const std::int64_t x0 = std::max<std::int64_t>(0, at.left), x1 = std::min<std::int64_t>(W, at.right);
    const std::int64_t y0 = std::max<std::int64_t>(0, at.top), y1 = std::min<std::int64_t>(H, at.bottom);
    for (std::int64_t y = y0; y < y1; ++y) {
      std::uint8_t* p = canvas.Row(static_cast<std::uint32_t>(H - 1 - y)) + x0 * 3;
      for (std::int64_t i = 0; i < (x1 - x0) * 3; ++i) p[i] = static_cast<std::uint8_t>(p[i] >> 1);
    }
  }
  if (look.shadow) {
    const std::int64_t offset = std::max(1, -at.height / 16);
    DrawTextMask(canvas, at.pen_x + offset, at.baseline + offset, mask, 0);
  }
  DrawTextMask(canvas, at.pen_x, at.baseline, mask, look.color);
}

}  // namespace vistelle
