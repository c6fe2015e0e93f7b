#include "skin/skin_bitmap_win32.h"

#include <ocidl.h>
#include <olectl.h>

namespace vistelle {

namespace {

// Larger picture files than this are not skin pictures.
constexpr DWORD kMaxPictureFile = 64u * 1024u * 1024u;

// A 32-bit top-down bitmap of the given size, filled by copying from source.
HBITMAP CopyToDib(HBITMAP source, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (copy == nullptr) return nullptr;
  HDC from = CreateCompatibleDC(nullptr);
  HDC to = CreateCompatibleDC(nullptr);
  bool ok = false;
  if (from != nullptr && to != nullptr) {
    HGDIOBJ old_from = SelectObject(from, source);
    HGDIOBJ old_to = SelectObject(to, copy);
    ok = BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY) != FALSE;
    SelectObject(to, old_to);
    SelectObject(from, old_from);
  }
  if (from != nullptr) DeleteDC(from);
  if (to != nullptr) DeleteDC(to);
  if (!ok) {
    DeleteObject(copy);
    return nullptr;
  }
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

HBITMAP LoadPicture(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size == 0 || size > kMaxPictureFile) {
    CloseHandle(file);
    return nullptr;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block == nullptr) {
    CloseHandle(file);
    return nullptr;
  }
  bool read_ok = false;
  if (void* data = GlobalLock(block)) {
    DWORD done = 0;
    read_ok = ReadFile(file, data, size, &done, nullptr) && done == size;
    GlobalUnlock(block);
  }
  CloseHandle(file);
  if (!read_ok) {
    GlobalFree(block);
    return nullptr;
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {  // the stream frees the block
    GlobalFree(block);
    return nullptr;
  }
  IPicture* picture = nullptr;
  const HRESULT decoded = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                         reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(decoded) || picture == nullptr) return nullptr;

  // The picture object owns its bitmap; keep a copy of our own so that the
  // object can go.
  HBITMAP result = nullptr;
  short type = PICTYPE_NONE;
  OLE_HANDLE handle = 0;
  if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle))) {
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    const SIZE s = BitmapSize(bitmap);
    result = CopyToDib(bitmap, s.cx, s.cy);
  }
  picture->Release();
  return result;
}

bool LoadBitmapFile(BitmapHolder& holder, const std::string& path) {
  holder.Reset();
  holder.Reset(static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  return static_cast<bool>(holder);
}

HBITMAP CropBitmap(HBITMAP source, int x, int y, int width, int height) {
  if (source == nullptr || width <= 0 || height <= 0) return nullptr;
  HDC from = CreateCompatibleDC(nullptr);
  if (from == nullptr) return nullptr;
  HGDIOBJ old_from = SelectObject(from, source);
  // Compatible with a context that holds the source: of the source's format.
  HBITMAP crop = CreateCompatibleBitmap(from, width, height);
  if (crop != nullptr) {
    HDC to = CreateCompatibleDC(nullptr);
    bool ok = false;
    if (to != nullptr) {
      HGDIOBJ old_to = SelectObject(to, crop);
      PatBlt(to, 0, 0, width, height, BLACKNESS);
      ok = BitBlt(to, 0, 0, width, height, from, x, y, SRCCOPY) != FALSE;
      SelectObject(to, old_to);
      DeleteDC(to);
    }
    if (!ok) {
      DeleteObject(crop);
      crop = nullptr;
    }
  }
  SelectObject(from, old_from);
  DeleteDC(from);
  return crop;
}

void DrawBitmap(HDC dc, HBITMAP bitmap) {
  if (dc == nullptr || bitmap == nullptr) return;
  const SIZE s = BitmapSize(bitmap);
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(dc, 0, 0, s.cx, s.cy, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

}  // namespace vistelle
