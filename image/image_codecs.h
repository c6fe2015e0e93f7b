// Picture decoders and the BMP encoder behind Image::Load and Image::Save.
//
// The format is recognised from the content, never from the file name.
// Each decoder checks the declared size with ImageSizeAcceptable before it
// allocates, and answers false for anything corrupt or truncated; none of
// them may read outside the buffer it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/row_sink.h"

namespace vistelle {

enum class ImageFormat {
  kUnknown,
  kBmp,
  kJpeg,
  kPng,
  kGif,
  kTiff,
  kIco,
  kTga,
  kPcx,
  kWbmp,
  kWmf,
  kOther,  // a container the platform decoder may know (WebP, HEIF, ...)
};

ImageFormat DetectImageFormat(const std::uint8_t* data, std::size_t size);

// Decodes any supported format and puts the picture upright (EXIF). With a
// target a JPEG may be decoded at a fraction of its size (decode_target.h).
// Into a sink, the rows go there as they are decoded, and the sink is
// finished once the whole file has decoded; a decode that fails may have
// put rows before it failed.
bool DecodeImage(const std::uint8_t* data, std::size_t size, Image& out,
                 const DecodeTarget& target = DecodeTarget());
bool DecodeImage(const std::uint8_t* data, std::size_t size, RowSink& sink,
                 const DecodeTarget& target = DecodeTarget());
// The same for a file, read whole first (files of more than 1 GiB are refused).
bool DecodeImageFile(const std::string& path, RowSink& sink, const DecodeTarget& target = DecodeTarget());

// The decoders below put rows into the sink as they go where the file's
// layout allows it; where it does not (interlaced pictures, run lengths
// that jump, frames on a larger screen) they decode whole first and then
// hand the picture over (FeedImage). They never finish the sink. The
// versions into an Image decode through an ImageSink.

// The platform's decoders: WIC on Windows, the reference libraries natively.
// Called for every format the program does not decode itself. eighths
// (1..8) is the fraction of the full size a JPEG may be decoded at; a
// decoder that cannot decode at a fraction decodes in full.
bool DecodeWithPlatform(ImageFormat format, const std::uint8_t* data, std::size_t size, RowSink& sink,
                        int eighths = 8);
bool DecodeWithPlatform(ImageFormat format, const std::uint8_t* data, std::size_t size, Image& out,
                        int eighths = 8);

// A file the platform decodes as it reads it (natively a PNG, and a JPEG at
// `eighths` of its size), so that it is never held in memory: kDecoded or
// kFailed, the sink not finished. kNotHere, the sink untouched, for every
// other file, which is then read whole and decoded from memory.
enum class FileDecode { kNotHere, kDecoded, kFailed };
FileDecode DecodeFileWithPlatform(const std::string& path, ImageFormat format, int eighths, RowSink& sink);

// The program's own decoders, used on every platform.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, RowSink& sink);
bool DecodeTga(const std::uint8_t* data, std::size_t size, RowSink& sink);
bool DecodePcx(const std::uint8_t* data, std::size_t size, RowSink& sink);
bool DecodeWbmp(const std::uint8_t* data, std::size_t size, RowSink& sink);
bool DecodeBmp(const std::uint8_t* data, std::size_t size, Image& out);
bool DecodeTga(const std::uint8_t* data, std::size_t size, Image& out);
bool DecodePcx(const std::uint8_t* data, std::size_t size, Image& out);
bool DecodeWbmp(const std::uint8_t* data, std::size_t size, Image& out);
// Icons are small: always decoded whole.
bool DecodeIco(const std::uint8_t* data, std::size_t size, Image& out);

// The EXIF orientation (1..8) of a JPEG or TIFF file, or 1 when it has none.
int ReadExifOrientation(const std::uint8_t* data, std::size_t size);

// A 24-bit bottom-up BMP of the picture (alpha is dropped).
std::vector<std::uint8_t> EncodeBmp24(const Image& image);

}  // namespace vistelle
