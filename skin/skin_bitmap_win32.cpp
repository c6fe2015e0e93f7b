#include "skin/skin_bitmap_win32.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/file_io.h"
#include "base/win32/com_ptr_win32.h"
#include "base/win32/dib_win32.h"
#include "image/image.h"
#include "skin/skin_scale.h"

namespace vistelle {

namespace {

// Larger picture files than this are not skin pictures.
constexpr DWORD kMaxPictureFile = 64u * 1024u * 1024u;

// A 32-bit top-down bitmap of the given size, filled by copying from source.
win32::Bitmap CopyToDib(HBITMAP source, int width, int height) {
  if (width <= 0 || height <= 0) return win32::Bitmap();
  const BITMAPINFO info = win32::DibInfo(width, -height, 32);
  void* bits = nullptr;
  win32::Bitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!copy) return copy;
  const win32::MemoryDc from = win32::MakeMemoryDc();
  const win32::MemoryDc to = win32::MakeMemoryDc();
  bool ok = false;
  if (from && to) {
    const win32::ScopedSelect from_selected(from.Get(), source);
    const win32::ScopedSelect to_selected(to.Get(), copy.Get());
    ok = BitBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, SRCCOPY) != FALSE;
  }
  if (!ok) copy.Reset();
  return copy;
}

}  // namespace

SIZE BitmapSize(HBITMAP bitmap) {
  SIZE size{0, 0};
  BITMAP info{};
  if (bitmap != nullptr && GetObjectA(bitmap, sizeof(info), &info) == sizeof(info)) {
    size.cx = info.bmWidth;
    size.cy = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  }
  return size;
}

win32::Bitmap LoadPicture(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, kMaxPictureFile) || bytes.empty()) return win32::Bitmap();
  const DWORD size = static_cast<DWORD>(bytes.size());
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block == nullptr) return win32::Bitmap();
  void* data = GlobalLock(block);
  if (data == nullptr) {
    GlobalFree(block);
    return win32::Bitmap();
  }
  std::memcpy(data, bytes.data(), size);
  GlobalUnlock(block);
  win32::ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.Put()))) {  // the stream frees the block
    GlobalFree(block);
    return win32::Bitmap();
  }
  win32::ComPtr<IPicture> picture;
  const HRESULT decoded = OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.PutVoid());
  if (FAILED(decoded) || !picture) return win32::Bitmap();

  // The picture object owns its bitmap; keep a copy of our own so that the
  // object can go.
  win32::Bitmap result;
  short type = PICTYPE_NONE;
  OLE_HANDLE handle = 0;
  if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle))) {
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    const SIZE s = BitmapSize(bitmap);
    result = CopyToDib(bitmap, s.cx, s.cy);
  }
  return result;
}

win32::Bitmap LoadSkinPicture(const std::string& path, int width, int height, bool hard_edges) {
  if (width <= 0 || height <= 0) return win32::Bitmap();
  Image picture;
  if (!picture.Load(path)) return win32::Bitmap();
  const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
  if ((picture.GetWidth() != w || picture.GetHeight() != h) && !ScaleSkinPicture(picture, w, h, hard_edges, picture))
    return win32::Bitmap();
  const BITMAPINFO info = win32::DibInfo(width, -height, 32);
  void* bits = nullptr;
  win32::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return bitmap;
  // Top-down, four bytes a pixel; the picture's rows are bottom-up.
  auto* to = static_cast<std::uint8_t*>(bits);
  for (std::uint32_t row = 0; row < h; ++row) {
    const std::uint8_t* from = picture.Row(h - 1 - row);
    for (std::uint32_t x = 0; x < w; ++x, to += 4, from += 3) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = 0;
    }
  }
  return bitmap;
}

bool LoadBitmapFile(win32::Bitmap& holder, const std::string& path) {
  holder.Reset();
  holder.Reset(static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  return static_cast<bool>(holder);
}

win32::Bitmap CropBitmap(HBITMAP source, int x, int y, int width, int height) {
  if (source == nullptr || width <= 0 || height <= 0) return win32::Bitmap();
  const win32::MemoryDc from = win32::MakeMemoryDc();
  if (!from) return win32::Bitmap();
  const win32::ScopedSelect from_selected(from.Get(), source);
  // Compatible with a context that holds the source: of the source's format.
  win32::Bitmap crop(CreateCompatibleBitmap(from.Get(), width, height));
  if (!crop) return crop;
  const win32::MemoryDc to = win32::MakeMemoryDc();
  bool ok = false;
  if (to) {
    const win32::ScopedSelect to_selected(to.Get(), crop.Get());
    PatBlt(to.Get(), 0, 0, width, height, BLACKNESS);
    ok = BitBlt(to.Get(), 0, 0, width, height, from.Get(), x, y, SRCCOPY) != FALSE;
  }
  if (!ok) crop.Reset();
  return crop;
}

void DrawBitmap(HDC dc, HBITMAP bitmap) {
  if (dc == nullptr || bitmap == nullptr) return;
  const SIZE s = BitmapSize(bitmap);
  const win32::MemoryDc memory = win32::MakeMemoryDc(dc);
  if (!memory) return;
  const win32::ScopedSelect selected(memory.Get(), bitmap);
  BitBlt(dc, 0, 0, s.cx, s.cy, memory.Get(), 0, 0, SRCCOPY);
}

}  // namespace vistelle
