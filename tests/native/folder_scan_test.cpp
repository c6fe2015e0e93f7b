#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/editing_commands.h"
#include "library/folder_scan.h"
#include "library/library_text.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

// Windows folders in memory, found without regard to case. A tree is given
// as paths: a folder ends with a backslash; "h:" before a path makes it
// hidden, "l:" makes a folder a link (listed, but not to be entered). A
// path given twice keeps its first kind.
class MemoryFolders final : public FolderListing {
 public:
  explicit MemoryFolders(const std::vector<std::string>& tree) {
    for (std::string path : tree) {
      bool hidden = false;
      bool link = false;
      if (path.rfind("h:", 0) == 0) hidden = true, path.erase(0, 2);
      if (path.rfind("l:", 0) == 0) link = true, path.erase(0, 2);
      const bool folder = path.back() == '\\';
      if (folder) path.pop_back();
      Add(path, folder ? (link ? EntryKind::kFolderLink : EntryKind::kFolder) : EntryKind::kFile, hidden);
    }
  }
  char Separator() const override { return '\\'; }
  EntryKind KindOf(const std::string& path) override {
    const auto it = kinds_.find(Key(path));
    if (it == kinds_.end()) return EntryKind::kNone;
    return it->second == EntryKind::kFolderLink ? EntryKind::kFolder : it->second;
  }
  bool List(const std::string& folder, std::vector<FolderEntry>& entries) override {
    ++listed[folder];
    entries = folders_[Key(folder)];
    return kinds_.count(Key(folder)) != 0;
  }
  std::map<std::string, int> listed;

 private:
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
  std::map<std::string, EntryKind> kinds_;
  std::map<std::string, std::vector<FolderEntry>> folders_;
};

TEST(NaturalOrder, ComparesNumbersByValueAndLettersWithoutCase) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  for (const Case c : {Case{"2.jpg", "10.jpg", -1}, Case{"x9y", "x10a", -1}, Case{"a1b2", "a1b10", -1},
                       Case{"IMG_007", "IMG_7", -1}, Case{"IMG_008", "IMG_7", 1}, Case{"a", "B", -1},
                       Case{"A.jpg", "a.jpg", -1}, Case{"\xC4\x85" "b", "\xC4\x84" "c", -1},  // ąb, Ąc
                       Case{"\xD0\xAF\xD0\xBA", "\xD1\x8F\xD0\xBD", -1},                    // Як, ян
                       Case{"abc", "abc", 0}, Case{"", "a", -1}, Case{"a 2", "a10", -1}, Case{"a_1", "a1", 1}}) {
    EXPECT_EQ(NaturalCompare(c.a, c.b), c.sign) << c.a << " / " << c.b;
    EXPECT_EQ(NaturalCompare(c.b, c.a), -c.sign) << c.b << " / " << c.a;
  }
}

TEST(PictureNames, AreTheAddDialogsExtensionsInAnyCase) {
  for (const char* name : {"a.bmp", "a.GIF", "a.ico", "a.tif", "a.TIFF", "a.png", "a.jpg", "a.JpEg", "a.jpe",
                           "a.jfif", "a.tga", "a.pcx", "a.wbmp", "a.wmf", "b.c.jpg", ".jpg"})
    EXPECT_TRUE(IsPictureFileName(name)) << name;
  for (const char* name : {"a.webp", "a.jpg.txt", "jpg", "a.jp", "a.jpgx", "a.", "Thumbs.db"})
    EXPECT_FALSE(IsPictureFileName(name)) << name;
}

TEST(FindPictures, OrdersFiltersAndLeavesOut) {
  struct Case {
    const char* name;
    std::vector<std::string> tree, dropped, present, expected;
  };
  const std::string deep = "C:\\D\\" + std::string(240, 'd');  // 245 units
  const std::string multi = "C:\\M\\" + std::string(115, 'x');  // 120 units, then 2-unit emoji
  std::string emoji_name;
  for (int i = 0; i < 34; ++i) emoji_name += "\xF0\x9F\x98\x80";  // 68 units, 136 bytes
  const std::vector<Case> cases = {
      {"natural order, any case, pictures only",
       {"C:\\P\\10.jpg", "C:\\P\\2.JPG", "C:\\P\\b.png", "C:\\P\\A.gif", "C:\\P\\notes.txt", "C:\\P\\x.webp"},
       {"C:\\P"},
       {},
       {"C:\\P\\2.JPG", "C:\\P\\10.jpg", "C:\\P\\A.gif", "C:\\P\\b.png"}},
      {"a folder's files, then its subfolders each in turn",
       {"C:\\P\\z.jpg", "C:\\P\\a\\1.jpg", "C:\\P\\a\\b\\1.jpg", "C:\\P\\B\\1.jpg", "C:\\P\\a\\2.jpg",
        "C:\\P\\empty\\"},
       {"C:\\P"},
       {},
       {"C:\\P\\z.jpg", "C:\\P\\a\\1.jpg", "C:\\P\\a\\2.jpg", "C:\\P\\a\\b\\1.jpg", "C:\\P\\B\\1.jpg"}},
      {"files dropped first, then folders, each sorted; missing and other files left out",
       {"C:\\Q\\3.jpg", "C:\\R\\1.jpg", "C:\\S\\1.png", "C:\\S\\read.me"},
       {"C:\\S", "C:\\R\\1.jpg", "C:\\gone.jpg", "C:\\S\\read.me", "C:\\Q"},
       {},
       {"C:\\R\\1.jpg", "C:\\Q\\3.jpg", "C:\\S\\1.png"}},
      {"hidden entries and links inside are passed over, dropped ones are taken",
       {"h:C:\\P\\secret.jpg", "h:C:\\P\\.originals\\", "C:\\P\\.originals\\1.jpg", "l:C:\\P\\loop\\",
        "C:\\P\\loop\\2.jpg", "C:\\P\\1.jpg", "l:C:\\L\\", "C:\\L\\in.jpg"},
       {"C:\\P", "C:\\P\\secret.jpg", "C:\\L"},
       {},
       {"C:\\P\\secret.jpg", "C:\\L\\in.jpg", "C:\\P\\1.jpg"}},
      {"each file once: twice dropped, in a dropped folder, in another case, already present",
       {"C:\\P\\a.jpg", "C:\\P\\b.jpg", "C:\\P\\Sub\\c.jpg", "C:\\P\\Sub\\d.jpg"},
       {"C:\\P\\Sub", "C:\\P", "c:\\p\\A.JPG", "C:\\P\\a.jpg"},
       {"c:\\P\\sub\\C.jpg"},
       {"C:\\P\\a.jpg", "C:\\P\\b.jpg", "C:\\P\\Sub\\d.jpg"}},
      {"paths up to the length limit in UTF-16 units",
       {deep + "\\" + std::string(9, 'f') + ".jpg",   // 259
        deep + "\\" + std::string(10, 'g') + ".jpg",  // 260
        multi + "\\" + emoji_name + ".jpg",           // 120 + 1 + 68 + 4
        multi + "\\" + emoji_name + emoji_name + ".jpg"},
       {"C:\\D", "C:\\M"},
       {},
       {deep + "\\" + std::string(9, 'f') + ".jpg", multi + "\\" + emoji_name + ".jpg"}},
  };
  for (const Case& c : cases) {
    MemoryFolders folders(c.tree);
    EXPECT_EQ(FindPictures(folders, c.dropped, c.present), c.expected) << c.name;
    for (const auto& [folder, times] : folders.listed) EXPECT_EQ(times, 1) << c.name << ": " << folder;
  }
}

TEST(FindPictures, LeavesOutNamesTheLibraryFileCannotHold) {
  MemoryFolders folders({"C:\\P\\ok.jpg", "C:\\P\\two\nlines.jpg", "C:\\P\\bad\xFF.jpg", "C:\\P\\bad\xC3\\1.jpg"});
  EXPECT_EQ(FindPictures(folders, {"C:\\P"}, {}), std::vector<std::string>{"C:\\P\\ok.jpg"});
}

TEST(AddPicturesFromPaths, AppendsToTheCurrentCategoryAndListsItAgain) {
  testing::LibraryFixture f;
  f.WriteLibrary("One\r\nC:\\P\\a.jpg\r\nC:\\P\\b.jpg\r\n\r\nTwo");
  f.WriteSelection(0, 0);
  auto library = f.MakeLibrary();
  library->Load();
  library->selectedPicture = 1;
  MemoryFolders folders({"C:\\P\\a.jpg", "C:\\P\\b.jpg", "C:\\P\\c.jpg", "C:\\P\\d\\e.jpg"});

  const FolderAddResult result = AddPicturesFromPaths(*library, folders, {"C:\\P"});
  EXPECT_TRUE(result.category_selected);
  EXPECT_EQ(result.added, 2);
  const std::vector<std::string> expected = {"C:\\P\\a.jpg", "C:\\P\\b.jpg", "C:\\P\\c.jpg", "C:\\P\\d\\e.jpg"};
  EXPECT_EQ(library->CategoryAt(0).pictures, expected);
  const auto& list = static_cast<const MemoryListView&>(library->PictureList());
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "e.jpg"}));
  EXPECT_EQ(list.Selection(), 1);

  // Nothing new: nothing added, and without a selected category nothing at all.
  EXPECT_EQ(AddPicturesFromPaths(*library, folders, {"C:\\P"}).added, 0);
  library->CategoryList().Select(-1);
  const FolderAddResult none = AddPicturesFromPaths(*library, folders, {"C:\\Q"});
  EXPECT_FALSE(none.category_selected);
  EXPECT_EQ(none.added, 0);
  EXPECT_EQ(library->CategoryAt(0).pictures, expected);
}

}  // namespace
}  // namespace vistelle
