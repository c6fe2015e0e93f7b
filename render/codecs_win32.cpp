// The platform decoders of the Windows build: the Windows Imaging Component
// for the raster formats, GDI's metafile support for WMF.
//
// Every picture is read from memory (the file was read whole before), its
// size is checked before any pixel is converted, and the pixels are fetched
// in bands of rows so that a large picture never needs a second full-size
// 32-bit copy.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/byte_reader.h"
#include "render/image_codecs.h"

namespace vistelle {

namespace {

// ---------------------------------------------------------------------------
// COM plumbing.

// A COM interface pointer, released when it goes. Move-only.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      ptr_ = other.ptr_;
      other.ptr_ = nullptr;
    }
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For functions that hand out a new reference.
  T** Put() {
    Reset();
    return &ptr_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (ptr_ != nullptr) {
      ptr_->Release();
      ptr_ = nullptr;
    }
  }

 private:
  T* ptr_ = nullptr;
};

// COM on the calling thread, entered on first use and left when the thread
// ends. A thread that already chose the other apartment model still has COM
// (RPC_E_CHANGED_MODE), which is all the decoders need.
class ThreadCom {
 public:
  ThreadCom() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ThreadCom() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ThreadCom(const ThreadCom&) = delete;
  ThreadCom& operator=(const ThreadCom&) = delete;
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

bool EnsureCom() {
  thread_local ThreadCom com;
  return com.Usable();
}

// A PROPVARIANT cleared when it goes.
class PropVariant {
 public:
  PropVariant() { PropVariantInit(&value_); }
  ~PropVariant() { PropVariantClear(&value_); }
  PropVariant(const PropVariant&) = delete;
  PropVariant& operator=(const PropVariant&) = delete;
  PROPVARIANT* Get() { return &value_; }
  const PROPVARIANT& operator*() const { return value_; }

 private:
  PROPVARIANT value_;
};

// ---------------------------------------------------------------------------
// WIC.

// Rows fetched per CopyPixels call: about 4 MiB of 32-bit pixels.
constexpr std::size_t kBandBytes = 4u << 20;

// Fills out from top-down BGRA rows, one band at a time. The alpha plane is
// made only when some pixel is not fully opaque; rows before that one were
// all opaque, which is what a fresh plane holds.
class BgraSink {
 public:
  explicit BgraSink(Image& out) : out_(out) {}

  void PutRow(std::uint32_t top_row, const std::uint8_t* bgra) {
    const std::uint32_t width = out_.GetWidth();
    const std::uint32_t row = out_.GetHeight() - 1 - top_row;
    std::uint8_t* d = out_.Row(row);
    for (std::uint32_t x = 0; x < width; ++x) {
      d[x * 3 + 0] = bgra[x * 4 + 0];
      d[x * 3 + 1] = bgra[x * 4 + 1];
      d[x * 3 + 2] = bgra[x * 4 + 2];
    }
    if (!out_.HasAlpha()) {
      bool opaque = true;
      for (std::uint32_t x = 0; x < width && opaque; ++x) opaque = bgra[x * 4 + 3] == 255;
      if (opaque) return;
      out_.AlphaCreate();
    }
    std::uint8_t* a = out_.AlphaRow(row);
    for (std::uint32_t x = 0; x < width; ++x) a[x] = bgra[x * 4 + 3];
  }

 private:
  Image& out_;
};

// Pulls the whole source through CopyPixels in bands of top-down rows of
// `bytes_per_pixel` bytes and hands each row to put_row.
template <typename PutRow>
bool CopyInBands(IWICBitmapSource* source, std::uint32_t width, std::uint32_t height,
                 std::uint32_t bytes_per_pixel, PutRow put_row) {
  const std::size_t stride = static_cast<std::size_t>(width) * bytes_per_pixel;
  const std::uint32_t band_rows =
      static_cast<std::uint32_t>(std::max<std::size_t>(1, std::min<std::size_t>(height, kBandBytes / stride)));
  std::vector<std::uint8_t> band(stride * band_rows);
  for (std::uint32_t top = 0; top < height; top += band_rows) {
    const std::uint32_t rows = std::min(band_rows, height - top);
    const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
    if (FAILED(source->CopyPixels(&rect, static_cast<UINT>(stride), static_cast<UINT>(stride * rows),
                                  band.data())))
      return false;
    for (std::uint32_t r = 0; r < rows; ++r) put_row(top + r, band.data() + stride * r);
  }
  return true;
}

bool MakeFactory(ComPtr<IWICImagingFactory>& factory) {
  return EnsureCom() && SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                   IID_IWICImagingFactory, factory.PutVoid()));
}

// Bits per pixel of a WIC pixel format, 0 when unknown.
UINT BitsPerPixel(IWICImagingFactory* factory, const WICPixelFormatGUID& format) {
  ComPtr<IWICComponentInfo> info;
  if (FAILED(factory->CreateComponentInfo(format, info.Put()))) return 0;
  ComPtr<IWICPixelFormatInfo> pixel_info;
  if (FAILED(info->QueryInterface(IID_IWICPixelFormatInfo, pixel_info.PutVoid()))) return 0;
  UINT bits = 0;
  return SUCCEEDED(pixel_info->GetBitsPerPixel(&bits)) ? bits : 0;
}

// The frame to show: the first, or for an icon the largest picture (the
// deepest colour among equally large ones).
bool ChooseFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, ImageFormat format,
                 ComPtr<IWICBitmapFrameDecode>& frame) {
  if (format != ImageFormat::kIco) return SUCCEEDED(decoder->GetFrame(0, frame.Put()));
  UINT count = 0;
  if (FAILED(decoder->GetFrameCount(&count)) || count == 0) return false;
  // An icon file's directory has at most 65535 entries; more than a few
  // hundred is not a real icon.
  count = std::min<UINT>(count, 512);
  std::uint64_t best_area = 0;
  UINT best_bits = 0;
  for (UINT i = 0; i < count; ++i) {
    ComPtr<IWICBitmapFrameDecode> candidate;
    if (FAILED(decoder->GetFrame(i, candidate.Put()))) continue;
    UINT width = 0, height = 0;
    if (FAILED(candidate->GetSize(&width, &height))) continue;
    WICPixelFormatGUID pixel_format;
    const UINT bits = SUCCEEDED(candidate->GetPixelFormat(&pixel_format)) ? BitsPerPixel(factory, pixel_format) : 0;
    const std::uint64_t area = static_cast<std::uint64_t>(width) * height;
    if (area > best_area || (area == best_area && bits > best_bits)) {
      best_area = area;
      best_bits = bits;
      frame = std::move(candidate);
    }
  }
  return static_cast<bool>(frame);
}

// The palette index a GIF frame declares transparent, or -1.
int GifTransparentIndex(IWICBitmapFrameDecode* frame) {
  ComPtr<IWICMetadataQueryReader> reader;
  if (FAILED(frame->GetMetadataQueryReader(reader.Put()))) return -1;
  PropVariant flag;
  if (FAILED(reader->GetMetadataByName(L"/grctlext/TransparencyFlag", flag.Get()))) return -1;
  const bool transparent = ((*flag).vt == VT_BOOL && (*flag).boolVal != VARIANT_FALSE) ||
                           ((*flag).vt == VT_UI1 && (*flag).bVal != 0);
  if (!transparent) return -1;
  PropVariant index;
  if (FAILED(reader->GetMetadataByName(L"/grctlext/TransparentColorIndex", index.Get())) ||
      (*index).vt != VT_UI1)
    return -1;
  return (*index).bVal;
}

// A GIF frame through its own palette, so that the transparent colour comes
// out transparent whether or not the system's palette says so.
bool DecodeIndexedGif(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, Image& out) {
  ComPtr<IWICPalette> palette;
  if (FAILED(factory->CreatePalette(palette.Put())) || FAILED(frame->CopyPalette(palette.Get()))) return false;
  WICColor colors[256];
  UINT count = 0;
  if (FAILED(palette->GetColors(256, colors, &count))) return false;
  std::uint8_t table[256][4];
  for (UINT i = 0; i < 256; ++i) {
    const WICColor c = i < count ? colors[i] : 0xFF000000u;  // ARGB
    table[i][0] = static_cast<std::uint8_t>(c & 0xFF);
    table[i][1] = static_cast<std::uint8_t>((c >> 8) & 0xFF);
    table[i][2] = static_cast<std::uint8_t>((c >> 16) & 0xFF);
    table[i][3] = static_cast<std::uint8_t>((c >> 24) & 0xFF);
  }
  const int transparent = GifTransparentIndex(frame);
  if (transparent >= 0) table[transparent][3] = 0;

  BgraSink sink(out);
  std::vector<std::uint8_t> bgra(static_cast<std::size_t>(out.GetWidth()) * 4);
  return CopyInBands(frame, out.GetWidth(), out.GetHeight(), 1, [&](std::uint32_t top, const std::uint8_t* row) {
    for (std::uint32_t x = 0; x < out.GetWidth(); ++x) std::memcpy(&bgra[x * 4], table[row[x]], 4);
    sink.PutRow(top, bgra.data());
  });
}

bool DecodeWithWic(ImageFormat format, const std::uint8_t* data, std::size_t size, Image& out) {
  if (data == nullptr || size == 0 || size > MAXDWORD) return false;
  ComPtr<IWICImagingFactory> factory;
  if (!MakeFactory(factory)) return false;
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(stream.Put())) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
    return false;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Put())))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (!ChooseFrame(factory.Get(), decoder.Get(), format, frame)) return false;

  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height)) || !ImageSizeAcceptable(width, height)) return false;
  Image image;
  if (!image.Create(width, height)) return false;

  WICPixelFormatGUID pixel_format;
  if (FAILED(frame->GetPixelFormat(&pixel_format))) return false;
  bool ok = false;
  if (format == ImageFormat::kGif && IsEqualGUID(pixel_format, GUID_WICPixelFormat8bppIndexed)) {
    ok = DecodeIndexedGif(factory.Get(), frame.Get(), image);
  } else {
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
      return false;
    BgraSink sink(image);
    ok = CopyInBands(converter.Get(), width, height, 4,
                     [&](std::uint32_t top, const std::uint8_t* row) { sink.PutRow(top, row); });
  }
  if (!ok) return false;
  out = std::move(image);
  return true;
}

// ---------------------------------------------------------------------------
// Windows metafiles.

// The largest side a metafile is drawn at; larger pictures are drawn
// smaller, keeping their shape.
constexpr std::uint32_t kMaxMetafileSide = 4096;
// Pixels per inch of the drawing (the usual screen resolution).
constexpr std::uint32_t kMetafileDpi = 96;

constexpr std::size_t kPlaceableHeaderBytes = 22;
constexpr std::size_t kMetaHeaderBytes = 18;

// Move-only owners of the GDI objects the drawing needs.
class EnhMetafile {
 public:
  explicit EnhMetafile(HENHMETAFILE handle) : handle_(handle) {}
  EnhMetafile(const EnhMetafile&) = delete;
  EnhMetafile& operator=(const EnhMetafile&) = delete;
  ~EnhMetafile() {
    if (handle_ != nullptr) DeleteEnhMetaFile(handle_);
  }
  HENHMETAFILE Get() const { return handle_; }

 private:
  HENHMETAFILE handle_;
};

class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class GdiBitmap {
 public:
  explicit GdiBitmap(HBITMAP handle) : handle_(handle) {}
  GdiBitmap(const GdiBitmap&) = delete;
  GdiBitmap& operator=(const GdiBitmap&) = delete;
  ~GdiBitmap() {
    if (handle_ != nullptr) DeleteObject(handle_);
  }
  HBITMAP Get() const { return handle_; }

 private:
  HBITMAP handle_;
};

// Selects an object into a DC for as long as it lives, then puts the
// previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  bool Ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The length of the metafile at data: its header and records up to and
// including the end record, every record inside the buffer. 0 when the
// records do not add up.
std::size_t MetafileLength(const std::uint8_t* data, std::size_t size) {
  if (size < kMetaHeaderBytes) return 0;
  const std::uint16_t type = bytes::Le16(data);
  if ((type != 1 && type != 2) || bytes::Le16(data + 2) != 9) return 0;
  std::size_t pos = kMetaHeaderBytes;
  while (bytes::Fits(pos, 6, size)) {
    const std::uint64_t record_bytes = static_cast<std::uint64_t>(bytes::Le32(data + pos)) * 2;
    const std::uint16_t function = bytes::Le16(data + pos + 4);
    if (record_bytes < 6 || !bytes::Fits(pos, record_bytes, size)) return 0;
    pos += static_cast<std::size_t>(record_bytes);
    if (function == 0) return pos;  // META_EOF
  }
  return 0;
}

// Scales (width, height) down to fit kMaxMetafileSide, keeping the shape.
void BoundMetafileSize(std::uint64_t& width, std::uint64_t& height) {
  const std::uint64_t side = std::max(width, height);
  if (side <= kMaxMetafileSide) return;
  width = std::max<std::uint64_t>(1, width * kMaxMetafileSide / side);
  height = std::max<std::uint64_t>(1, height * kMaxMetafileSide / side);
}

bool DecodeWmf(const std::uint8_t* data, std::size_t size, Image& out) {
  if (data == nullptr) return false;
  // The placeable header in front of the metafile gives its frame in
  // logical units and how many of those make an inch.
  bool placeable = false;
  std::uint64_t frame_width = 0, frame_height = 0, units_per_inch = 0;
  if (size >= kPlaceableHeaderBytes && bytes::Le32(data) == 0x9AC6CDD7u) {
    placeable = true;
    const auto left = static_cast<std::int16_t>(bytes::Le16(data + 6));
    const auto top = static_cast<std::int16_t>(bytes::Le16(data + 8));
    const auto right = static_cast<std::int16_t>(bytes::Le16(data + 10));
    const auto bottom = static_cast<std::int16_t>(bytes::Le16(data + 12));
    frame_width = static_cast<std::uint64_t>(std::abs(right - left));
    frame_height = static_cast<std::uint64_t>(std::abs(bottom - top));
    units_per_inch = bytes::Le16(data + 14);
    if (frame_width == 0 || frame_height == 0 || units_per_inch == 0) return false;
    data += kPlaceableHeaderBytes;
    size -= kPlaceableHeaderBytes;
  }
  const std::size_t length = MetafileLength(data, size);
  if (length == 0 || length > UINT_MAX) return false;

  HENHMETAFILE handle = nullptr;
  if (placeable) {
    // The frame in hundredths of a millimetre, for the conversion.
    METAFILEPICT picture;
    picture.mm = MM_ANISOTROPIC;
    picture.xExt = static_cast<LONG>(frame_width * 2540 / units_per_inch);
    picture.yExt = static_cast<LONG>(frame_height * 2540 / units_per_inch);
    picture.hMF = nullptr;
    handle = SetWinMetaFileBits(static_cast<UINT>(length), data, nullptr, &picture);
  } else {
    handle = SetWinMetaFileBits(static_cast<UINT>(length), data, nullptr, nullptr);
  }
  EnhMetafile metafile(handle);
  if (metafile.Get() == nullptr) return false;

  std::uint64_t width = 0, height = 0;
  if (placeable) {
    width = frame_width * kMetafileDpi / units_per_inch;
    height = frame_height * kMetafileDpi / units_per_inch;
  } else {
    ENHMETAHEADER header;
    if (GetEnhMetaFileHeader(metafile.Get(), sizeof header, &header) == 0) return false;
    const std::int64_t frame_w = static_cast<std::int64_t>(header.rclFrame.right) - header.rclFrame.left;
    const std::int64_t frame_h = static_cast<std::int64_t>(header.rclFrame.bottom) - header.rclFrame.top;
    if (frame_w <= 0 || frame_h <= 0) return false;
    width = static_cast<std::uint64_t>(frame_w) * kMetafileDpi / 2540;
    height = static_cast<std::uint64_t>(frame_h) * kMetafileDpi / 2540;
  }
  if (width == 0 || height == 0) return false;
  BoundMetafileSize(width, height);
  Image image;
  if (!ImageSizeAcceptable(width, height) ||
      !image.Create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)))
    return false;

  MemoryDc dc;
  if (dc.Get() == nullptr) return false;
  BITMAPINFO info;
  ZeroMemory(&info, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = static_cast<LONG>(height);  // bottom-up, as Image
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiBitmap bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap.Get() == nullptr || bits == nullptr) return false;
  const std::size_t bytes = image.Stride() * image.GetHeight();
  std::memset(bits, 0xFF, bytes);  // white paper
  {
    SelectedObject selected(dc.Get(), bitmap.Get());
    if (!selected.Ok()) return false;
    const RECT area = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    if (!PlayEnhMetaFile(dc.Get(), metafile.Get(), &area)) return false;
    GdiFlush();
  }
  // A 24-bit DIB section has the same 4-byte rows as Image.
  std::memcpy(image.Bits(), bits, bytes);
  out = std::move(image);
  return true;
}

}  // namespace

bool DecodeWithPlatform(ImageFormat format, const std::uint8_t* data, std::size_t size, Image& out) {
  switch (format) {
    case ImageFormat::kUnknown:
    case ImageFormat::kTga:
    case ImageFormat::kPcx:
    case ImageFormat::kWbmp:
      return false;  // not for the system's decoders
    case ImageFormat::kWmf:
      return DecodeWmf(data, size, out);
    default:
      return DecodeWithWic(format, data, size, out);
  }
}

}  // namespace vistelle
