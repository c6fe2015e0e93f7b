// The platform decoders of the Windows build: the Windows Imaging Component
// for the raster formats (with our own decoder for the BMP layouts WIC reads
// differently), GDI's metafile support for WMF.
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

#include "base/win32/com_ptr_win32.h"
#include "base/win32/dib_win32.h"
#include "base/win32/handle_win32.h"
#include "image/byte_reader.h"
#include "image/image_codecs.h"

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

// A JPEG frame decoded at a fraction of its size by the decoder itself
// (IWICBitmapSourceTransform), no smaller than eighths/8 of it. False when
// the decoder offers no such size in 24-bit BGR; the caller decodes in full.
bool DecodeScaledJpeg(IWICBitmapFrameDecode* frame, UINT width, UINT height, int eighths, Image& out) {
  ComPtr<IWICBitmapSourceTransform> transform;
  if (FAILED(frame->QueryInterface(kIidBitmapSourceTransform, transform.PutVoid()))) return false;
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
  Image image;
  if (!image.Create(w, h)) return false;
  const std::size_t stride = static_cast<std::size_t>(w) * 3;
  if (stride * h > MAXUINT) return false;
  std::vector<std::uint8_t> pixels(stride * h);
  if (FAILED(transform->CopyPixels(nullptr, w, h, &pixel_format, WICBitmapTransformRotate0,
                                   static_cast<UINT>(stride), static_cast<UINT>(pixels.size()), pixels.data())))
    return false;
  for (UINT y = 0; y < h; ++y) std::memcpy(image.Row(h - 1 - y), pixels.data() + stride * y, stride);
  out = std::move(image);
  return true;
}

bool DecodeWithWic(ImageFormat format, const std::uint8_t* data, std::size_t size, Image& out, int eighths) {
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
  if (format == ImageFormat::kJpeg && eighths < 8 && DecodeScaledJpeg(frame.Get(), width, height, eighths, out))
    return true;
  Image image;
  if (!image.Create(width, height)) return false;

  WICPixelFormatGUID pixel_format;
  if (FAILED(frame->GetPixelFormat(&pixel_format))) return false;
  bool ok = false;
  if (format == ImageFormat::kGif && IsEqualGUID(pixel_format, GUID_WICPixelFormat8bppIndexed)) {
    ok = DecodeIndexedGif(factory.Get(), frame.Get(), image);
  } else if (IsEqualGUID(pixel_format, GUID_WICPixelFormat24bppBGR)) {
    // The image's own layout (a colour JPEG, a 24-bit BMP): rows are only
    // turned bottom-up, without a conversion to 32 bits and back.
    const std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
    ok = CopyInBands(frame.Get(), width, height, 3, [&](std::uint32_t top, const std::uint8_t* row) {
      std::memcpy(image.Row(height - 1 - top), row, row_bytes);
    });
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

bool DecodeBmpFile(const std::uint8_t* data, std::size_t size, Image& out) {
  BmpLayout layout;
  if (!ReadBmpLayout(data, size, layout) || !WicReadsBmpAsWeDo(layout)) return DecodeBmp(data, size, out);
  Image image;
  // A file WIC refuses gets our decoder's verdict as well.
  if (!DecodeWithWic(ImageFormat::kBmp, data, size, image, 8)) return DecodeBmp(data, size, out);
  // Only an alpha mask gives a BMP transparency, and that only once the
  // whole picture is known: many programs write the alpha bytes as zero,
  // which means opaque, not invisible.
  if (image.HasAlpha() && (layout.alpha == 0 || AlphaAllZero(image))) image.AlphaDelete();
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

// The metafile the records are played from.
struct EnhMetafileCloser {
  static bool Close(HENHMETAFILE metafile) noexcept { return DeleteEnhMetaFile(metafile) != FALSE; }
};
using EnhMetafile = win32::UniqueHandle<win32::NullHandleTraits<HENHMETAFILE, EnhMetafileCloser>>;

// ---------------------------------------------------------------------------
// Checking a metafile's records before GDI plays them.
//
// GDI takes the parameters of a record as they are: a handle index beyond
// the file's object table, a point count beyond the record or a bitmap
// larger than its record make some players (Wine's among them) read outside
// the data. Every record we know to read parameters is checked here, and a
// file with one record that does not add up is refused as a whole. The
// records go into a fresh memory metafile whose header agrees with them.

constexpr std::uint16_t kMetaEof = 0x0000;
constexpr std::size_t kFaceNameWords = 16;  // LF_FACESIZE bytes
constexpr std::size_t kFontParams = 9 + kFaceNameWords;

struct MetaRecord {
  const std::uint8_t* params;  // the parameter words
  std::size_t count;           // how many there are

  std::uint16_t Word(std::size_t i) const { return bytes::Le16(params + 2 * i); }
  std::int16_t Short(std::size_t i) const { return static_cast<std::int16_t>(Word(i)); }
};

// A device-independent bitmap starting at parameter `first`: a known header,
// no compression GDI would have to trust, and colour table and pixels inside
// the record. rows, if given, receives the picture's height.
bool MetaDibFits(const MetaRecord& r, std::size_t first, std::uint64_t* rows = nullptr) {
  if (first >= r.count) return false;
  const std::uint8_t* dib = r.params + 2 * first;
  const std::uint64_t available = static_cast<std::uint64_t>(r.count - first) * 2;
  if (available < 12) return false;
  const std::uint32_t header_size = bytes::Le32(dib);
  std::int64_t width = 0, height = 0;
  std::uint32_t bit_count = 0, compression = 0, colors_used = 0;
  if (header_size == 12) {  // BITMAPCOREHEADER
    width = bytes::Le16(dib + 4);
    height = bytes::Le16(dib + 6);
    bit_count = bytes::Le16(dib + 10);
  } else {
    if (header_size < 40 || header_size > available) return false;
    width = bytes::LeS32(dib + 4);
    height = bytes::LeS32(dib + 8);
    bit_count = bytes::Le16(dib + 14);
    compression = bytes::Le32(dib + 16);
    colors_used = bytes::Le32(dib + 32);
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || !ImageSizeAcceptable(static_cast<std::uint64_t>(width),
                                                        static_cast<std::uint64_t>(height)))
    return false;
  switch (bit_count) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  std::uint64_t masks = 0;
  if (compression == BI_BITFIELDS) {
    if (bit_count != 16 && bit_count != 32) return false;
    if (header_size == 40) masks = 12;
  } else if (compression != BI_RGB) {
    return false;
  }
  std::uint64_t colors = colors_used;
  if (colors == 0 && bit_count <= 8) colors = 1ull << bit_count;
  // Four bytes a colour whatever the usage says: the most any player reads.
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bit_count + 31) / 32) * 4;
  const std::uint64_t needed = header_size + masks + colors * 4 + stride * static_cast<std::uint64_t>(height);
  if (rows != nullptr) *rows = static_cast<std::uint64_t>(height);
  return needed <= available;
}

// A device-dependent bitmap of the old blits: width, height, planes and
// bits per pixel at the given parameters, the bits from `bits`.
bool MetaBitmapFits(const MetaRecord& r, std::size_t width_at, std::size_t height_at, std::size_t planes_at,
                    std::size_t bits_at, std::size_t first_bits) {
  if (first_bits > r.count) return false;
  const std::uint64_t width = r.Word(width_at), height = r.Word(height_at);
  const std::uint64_t planes = r.Word(planes_at), bit_count = r.Word(bits_at);
  if (planes != 1 || (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 &&
                      bit_count != 24 && bit_count != 32))
    return false;
  const std::uint64_t row_bytes = ((width * bit_count + 15) / 16) * 2;
  return row_bytes * height <= static_cast<std::uint64_t>(r.count - first_bits) * 2;
}

bool MetaRecordSane(std::uint16_t function, const MetaRecord& r, std::uint16_t handles) {
  const std::size_t n = r.count;
  auto handle = [&](std::size_t i) { return i < n && r.Word(i) < handles; };
  switch (function) {
    case 0x001E:  // SAVEDC
    case 0x0035:  // REALIZEPALETTE
      return true;
    case 0x0102: case 0x0103: case 0x0104: case 0x0105: case 0x0106: case 0x0107:  // SETBKMODE .. SETSTRETCHBLTMODE
    case 0x0108:  // SETTEXTCHAREXTRA
    case 0x0127:  // RESTOREDC
    case 0x012E:  // SETTEXTALIGN
      return n >= 1;
    case 0x01F0:  // DELETEOBJECT
    case 0x012D:  // SELECTOBJECT
    case 0x012A:  // INVERTREGION
    case 0x012B:  // PAINTREGION
      return handle(0);
    case 0x012C:  // SELECTCLIPREGION (0: none)
      return n >= 1 && (r.Word(0) == 0 || handle(0));
    case 0x0201: case 0x0209: case 0x020A: case 0x020B: case 0x020C: case 0x020D: case 0x020E:
    case 0x020F: case 0x0211: case 0x0213: case 0x0214: case 0x0220: case 0x0231:
      return n >= 2;  // colours, origins, extents, points, flags
    case 0x0234:  // SELECTPALETTE
      return handle(1);
    case 0x0228:  // FILLREGION
      return handle(0) && handle(1);
    case 0x0429:  // FRAMEREGION
      return handle(2) && handle(3);
    case 0x0410: case 0x0412: case 0x0415: case 0x0416: case 0x0418: case 0x0419: case 0x041B: case 0x041F:
    case 0x02FC:  // CREATEBRUSHINDIRECT
      return n >= 4;
    case 0x0548:  // EXTFLOODFILL
    case 0x02FA:  // CREATEPENINDIRECT
      return n >= 5;
    case 0x061C: case 0x061D:  // ROUNDRECT, PATBLT
      return n >= 6;
    case 0x0817: case 0x081A: case 0x0830:  // ARC, PIE, CHORD
      return n >= 8;
    case 0x02FB:  // CREATEFONTINDIRECT (a short face name is padded)
      return n >= 9;
    case 0x0521: {  // TEXTOUT: length, text, y, x
      if (n < 1 || r.Short(0) < 0) return false;
      return 1 + (static_cast<std::size_t>(r.Word(0)) + 1) / 2 + 2 <= n;
    }
    case 0x0A32: {  // EXTTEXTOUT: y, x, length, options, [rectangle], text, [widths]
      if (n < 4) return false;
      const bool rectangle = (r.Word(3) & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
      return 4 + (rectangle ? 4u : 0u) + (static_cast<std::size_t>(r.Word(2)) + 1) / 2 <= n;
    }
    case 0x0324: case 0x0325:  // POLYGON, POLYLINE
      return n >= 1 && 1 + 2 * static_cast<std::size_t>(r.Word(0)) <= n;
    case 0x0538: {  // POLYPOLYGON: polygons, their point counts, the points
      if (n < 1 || r.Word(0) == 0) return false;
      const std::size_t polygons = r.Word(0);
      if (1 + polygons > n) return false;
      std::size_t points = 0;
      for (std::size_t i = 0; i < polygons; ++i) {
        if (r.Short(1 + i) < 0) return false;
        points += r.Word(1 + i);
      }
      return 1 + polygons + 2 * points <= n;
    }
    case 0x00F7:  // CREATEPALETTE: version, entries, four bytes each
      return n >= 2 && 2 + 2 * static_cast<std::size_t>(r.Word(1)) <= n;
    case 0x06FF:  // CREATEREGION (GDI checks the bands against the record)
      return n >= 11;
    case 0x0626:  // ESCAPE: function, byte count, data
      return n >= 2 && 2 + (static_cast<std::size_t>(r.Word(1)) + 1) / 2 <= n;
    case 0x0F43:  // STRETCHDIB
      return MetaDibFits(r, 11);
    case 0x0B41:  // DIBSTRETCHBLT
      return MetaDibFits(r, 10);
    case 0x0940:  // DIBBITBLT, with a bitmap or as a pattern blit
      return n > 9 ? MetaDibFits(r, 8) : n == 9;
    case 0x0D33: {  // SETDIBTODEV: usage, rows, first row, ..., the bitmap
      std::uint64_t rows = 0;
      return MetaDibFits(r, 9, &rows) && static_cast<std::uint64_t>(r.Word(1)) + r.Word(2) <= rows;
    }
    case 0x0142:  // DIBCREATEPATTERNBRUSH
      return MetaDibFits(r, 2);
    case 0x0922:  // BITBLT with a device bitmap
      return n >= 12 && MetaBitmapFits(r, 7, 8, 10, 11, 12);
    case 0x0B23:  // STRETCHBLT with a device bitmap
      return n >= 15 && MetaBitmapFits(r, 10, 11, 13, 14, 15);
    case 0x01F9:  // CREATEPATTERNBRUSH (Windows 2 bitmaps): not taken
      return false;
    default:
      // Records that carry nothing GDI reads (drawing text boxes, printer
      // control, unknown extensions) are played or skipped as they are.
      return true;
  }
}

void PutLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  PutLe16(out, at, value & 0xFFFF);
  PutLe16(out, at + 2, value >> 16);
}

// The metafile at data as a checked memory metafile, or false.
bool CheckedMetafile(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
  if (size < kMetaHeaderBytes) return false;
  const std::uint16_t type = bytes::Le16(data);
  const std::uint16_t version = bytes::Le16(data + 4);
  if ((type != 1 && type != 2) || bytes::Le16(data + 2) != 9 || (version != 0x0100 && version != 0x0300))
    return false;
  const std::uint16_t handles = bytes::Le16(data + 10);

  out.assign(data, data + kMetaHeaderBytes);
  std::uint32_t largest_record = 0;
  std::size_t pos = kMetaHeaderBytes;
  for (;;) {
    if (!bytes::Fits(pos, 6, size)) return false;  // no end record
    const std::uint64_t record_bytes = static_cast<std::uint64_t>(bytes::Le32(data + pos)) * 2;
    const std::uint16_t function = bytes::Le16(data + pos + 4);
    if (record_bytes < 6 || !bytes::Fits(pos, record_bytes, size)) return false;
    const MetaRecord record = {data + pos + 6, static_cast<std::size_t>(record_bytes - 6) / 2};
    if (function == kMetaEof) break;
    if (!MetaRecordSane(function, record, handles)) return false;

    const std::size_t at = out.size();
    out.insert(out.end(), data + pos, data + pos + record_bytes);
    if (function == 0x02FB && record.count < kFontParams) {
      out.resize(at + 6 + kFontParams * 2, 0);
      PutLe32(out, at, static_cast<std::uint32_t>(3 + kFontParams));
    }
    largest_record = std::max(largest_record, bytes::Le32(&out[at]));
    pos += static_cast<std::size_t>(record_bytes);
    if (out.size() > UINT_MAX / 2) return false;
  }
  const std::uint8_t end[6] = {3, 0, 0, 0, 0, 0};
  out.insert(out.end(), end, end + 6);
  largest_record = std::max<std::uint32_t>(largest_record, 3);

  PutLe16(out, 0, 1);                                          // in memory
  PutLe32(out, 6, static_cast<std::uint32_t>(out.size() / 2));  // size in words
  PutLe32(out, 12, largest_record);
  PutLe16(out, 16, 0);
  return true;
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

bool DecodeWithPlatform(ImageFormat format, const std::uint8_t* data, std::size_t size, Image& out, int eighths) {
  switch (format) {
    case ImageFormat::kUnknown:
    case ImageFormat::kTga:
    case ImageFormat::kPcx:
    case ImageFormat::kWbmp:
      return false;  // not for the system's decoders
    case ImageFormat::kWmf:
      return DecodeWmf(data, size, out);
    case ImageFormat::kBmp:
      return DecodeBmpFile(data, size, out);
    default:
      return DecodeWithWic(format, data, size, out, eighths);
  }
}

}  // namespace vistelle
