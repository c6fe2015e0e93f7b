// The caption's text: the pattern's fields filled from the file's name and
// folder, its category and the EXIF tags a common tool writes.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/exif_tags.h"
#include "render/caption_text.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

TEST(CaptionText, PatternsFillTheirFieldsAndEmptyResultsAreEmpty) {
  ExifTags tags;
  tags.title = "Harbour at dusk";
  tags.date = "2021-07-04";
  const CaptionFields full = CaptionFieldsOf("C:\\Photos\\Gdańsk 2021\\IMG_0042.JPG", "Sea", tags);
  const CaptionFields bare = CaptionFieldsOf("D:\\x.tar.gz", "", ExifTags());
  struct Case {
    const CaptionFields& fields;
    const char* pattern;
    const char* expected;
  };
  const Case cases[] = {
      {full, TConfig::kDefaultCaptionPattern, "Harbour at dusk"},
      {bare, TConfig::kDefaultCaptionPattern, "x.tar"},  // no title: the file's name
      {full, "{name} in {folder} ({category}), {date}", "IMG_0042 in Gdańsk 2021 (Sea), 2021-07-04"},
      {full, "{artist|title|name}", "Harbour at dusk"},
      {bare, "{folder}{artist}", ""},  // a drive's root is no folder
      {bare, "  {artist}  ", ""},
      {full, "{nothing} {title", "{nothing} {title"},  // not fields: as written
      {full, "{}{|}{name|}", "{}{|}{name|}"},
      {full, "", ""},
      {full, "{title}\r\n{date}\t", "Harbour at dusk  2021-07-04"},  // one line
  };
  for (const Case& c : cases) EXPECT_EQ(CaptionText(c.pattern, c.fields), c.expected) << c.pattern;
  EXPECT_EQ(CaptionFieldsOf("/home/ann/pictures/.hidden", "", ExifTags()).name, ".hidden");
}

// Tags as exiftool writes them (hostile bytes are exif_fuzz's).
TEST(ExifTags, ReadAsACommonToolWritesThem) {
  if (std::system("exiftool -ver >/dev/null 2>&1") != 0) GTEST_FAIL() << "exiftool is missing (tools/deps.sh native)";
  testing::TestDir dir;
  const std::string source = std::string(VISTELLE_SOURCE_DIR) + "/tests/data/ref.jpg";
  struct Case {
    const char* arguments;
    ExifTags expected;
  };
  const Case cases[] = {
      {"-ImageDescription='Żółw na plaży' -Artist='  Jan Kowalski ' -DateTimeOriginal='2021:07:04 18:30:00'",
       {"Żółw na plaży", "Jan Kowalski", "2021-07-04"}},
      // Windows' own tags, in UTF-16.
      {"-XPTitle='Zachód słońca ☀' -XPAuthor='A. N. Other'", {"Zachód słońca ☀", "A. N. Other", ""}},
      {"-charset exif=latin -ImageDescription='Café' -XPTitle='not this one'", {"Café", "", ""}},
      {"-n -DateTimeOriginal='0000:00:00 00:00:00'", {"", "", ""}},  // as cameras without a clock write
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string file = dir.File("tagged" + std::to_string(++n) + ".jpg");
    std::filesystem::copy_file(source, file);
    const std::string command = "exiftool -q -overwrite_original " + std::string(c.arguments) + " '" + file + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const ExifTags tags = ReadExifTagsFromFile(file);
    EXPECT_EQ(tags.title, c.expected.title) << c.arguments;
    EXPECT_EQ(tags.artist, c.expected.artist) << c.arguments;
    EXPECT_EQ(tags.date, c.expected.date) << c.arguments;
  }
}

}  // namespace
}  // namespace vistelle
