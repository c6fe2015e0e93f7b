#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/folder_scan.h"
#include "library/library_text.h"
#include "tests/native/memory_folders.h"

namespace vistelle {
namespace {

using testing::MemoryFolders;

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

// Folders are told apart by what they are, not by the path that reaches
// them: a folder that is its parent again, two that are each other, one
// shown under two names. What is passed over is counted by its reason.
TEST(ScanForPictures, AFolderReachedAgainIsWalkedOnceAndWhatIsSkippedIsCounted) {
  struct Case {
    const char* name;
    std::vector<std::string> tree;
    std::vector<std::string> found;
    const char* summary;
  };
  const Case cases[] = {
      {"a folder that is its parent", {"C:\\P\\1.jpg", "C:\\P\\up\\=C:\\P"}, {"C:\\P\\1.jpg"},
       "1 picture added; 1 skipped: 1 already there."},
      {"two folders that are each other",
       {"C:\\P\\A\\a.jpg", "C:\\P\\A\\toB\\=C:\\P\\B", "C:\\P\\B\\b.jpg", "C:\\P\\B\\toA\\=C:\\P\\A"},
       {"C:\\P\\A\\a.jpg", "C:\\P\\A\\toB\\b.jpg"},
       "2 pictures added; 1 skipped: 1 unreadable."},
      {"one folder under two names", {"C:\\P\\Pics\\x.jpg", "C:\\P\\Also\\=C:\\P\\Pics"}, {"C:\\P\\Also\\x.jpg"},
       "1 picture added; 1 skipped: 1 unreadable."},
      {"each reason",
       {"C:\\P\\1.jpg", "C:\\P\\notes.txt", "C:\\P\\clip.mp4", "u:C:\\P\\Locked\\", "C:\\P\\Locked\\2.jpg",
        "C:\\P\\" + std::string(300, 'n') + ".jpg"},
       {"C:\\P\\1.jpg", "C:\\P\\Locked\\2.jpg"},
       "2 pictures added; 5 skipped: 1 already there, 2 not pictures, 1 name too long, 1 unreadable."},
  };
  for (const Case& c : cases) {
    MemoryFolders folders(c.tree);
    // "C:\\P\\1.jpg" dropped beside its folder: twice where it is there, not
    // there (unreadable) where it is not.
    const ScanResult result = ScanForPictures(folders, {"C:\\P", "C:\\P\\1.jpg"}, {});
    EXPECT_EQ(result.pictures, c.found) << c.name;
    EXPECT_EQ(ScanSummaryText(result.pictures.size(), result.skipped), c.summary) << c.name;
  }
}

TEST(ScanForPictures, StopsWhenAskedAndNoDeeperThanTheLimit) {
  std::string deep = "C:";
  std::vector<std::string> tree;
  for (int level = 0; level <= kMaxScanDepth + 2; ++level) {
    deep += "\\d";
    tree.push_back(deep + "\\" + std::to_string(level) + ".jpg");
  }
  MemoryFolders folders(tree);
  ScanControl control;
  const ScanResult all = ScanForPictures(folders, {"C:\\d"}, {}, &control);
  EXPECT_EQ(all.pictures.size(), static_cast<std::size_t>(kMaxScanDepth) + 1);
  EXPECT_EQ(control.found, all.pictures.size());
  control.cancel = true;
  const ScanResult none = ScanForPictures(folders, {"C:\\d"}, {}, &control);
  EXPECT_TRUE(none.pictures.empty());
  EXPECT_TRUE(none.skipped.cancelled);
  EXPECT_EQ(ScanSummaryText(0, none.skipped), "0 pictures added before adding was cancelled.");
}

}  // namespace
}  // namespace vistelle
