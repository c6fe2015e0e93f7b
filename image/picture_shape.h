// A picture's width and height as it is shown, read from the header of its
// file without decoding it: enough to tell a portrait picture from a
// landscape one in a moment, where a decode of a large photo takes long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/row_sink.h"

namespace vistelle {

// From the file's first bytes, for a JPEG, PNG, BMP, GIF (its screen), TGA
// or PCX file. The width and height are as the picture is shown: a JPEG
// whose EXIF orientation turns it by a quarter (5..8) has them swapped. Only
// those two fields of the shape are filled. False for any other format, and
// for a header that is cut short or declares a side of 0.
bool ReadPictureShape(const std::uint8_t* data, std::size_t size, PictureShape& shape);

// The same for a file, of which only as much is read as the header needs: a
// JPEG's frame header may come after large metadata, so the file is read in
// growing pieces, but never more than its first 4 MiB. False when the file
// cannot be read or its shape is not found there.
bool ReadPictureShapeFromFile(const std::string& path, PictureShape& shape);

// The size a JPEG's frame header declares, as stored (not turned); false
// when the header is cut short or there is none before the scan.
bool ReadJpegFrameSize(const std::uint8_t* data, std::size_t size, std::uint32_t& width, std::uint32_t& height);

}  // namespace vistelle
