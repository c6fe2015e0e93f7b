// Files under Windows: UTF-8 names through the program's code page, the
// replacing write, and clean failures for names the system cannot take.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "base/win32/utf16_win32.h"
#include "config/profile_store.h"
#include "image/image.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

// Names in three scripts, written as code points so the source's encoding
// does not matter; the wide form is what must end up in the file system.
struct ScriptName {
  const char* utf8;
  const wchar_t* wide;
};
const ScriptName kNames[] = {
    {u8"za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144.bmp",
     L"za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144.bmp"},
    {u8"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.bmp", L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.bmp"},
    {u8"\u65e5\u672c\u8a9e\u306e\u58c1\u7d19.bmp", L"\u65e5\u672c\u8a9e\u306e\u58c1\u7d19.bmp"},
};

// A name in the test folder. Not TestDir::File: std::filesystem::path reads a
// char string in the C library's code page, not as UTF-8, so the names
// here would not reach our functions as written.
std::string InDir(const testing::TestDir& dir, const std::string& name) { return dir.Path() + "\\" + name; }

Image SmallPicture() {
  Image image;
  image.Create(3, 2);
  image.SetPixelColor(0, 0, MakeColorRef(255, 0, 0));
  image.SetPixelColor(2, 1, MakeColorRef(0, 0, 255));
  return image;
}

TEST(Utf8Files, PicturesSaveAndLoadUnderNamesInOtherScripts) {
  testing::TestDir dir;
  const Image picture = SmallPicture();
  for (const ScriptName& name : kNames) {
    const std::string path = InDir(dir, name.utf8);
    ASSERT_TRUE(picture.Save(path)) << name.utf8;
    // The file carries the real name, not the UTF-8 bytes read as another
    // code page.
    const std::wstring wide_path = win32::Widen(dir.Path()) + L"\\" + name.wide;
    EXPECT_NE(GetFileAttributesW(wide_path.c_str()), INVALID_FILE_ATTRIBUTES) << name.utf8;
    EXPECT_TRUE(FileExists(path));

    Image loaded;
    ASSERT_TRUE(loaded.Load(path)) << name.utf8;
    EXPECT_EQ(loaded.GetWidth(), 3u);
    EXPECT_EQ(loaded.GetPixelColor(0, 0).red, 255);
    EXPECT_EQ(loaded.GetPixelColor(2, 1).blue, 255);

    EXPECT_TRUE(RemoveFile(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(RemoveFile(path));
  }
}

TEST(Utf8Files, ProfileFilesAndValuesInOtherScriptsMatchTheIniStore) {
  testing::TestDir dir;
  const std::string ini = InDir(dir, u8"ustawienia \u00f3\u0142.ini");
  const std::string value = u8"C:\\Obrazy\\\u017c\u00f3\u0142w.jpg \u65e5\u672c";
  auto system = MakeSystemProfileStore();
  auto own = MakeIniFileProfileStore();
  ASSERT_TRUE(system->WriteString(ini, "setting", "picture", value));
  EXPECT_EQ(own->GetString(ini, "setting", "picture", "", 260), value);
  ASSERT_TRUE(own->WriteString(ini, "setting", "other", value + "2"));
  EXPECT_EQ(system->GetString(ini, "setting", "other", "", 260), value + "2");
}

TEST(Utf8Files, ProfileNameWithoutFolderIsInTheCurrentFolder) {
  testing::TestDir dir;
  char previous[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
  auto system = MakeSystemProfileStore();
  const bool written = system->WriteString("plain.ini", "setting", "category", "4");
  const int read = system->GetInt("plain.ini", "setting", "category", 0);
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(written);
  EXPECT_EQ(read, 4);
  EXPECT_TRUE(FileExists(dir.File("plain.ini")));
}

TEST(ReplacingWrite, ReplacesTheFileAndLeavesNoTemporary) {
  testing::TestDir dir;
  const std::string path = dir.File("wallpaper.bmp");
  dir.Write("wallpaper.bmp", std::string(5000, 'o'));
  const std::string text = "new and shorter";
  ASSERT_TRUE(WriteFileReplacing(path, text.data(), text.size()));
  EXPECT_EQ(dir.Read("wallpaper.bmp"), text);
  EXPECT_FALSE(FileExists(TemporaryNameFor(path)));

  // Several pieces, without the flush to disk.
  const std::string a = "head|", b = "body";
  ASSERT_TRUE(WriteFileReplacing(path, {{a.data(), a.size()}, {nullptr, 0}, {b.data(), b.size()}}, false));
  EXPECT_EQ(dir.Read("wallpaper.bmp"), "head|body");
  EXPECT_FALSE(FileExists(TemporaryNameFor(path)));
}

TEST(ReplacingWrite, FailureLeavesTheOldFileAndNoTemporary) {
  testing::TestDir dir;
  const std::string text = "data";
  // Into a folder that does not exist.
  const std::string nowhere = dir.File("missing\\file.bin");
  EXPECT_FALSE(WriteFileReplacing(nowhere, text.data(), text.size()));

  // Over a folder.
  ASSERT_TRUE(CreateDirectoryA(dir.File("folder").c_str(), nullptr));
  EXPECT_FALSE(WriteFileReplacing(dir.File("folder"), text.data(), text.size()));
  EXPECT_NE(GetFileAttributesA(dir.File("folder").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_FALSE(FileExists(TemporaryNameFor(dir.File("folder"))));

  // Over a file someone holds open without leave to delete it.
  dir.Write("held.ini", "old");
  const std::string held = dir.File("held.ini");
  HANDLE handle = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteFileReplacing(held, text.data(), text.size()));
  CloseHandle(handle);
  EXPECT_EQ(dir.Read("held.ini"), "old");
  EXPECT_FALSE(FileExists(TemporaryNameFor(held)));
}

TEST(WholeFileRead, ReadsWithinTheLimitOnly) {
  testing::TestDir dir;
  dir.Write("ten.bin", "0123456789");
  dir.Write("empty.bin", "");
  std::vector<std::uint8_t> bytes = {1, 2, 3};
  EXPECT_TRUE(ReadWholeFile(dir.File("ten.bin"), bytes, 10));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
  EXPECT_FALSE(ReadWholeFile(dir.File("ten.bin"), bytes, 9));
  EXPECT_TRUE(ReadWholeFile(dir.File("empty.bin"), bytes, 10));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadWholeFile(dir.File("absent.bin"), bytes, 10));
  EXPECT_FALSE(ReadWholeFile(dir.Path(), bytes, 10));  // a folder
}

TEST(BadNames, EveryFunctionFailsCleanly) {
  testing::TestDir dir;
  const std::string over_long = InDir(dir, std::string(40000, 'a'));
  const std::string invalid_utf8 = InDir(dir, "bad\xff\xfe name.bmp");
  const std::string with_zero = InDir(dir, std::string("cut\0short.bmp", 13));
  const std::string empty;
  const std::string text = "x";
  for (const std::string* name : {&over_long, &invalid_utf8, &with_zero, &empty}) {
    SCOPED_TRACE(name->substr(0, 80));
    std::vector<std::uint8_t> bytes;
    EXPECT_FALSE(ReadWholeFile(*name, bytes, 100));
    EXPECT_FALSE(WriteFileReplacing(*name, text.data(), text.size()));
    EXPECT_FALSE(FileExists(*name));
    EXPECT_FALSE(RemoveFile(*name));
    Image image;
    EXPECT_FALSE(image.Load(*name));
    EXPECT_FALSE(SmallPicture().Save(*name));
  }
  // The name cut at the zero was not written either.
  EXPECT_FALSE(FileExists(InDir(dir, "cut")));
}

}  // namespace
}  // namespace vistelle
