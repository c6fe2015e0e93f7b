// Whole folders of pictures: the picture files that paths dropped on the
// main window (files and folders) or a chosen folder give, and adding them
// to the current category.
//
// What is taken:
//  - files whose extension is one of the add-pictures dialog's "All
//    pictures" filter (IsPictureFileName); other files are passed over;
//  - folders with everything in them, subfolders too. Inside a folder,
//    hidden and system entries are passed over, as Explorer does not show
//    them, and links to folders (symbolic links, junctions) are not
//    entered, so no folder is walked in a loop. A path given is taken as
//    the user named it: also when it is hidden or a link itself.
//  - a path at most WallpaperLibrary::kMaxPathLength UTF-16 units long, as
//    the add command takes; longer ones are passed over (cutting one would
//    name another file), and so are folders too long for any file in them.
//    Names that are not UTF-8 text or hold control characters are passed
//    over too (the library file is UTF-8, a line a path).
//  - each file once: not when the category already holds it, nor twice from
//    the paths given (a folder and a file in it). Paths are compared as
//    Windows compares file names, without regard to case.
//
// In which order: the files given come first, then the folders given, each
// group in NaturalLess order of the full paths. A folder gives its own files
// first, then its subfolders one after the other, each in NaturalLess order
// of the names: a folder reads like its listing in Explorer sorted by name,
// its pictures before those of its subfolders.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/folder_listing.h"
#include "library/wallpaper_library.h"

namespace vistelle {

// Whether the name ends in one of the picture extensions (any case):
// bmp gif ico tif tiff png jpg jpeg jpe jfif tga pcx wbmp wmf.
bool IsPictureFileName(std::string_view name);

// Names in natural order without regard to case: runs of digits compare as
// numbers ("2.jpg" before "10.jpg", "IMG_007" with "IMG_7"), everything else
// character by character after folding the case of Latin, Greek and
// Cyrillic letters. Names that this leaves equal ("a.jpg" and "A.jpg",
// "07" and "7") are ordered by their bytes, so that the order is total.
int NaturalCompare(std::string_view a, std::string_view b);
inline bool NaturalLess(std::string_view a, std::string_view b) { return NaturalCompare(a, b) < 0; }

// The picture files that paths give, in the order above, leaving out those
// in present (the category's pictures).
std::vector<std::string> FindPictures(FolderListing& listing, const std::vector<std::string>& paths,
                                      const std::vector<std::string>& present);

}  // namespace vistelle
