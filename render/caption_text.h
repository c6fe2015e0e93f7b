// The caption's text: a pattern with fields, filled from the picture's
// file name, folder, category and EXIF tags.
//
// Fields are written in braces: {name} (the file name without its
// extension), {folder} (the name of the folder it is in), {title}, {artist},
// {date} (YYYY-MM-DD, when it was taken) and {category}. Several names
// separated by '|' take the first that is not empty: the default pattern
// "{title|name}" shows the title, or the file name for a picture without
// one. Braces around anything else stay as written.
#pragma once

#include <string>

#include "config/config.h"
#include "image/exif_tags.h"

namespace vistelle {

struct CaptionFields {
  std::string name;
  std::string folder;
  std::string title;
  std::string artist;
  std::string date;
  std::string category;
};

// The fields of the picture at path (either kind of slash) in a category.
CaptionFields CaptionFieldsOf(const std::string& path, const std::string& category, const ExifTags& tags);

// The pattern filled in, on one line (control characters become blanks),
// without blanks at either end; empty when nothing but blanks is left (the
// caption is then not drawn).
std::string CaptionText(const std::string& pattern, const CaptionFields& fields);

}  // namespace vistelle
