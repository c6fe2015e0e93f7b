#include <cstring>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "image/byte_reader.h"
#include "image/decoders_internal.h"
#include "image/image_codecs.h"
#include "image/picture_shape.h"

namespace vistelle {

namespace {

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* magic, std::size_t length) {
  return size >= length && std::memcmp(data, magic, length) == 0;
}

bool IsWmf(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kPlaceable[4] = {0xD7, 0xCD, 0xC6, 0x9A};
  if (size >= 22 && std::memcmp(data, kPlaceable, 4) == 0) return true;
  // A metafile without the placeable header starts with its own: type 1
  // (memory) or 2 (disk), a header of 9 words, version 0x0100 or 0x0300.
  if (size < 18) return false;
  const std::uint16_t type = bytes::Le16(data);
  const std::uint16_t header_words = bytes::Le16(data + 2);
  const std::uint16_t version = bytes::Le16(data + 4);
  return (type == 1 || type == 2) && header_words == 9 && (version == 0x0100 || version == 0x0300);
}

bool IsIsoMediaPicture(const std::uint8_t* data, std::size_t size) {
  if (size < 12 || std::memcmp(data + 4, "ftyp", 4) != 0) return false;
  static const char* const kBrands[] = {"heic", "heix", "hevc", "hevx", "heim", "heis",
                                        "avif", "avis", "mif1", "msf1"};
  for (const char* brand : kBrands)
    if (std::memcmp(data + 8, brand, 4) == 0) return true;
  return false;
}

}  // namespace

ImageFormat DetectImageFormat(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 2) return ImageFormat::kUnknown;
  static const std::uint8_t kJpeg[3] = {0xFF, 0xD8, 0xFF};
  static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static const std::uint8_t kTiffLittle[4] = {'I', 'I', 0x2A, 0x00};
  static const std::uint8_t kTiffBig[4] = {'M', 'M', 0x00, 0x2A};
  static const std::uint8_t kIco[4] = {0x00, 0x00, 0x01, 0x00};

  if (data[0] == 'B' && data[1] == 'M') return ImageFormat::kBmp;
  if (size >= 3 && std::memcmp(data, kJpeg, 3) == 0) return ImageFormat::kJpeg;
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return ImageFormat::kPng;
  if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) return ImageFormat::kGif;
  if (size >= 4 && (std::memcmp(data, kTiffLittle, 4) == 0 || std::memcmp(data, kTiffBig, 4) == 0))
    return ImageFormat::kTiff;
  if (size >= 4 && std::memcmp(data, kIco, 4) == 0 && IcoDirectorySane(data, size)) return ImageFormat::kIco;
  if (IsWmf(data, size)) return ImageFormat::kWmf;
  if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0)
    return ImageFormat::kOther;
  if (IsIsoMediaPicture(data, size)) return ImageFormat::kOther;
  if (PcxHeaderSane(data, size)) return ImageFormat::kPcx;
  WbmpHeader wbmp;
  if (ParseWbmpHeader(data, size, wbmp)) return ImageFormat::kWbmp;
  // TGA has no signature at all, so it is tried last and only on a header
  // whose every field makes sense.
  if (TgaHeaderSane(data, size)) return ImageFormat::kTga;
  return ImageFormat::kUnknown;
}

namespace {

// A decode into a sink, made into a decode into a picture in memory, which
// is only replaced once the decode succeeded.
template <typename Decode>
bool IntoImage(Image& out, Decode decode) {
  Image picture;
  ImageSink sink(picture);
  if (!decode(sink) || !picture.IsValid()) return false;
  out = std::move(picture);
  return true;
}

}  // namespace

namespace {

// How a picture is decoded: turned as its EXIF orientation says, and a JPEG
// at a fraction of its size when a target allows.
struct DecodePlan {
  int orientation = 1;
  int eighths = 8;
  bool sized = false;  // the JPEG's frame (and so every segment before it) was found
};

DecodePlan PlanDecode(ImageFormat format, const std::uint8_t* data, std::size_t size, const DecodeTarget& target) {
  DecodePlan plan;
  if (format == ImageFormat::kJpeg || format == ImageFormat::kTiff) plan.orientation = ReadExifOrientation(data, size);
  std::uint32_t width = 0, height = 0;
  if (format == ImageFormat::kJpeg && ReadJpegFrameSize(data, size, width, height)) {
    plan.sized = true;
    if (target.Any()) plan.eighths = DecodeEighths(width, height, target, plan.orientation >= 5);
  }
  return plan;
}

// The decode into the sink, turned as the orientation says.
template <typename Decode>
bool DecodeTurned(int orientation, RowSink& sink, Decode decode) {
  if (orientation >= 5) {
    // Turned by a quarter, the first row shown is the picture's first
    // column: the picture is decoded whole and then turned.
    Image whole;
    if (!IntoImage(whole, decode)) return false;
    whole.ApplyOrientation(orientation);
    return FeedImage(whole, sink);
  }
  if (orientation >= 2) {
    OrientedSink oriented(sink, orientation);
    return decode(oriented);
  }
  return decode(sink);
}

// Enough of a file's start to hold a JPEG's segments up to its frame
// header: the EXIF block, a colour profile and a thumbnail or two.
constexpr std::size_t kFileHeadBytes = 256 * 1024;

}  // namespace

bool DecodeImage(const std::uint8_t* data, std::size_t size, RowSink& sink, const DecodeTarget& target) {
  const ImageFormat format = DetectImageFormat(data, size);
  if (format == ImageFormat::kUnknown) return false;
  const DecodePlan plan = PlanDecode(format, data, size, target);
  const auto decode = [&](RowSink& into) {
    switch (format) {
      // Formats the platform decoders may not know are always decoded
      // here, so they look the same everywhere.
      case ImageFormat::kTga:
        return DecodeTga(data, size, into);
      case ImageFormat::kPcx:
        return DecodePcx(data, size, into);
      case ImageFormat::kWbmp:
        return DecodeWbmp(data, size, into);
      default:
        return DecodeWithPlatform(format, data, size, into, plan.eighths);
    }
  };
  return DecodeTurned(plan.orientation, sink, decode) && sink.Finish();
}

bool DecodeImageFile(const std::string& path, RowSink& sink, const DecodeTarget& target) {
  // A file the platform decodes as it reads it is never held whole; for a
  // JPEG its start tells first how it is turned and at what size it goes.
  std::vector<std::uint8_t> head;
  if (!ReadFilePrefix(path, kFileHeadBytes, head)) return false;
  // A file shorter than that is all here already.
  if (head.size() < kFileHeadBytes) return DecodeImage(head.data(), head.size(), sink, target);
  const ImageFormat format = DetectImageFormat(head.data(), head.size());
  const DecodePlan plan = PlanDecode(format, head.data(), head.size(), target);
  if (format == ImageFormat::kPng || (format == ImageFormat::kJpeg && plan.sized)) {
    FileDecode result = FileDecode::kNotHere;
    const bool decoded = DecodeTurned(plan.orientation, sink, [&](RowSink& into) {
      result = DecodeFileWithPlatform(path, format, plan.eighths, into);
      return result == FileDecode::kDecoded;
    });
    if (result == FileDecode::kDecoded) return decoded && sink.Finish();
    if (result == FileDecode::kFailed) return false;
  }
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, kMaxPictureFileBytes)) return false;
  return DecodeImage(bytes.data(), bytes.size(), sink, target);
}

bool DecodeImage(const std::uint8_t* data, std::size_t size, Image& out, const DecodeTarget& target) {
  return IntoImage(out, [&](RowSink& sink) { return DecodeImage(data, size, sink, target); });
}

bool DecodeWithPlatform(ImageFormat format, const std::uint8_t* data, std::size_t size, Image& out, int eighths) {
  return IntoImage(out, [&](RowSink& sink) { return DecodeWithPlatform(format, data, size, sink, eighths); });
}

bool DecodeBmp(const std::uint8_t* data, std::size_t size, Image& out) {
  return IntoImage(out, [&](RowSink& sink) { return DecodeBmp(data, size, sink); });
}

bool DecodeTga(const std::uint8_t* data, std::size_t size, Image& out) {
  return IntoImage(out, [&](RowSink& sink) { return DecodeTga(data, size, sink); });
}

bool DecodePcx(const std::uint8_t* data, std::size_t size, Image& out) {
  return IntoImage(out, [&](RowSink& sink) { return DecodePcx(data, size, sink); });
}

bool DecodeWbmp(const std::uint8_t* data, std::size_t size, Image& out) {
  return IntoImage(out, [&](RowSink& sink) { return DecodeWbmp(data, size, sink); });
}

}  // namespace vistelle
