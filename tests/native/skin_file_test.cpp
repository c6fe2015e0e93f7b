// The grammar of skin.ini, read through the program's own INI reader (which
// answers as the Windows profile functions do).
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/ini_document.h"
#include "skin/skin_file.h"
#include "skin/skin_scale.h"

namespace vistelle {
namespace {

SkinDescription Read(const std::string& ini_text) {
  const IniDocument doc(ini_text);
  return ReadSkinDescription([&doc](const std::string& section, const std::string& key) {
    return doc.Get(section, key).value_or(std::string());
  });
}

TEST(SkinFields, SplitLikeStrtok) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitSkinFields("a,b,c"), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitSkinFields(",,a,,b,"), (V{"a", "b"}));
  EXPECT_EQ(SplitSkinFields(" a , b "), (V{" a ", " b "}));  // blanks stay
  EXPECT_EQ(SplitSkinFields(",,,"), V{});
  EXPECT_EQ(SplitSkinFields(""), V{});
}

TEST(SkinFields, NumbersLikeAtoi) {
  EXPECT_EQ(SkinNumber("42"), 42);
  EXPECT_EQ(SkinNumber("  \t-17px"), -17);
  EXPECT_EQ(SkinNumber("+8"), 8);
  EXPECT_EQ(SkinNumber("x12"), 0);
  EXPECT_EQ(SkinNumber(""), 0);
  EXPECT_EQ(SkinNumber("- 3"), 0);
  EXPECT_EQ(SkinNumber("99999999999999999999"), INT_MAX);
  EXPECT_EQ(SkinNumber("-99999999999999999999"), INT_MIN);
  EXPECT_EQ(SkinNumber("-2147483648"), INT_MIN);
}

TEST(SkinFile, ScreenDefaultsToMain) {
  SkinDescription d = Read("[SCREEN]\nMain=main.bmp\n");
  EXPECT_EQ(d.screen.main, "main.bmp");
  EXPECT_EQ(d.screen.mask, "main.bmp");
  EXPECT_EQ(d.screen.down, "main.bmp");
  EXPECT_EQ(d.screen.over, "main.bmp");
  EXPECT_EQ(d.screen.disabled, "main.bmp");

  d = Read("[screen]\nmain = a.bmp \nMASK=m.bmp\nDown=\n");  // any case; empty counts as missing
  EXPECT_EQ(d.screen.main, "a.bmp");
  EXPECT_EQ(d.screen.mask, "m.bmp");
  EXPECT_EQ(d.screen.down, "a.bmp");

  d = Read("[SCREEN]\nMask=m.bmp\n");  // no Main: the others keep their own values only
  EXPECT_EQ(d.screen.main, "");
  EXPECT_EQ(d.screen.mask, "m.bmp");
  EXPECT_EQ(d.screen.down, "");
  EXPECT_TRUE(Read("").buttons.empty());
}

TEST(SkinFile, ScaledPicturesAndWhichServesAMonitor) {
  const SkinDescription d =
      Read("[SCREEN]\nMain=m.bmp\nMain@150=m150.png\nMask@150=k150.png\nMask@200=k200.png\nMain@300=m300.png\n"
           "Main@120=x.png\n");
  ASSERT_EQ(d.scaled.size(), 2u);  // a mask alone, or a scale not drawn, is no scale
  EXPECT_EQ(d.scaled[0].scale, 150);
  EXPECT_EQ(d.scaled[0].mask, "k150.png");
  EXPECT_EQ(d.scaled[0].down, "");  // resampled from the 100 % one
  EXPECT_EQ(d.scaled[1].scale, 300);

  struct Case {
    int dpi, scale, art;
  };
  const std::vector<int> drawn = {100, 150, 300};
  for (const Case& c : {Case{96, 100, 100}, Case{120, 125, 150}, Case{144, 150, 150}, Case{168, 175, 300},
                        Case{0, 100, 100}, Case{480, 500, 300}, Case{10, 25, 100}}) {
    EXPECT_EQ(ScaleOfDpi(c.dpi), c.scale) << c.dpi;
    EXPECT_EQ(ArtScaleFor(c.scale, drawn), c.art) << c.dpi;
  }
  EXPECT_EQ(ArtScaleFor(150, {}), 100);
  // Edges scale, so neighbours still meet: 175 % of 0..13 and 13..26.
  const SkinRect a = ScaledRect({0, 0, 13, 13}, 175), b = ScaledRect({13, 13, 13, 13}, 175);
  EXPECT_EQ(a.x + a.width, b.x);
  EXPECT_EQ(a.width + b.width, ScaledLength(26, 175));
  EXPECT_EQ(ScaledLength(-3, 150), -5);  // halves away from zero, as 3 goes to 5
  EXPECT_EQ(ScaledLength(3, 150), 5);
  EXPECT_EQ(ScaledLength(INT_MAX, 300), INT_MAX);

  // A mask scaled keeps pure black and white, a picture is smoothed.
  Image mask;
  ASSERT_TRUE(mask.Create(4, 3));
  mask.SetPixelColor(0, 0, 0xFFFFFFu);
  mask.SetPixelColor(3, 2, 0xFFFFFFu);
  Image scaled;
  ASSERT_TRUE(ScaleSkinPicture(mask, 7, 5, true, scaled));
  int white = 0;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const Rgba p = scaled.GetPixelColor(x, y);
      ASSERT_TRUE((p.red == 0 || p.red == 255) && p.red == p.green && p.red == p.blue) << x << "," << y;
      white += p.red == 255;
    }
  EXPECT_EQ(white, 2 * 4);  // each corner pixel becomes 2 x 2
  EXPECT_EQ(scaled.GetPixelColor(0, 0).red, 255);
  EXPECT_EQ(scaled.GetPixelColor(6, 4).red, 255);
  ASSERT_TRUE(ScaleSkinPicture(mask, 8, 6, false, scaled));
  const int soft = scaled.GetPixelColor(1, 1).red;
  EXPECT_TRUE(soft > 0 && soft < 255) << soft;
  EXPECT_FALSE(ScaleSkinPicture(Image(), 8, 6, false, scaled));
}

TEST(SkinFile, ButtonsAreReadUntilTheFirstMissingNumber) {
  const SkinDescription d = Read(
      "[BUTTONINFO]\n"
      "1=BUTTON_EXIT,10,20,30,40,Hide the window\n"
      "2=BUTTON_WSET,,5,6,7,8,Set,extra,fields\n"
      "4=BUTTON_ABOUT,1,1,1,1,never read\n");
  ASSERT_EQ(d.buttons.size(), 2u);
  EXPECT_EQ(d.buttons[0].name, "BUTTON_EXIT");
  EXPECT_EQ(d.buttons[0].x, 10);
  EXPECT_EQ(d.buttons[0].y, 20);
  EXPECT_EQ(d.buttons[0].width, 30);
  EXPECT_EQ(d.buttons[0].height, 40);
  EXPECT_EQ(d.buttons[0].tooltip, "Hide the window");
  // The doubled comma is one separator: the fields keep their order.
  EXPECT_EQ(d.buttons[1].name, "BUTTON_WSET");
  EXPECT_EQ(d.buttons[1].x, 5);
  EXPECT_EQ(d.buttons[1].height, 8);
  EXPECT_EQ(d.buttons[1].tooltip, "Set");
}

TEST(SkinFile, IncompleteEntriesAreSkippedAndReadingGoesOn) {
  const SkinDescription d = Read(
      "[BUTTONINFO]\n"
      "1=BUTTON_A,1,2,3,4\n"  // no tooltip
      "2=BUTTON_B,1,2,3,4,tip\n"
      "[TEXTINFO]\n"
      "1=LABEL_A,Arial,0,0,16,255,10,20,100,18,Categories\n"  // no tooltip
      "2=LABEL_B,Arial,16,255,10,20,100,18,Pictures,tip\n"     // placeholders missing
      "3=LABEL_C,Tahoma,x,y,-13,16711680,10,20,100,18,Pictures,The pictures\n");
  ASSERT_EQ(d.buttons.size(), 1u);
  EXPECT_EQ(d.buttons[0].name, "BUTTON_B");
  ASSERT_EQ(d.texts.size(), 1u);
  const SkinTextEntry& t = d.texts[0];
  EXPECT_EQ(t.name, "LABEL_C");
  EXPECT_EQ(t.face, "Tahoma");
  EXPECT_EQ(t.font_height, -13);
  EXPECT_EQ(t.colour, 16711680u);  // pure blue
  EXPECT_EQ(ColorRefBlue(t.colour), 255);
  EXPECT_EQ(ColorRefRed(t.colour), 0);
  EXPECT_EQ(t.x, 10);
  EXPECT_EQ(t.y, 20);
  EXPECT_EQ(t.width, 100);
  EXPECT_EQ(t.height, 18);
  EXPECT_EQ(t.text, "Pictures");
  EXPECT_EQ(t.tooltip, "The pictures");
}

TEST(SkinFile, FolderAndPicturePaths) {
  EXPECT_EQ(SkinFolderOf("C:\\Vistelle\\Skin\\skin.ini"), "C:\\Vistelle\\Skin\\");
  EXPECT_EQ(SkinFolderOf("skin.ini"), "skin.ini");
  EXPECT_EQ(SkinFolderOf("/tmp/skin/skin.ini"), "/tmp/skin/");
  EXPECT_EQ(SkinPicturePath("C:\\S\\", "Main.bmp"), "C:\\S\\Main.bmp");
  EXPECT_EQ(SkinPicturePath("C:\\S\\", "sub\\b.bmp"), "C:\\S\\sub\\b.bmp");
  const std::string long_value(400, 'a');
  EXPECT_EQ(SkinPicturePath("C:\\S\\", long_value).size(), kSkinPathMax);
  EXPECT_EQ(SkinFolderOf(std::string(300, 'b')).size(), kSkinPathMax);
}

// The skin that ships with the program names every command the main window
// acts on, each once, and its pictures are there.
TEST(SkinFile, DefaultSkinHasEveryCommand) {
  std::string text;
  {
    FILE* f = std::fopen(VISTELLE_SOURCE_DIR "/data/Skin/skin.ini", "rb");
    ASSERT_NE(f, nullptr);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
  }
  const SkinDescription d = Read(text);
  const char* commands[] = {"BUTTON_EXIT",         "BUTTON_MINIMIZE",       "BUTTON_WALLPAPERADD",
                            "BUTTON_CLEAR",        "BUTTON_MOVEUP",         "BUTTON_MOVEDOWN",
                            "BUTTON_WALLPAPERDELETE", "BUTTON_CLEARLIST",   "BUTTON_CATEGORYADD",
                            "BUTTON_CATEGORYDEL",  "BUTTON_WSET_UP",        "BUTTON_WSET",
                            "BUTTON_WSET_DOWN",    "BUTTON_OPTIONS",        "BUTTON_ABOUT",
                            "BUTTON_FOLDERADD"};
  ASSERT_EQ(d.buttons.size(), 16u);
  for (const char* command : commands) {
    int found = 0;
    for (const SkinButtonEntry& b : d.buttons)
      if (b.name == command) {
        ++found;
        EXPECT_FALSE(b.tooltip.empty()) << command;
        EXPECT_GT(b.width, 0) << command;
        EXPECT_GT(b.height, 0) << command;
      }
    EXPECT_EQ(found, 1) << command;
  }
  EXPECT_FALSE(d.texts.empty());
  for (const std::string* picture : {&d.screen.main, &d.screen.mask, &d.screen.down}) {
    const std::string path = std::string(VISTELLE_SOURCE_DIR "/data/Skin/") + *picture;
    FILE* f = std::fopen(path.c_str(), "rb");
    EXPECT_NE(f, nullptr) << path;
    if (f) std::fclose(f);
  }
}

}  // namespace
}  // namespace vistelle
