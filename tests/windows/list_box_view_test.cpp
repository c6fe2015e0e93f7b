// The library's texts on real list boxes: the view that the session's lists
// are shown in, and a library file of an older program in the system's code
// page.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/list_box_view_win32.h"
#include "config/profile_store.h"
#include "library/wallpaper_library.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

using testing::Items;
using testing::Selected;

class Host : public testing::ListBoxHost {
 public:
  Host() : ListBoxHost("Lists") {}
};

TEST(ListBoxView, ShowsWhatTheSessionHoldsWithItsSelection) {
  Host host;
  ListBoxView view(host.Pictures());
  ShownList shown(view);
  using Names = std::vector<std::string>;
  const Names steps[] = {{"a", u8"\u0119", "b", "c"}, {u8"\u0119", "b", "c", "a"}, {"a", u8"\u0119", "b", "c"},
                         {"a", "c"}, {}};
  for (const Names& items : steps) {
    const auto last = static_cast<std::int32_t>(items.size()) - 1;  // -1 for none
    shown.Show(items, last);
    EXPECT_EQ(Items(host.Pictures()), items);
    EXPECT_EQ(Selected(host.Pictures()), last);
  }
  shown.Show({"x", "y"}, 1);
  SendMessageW(host.Pictures(), LB_SETCURSEL, 0, 0);  // a click the session refused
  shown.Select(1);
  EXPECT_EQ(Selected(host.Pictures()), 1);
}

TEST(LibraryFile, AnOlderFileInTheSystemsCodePageIsReadAndWrittenBackAsUtf8) {
  char code_page[8] = "";
  GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, code_page, sizeof code_page);
  if (std::string(code_page) != "1252" && std::string(code_page) != "1250")
    GTEST_SKIP() << "system code page " << code_page;
  testing::TestDir dir;
  dir.Write("pictora.txt", "Caf\xE9\r\nC:\\caf\xE9.jpg");
  const std::unique_ptr<ProfileStore> store = MakeSystemProfileStore();
  WallpaperLibrary library(dir.Path(), *store);
  ASSERT_TRUE(library.Load());
  EXPECT_EQ(library.CategoryListItems(), std::vector<std::string>{u8"Caf\u00e9"});
  EXPECT_EQ(library.PictureListItems(), std::vector<std::string>{u8"caf\u00e9.jpg"});
  ASSERT_TRUE(library.Save());
  EXPECT_EQ(dir.Read("pictora.txt"), u8"Caf\u00e9\r\nC:\\caf\u00e9.jpg");
}

}  // namespace
}  // namespace vistelle
