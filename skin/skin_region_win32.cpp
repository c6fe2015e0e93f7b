#include "skin/skin_region_win32.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "skin/region_runs.h"
#include "skin/skin_bitmap_win32.h"

namespace vistelle {

namespace {

// One region made of rects[0, count).
HRGN RegionOf(const RegionRect* rects, std::size_t count, std::vector<unsigned char>& buffer) {
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
  return ExtCreateRegion(nullptr, static_cast<DWORD>(bytes), reinterpret_cast<const RGNDATA*>(buffer.data()));
}

}  // namespace

HRGN BuildRegion(HBITMAP bitmap, ColorRef key, ColorRef tolerance) {
  if (bitmap == nullptr) return nullptr;
  const SIZE size = BitmapSize(bitmap);
  if (size.cx <= 0 || size.cy <= 0) return nullptr;

  // The mask as 32-bit pixels, whatever its own format.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = size.cy;  // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP pixels = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (pixels == nullptr || bits == nullptr) {
    if (pixels != nullptr) DeleteObject(pixels);
    return nullptr;
  }
  HDC to = CreateCompatibleDC(nullptr);
  HDC from = to ? CreateCompatibleDC(to) : nullptr;
  bool copied = false;
  if (to != nullptr && from != nullptr) {
    HGDIOBJ old_to = SelectObject(to, pixels);
    HGDIOBJ old_from = SelectObject(from, bitmap);
    copied = BitBlt(to, 0, 0, size.cx, size.cy, from, 0, 0, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(from, old_from);
    SelectObject(to, old_to);
  }
  if (from != nullptr) DeleteDC(from);
  if (to != nullptr) DeleteDC(to);
  if (!copied) {
    DeleteObject(pixels);
    return nullptr;
  }

  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(size.cx) * 4;  // always a multiple of 4
  const auto* base = static_cast<const std::uint8_t*>(bits);
  std::vector<RegionRect> runs;
  CollectRegionRuns(base + stride * (size.cy - 1), size.cx, size.cy, -stride, 4, key, tolerance, runs);
  DeleteObject(pixels);

  HRGN result = nullptr;
  std::vector<unsigned char> buffer;
  std::size_t first = 0;
  do {
    const std::size_t count = std::min(kRegionBatchSize, runs.size() - first);
    HRGN part = RegionOf(runs.data() + first, count, buffer);
    first += count;
    if (part == nullptr) {
      if (result != nullptr) DeleteObject(result);
      return nullptr;
    }
    if (result == nullptr) {
      result = part;
    } else {
      CombineRgn(result, result, part, RGN_OR);
      DeleteObject(part);
    }
  } while (first < runs.size());
  return result;
}

}  // namespace vistelle
