// The tags of a picture's EXIF block that say what it shows: its title,
// who made it and when it was taken, for the caption on the wallpaper.
// Read by our own code from the bytes, so that both builds give the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vistelle {

struct ExifTags {
  // ImageDescription, else the title Windows writes (XPTitle); UTF-8.
  std::string title;
  // Artist, else XPAuthor.
  std::string artist;
  // DateTimeOriginal as "YYYY-MM-DD"; empty when missing or not a date.
  std::string date;
};

// From a JPEG (its APP1 "Exif" segment before the first scan) or a TIFF
// file's first directory and its EXIF directory. Texts have their
// terminators, blanks at either end and control characters removed; a
// text that is not UTF-8 is read as Latin-1. Anything missing or malformed
// stays empty.
ExifTags ReadExifTags(const std::uint8_t* data, std::size_t size);

// The same from the first bytes of a file (the metadata comes before the
// picture); empty tags when it cannot be read.
ExifTags ReadExifTagsFromFile(const std::string& path);

}  // namespace vistelle
