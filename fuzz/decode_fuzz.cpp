// libFuzzer target for the picture decoders: the content-recognising entry
// point, each of the program's own decoders on the raw bytes, and the EXIF
// reader. Any crash, sanitizer report, leak or oversized allocation is a
// finding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "render/image.h"
#include "render/image_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vistelle;
  {
    Image img;
    if (DecodeImage(data, size, img) && !img.IsValid()) std::abort();
  }
  // The own decoders straight on the bytes, whatever the content looks like.
  bool (*const decoders[])(const std::uint8_t*, std::size_t, Image&) = {DecodeBmp, DecodeTga, DecodePcx,
                                                                         DecodeWbmp, DecodeIco};
  for (auto decode : decoders) {
    Image img;
    if (decode(data, size, img) && !img.IsValid()) std::abort();
  }
  const int orientation = ReadExifOrientation(data, size);
  if (orientation < 1 || orientation > 8) std::abort();
  return 0;
}
