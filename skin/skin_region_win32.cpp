#include "skin/skin_region_win32.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "base/win32/dib_win32.h"
#include "skin/region_runs.h"
#include "skin/skin_bitmap_win32.h"

namespace vistelle {

namespace {

// One region made of rects[0, count).
win32::Region RegionOf(const RegionRect* rects, std::size_t count, std::vector<unsigned char>& buffer) {
  static_assert(sizeof(RECT) == sizeof(RegionRect), "region rectangles are RECTs");
  const std::size_t bytes = sizeof(RGNDATAHEADER) + count * sizeof(RECT);
  buffer.assign(bytes, 0);
  RGNDATAHEADER header{};
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(count);
  header.nRgnSize = 0;
  const RegionRect bound = RegionBound(rects, count);
  header.rcBound.left = bound.left;
  header.rcBound.top = bound.top;
  header.rcBound.right = bound.right;
  header.rcBound.bottom = bound.bottom;
  std::memcpy(buffer.data(), &header, sizeof(header));
  if (count != 0) std::memcpy(buffer.data() + sizeof(header), rects, count * sizeof(RECT));
  return win32::Region(
      ExtCreateRegion(nullptr, static_cast<DWORD>(bytes), reinterpret_cast<const RGNDATA*>(buffer.data())));
}

}  // namespace

win32::Region BuildRegion(HBITMAP bitmap, ColorRef key, ColorRef tolerance) {
  if (bitmap == nullptr) return win32::Region();
  const SIZE size = BitmapSize(bitmap);
  if (size.cx <= 0 || size.cy <= 0) return win32::Region();

  // The mask as 32-bit pixels, whatever its own format.
  const BITMAPINFO info = win32::DibInfo(size.cx, size.cy, 32);  // bottom-up
  void* bits = nullptr;
  const win32::Bitmap pixels(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!pixels || bits == nullptr) return win32::Region();
  bool copied = false;
  {
    const win32::MemoryDc to = win32::MakeMemoryDc();
    const win32::MemoryDc from = win32::MakeMemoryDc(to.Get());
    if (to && from) {
      const win32::ScopedSelect to_selected(to.Get(), pixels.Get());
      const win32::ScopedSelect from_selected(from.Get(), bitmap);
      copied = BitBlt(to.Get(), 0, 0, size.cx, size.cy, from.Get(), 0, 0, SRCCOPY) != FALSE;
      GdiFlush();
    }
  }
  if (!copied) return win32::Region();

  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(size.cx) * 4;  // always a multiple of 4
  const auto* base = static_cast<const std::uint8_t*>(bits);
  std::vector<RegionRect> runs;
  CollectRegionRuns(base + stride * (size.cy - 1), size.cx, size.cy, -stride, 4, key, tolerance, runs);

  win32::Region result;
  std::vector<unsigned char> buffer;
  std::size_t first = 0;
  do {
    const std::size_t count = std::min(kRegionBatchSize, runs.size() - first);
    win32::Region part = RegionOf(runs.data() + first, count, buffer);
    first += count;
    if (!part) return win32::Region();
    if (!result) {
      result = std::move(part);
    } else {
      CombineRgn(result.Get(), result.Get(), part.Get(), RGN_OR);
    }
  } while (first < runs.size());
  return result;
}

}  // namespace vistelle
