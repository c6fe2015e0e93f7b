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
//    entered. A folder is walked once, however many paths lead to it: they
//    are told apart by their identity (volume and file number), so a share
//    that shows a link back to its parent as a plain folder is no loop;
//    and no deeper than kMaxScanDepth folders below a path given. A path
//    given is taken as the user named it: also when it is hidden or a link
//    itself.
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

#include <atomic>
#include <cstddef>
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

constexpr int kMaxScanDepth = 64;

// What a scan passed over, and why.
struct ScanSkipped {
  std::size_t duplicates = 0;   // in the category already, or found twice
  std::size_t unsupported = 0;  // files that are no pictures
  std::size_t too_long = 0;     // paths too long, or names that are not text
  std::size_t unreadable = 0;   // folders that could not be read (to the end), paths that are not there
  bool cancelled = false;

  std::size_t Total() const { return duplicates + unsupported + too_long + unreadable; }
};

struct ScanResult {
  std::vector<std::string> pictures;
  ScanSkipped skipped;
};

// For a scan on another thread: a request to stop (the scan then ends with
// what it has found), and how many pictures it has found so far.
struct ScanControl {
  std::atomic<bool> cancel{false};
  std::atomic<std::size_t> found{0};
};

// The picture files that paths give, in the order above, leaving out those
// in present (the category's pictures), and what was passed over.
ScanResult ScanForPictures(FolderListing& listing, const std::vector<std::string>& paths,
                           const std::vector<std::string>& present, ScanControl* control = nullptr);
inline std::vector<std::string> FindPictures(FolderListing& listing, const std::vector<std::string>& paths,
                                             const std::vector<std::string>& present) {
  return ScanForPictures(listing, paths, present).pictures;
}

// The paths of found that present does not hold (compared as Windows
// compares file names), in their order.
std::vector<std::string> NotYetIn(const std::vector<std::string>& found, const std::vector<std::string>& present);

// The line that tells what adding came to: "3 pictures added; 2 skipped:
// 1 already there, 1 not a picture."
std::string ScanSummaryText(std::size_t added, const ScanSkipped& skipped);

}  // namespace vistelle
