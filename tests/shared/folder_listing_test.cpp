// The system's folders as the folder scan sees them.
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include "base/folder_listing.h"
#include "library/folder_scan.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

void MakeHidden(const testing::TestDir& dir, const std::string& name) {
#ifdef _WIN32
  SetFileAttributesW(std::filesystem::u8path(dir.File(name)).wstring().c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
  (void)dir;
  (void)name;  // the leading dot does it
#endif
}

TEST(SystemFolders, GiveFilesFoldersAndHiddenEntries) {
  testing::TestDir dir;
  for (const char* folder : {"Sub", ".skip", "Empty"}) std::filesystem::create_directories(dir.File(folder));
  for (const char* file : {"10.jpg", "2.PNG", "notes.txt", "Sub/1.gif", ".skip/1.jpg", ".hidden.jpg",
                           "\xC5\xBC" "aba.jpg"})
    dir.Write(file, "x");
  MakeHidden(dir, ".skip");
  MakeHidden(dir, ".hidden.jpg");
#ifndef _WIN32
  std::filesystem::create_directory_symlink(dir.Path(), dir.File("Sub/loop"));
  std::filesystem::create_symlink(dir.File("10.jpg"), dir.File("Sub/link.jpg"));
#endif

  const auto listing = MakeSystemFolderListing();
  EXPECT_EQ(listing->KindOf(dir.Path()), EntryKind::kFolder);
  EXPECT_EQ(listing->KindOf(dir.File("10.jpg")), EntryKind::kFile);
  EXPECT_EQ(listing->KindOf(dir.File("gone.jpg")), EntryKind::kNone);
  std::vector<FolderEntry> entries;
  EXPECT_FALSE(listing->List(dir.File("gone"), entries));
  EXPECT_TRUE(listing->List(dir.File("Empty"), entries));
  EXPECT_TRUE(entries.empty());

  const std::string sep(1, listing->Separator());
  std::vector<std::string> expected = {dir.File("2.PNG"), dir.File("10.jpg"), dir.File("\xC5\xBC" "aba.jpg"),
                                       dir.Path() + sep + "Sub" + sep + "1.gif"};
#ifndef _WIN32
  expected.push_back(dir.Path() + sep + "Sub" + sep + "link.jpg");  // a link to a file is that file
#endif
  EXPECT_EQ(FindPictures(*listing, {dir.Path()}, {}), expected);

  // A folder is known by what it is: the same through every path to it.
  FolderIdentity top, again, sub;
  ASSERT_TRUE(listing->IdentityOf(dir.Path(), top));
  ASSERT_TRUE(listing->IdentityOf(dir.Path() + sep + "Sub" + sep + "..", again));
  ASSERT_TRUE(listing->IdentityOf(dir.File("Sub"), sub));
  EXPECT_TRUE(top == again);
  EXPECT_FALSE(top == sub);
#ifndef _WIN32
  ASSERT_TRUE(listing->IdentityOf(dir.File("Sub/loop"), again));
  EXPECT_TRUE(top == again);
#endif
}

}  // namespace
}  // namespace vistelle
