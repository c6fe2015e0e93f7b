// Folders of a Windows disk in memory, for the folder scan and the commands
// that add whole folders.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/folder_listing.h"

namespace vistelle::testing {

// Windows folders in memory, found without regard to case. A tree is given
// as paths: a folder ends with a backslash; "h:" before a path makes it
// hidden, "l:" makes a folder a link (listed, but not to be entered), "u:"
// a folder that cannot be read to its end. "FOLDER\=TARGET" is a plain
// folder that is another one, as a share shows a link (its entries and
// identity are the target's). A path given twice keeps its first kind.
class MemoryFolders final : public FolderListing {
 public:
  explicit MemoryFolders(const std::vector<std::string>& tree) {
    for (std::string path : tree) {
      bool hidden = false;
      bool link = false;
      if (path.rfind("h:", 0) == 0) hidden = true, path.erase(0, 2);
      if (path.rfind("l:", 0) == 0) link = true, path.erase(0, 2);
      if (path.rfind("u:", 0) == 0) path.erase(0, 2), unreadable_.push_back(Key(path.substr(0, path.size() - 1)));
      const std::size_t alias = path.find("\\=");
      if (alias != std::string::npos) {
        aliases_[Key(path.substr(0, alias))] = Key(path.substr(alias + 2));
        path.resize(alias + 1);
      }
      const bool folder = path.back() == '\\';
      if (folder) path.pop_back();
      Add(path, folder ? (link ? EntryKind::kFolderLink : EntryKind::kFolder) : EntryKind::kFile, hidden);
    }
  }
  char Separator() const override { return '\\'; }
  EntryKind KindOf(const std::string& path) override {
    const auto it = kinds_.find(Resolved(path));
    if (it == kinds_.end()) return EntryKind::kNone;
    return it->second == EntryKind::kFolderLink ? EntryKind::kFolder : it->second;
  }
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) override {
    ++listed[folder];
    const std::string key = Resolved(folder);
    entries = folders_[key];
    return kinds_.count(key) != 0 && std::find(unreadable_.begin(), unreadable_.end(), key) == unreadable_.end();
  }
  bool IdentityOf(const std::string& folder, FolderIdentity& out) override {
    const std::string key = Resolved(folder);
    if (kinds_.count(key) == 0) return false;
    out = FolderIdentity{1, std::hash<std::string>()(key)};
    return true;
  }
  std::map<std::string, int> listed;

 private:
  // The folder a path leads to, through the aliases on the way.
  std::string Resolved(const std::string& path) const {
    std::string key = Key(path);
    for (int hops = 0; hops < 100; ++hops) {
      bool changed = false;
      for (const auto& [alias, target] : aliases_) {
        if (key == alias || key.rfind(alias + "\\", 0) == 0) {
          key = target + key.substr(alias.size());
          changed = true;
          break;
        }
      }
      if (!changed) break;
    }
    return key;
  }
  static std::string Key(std::string path) {
    for (char& c : path)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return path;
  }
  void Add(const std::string& path, EntryKind kind, bool hidden) {
    if (kinds_.count(Key(path)) != 0) return;
    kinds_[Key(path)] = kind;
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return;  // a drive
    const std::string parent = path.substr(0, slash);
    Add(parent, EntryKind::kFolder, false);
    folders_[Key(parent)].push_back(FolderEntry{path.substr(slash + 1), kind, hidden});
  }
  std::map<std::string, std::string> aliases_;
  std::vector<std::string> unreadable_;
  std::map<std::string, EntryKind> kinds_;
  std::map<std::string, std::vector<FolderEntry>> folders_;
};

}  // namespace vistelle::testing
