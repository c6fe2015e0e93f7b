#include "render/composition.h"

#include <algorithm>
#include <cstring>

#include "render/placement_sink.h"

namespace vistelle {

void FillCanvas(Image& canvas, ColorRef color) {
  if (!canvas.IsValid()) return;
  const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(ColorRefBlue(color)),
                               static_cast<std::uint8_t>(ColorRefGreen(color)),
                               static_cast<std::uint8_t>(ColorRefRed(color))};
  const std::uint32_t w = canvas.GetWidth();
  // Fill the first row pixel by pixel, then copy it to every other row.
  std::uint8_t* first = canvas.Row(0);
  for (std::uint32_t x = 0; x < w; ++x) std::memcpy(first + static_cast<std::size_t>(x) * 3, bgr, 3);
  for (std::uint32_t y = 1; y < canvas.GetHeight(); ++y)
    std::memcpy(canvas.Row(y), first, static_cast<std::size_t>(w) * 3);
}

void CopyOpaquePixels(Image& destination, const Image& source, std::int64_t x, std::int64_t y) {
  if (!destination.IsValid() || !source.IsValid()) return;
  const std::int64_t W = destination.GetWidth(), H = destination.GetHeight();
  const std::int64_t w = source.GetWidth(), h = source.GetHeight();
  // The part of the source that lands inside the destination.
  const std::int64_t x0 = std::max<std::int64_t>(0, -x), x1 = std::min<std::int64_t>(w, W - x);
  const std::int64_t y0 = std::max<std::int64_t>(0, -y), y1 = std::min<std::int64_t>(h, H - y);
  if (x0 >= x1 || y0 >= y1) return;
  const std::size_t count = static_cast<std::size_t>(x1 - x0);
  for (std::int64_t sy = y0; sy < y1; ++sy) {
    const std::uint8_t* s = source.Row(static_cast<std::uint32_t>(sy)) + x0 * 3;
    std::uint8_t* d = destination.Row(static_cast<std::uint32_t>(sy + y)) + (x0 + x) * 3;
    const std::uint8_t* a = source.AlphaRow(static_cast<std::uint32_t>(sy));
    if (a == nullptr) {
      std::memcpy(d, s, count * 3);
      continue;
    }
    a += x0;
    for (std::size_t i = 0; i < count; ++i) {
      if (a[i] != 0) std::memcpy(d + i * 3, s + i * 3, 3);
    }
  }
}

Offset CenterOffset(std::uint32_t W, std::uint32_t H, std::uint32_t w, std::uint32_t h) {
  Offset o;
  o.x = W >= w ? static_cast<std::int64_t>(W / 2) - static_cast<std::int64_t>(w / 2)
               : -static_cast<std::int64_t>((w - W) / 2);
  o.y = H >= h ? static_cast<std::int64_t>(H / 2) - static_cast<std::int64_t>(h / 2)
               : -static_cast<std::int64_t>((h - H) / 2);
  return o;
}

namespace {

// n * num / den rounded to the nearest integer (halves upward), at least 1.
std::uint32_t ScaleSide(std::uint64_t n, std::uint64_t num, std::uint64_t den) {
  return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (2 * n * num + den) / (2 * den)));
}

// W / w against H / h, without division: the width decides when W h <= H w
// (for fit) or W h >= H w (for fill).
ScaledSize ScaledBy(bool by_width, std::uint32_t W, std::uint32_t H, std::uint32_t w, std::uint32_t h) {
  if (by_width) return {W, ScaleSide(h, W, w)};
  return {ScaleSide(w, H, h), H};
}

}  // namespace

ScaledSize FillSize(std::uint32_t W, std::uint32_t H, std::uint32_t w, std::uint32_t h) {
  if (W == 0 || H == 0 || w == 0 || h == 0) return {};
  return ScaledBy(static_cast<std::uint64_t>(W) * h >= static_cast<std::uint64_t>(H) * w, W, H, w, h);
}

ScaledSize FitSize(std::uint32_t W, std::uint32_t H, std::uint32_t w, std::uint32_t h) {
  if (W == 0 || H == 0 || w == 0 || h == 0) return {};
  return ScaledBy(static_cast<std::uint64_t>(W) * h <= static_cast<std::uint64_t>(H) * w, W, H, w, h);
}

Offset ScaledOffset(std::uint32_t W, std::uint32_t H, ScaledSize size) {
  Offset o;
  o.x = (static_cast<std::int64_t>(W) - size.width) / 2;
  o.y = (static_cast<std::int64_t>(H) - size.height) / 2;
  return o;
}

void PlacePicture(Image& canvas, const Image& picture, int position, Image* scratch) {
  PlacementSink sink(canvas, position, std::nullopt, scratch);
  if (FeedImage(picture, sink)) sink.Finish();
}

}  // namespace vistelle
