// libFuzzer target for the picture decoders: the content-recognising entry
// point, each of the program's own decoders on the raw bytes, the EXIF
// reader and the header reader of picture shapes. Any crash, sanitizer
// report, leak or oversized allocation is a finding, and so is a shape from
// the header that differs from the picture decoded (but for a GIF, whose
// frames may reach past the screen the header declares).

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/image.h"
#include "image/image_codecs.h"
#include "image/picture_shape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistelle;
  Image full;
  if (DecodeImage(data, size, full) && !full.IsValid()) std::abort();
  // For a screen: a JPEG may come out smaller, never smaller than the target
  // scales it to, never larger than in full.
  {
    const std::uint32_t screen_w = size > 0 ? 1u + data[0] * 4u : 64u;
    const std::uint32_t screen_h = size > 1 ? 1u + data[1] * 4u : 48u;
    for (const bool cover : {true, false}) {
      Image img;
      if (!DecodeImage(data, size, img, DecodeTarget{screen_w, screen_h, cover})) continue;
      if (!img.IsValid() || !full.IsValid()) std::abort();
      if (img.GetWidth() > full.GetWidth() || img.GetHeight() > full.GetHeight()) std::abort();
    }
  }
  // The own decoders straight on the bytes, whatever the content looks like.
  bool (*const decoders[])(const std::uint8_t*, std::size_t, Image&) = {DecodeBmp, DecodeTga, DecodePcx,
                                                                         DecodeWbmp, DecodeIco};
  for (auto decode : decoders) {
    Image img;
    if (decode(data, size, img) && !img.IsValid()) std::abort();
  }
  PictureShape shape;
  if (ReadPictureShape(data, size, shape) && full.IsValid() && DetectImageFormat(data, size) != ImageFormat::kGif &&
      (shape.width != full.GetWidth() || shape.height != full.GetHeight()))
    std::abort();
  const int orientation = ReadExifOrientation(data, size);
  if (orientation < 1 || orientation > 8) std::abort();
  return 0;
}
