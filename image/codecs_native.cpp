// The native build's platform decoders: libjpeg, libpng and giflib, plus the
// program's own BMP and icon decoders. TIFF, WMF and the newer containers
// (WebP, HEIF, AVIF) have no decoder here; only the Windows build reads them.

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>
#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

#include "image/image_codecs.h"

namespace vistelle {

namespace {

// ---------------------------------------------------------------- JPEG

// Working memory libjpeg may take beyond the picture itself (progressive
// pictures keep all their coefficients). More than this fails cleanly.
constexpr long kJpegMemoryLimit = 512L << 20;
// Progressive files can repeat scans endlessly, each one a pass over the
// whole picture; real ones have about ten.
constexpr int kJpegMaxScans = 256;

struct JpegErrors {
  jpeg_error_mgr manager;  // first, so the library's pointer is ours too
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1); }

void JpegMessage(j_common_ptr cinfo, int level) {
  // A file that ends early is padded by the library with an end marker and
  // decoded as grey; treat it as the broken file it is.
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegFail(cinfo);
}

void JpegSilent(j_common_ptr) {}

void JpegProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kJpegMaxScans)
    JpegFail(cinfo);
}

// One row of CMYK (Adobe's inverted or plain) as B, G, R.
void CmykToBgr(const std::uint8_t* s, std::uint32_t width, bool inverted, std::uint8_t* d) {
  for (std::uint32_t x = 0; x < width; ++x, s += 4, d += 3) {
    unsigned c = s[0], m = s[1], y = s[2], k = s[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    d[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
    d[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    d[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

// Rows the sink does not want are skipped without the inverse DCT, the
// upsampling and the colour conversion (the entropy decoding still runs).
// Kept apart from DecodeJpeg so that no C++ object lives in a frame the
// error jump leaves; a sink that throws has the decoder destroyed first.
// The compressed data come from memory or, with a file, are read as the
// decoder goes.
bool DecodeJpegInto(const std::uint8_t* data, std::size_t size, std::FILE* file, int eighths, RowSink& sink,
                    std::vector<std::uint8_t>& cmyk_row) {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  jpeg_progress_mgr progress;
  std::memset(&cinfo, 0, sizeof cinfo);
  std::memset(&progress, 0, sizeof progress);
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JpegFail;
  errors.manager.emit_message = JpegMessage;
  errors.manager.output_message = JpegSilent;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  progress.progress_monitor = JpegProgress;
  cinfo.progress = &progress;
  cinfo.mem->max_memory_to_use = kJpegMemoryLimit;
  if (file != nullptr)
    jpeg_stdio_src(&cinfo, file);
  else
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (!ImageSizeAcceptable(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  // A fraction of the size comes from the scaled inverse DCT, which skips
  // the detail the scaling would average away.
  cinfo.scale_num = static_cast<unsigned>(eighths >= 1 && eighths <= 8 ? eighths : 8);
  cinfo.scale_denom = 8;
  jpeg_start_decompress(&cinfo);
  const std::uint32_t width = cinfo.output_width;
  const std::uint32_t height = cinfo.output_height;
  if (width == 0 || height == 0 || width > cinfo.image_width || height > cinfo.image_height) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  // Adobe writes CMYK inverted (0 = full ink).
  const bool inverted = cinfo.saw_Adobe_marker;
  try {
    PictureShape shape;
    shape.width = width;
    shape.height = height;
    if (!sink.Begin(shape)) {
      jpeg_destroy_decompress(&cinfo);
      return false;
    }
    const RowSpan wanted = sink.Wanted();
    if (cmyk) cmyk_row.resize(static_cast<std::size_t>(width) * 4);
    while (cinfo.output_scanline < height) {
      const std::uint32_t n = cinfo.output_scanline;
      // Up to the first row wanted, and past the last one but for the
      // picture's last row: reading that one decodes the file to its end,
      // which finds a truncated file as a full decode would.
      const std::uint32_t until = n < wanted.first ? std::min(wanted.first, height) : height - 1;
      if (!wanted.Has(n) && until > n) {
        if (jpeg_skip_scanlines(&cinfo, until - n) != until - n) {
          jpeg_destroy_decompress(&cinfo);
          return false;
        }
        continue;
      }
      const RowMemory memory = sink.Memory(n);
      JSAMPROW row = cmyk ? cmyk_row.data() : memory.bgr;
      if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
        jpeg_destroy_decompress(&cinfo);
        return false;
      }
      if (cmyk) CmykToBgr(cmyk_row.data(), width, inverted, memory.bgr);
      if (wanted.Has(n)) sink.Put(n, {memory.bgr, nullptr, false});
    }
  } catch (...) {
    jpeg_destroy_decompress(&cinfo);
    throw;
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, int eighths, RowSink& sink) {
  std::vector<std::uint8_t> cmyk_row;
  return DecodeJpegInto(data, size, nullptr, eighths, sink, cmyk_row);
}

// ---------------------------------------------------------------- PNG

// Deflate cannot expand data more than 1032 times; a header promising more
// pixels than the file could hold is refused before anything is allocated.
constexpr std::uint64_t kDeflateMaxRatio = 1032;

// The bytes of a file in memory, or the file itself, read as the decoder
// goes.
struct PngSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
  std::FILE* file;
};

void PngRead(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->file != nullptr) {
    if (std::fread(out, 1, length, source->file) != length) png_error(png, "file truncated");
    return;
  }
  if (length > source->size - source->pos) png_error(png, "file truncated");
  std::memcpy(out, source->data + source->pos, length);
  source->pos += length;
}

void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarn(png_structp, png_const_charp) {}

// Everything of the decode that needs a destructor, outside the frame the
// error jump leaves.
struct PngBuffers {
  std::vector<png_bytep> rows;
  std::vector<std::uint8_t> pixels;
  Image whole;
  ImageSink whole_sink{whole};
};

// A non-interlaced picture goes to the sink row by row (rows the sink does
// not want are still read, the compressed stream being one); an interlaced
// one comes together only in the last pass, so it is decoded whole first.
bool DecodePngInto(PngSource& source, RowSink& sink, PngBuffers& buffers) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarn);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &source, PngRead);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_cache_max(png, 512);
  png_set_chunk_malloc_max(png, 16u << 20);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, color_type = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &color_type, &interlace, nullptr, nullptr);
  const std::uint64_t raw_bytes =
      static_cast<std::uint64_t>(height) *
      ((static_cast<std::uint64_t>(width) * depth * png_get_channels(png, info) + 7) / 8 + 1);
  if (!ImageSizeAcceptable(width, height) || raw_bytes / kDeflateMaxRatio > source.size) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  const bool alpha = (color_type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  // Everything becomes 8-bit B,G,R(,A).
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t channels = alpha ? 4 : 3;
  const std::size_t row_bytes = static_cast<std::size_t>(width) * channels;
  if (png_get_rowbytes(png, info) != row_bytes) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  try {
    PictureShape shape;
    shape.width = width;
    shape.height = height;
    shape.alpha = alpha;
    // The whole picture, for an interlaced file, is a picture of our own
    // in the right layout, handed over at the end.
    ImageSink& whole = buffers.whole_sink;
    RowSink& into = passes == 1 ? sink : whole;
    if (!into.Begin(shape)) {
      png_destroy_read_struct(&png, &info, nullptr);
      return false;
    }
    const RowSpan wanted = into.Wanted();
    // Splits a row of B, G, R, A into the sink's memory.
    auto split = [&](const std::uint8_t* s, const RowMemory& m) {
      for (png_uint_32 x = 0; x < width; ++x, s += 4) {
        m.bgr[x * 3 + 0] = s[0];
        m.bgr[x * 3 + 1] = s[1];
        m.bgr[x * 3 + 2] = s[2];
        m.alpha[x] = s[3];
      }
    };
    if (passes == 1) {
      if (alpha) buffers.pixels.resize(row_bytes);
      for (png_uint_32 n = 0; n < height; ++n) {
        const RowMemory m = sink.Memory(n);
        png_read_row(png, alpha ? buffers.pixels.data() : m.bgr, nullptr);
        if (!wanted.Has(n)) continue;
        if (alpha) split(buffers.pixels.data(), m);
        sink.Put(n, {m.bgr, m.alpha, false});
      }
    } else {
      // Without alpha the rows are the picture's own; with it they are
      // split afterwards.
      if (alpha) buffers.pixels.resize(row_bytes * height);
      buffers.rows.resize(height);
      for (png_uint_32 n = 0; n < height; ++n)
        buffers.rows[n] = alpha ? buffers.pixels.data() + row_bytes * n : whole.Memory(n).bgr;
      png_read_image(png, buffers.rows.data());
      for (png_uint_32 n = 0; n < height; ++n) {
        const RowMemory m = whole.Memory(n);
        if (alpha) split(buffers.rows[n], m);
        whole.Put(n, {m.bgr, m.alpha, false});
      }
      buffers.pixels.clear();
      buffers.pixels.shrink_to_fit();
    }
    // Reading on to the end chunk also catches a truncated file.
    png_read_end(png, nullptr);
  } catch (...) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return passes == 1 || FeedImage(buffers.whole, sink);
}

bool DecodePng(const std::uint8_t* data, std::size_t size, RowSink& sink) {
  PngBuffers buffers;
  PngSource source{data, size, 0, nullptr};
  return DecodePngInto(source, sink, buffers);
}

// ---------------------------------------------------------------- GIF

// Logical screens up to this size are always honoured.
constexpr std::uint64_t kGifFreeScreenPixels = 1u << 22;

struct GifSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

int GifRead(GifFileType* gif, GifByteType* out, int length) {
  auto* source = static_cast<GifSource*>(gif->UserData);
  if (length <= 0) return 0;
  std::size_t n = static_cast<std::size_t>(length);
  if (n > source->size - source->pos) n = source->size - source->pos;
  std::memcpy(out, source->data + source->pos, n);
  source->pos += n;
  return static_cast<int>(n);
}

struct GifCloser {
  GifFileType* gif;
  ~GifCloser() {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// The first frame, placed on the logical screen. Screen pixels the frame
// leaves uncovered and the frame's transparent colour come out transparent.
bool DecodeGifFrame(GifFileType* gif, int transparent, Image& img) {
  const GifImageDesc& desc = gif->Image;
  if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0) return false;
  const std::uint64_t left = static_cast<std::uint64_t>(desc.Left);
  const std::uint64_t top = static_cast<std::uint64_t>(desc.Top);
  const std::uint64_t frame_w = static_cast<std::uint64_t>(desc.Width);
  const std::uint64_t frame_h = static_cast<std::uint64_t>(desc.Height);
  std::uint64_t screen_w = gif->SWidth > 0 ? static_cast<std::uint64_t>(gif->SWidth) : 0;
  std::uint64_t screen_h = gif->SHeight > 0 ? static_cast<std::uint64_t>(gif->SHeight) : 0;
  // A frame reaching past the screen (or a screen of size 0) widens it.
  const std::uint64_t extent_w = left + frame_w, extent_h = top + frame_h;
  if (extent_w > screen_w) screen_w = extent_w;
  if (extent_h > screen_h) screen_h = extent_h;
  // A large screen around a far smaller frame would only be empty space
  // (and a few bytes could ask for a gigabyte of it): the picture is then
  // cut to the frame's extent.
  if (screen_w * screen_h > kGifFreeScreenPixels && screen_w * screen_h / 16 > extent_w * extent_h) {
    screen_w = extent_w;
    screen_h = extent_h;
  }
  if (!ImageSizeAcceptable(screen_w, screen_h)) return false;
  const auto width = static_cast<std::uint32_t>(screen_w);
  const auto height = static_cast<std::uint32_t>(screen_h);
  if (!img.Create(width, height)) return false;

  const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
  GifColorType colors[256];
  for (int i = 0; i < 256; ++i) {
    // Without any colour table the indices are taken as grey levels.
    const auto level = static_cast<GifByteType>(i);
    colors[i] = map != nullptr ? GifColorType{0, 0, 0} : GifColorType{level, level, level};
  }
  if (map != nullptr && map->Colors != nullptr)
    for (int i = 0; i < map->ColorCount && i < 256; ++i) colors[i] = map->Colors[i];

  const bool covers = left == 0 && top == 0 && frame_w >= screen_w && frame_h >= screen_h;
  if (transparent >= 0 || !covers) img.AlphaSet(0);

  std::vector<GifByteType> line(static_cast<std::size_t>(frame_w));
  static const int kPassStart[4] = {0, 4, 2, 1};
  static const int kPassStep[4] = {8, 8, 4, 2};
  const int passes = desc.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const std::uint64_t start = desc.Interlace ? kPassStart[pass] : 0;
    const std::uint64_t step = desc.Interlace ? kPassStep[pass] : 1;
    for (std::uint64_t fy = start; fy < frame_h; fy += step) {
      if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) return false;
      const std::uint32_t y = height - 1 - static_cast<std::uint32_t>(top + fy);
      std::uint8_t* d = img.Row(y) + left * 3;
      std::uint8_t* a = img.AlphaRow(y);
      if (a != nullptr) a += left;
      for (std::uint64_t x = 0; x < frame_w; ++x, d += 3) {
        const GifByteType index = line[x];
        const GifColorType& c = colors[index];
        d[0] = c.Blue;
        d[1] = c.Green;
        d[2] = c.Red;
        if (a != nullptr) a[x] = index == transparent ? 0 : 255;
      }
    }
  }
  return true;
}

bool DecodeGifWhole(const std::uint8_t* data, std::size_t size, Image& out) {
  GifSource source{data, size, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&source, GifRead, &error);
  if (gif == nullptr) return false;
  GifCloser closer{gif};
  Image img;
  bool have_frame = false;
  int transparent = -1;
  // Every record is walked up to the trailer, so that a truncated file is
  // recognised; frames after the first are skipped without decoding.
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
      if (!have_frame && code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4)
        transparent = (block[1] & 1) ? block[4] : -1;
      while (block != nullptr)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    } else if (type == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
      if (!have_frame) {
        if (!DecodeGifFrame(gif, transparent, img)) return false;
        have_frame = true;
      } else {
        int code_size = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(gif, &code_size, &block) == GIF_ERROR) return false;
        while (block != nullptr)
          if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
      }
    } else {
      return false;
    }
  }
  if (!have_frame) return false;
  out = std::move(img);
  return true;
}

// The first frame lies on the logical screen, perhaps interlaced: decoded
// whole, then handed over.
bool DecodeGif(const std::uint8_t* data, std::size_t size, RowSink& sink) {
  Image whole;
  return DecodeGifWhole(data, size, whole) && FeedImage(whole, sink);
}

// Icons are small and decoded whole.
bool DecodeIcon(const std::uint8_t* data, std::size_t size, RowSink& sink) {
  Image whole;
  return DecodeIco(data, size, whole) && FeedImage(whole, sink);
}

}  // namespace

bool DecodeWithPlatform(ImageFormat format, const std::uint8_t* data, std::size_t size, RowSink& out, int eighths) {
  if (data == nullptr || size == 0) return false;
  switch (format) {
    case ImageFormat::kJpeg:
      return DecodeJpeg(data, size, eighths, out);
    case ImageFormat::kPng:
      return DecodePng(data, size, out);
    case ImageFormat::kGif:
      return DecodeGif(data, size, out);
    case ImageFormat::kBmp:
      return DecodeBmp(data, size, out);
    case ImageFormat::kIco:
      return DecodeIcon(data, size, out);
    case ImageFormat::kTga:
      return DecodeTga(data, size, out);
    case ImageFormat::kPcx:
      return DecodePcx(data, size, out);
    case ImageFormat::kWbmp:
      return DecodeWbmp(data, size, out);
    default:
      // No TIFF, WMF, WebP or HEIF decoder in the native build.
      return false;
  }
}

FileDecode DecodeFileWithPlatform(const std::string& path, ImageFormat format, int eighths, RowSink& sink) {
  if (format != ImageFormat::kPng && format != ImageFormat::kJpeg) return FileDecode::kNotHere;
  // Read in large pieces: the decoders ask for a few kilobytes at a time
  // (the buffer outlives the file).
  std::vector<char> buffer(std::size_t{1} << 16);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return FileDecode::kNotHere;
  std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
  if (format == ImageFormat::kJpeg) {
    std::vector<std::uint8_t> cmyk_row;
    return DecodeJpegInto(nullptr, 0, file.get(), eighths, sink, cmyk_row) ? FileDecode::kDecoded
                                                                            : FileDecode::kFailed;
  }
  // The size only bounds how much the data may inflate to.
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return FileDecode::kNotHere;
  const long size = std::ftell(file.get());
  if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return FileDecode::kNotHere;
  PngBuffers buffers;
  PngSource source{nullptr, static_cast<std::size_t>(size), 0, file.get()};
  return DecodePngInto(source, sink, buffers) ? FileDecode::kDecoded : FileDecode::kFailed;
}

}  // namespace vistelle
