#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "base/legacy_code_page.h"
#include "library/library_text.h"
#include "library/wallpaper_library.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

using testing::LibraryFixture;

Category Make(const std::string& name, std::vector<std::string> pictures = {}) {
  Category category;
  category.name = name;
  category.pictures = std::move(pictures);
  return category;
}

std::vector<std::string> Names(const std::vector<Category>& categories) {
  std::vector<std::string> out;
  for (const Category& c : categories) out.push_back(c.name);
  return out;
}

bool Same(const std::vector<Category>& a, const std::vector<Category>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].pictures != b[i].pictures) return false;
  return true;
}

// --- The file format -----------------------------------------------------

TEST(LibraryFile, WritesCrLfBetweenLinesOneEmptyLineBetweenCategoriesAndNoFinalLineEnd) {
  const std::vector<Category> library = {
      Make("Nature", {"C:\\Pictures\\lake.jpg", "C:\\Pictures\\hill.png"}),
      Make("Cities"),
      Make("Misc"),
  };
  const std::string bytes = WallpaperLibrary::Serialize(library);
  EXPECT_EQ(bytes, "Nature\r\nC:\\Pictures\\lake.jpg\r\nC:\\Pictures\\hill.png\r\n\r\nCities\r\n\r\nMisc");
  EXPECT_TRUE(Same(WallpaperLibrary::Parse(bytes), library));

  EXPECT_EQ(WallpaperLibrary::Serialize({}), "");
  EXPECT_TRUE(WallpaperLibrary::Parse("").empty());
  EXPECT_EQ(WallpaperLibrary::Serialize({Make("Misc")}), "Misc");
}

TEST(LibraryFile, RoundTripKeepsEveryNameAndPathByteForByte) {
  const std::vector<Category> library = {
      Make(u8"Zdj\u0119cia \u017c\u00f3\u0142wi", {u8"C:\\Obrazy\\\u017c\u00f3\u0142w.jpg", "D:\\a.jpg", "D:\\a.jpg"}),
      Make("", {"C:\\x.png"}),  // an empty name in the middle
      Make("Empty"),
      Make("  spaces  ", {"\\\\server\\share\\p.bmp", "relative.jpg"}),
      Make(""),  // an empty name at the end
  };
  const std::string bytes = WallpaperLibrary::Serialize(library);
  const std::vector<Category> read = WallpaperLibrary::Parse(bytes);
  EXPECT_TRUE(Same(read, library));
  EXPECT_EQ(WallpaperLibrary::Serialize(read), bytes);
}

TEST(LibraryFile, LineEndsMayBeLfOrCrLfWithOrWithoutAFinalOne) {
  const std::vector<Category> expected = {Make("A", {"C:\\1.jpg", "C:\\2.jpg"}), Make("B", {"C:\\3.jpg"})};
  for (const char* bytes : {"A\r\nC:\\1.jpg\r\nC:\\2.jpg\r\n\r\nB\r\nC:\\3.jpg",
                            "A\nC:\\1.jpg\nC:\\2.jpg\n\nB\nC:\\3.jpg", "A\nC:\\1.jpg\r\nC:\\2.jpg\n\r\nB\nC:\\3.jpg\n",
                            "A\r\nC:\\1.jpg\r\nC:\\2.jpg\r\n\r\nB\r\nC:\\3.jpg\r\n"}) {
    EXPECT_TRUE(Same(WallpaperLibrary::Parse(bytes), expected)) << bytes;
  }
}

TEST(LibraryFile, EmptyLinesStartCategoriesWhateverFollows) {
  // A last line that is empty starts one more, nameless category.
  EXPECT_EQ(Names(WallpaperLibrary::Parse("A\r\nC:\\1.jpg\r\n\r\n")), (std::vector<std::string>{"A", ""}));
  // Two empty lines in a row: the second is the (empty) name of a new
  // category, and the lines after it are its pictures.
  const auto read = WallpaperLibrary::Parse("A\r\n\r\n\r\nC:\\1.jpg\r\nC:\\2.jpg\r\n\r\nB");
  ASSERT_EQ(read.size(), 3u);
  EXPECT_TRUE(read[0].pictures.empty());
  EXPECT_EQ(read[1].name, "");
  EXPECT_EQ(read[1].pictures, (std::vector<std::string>{"C:\\1.jpg", "C:\\2.jpg"}));
  EXPECT_EQ(read[2].name, "B");
}

TEST(LibraryFile, AFileStartingWithAnEmptyLineKeepsItsPicturesInANamelessCategory) {
  // What Save writes for a first category without a name reads back the same.
  const std::vector<Category> library = {Make("", {"C:\\1.jpg"}), Make("B", {"C:\\2.jpg"})};
  const std::string bytes = WallpaperLibrary::Serialize(library);
  ASSERT_EQ(bytes.substr(0, 2), "\r\n");
  EXPECT_TRUE(Same(WallpaperLibrary::Parse(bytes), library));
  // Nothing but empty lines.
  EXPECT_EQ(Names(WallpaperLibrary::Parse("\n\n\n")), (std::vector<std::string>{"", ""}));
}

TEST(LibraryFile, APictureLineTooLongForAPathIsLeftOutAndReadingGoesOn) {
  const std::string fits(259, 'a');
  const std::string too_long(260, 'b');
  const std::string very_long(100000, 'c');
  // 259 characters of two bytes each still fit: lengths are characters.
  std::string wide;
  for (int i = 0; i < 259; ++i) wide += u8"\u017c";
  const auto read = WallpaperLibrary::Parse("A\r\n" + fits + "\r\n" + too_long + "\r\nC:\\after.jpg\r\n" + very_long +
                                            "\r\n" + wide + "\r\n\r\nB\r\nC:\\b.jpg");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].pictures, (std::vector<std::string>{fits, "C:\\after.jpg", wide}));
  EXPECT_EQ(read[1].name, "B");
  EXPECT_EQ(read[1].pictures, std::vector<std::string>{"C:\\b.jpg"});
}

TEST(LibraryFile, LongNamesAreCutTo254CharactersNeverInTheMiddleOfOne) {
  const std::string first(300, 'n');
  std::string second;
  for (int i = 0; i < 300; ++i) second += u8"\u0119";  // two bytes each
  const auto read = WallpaperLibrary::Parse(first + "\r\nC:\\1.jpg\r\n\r\n" + second + "\r\nC:\\2.jpg");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].name, std::string(254, 'n'));
  EXPECT_EQ(read[0].pictures, std::vector<std::string>{"C:\\1.jpg"});
  EXPECT_EQ(Utf16Length(read[1].name), 254u);
  EXPECT_EQ(read[1].name.size(), 508u);
  EXPECT_EQ(read[1].pictures, std::vector<std::string>{"C:\\2.jpg"});
  // A character beyond the 16-bit range counts twice, as in a Windows path.
  std::string emoji_name(253, 'e');
  emoji_name += "\xF0\x9F\x98\x80";
  EXPECT_EQ(WallpaperLibrary::Parse(emoji_name)[0].name, std::string(253, 'e'));
}

TEST(LibraryFile, AFileInTheLegacyCodePageIsReadAsSuchAndWrittenBackAsUtf8) {
  // "Zdjęcia" would be Windows-1250; natively the legacy code page is
  // Windows-1252, where 0xEA is "ê" and 0x80 the euro sign.
  const auto read = WallpaperLibrary::Parse("Zdj\xEA" "cia\r\nC:\\\x80\\caf\xE9.jpg");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].name, u8"Zdj\u00eacia");
  EXPECT_EQ(read[0].pictures, std::vector<std::string>{u8"C:\\\u20ac\\caf\u00e9.jpg"});
  EXPECT_EQ(WallpaperLibrary::Serialize(read), u8"Zdj\u00eacia\r\nC:\\\u20ac\\caf\u00e9.jpg");
  // A byte-order mark is not part of the first name.
  EXPECT_EQ(WallpaperLibrary::Parse("\xEF\xBB\xBFName")[0].name, "Name");
}

// Save writes no line end after the last line and no byte-order mark, so
// whatever a file's lines end in, a library read, written and read again
// must be the same library.
TEST(LibraryFile, WhatIsReadReadsBackTheSameOnceWritten) {
  const std::vector<Category> two = {Make("A", {"C:\\1.jpg"}), Make("B", {"C:\\2.jpg"})};
  struct Case {
    std::string bytes;
    std::vector<Category> expected;
  };
  const Case cases[] = {
      // CR CR LF, as a CR LF written through a text-mode stream ends up.
      {"A\r\r\nC:\\1.jpg\r\r\n\r\r\nB\r\r\nC:\\2.jpg\r\r\n", two},
      // CRs before the end of the file are a line end as well.
      {"A\nC:\\1.jpg\n\nB\nC:\\2.jpg\r\r", two},
      {"A\nC:\\1.jpg\n\nB\r\r", {Make("A", {"C:\\1.jpg"}), Make("B")}},
      // A line of nothing but CRs is an empty line: it ends the category.
      {"A\nC:\\1.jpg\n\r\r", {Make("A", {"C:\\1.jpg"}), Make("")}},
      {std::string("A\nC:\\1.jpg\r") + '\0' + "\r\n", {Make("A", {"C:\\1.jpg"})}},
      // A name cut at its length does not end in a CR either.
      {std::string(253, 'n') + "\rtail\nC:\\1.jpg", {Make(std::string(253, 'n'), {"C:\\1.jpg"})}},
      // Every byte-order mark at the start goes, not only the first.
      {"\xEF\xBB\xBF\xEF\xBB\xBF" "A\r\nC:\\1.jpg\r\n\r\nB\r\nC:\\2.jpg", two},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    const std::vector<Category> read = WallpaperLibrary::Parse(c.bytes);
    EXPECT_TRUE(Same(read, c.expected));
    const std::string saved = WallpaperLibrary::Serialize(read);
    EXPECT_TRUE(Same(WallpaperLibrary::Parse(saved), read));
  }
}

TEST(LibraryText, Utf8CheckRefusesMalformedForms) {
  EXPECT_TRUE(IsValidUtf8(u8"a\u00e9\u20ac\U0001F600"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(IsValidUtf8("abc\xE2\x82"));       // cut short at the end
  EXPECT_FALSE(IsValidUtf8("\x80"));
  EXPECT_EQ(Cp1252ToUtf8("\x81\x9F\xFF"), u8"\u0081\u0178\u00ff");
}

// --- Load and Save -------------------------------------------------------

TEST(LibraryLoad, NoFileGivesAnEmptyLibraryAndSaveThenWritesAnEmptyFile) {
  LibraryFixture f;
  auto session = f.MakeSession();
  WallpaperLibrary& library = session->Library();
  EXPECT_TRUE(library.Load());
  EXPECT_EQ(library.CategoryCount(), 0);
  EXPECT_EQ(library.currentCategory, -1);
  EXPECT_TRUE(library.CategoryListItems().empty());
  EXPECT_TRUE(library.PictureListItems().empty());

  EXPECT_TRUE(library.Save());
  EXPECT_TRUE(FileExists(f.dir.File("pictora.txt")));
  EXPECT_EQ(f.dir.Read("pictora.txt"), "");
  EXPECT_FALSE(FileExists(f.dir.File("pictora.txt.tmp")));
  EXPECT_EQ(f.ReadKey("category"), -1);
  EXPECT_EQ(f.ReadKey("current_wallpaper"), 0);
}

TEST(LibraryLoad, SaveWritesWhatWasLoadedAndTheEditsSinceByteForByte) {
  LibraryFixture f;
  const std::string bytes = "Nature\r\n" + f.Picture(0) + "\r\n" + f.Picture(1) + "\r\n\r\nCities\r\n\r\nMisc";
  f.WriteLibrary(bytes);
  auto session = f.MakeSession();
  WallpaperLibrary& library = session->Library();
  EXPECT_EQ(library.CategoryListItems(), (std::vector<std::string>{"Nature", "Cities", "Misc"}));
  ASSERT_TRUE(library.Save());
  EXPECT_EQ(f.dir.Read("pictora.txt"), bytes);

  library.CategoryAt(1).pictures.push_back("C:\\new.jpg");
  ASSERT_TRUE(library.Save());
  EXPECT_EQ(f.dir.Read("pictora.txt"),
            "Nature\r\n" + f.Picture(0) + "\r\n" + f.Picture(1) + "\r\n\r\nCities\r\nC:\\new.jpg\r\n\r\nMisc");
}

TEST(LibraryLoad, ALibraryFileThatCannotBeReadIsNotWrittenOver) {
  LibraryFixture f;
  // A folder in the file's place cannot be read, nor replaced by a file.
  std::filesystem::create_directories(f.dir.File("pictora.txt"));
  f.dir.Write("pictora.txt/keep", "x");
  auto session = f.MakeSession();
  WallpaperLibrary& library = session->Library();
  EXPECT_FALSE(library.Load());
  EXPECT_EQ(library.CategoryCount(), 0);
  EXPECT_FALSE(library.Save());
  EXPECT_EQ(f.dir.Read("pictora.txt/keep"), "x");
  EXPECT_EQ(f.ReadKey("category"), -1);  // the selection is still written
}

// --- The remembered selection and the lists ------------------------------

class LibrarySelection : public ::testing::Test {
 protected:
  // Category 0 "A" with two pictures, category 1 "B" with five.
  void SetUp() override {
    std::string bytes = "A\r\n" + f.Picture(0) + "\r\n" + f.Picture(1) + "\r\n\r\nB";
    for (int i = 10; i < 15; ++i) bytes += "\r\n" + f.Picture(i);
    f.WriteLibrary(bytes);
  }
  void Load() {
    session = f.MakeSession();
    library = &session->Library();
  }
  ColorRef Shown() const { return LibraryFixture::Shown(*session); }

  LibraryFixture f;
  std::unique_ptr<Session> session;
  WallpaperLibrary* library = nullptr;
};

TEST_F(LibrarySelection, TheRememberedCategoryAndWallpaperAreShownAndPreviewedAsFarAsTheyExist) {
  struct Case {
    int category, wallpaper;
    int current, selected;  // what the session shows: -1 for none
    std::vector<std::string> pictures;
    ColorRef preview;
  };
  const std::vector<std::string> b = {"p10.bmp", "p11.bmp", "p12.bmp", "p13.bmp", "p14.bmp"};
  const Case cases[] = {
      {1, 3, 1, 3, b, LibraryFixture::ColorOf(13)},
      {1, 5, 1, 0, b, LibraryFixture::ColorOf(10)},  // a wallpaper out of range: the first picture
      {1, -1, 1, 0, b, LibraryFixture::ColorOf(10)},
      {-1, 1, -1, -1, {}, LibraryFixture::kPlaceholderColor},  // a category out of range: none
      {2, 1, -1, -1, {}, LibraryFixture::kPlaceholderColor},
      {1000, 1, -1, -1, {}, LibraryFixture::kPlaceholderColor},
  };
  for (const Case& c : cases) {
    f.WriteSelection(c.category, c.wallpaper);
    Load();
    EXPECT_EQ(library->CategoryListItems(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(library->CategoryListSelection(), c.current) << c.category;
    EXPECT_EQ(library->PictureListItems(), c.pictures) << c.category;
    EXPECT_EQ(library->PictureListSelection(), c.selected) << c.category << "," << c.wallpaper;
    EXPECT_EQ(library->currentWallpaper, std::max(c.selected, 0));
    EXPECT_EQ(Shown(), c.preview) << c.category << "," << c.wallpaper;
  }
  // Missing keys: the first category.
  std::filesystem::remove(f.dir.File("config.ini"));
  Load();
  EXPECT_EQ(library->currentCategory, 0);
  EXPECT_EQ(library->PictureListItems(), (std::vector<std::string>{"p0.bmp", "p1.bmp"}));
  EXPECT_EQ(library->PictureListSelection(), 0);
}

TEST_F(LibrarySelection, SaveRemembersTheCategoryAndTheWallpaper) {
  Load();
  library->currentCategory = 1;
  library->currentWallpaper = 4;
  ASSERT_TRUE(library->Save());
  EXPECT_EQ(f.ReadKey("category"), 1);
  EXPECT_EQ(f.ReadKey("current_wallpaper"), 4);
  const std::string ini = f.dir.Read("config.ini");
  EXPECT_LT(ini.find("category"), ini.find("current_wallpaper"));

  Load();
  EXPECT_EQ(library->currentCategory, 1);
  EXPECT_EQ(library->currentWallpaper, 4);
}

TEST_F(LibrarySelection, AClickInAListPreviewsAndAMissingPictureIsTold) {
  f.WriteSelection(1, 3);
  Load();
  library->categories.push_back(Make("Empty"));
  library->categories.push_back(Make("Gone", {f.dir.File("missing.jpg"), "C:\\Pictures\\Sea\\wave.jpg"}));
  const Notice missing = Notice::Error("Error. The file doesn't exist.", "Vistelle");
  struct Case {
    bool category;  // a click in the category list, else in the picture list
    int position;
    int current, selected;
    ColorRef preview;  // 0: as it was
    bool told;
  };
  const Case cases[] = {
      {false, 1, 1, 1, LibraryFixture::ColorOf(11), false},
      {false, 7, 1, 1, 0, false},  // no such picture: nothing
      {true, 0, 0, 0, LibraryFixture::ColorOf(0), false},
      {true, 2, 2, -1, LibraryFixture::kPlaceholderColor, false},  // an empty category
      {true, 3, 3, 0, 0, true},                                    // its first picture is gone
      {false, 1, 3, 1, 0, true},
      {true, -1, 3, 1, 0, false},  // no selection: nothing
  };
  for (const Case& c : cases) {
    const ColorRef before = Shown();
    const Outcome outcome = c.category ? session->SelectCategory(c.position) : session->SelectPicture(c.position);
    EXPECT_EQ(library->currentCategory, c.current) << c.category << c.position;
    EXPECT_EQ(library->PictureListSelection(), c.selected) << c.category << c.position;
    EXPECT_EQ(Shown(), c.preview != 0 ? c.preview : before) << c.category << c.position;
    EXPECT_EQ(outcome.notice.kind, c.told ? missing.kind : Notice::Kind::kNone);
    if (c.told) {
      EXPECT_EQ(outcome.notice.text, missing.text);
    }
  }
  // Only the preview stays in memory.
  EXPECT_FALSE(session->Renderer().CurrentPicture().IsValid());
}

}  // namespace
}  // namespace vistelle
