// The platform decoders of the Windows build: the Windows Imaging Component
// for the raster formats (with our own decoder for the BMP layouts WIC reads
// differently), GDI's metafile support for WMF.
//
// Every picture is read from memory (the file was read whole before) and its
// size is checked before any pixel is converted. WIC's pixels are fetched a
// band of rows at a time and go on to the sink row by row, so a picture
// that only passes through is never held whole; only a metafile, and a BMP
// whose alpha is only known to count once every pixel is, are decoded
// whole first.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/win32/com_ptr_win32.h"
#include "base/win32/dib_win32.h"
#include "base/win32/handle_win32.h"
#include "base/win32/utf16_win32.h"
#include "image/byte_reader.h"
#include "image/image_codecs.h"
#include "image/wmf_records.h"

// Decoding at a smaller size, which the MinGW headers leave out (the
// Windows SDK declares it).
#ifndef __IWICBitmapSourceTransform_INTERFACE_DEFINED__
#define __IWICBitmapSourceTransform_INTERFACE_DEFINED__
struct IWICBitmapSourceTransform : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                               WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                               UINT stride, UINT buffer_size, BYTE* buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};
#endif

namespace vistelle {

namespace {

using win32::ComPtr;

// {3B16811B-6A43-4EC9-B713-3D5A0C13B940}
constexpr IID kIidBitmapSourceTransform = {
    0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};

// ---------------------------------------------------------------------------
// COM plumbing.

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

// Rows fetched per CopyPixels call: a few dozen, fewer for a wide picture so
// that a band stays within kBandBytes.
constexpr std::uint32_t kBandRows = 32;
constexpr std::size_t kBandBytes = 1u << 20;

// What CopyPixels gives for a frame.
enum class PixelLayout {
  kBgr,      // 24-bit B, G, R, the picture's own layout (a colour JPEG, a 24-bit BMP)
  kBgra,     // 32-bit B, G, R, A from a format converter
  kIndexed,  // 8-bit indices into the frame's palette (a GIF)
};

// A frame ready to be read, with the objects its pixels come through.
// Members go in reverse order, each before the one it was made from.
struct WicFrame {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  // A JPEG its decoder made smaller, held whole (it is at most the size of
  // the screen it is for): asked for once, since a decoder may decode the
  // file again from its start for every rectangle asked of its transform.
  // The pixels come from `source` (the frame or the converter) otherwise.
  std::vector<std::uint8_t> scaled;
  IWICBitmapSource* source = nullptr;
  std::uint32_t width = 0, height = 0;  // as the pixels come out
  PixelLayout layout = PixelLayout::kBgr;
  std::uint8_t palette[256][4] = {};  // kIndexed: B, G, R, A of each index

  std::size_t Stride() const {
    const std::size_t bytes = layout == PixelLayout::kBgr ? 3 : layout == PixelLayout::kBgra ? 4 : 1;
    return static_cast<std::size_t>(width) * bytes;
  }

  // Top-down rows top .. top + rows - 1, Stride() bytes each.
  HRESULT Copy(std::uint32_t top, std::uint32_t rows, std::uint8_t* buffer) const {
    const std::size_t stride = Stride();
    const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
    const auto bytes = static_cast<UINT>(stride * rows);
    if (!scaled.empty()) {
      std::memcpy(buffer, scaled.data() + stride * top, stride * rows);
      return S_OK;
    }
    return source->CopyPixels(&rect, static_cast<UINT>(stride), bytes, buffer);
  }

  // Reads the one row n, to see that the decoder gives it.
  bool Gives(std::uint32_t n) const {
    std::vector<std::uint8_t> row(Stride());
    return SUCCEEDED(Copy(n, 1, row.data()));
  }
};

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

// A GIF frame is read through its own palette, so that the transparent
// colour comes out transparent whether or not the system's palette says so.
bool ReadGifPalette(WicFrame& f) {
  ComPtr<IWICPalette> palette;
  if (FAILED(f.factory->CreatePalette(palette.Put())) || FAILED(f.frame->CopyPalette(palette.Get()))) return false;
  WICColor colors[256];
  UINT count = 0;
  if (FAILED(palette->GetColors(256, colors, &count))) return false;
  for (UINT i = 0; i < 256; ++i) {
    const WICColor c = i < count ? colors[i] : 0xFF000000u;  // ARGB
    f.palette[i][0] = static_cast<std::uint8_t>(c & 0xFF);
    f.palette[i][1] = static_cast<std::uint8_t>((c >> 8) & 0xFF);
    f.palette[i][2] = static_cast<std::uint8_t>((c >> 16) & 0xFF);
    f.palette[i][3] = static_cast<std::uint8_t>((c >> 24) & 0xFF);
  }
  const int transparent = GifTransparentIndex(f.frame.Get());
  if (transparent >= 0) f.palette[transparent][3] = 0;
  return true;
}

// A JPEG frame decoded at a fraction of its size by the decoder itself
// (IWICBitmapSourceTransform), no smaller than eighths/8 of it. False when
// the decoder offers no such size in 24-bit BGR or cannot decode it; the
// caller then decodes in full. The smaller picture is decoded at once.
bool OpenScaledJpeg(WicFrame& f, UINT width, UINT height, int eighths) {
  ComPtr<IWICBitmapSourceTransform> transform;
  if (FAILED(f.frame->QueryInterface(kIidBitmapSourceTransform, transform.PutVoid()))) return false;
  const std::uint64_t want_w = (static_cast<std::uint64_t>(width) * eighths + 7) / 8;
  const std::uint64_t want_h = (static_cast<std::uint64_t>(height) * eighths + 7) / 8;
  UINT w = static_cast<UINT>(want_w), h = static_cast<UINT>(want_h);
  if (FAILED(transform->GetClosestSize(&w, &h))) return false;
  // Only a size between the one asked for and the full one will do.
  if (w < want_w || h < want_h || w > width || h > height || (w == width && h == height)) return false;
  WICPixelFormatGUID pixel_format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(transform->GetClosestPixelFormat(&pixel_format)) ||
      !IsEqualGUID(pixel_format, GUID_WICPixelFormat24bppBGR))
    return false;
  const std::size_t stride = static_cast<std::size_t>(w) * 3;
  if (stride * h > MAXUINT) return false;
  std::vector<std::uint8_t> pixels(stride * h);
  if (FAILED(transform->CopyPixels(nullptr, w, h, &pixel_format, WICBitmapTransformRotate0,
                                   static_cast<UINT>(stride), static_cast<UINT>(pixels.size()), pixels.data())))
    return false;
  f.scaled = std::move(pixels);
  f.width = w;
  f.height = h;
  f.layout = PixelLayout::kBgr;
  return true;
}

// Opens the frame to show and settles how its pixels are read; nothing is
// decoded yet but what the decoder reads to know the frame.
// The file's bytes come from memory (data, size) or from the file at
// path, read as the decoder goes.
bool OpenWic(ImageFormat format, const std::uint8_t* data, std::size_t size, const wchar_t* path, int eighths,
             WicFrame& f) {
  if (path == nullptr && (data == nullptr || size == 0 || size > MAXDWORD)) return false;
  if (!MakeFactory(f.factory)) return false;
  if (FAILED(f.factory->CreateStream(f.stream.Put()))) return false;
  const HRESULT opened = path != nullptr
                             ? f.stream->InitializeFromFilename(path, GENERIC_READ)
                             : f.stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size));
  if (FAILED(opened)) return false;
  if (FAILED(f.factory->CreateDecoderFromStream(f.stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                f.decoder.Put())))
    return false;
  if (!ChooseFrame(f.factory.Get(), f.decoder.Get(), format, f.frame)) return false;

  UINT width = 0, height = 0;
  if (FAILED(f.frame->GetSize(&width, &height)) || !ImageSizeAcceptable(width, height)) return false;
  if (format == ImageFormat::kJpeg && eighths < 8 && OpenScaledJpeg(f, width, height, eighths)) return true;
  f.width = width;
  f.height = height;

  WICPixelFormatGUID pixel_format;
  if (FAILED(f.frame->GetPixelFormat(&pixel_format))) return false;
  if (format == ImageFormat::kGif && IsEqualGUID(pixel_format, GUID_WICPixelFormat8bppIndexed)) {
    if (!ReadGifPalette(f)) return false;
    f.layout = PixelLayout::kIndexed;
    f.source = f.frame.Get();
  } else if (IsEqualGUID(pixel_format, GUID_WICPixelFormat24bppBGR)) {
    // Read as it is, without a conversion to 32 bits and back.
    f.layout = PixelLayout::kBgr;
    f.source = f.frame.Get();
  } else {
    if (FAILED(f.factory->CreateFormatConverter(f.converter.Put())) ||
        FAILED(f.converter->Initialize(f.frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                       nullptr, 0.0, WICBitmapPaletteTypeCustom)))
      return false;
    f.layout = PixelLayout::kBgra;
    f.source = f.converter.Get();
  }
  return true;
}

// Row n of the frame, as CopyPixels gave it, into the sink.
void PutRow(const WicFrame& f, const std::uint8_t* s, std::uint32_t n, bool alpha, RowSink& sink) {
  const RowMemory m = sink.Memory(n);
  std::uint8_t* a = alpha ? m.alpha : nullptr;
  const std::uint32_t width = f.width;
  switch (f.layout) {
    case PixelLayout::kBgr:
      std::memcpy(m.bgr, s, static_cast<std::size_t>(width) * 3);
      break;
    case PixelLayout::kBgra:
      for (std::uint32_t x = 0; x < width; ++x, s += 4) {
        std::memcpy(m.bgr + static_cast<std::size_t>(x) * 3, s, 3);
        if (a != nullptr) a[x] = s[3];
      }
      break;
    case PixelLayout::kIndexed:
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint8_t* c = f.palette[s[x]];
        std::memcpy(m.bgr + static_cast<std::size_t>(x) * 3, c, 3);
        if (a != nullptr) a[x] = c[3];
      }
      break;
  }
  sink.Put(n, {m.bgr, a, false});
}

// Hands the frame's rows to the sink from the top down, fetching only the
// rows it wants, a band at a time. keep_alpha false drops the alpha bytes.
// The alpha of a converted frame is there for every picture; whether the
// picture uses it is only known from the pixels (alpha_if_used).
bool StreamFrame(const WicFrame& f, RowSink& sink, bool keep_alpha) {
  PictureShape shape;
  shape.width = f.width;
  shape.height = f.height;
  shape.alpha = keep_alpha && f.layout != PixelLayout::kBgr;
  shape.alpha_if_used = shape.alpha;
  if (!sink.Begin(shape)) return false;
  const RowSpan wanted = sink.Wanted();
  const std::uint32_t end = std::min(wanted.end, f.height);
  const std::size_t stride = f.Stride();
  const auto band_rows =
      static_cast<std::uint32_t>(std::max<std::size_t>(1, std::min<std::size_t>(kBandRows, kBandBytes / stride)));
  std::vector<std::uint8_t> band(stride * band_rows);
  for (std::uint32_t top = wanted.first; top < end;) {
    const std::uint32_t rows = std::min(band_rows, end - top);
    if (FAILED(f.Copy(top, rows, band.data()))) return false;
    for (std::uint32_t r = 0; r < rows; ++r) PutRow(f, band.data() + stride * r, top + r, shape.alpha, sink);
    top += rows;
  }
  // The last row is read even when the sink does not want it: only that
  // one takes the decoder to the end of the data, where a file cut short
  // fails as it does for a whole decode.
  return end == f.height || SUCCEEDED(f.Copy(f.height - 1, 1, band.data()));
}

bool DecodeWithWic(ImageFormat format, const std::uint8_t* data, std::size_t size, RowSink& sink, int eighths) {
  WicFrame frame;
  return OpenWic(format, data, size, nullptr, eighths, frame) && StreamFrame(frame, sink, true);
}

// ---------------------------------------------------------------------------
// BMP files.
//
// WIC reads the common BMP layouts, our own decoder (the one of the native
// build) reads them all. A layout goes to WIC only where WIC gives the same
// pixels as our decoder; everything else goes to our decoder, so that a BMP
// looks the same in both builds:
//   - run-length pixels: Wine's decoder leaves the pixels a stream skips,
//     and colours beyond a short palette, as whatever memory held;
//   - palettes shorter than the depth allows: Wine's conversion takes the
//     colours of indices beyond them from uninitialised memory (ours are
//     black);
//   - bit fields other than 555, 565 and 8-8-8(-8) in B,G,R order: Wine
//     refuses them, and crashes on bottom-up R,G,B-ordered 32-bit ones;
//   - the 52- and 56-byte headers and BI_ALPHABITFIELDS, which Wine refuses.

// What the headers say about a BMP's pixels. Masks are zero unless the
// compression is BI_BITFIELDS.
struct BmpLayout {
  std::uint32_t header_size = 0;
  std::uint32_t bpp = 0;
  std::uint32_t compression = BI_RGB;
  std::uint32_t colors_used = 0;  // 0: as many as the depth allows
  std::uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

bool ReadBmpLayout(const std::uint8_t* data, std::size_t size, BmpLayout& layout) {
  constexpr std::size_t kInfo = 14;  // after the file header
  if (data == nullptr || !bytes::Fits(kInfo, 4, size)) return false;
  const std::uint8_t* h = data + kInfo;
  layout.header_size = bytes::Le32(h);
  if (layout.header_size == 12) {
    if (!bytes::Fits(kInfo, 12, size)) return false;
    layout.bpp = bytes::Le16(h + 10);
    return true;
  }
  if (layout.header_size < 40 || !bytes::Fits(kInfo, layout.header_size, size)) return false;
  layout.bpp = bytes::Le16(h + 14);
  layout.compression = bytes::Le32(h + 16);
  layout.colors_used = bytes::Le32(h + 32);
  if (layout.compression != BI_BITFIELDS) return true;
  const std::uint8_t* masks = h + 40;  // after a 40-byte header, inside a larger one
  if (layout.header_size == 40 && !bytes::Fits(kInfo + 40, 12, size)) return false;
  layout.red = bytes::Le32(masks);
  layout.green = bytes::Le32(masks + 4);
  layout.blue = bytes::Le32(masks + 8);
  if (layout.header_size >= 56) layout.alpha = bytes::Le32(masks + 12);
  return true;
}

bool WicReadsBmpAsWeDo(const BmpLayout& l) {
  switch (l.header_size) {
    case 12:
      return l.bpp == 1 || l.bpp == 2 || l.bpp == 4 || l.bpp == 8 || l.bpp == 24;
    case 40:
    case 108:
    case 124:
      break;
    default:
      return false;
  }
  if (l.compression == BI_RGB) {
    if (l.bpp == 1 || l.bpp == 2 || l.bpp == 4 || l.bpp == 8)
      return l.colors_used == 0 || l.colors_used >= (1u << l.bpp);
    return l.bpp == 16 || l.bpp == 24 || l.bpp == 32;
  }
  if (l.compression != BI_BITFIELDS) return false;
  if (l.bpp == 16)
    return l.alpha == 0 && l.blue == 0x001F &&
           ((l.red == 0x7C00 && l.green == 0x03E0) || (l.red == 0xF800 && l.green == 0x07E0));
  return l.bpp == 32 && l.red == 0x00FF0000 && l.green == 0x0000FF00 && l.blue == 0x000000FF &&
         (l.alpha == 0 || l.alpha == 0xFF000000);
}

bool AlphaAllZero(const Image& image) {
  for (std::uint32_t y = 0; y < image.GetHeight(); ++y) {
    const std::uint8_t* a = image.AlphaRow(y);
    for (std::uint32_t x = 0; x < image.GetWidth(); ++x)
      if (a[x] != 0) return false;
  }
  return true;
}

bool DecodeBmpFile(const std::uint8_t* data, std::size_t size, RowSink& sink) {
  BmpLayout layout;
  if (!ReadBmpLayout(data, size, layout) || !WicReadsBmpAsWeDo(layout)) return DecodeBmp(data, size, sink);
  // A file WIC refuses gets our decoder's verdict as well. So that WIC's
  // refusal comes before any row has gone out, it is first asked for the
  // top and the bottom row: one of them is the last in the file, and the
  // layouts WIC reads here keep every row at its place in the file.
  WicFrame frame;
  if (!OpenWic(ImageFormat::kBmp, data, size, nullptr, 8, frame) || !frame.Gives(0) || !frame.Gives(frame.height - 1))
    return DecodeBmp(data, size, sink);
  // Only an alpha mask gives a BMP transparency: without one the alpha
  // bytes are dropped as the rows go.
  if (layout.alpha == 0 || frame.layout == PixelLayout::kBgr) return StreamFrame(frame, sink, false);
  // With one, whether the alpha counts is only known once the whole picture
  // is: many programs write the alpha bytes as zero, which means opaque,
  // not invisible.
  Image image;
  ImageSink whole(image);
  if (!StreamFrame(frame, whole, true)) return DecodeBmp(data, size, sink);
  if (image.HasAlpha() && AlphaAllZero(image)) image.AlphaDelete();
  return FeedImage(image, sink);
}

// ---------------------------------------------------------------------------
// Windows metafiles.

// The largest side a metafile is drawn at; larger pictures are drawn
// smaller, keeping their shape.
constexpr std::uint32_t kMaxMetafileSide = 4096;
// Pixels per inch of the drawing (the usual screen resolution).
constexpr std::uint32_t kMetafileDpi = 96;

constexpr std::size_t kPlaceableHeaderBytes = 22;

// The metafile the records are played from.
struct EnhMetafileCloser {
  static bool Close(HENHMETAFILE metafile) noexcept { return DeleteEnhMetaFile(metafile) != FALSE; }
};
using EnhMetafile = win32::UniqueHandle<win32::NullHandleTraits<HENHMETAFILE, EnhMetafileCloser>>;

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
  std::vector<std::uint8_t> records;
  if (!CheckedMetafile(data, size, records)) return false;
  const auto length = static_cast<UINT>(records.size());

  HENHMETAFILE handle = nullptr;
  if (placeable) {
    // The frame in hundredths of a millimetre, for the conversion.
    METAFILEPICT picture;
    picture.mm = MM_ANISOTROPIC;
    picture.xExt = static_cast<LONG>(frame_width * 2540 / units_per_inch);
    picture.yExt = static_cast<LONG>(frame_height * 2540 / units_per_inch);
    picture.hMF = nullptr;
    handle = SetWinMetaFileBits(length, records.data(), nullptr, &picture);
  } else {
    handle = SetWinMetaFileBits(length, records.data(), nullptr, nullptr);
  }
  const EnhMetafile metafile(handle);
  if (!metafile) return false;

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

  const win32::MemoryDc dc = win32::MakeMemoryDc();
  if (!dc) return false;
  // Bottom-up, as Image.
  const BITMAPINFO info = win32::DibInfo(static_cast<LONG>(width), static_cast<LONG>(height), 24);
  void* bits = nullptr;
  const win32::Bitmap bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return false;
  const std::size_t bytes = image.Stride() * image.GetHeight();
  std::memset(bits, 0xFF, bytes);  // white paper
  {
    const win32::ScopedSelect selected(dc.Get(), bitmap.Get());
    if (!selected.Selected()) return false;
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

bool DecodeWithPlatform(ImageFormat format, const std::uint8_t* data, std::size_t size, RowSink& sink, int eighths) {
  switch (format) {
    case ImageFormat::kUnknown:
    case ImageFormat::kTga:
    case ImageFormat::kPcx:
    case ImageFormat::kWbmp:
      return false;  // not for the system's decoders
    case ImageFormat::kWmf: {
      // GDI draws the whole metafile at once.
      Image whole;
      return DecodeWmf(data, size, whole) && FeedImage(whole, sink);
    }
    case ImageFormat::kBmp:
      return DecodeBmpFile(data, size, sink);
    default:
      return DecodeWithWic(format, data, size, sink, eighths);
  }
}

// WIC reads a JPEG or a PNG from its file as it decodes it; the other
// formats are given their bytes in memory.
FileDecode DecodeFileWithPlatform(const std::string& path, ImageFormat format, int eighths, RowSink& sink) {
  if (format != ImageFormat::kJpeg && format != ImageFormat::kPng) return FileDecode::kNotHere;
  std::wstring wide;
  if (!win32::TryWiden(path, wide) || wide.empty()) return FileDecode::kNotHere;
  WicFrame frame;
  if (!OpenWic(format, nullptr, 0, wide.c_str(), eighths, frame)) return FileDecode::kNotHere;
  return StreamFrame(frame, sink, true) ? FileDecode::kDecoded : FileDecode::kFailed;
}

}  // namespace vistelle
