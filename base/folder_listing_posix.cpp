#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "base/folder_listing.h"

namespace vistelle {

namespace {

EntryKind KindOfStat(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return EntryKind::kFile;
  if (S_ISDIR(info.st_mode)) return EntryKind::kFolder;
  return EntryKind::kOther;
}

class DirCloser {
 public:
  explicit DirCloser(DIR* dir) : dir_(dir) {}
  ~DirCloser() {
    if (dir_ != nullptr) closedir(dir_);
  }
  DirCloser(const DirCloser&) = delete;
  DirCloser& operator=(const DirCloser&) = delete;

 private:
  DIR* dir_;
};

class PosixFolderListing final : public FolderListing {
 public:
  char Separator() const override { return '/'; }

  EntryKind KindOf(const std::string& path) override {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return EntryKind::kNone;
    return KindOfStat(info);
  }

  bool List(const std::string& folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    const DirCloser closer(dir);
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      FolderEntry out;
      out.name = entry->d_name;
      out.hidden = entry->d_name[0] == '.';
      switch (entry->d_type) {
        case DT_REG:
          out.kind = EntryKind::kFile;
          break;
        case DT_DIR:
          out.kind = EntryKind::kFolder;
          break;
        case DT_LNK:
        case DT_UNKNOWN: {
          struct stat info;
          const std::string path = prefix + out.name;
          if (lstat(path.c_str(), &info) != 0) break;
          if (!S_ISLNK(info.st_mode)) {
            out.kind = KindOfStat(info);
          } else if (stat(path.c_str(), &info) == 0) {
            // A link to a file is that file; one to a folder is not entered.
            out.kind = KindOfStat(info);
            if (out.kind == EntryKind::kFolder) out.kind = EntryKind::kFolderLink;
          }
          break;
        }
        default:
          out.kind = EntryKind::kOther;
          break;
      }
      entries.push_back(std::move(out));
      errno = 0;
    }
    return errno == 0;
  }

  bool IdentityOf(const std::string& folder, FolderIdentity& out) override {
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) return false;
    out = FolderIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return true;
  }
};

}  // namespace

std::unique_ptr<FolderListing> MakeSystemFolderListing() { return std::make_unique<PosixFolderListing>(); }

}  // namespace vistelle
