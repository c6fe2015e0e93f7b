// The contents of folders, for adding whole folders of pictures. Paths and
// names are UTF-8. On Windows FindFirstFileW and its kin; natively the POSIX
// directory functions; the tests give folders in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vistelle {

enum class EntryKind {
  kNone,        // nothing there, or nothing that can be read
  kFile,        // a file, also one reached through a link
  kFolder,      // a folder
  kFolderLink,  // a link to a folder (symbolic link, junction): not entered
  kOther,       // a device, pipe or socket
};

struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::kNone;
  // Hidden or system on Windows (what Explorer does not show by default); a
  // name that begins with a dot natively.
  bool hidden = false;
};

// What tells one folder from another whatever path reaches it: the volume
// and the file's number on it (Windows: the volume serial and the file id;
// natively the device and the inode).
struct FolderIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  friend bool operator==(const FolderIdentity& a, const FolderIdentity& b) {
    return a.volume == b.volume && a.file == b.file;
  }
};

class FolderListing {
 public:
  virtual ~FolderListing() = default;
  // The separator between a folder and a name in the paths of this listing.
  virtual char Separator() const = 0;
  // What the path is, through a link there: a path the user chose or
  // dropped is taken as the user named it (never kFolderLink).
  virtual EntryKind KindOf(const std::string& path) = 0;
  // The folder's entries in no particular order, without "." and "..". False
  // when the folder could not be read, or not to the end; entries then holds
  // what was read.
  virtual bool List(const std::string& folder, std::vector<FolderEntry>& entries) = 0;
  // The folder's identity; false when it cannot be had (the folder is then
  // told apart by its path alone).
  virtual bool IdentityOf(const std::string& /*folder*/, FolderIdentity& /*out*/) { return false; }
};

// The folders of this platform.
std::unique_ptr<FolderListing> MakeSystemFolderListing();

}  // namespace vistelle
