// The caption on the wallpaper: where each of the nine places puts it, how
// a long text is cut, and that drawing touches only its block.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/built_in_font.h"
#include "render/caption.h"
#include "tests/native/library_fixture.h"

namespace vistelle {
namespace {

TEST(Caption, EachPlaceKeepsItsMarginsAndALongTextIsCut) {
  const std::uint32_t W = 1920, H = 1080;
  CaptionLook look;
  const CaptionPlacement first = PlaceCaption(W, H, "Harbour", look);
  ASSERT_EQ(first.text, "Harbour");
  const std::int64_t width = first.right - first.left, height = first.bottom - first.top;
  const std::int64_t bottom = H - 20 - H * 7 / 100;  // clear of the taskbar
  struct Case {
    int position;
    std::int64_t left, top;
  };
  const Case cases[] = {
      {0, 20, 20},
      {1, (W - width) / 2, 20},
      {2, W - 20 - width, 20},
      {3, 20, (H - height) / 2},
      {4, (W - width) / 2, (H - height) / 2},
      {5, W - 20 - width, (H - height) / 2},
      {6, 20, bottom - height},
      {7, (W - width) / 2, bottom - height},
      {8, W - 20 - width, bottom - height},
      {-1, W - 20 - width, bottom - height},  // out of range: bottom right
  };
  for (const Case& c : cases) {
    look.position = c.position;
    const CaptionPlacement at = PlaceCaption(W, H, "Harbour", look);
    EXPECT_EQ(at.left, c.left) << c.position;
    EXPECT_EQ(at.top, c.top) << c.position;
    EXPECT_EQ(at.right - at.left, width) << c.position;
    // The text sits inside its block, a quarter of the em in.
    EXPECT_EQ(at.pen_x, at.left + 27 / 4) << c.position;
    EXPECT_GT(at.baseline, at.top);
    EXPECT_LT(at.baseline, at.bottom);
  }
  EXPECT_EQ(first.height, -27);  // 20 points at 96 pixels an inch

  look.position = 8;
  const std::string long_text(300, 'W');
  const CaptionPlacement cut = PlaceCaption(640, 400, long_text, look);
  ASSERT_GE(cut.text.size(), 4u);
  EXPECT_EQ(cut.text.substr(cut.text.size() - 3), "...");
  EXPECT_GE(cut.left, 20);
  EXPECT_LE(cut.right, 640 - 20);
  // Nothing to draw: an empty text, no room across or down.
  EXPECT_TRUE(PlaceCaption(W, H, "", look).text.empty());
  EXPECT_TRUE(PlaceCaption(50, H, "Harbour", look).text.empty());
  look.points = 144;
  EXPECT_TRUE(PlaceCaption(W, 200, "Harbour", look).text.empty());
}

TEST(Caption, FittingCutsWholeCharactersAndDropsBlanksBeforeTheDots) {
  const int em = -20;
  TextInfo info;
  info.height = em;
  info.built_in_font = true;
  const auto advance = [&](const std::string& text) {
    info.text = text;
    TextMask mask;
    EXPECT_TRUE(RasterizeBuiltInText(info, mask));
    return mask.advance;
  };
  const int dots = advance("...");
  struct Case {
    std::string text;
    int width;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"Harbour", advance("Harbour"), "Harbour"},
      {"Harbour at dusk", advance("Harbour ") + dots, "Harbour..."},
      {"Gdańsk", advance("Gda") + dots + 1, "Gda..."},  // never half of "ń"
      {"Harbour", dots, "..."},
      {"Harbour", dots - 1, ""},
      {"", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FitBuiltInText(c.text, em, c.width), c.expected) << c.text << " " << c.width;
  // Heights out of reach draw nothing rather than a huge mask.
  info.height = -5000;
  TextMask mask;
  EXPECT_FALSE(RasterizeBuiltInText(info, mask));
}

TEST(Caption, DrawingChangesOnlyTheBlockAndThePlateDarkensIt) {
  Image plain;
  ASSERT_TRUE(plain.Create(400, 200));
  for (std::uint32_t y = 0; y < 200; ++y) std::memset(plain.Row(y), 200, 400 * 3);
  CaptionLook look;
  look.position = 0;
  look.color = 0x0000FF;  // red
  look.plate = true;
  const CaptionPlacement at = PlaceCaption(400, 200, "Hello", look);
  Image drawn;
  drawn.Copy(plain);
  DrawCaption(drawn, "Hello", look);
  bool red = false, dark = false;
  for (std::uint32_t row = 0; row < 200; ++row) {
    const std::int64_t y = 199 - row;  // from the top
    for (std::uint32_t x = 0; x < 400; ++x) {
      const std::uint8_t* p = drawn.Row(row) + x * 3;
      const bool inside = x >= at.left && x < at.right && y >= at.top && y < at.bottom;
      if (!inside) {
        ASSERT_EQ(std::memcmp(p, plain.Row(row) + x * 3, 3), 0) << x << "," << y;
        continue;
      }
      red = red || (p[2] > 200 && p[1] < 60);
      dark = dark || (p[0] == 100 && p[1] == 100 && p[2] == 100);
    }
  }
  EXPECT_TRUE(red);
  EXPECT_TRUE(dark);
}

// The caption names the category the picture is in, and a changed caption
// is on the desktop at once, without a change of picture.
TEST(Caption, TheSessionNamesTheCategoryAndShowsANewCaptionAtOnce) {
  testing::LibraryFixture f;
  f.WriteLibrary("Sea\r\n" + f.Picture(0) + "\r\n\r\nHills\r\n" + f.Picture(1) + "\r\n");
  f.WriteSelection(1, 0);
  auto session = f.MakeSession();
  session->SetNextWallpaper();
  const std::size_t shown = f.desktop.wallpapers.size();
  EXPECT_EQ(session->Renderer().CaptionFieldsFor(f.Picture(0)).category, "Sea");
  EXPECT_EQ(session->DesktopCaptionFields().category, "Hills");
  TConfig edited = session->Settings();
  session->ApplySheetSettings(edited);  // nothing new
  EXPECT_EQ(f.desktop.wallpapers.size(), shown);
  edited.caption = 1;
  session->ApplySheetSettings(edited);
  EXPECT_EQ(f.desktop.wallpapers.size(), shown + 1);
  EXPECT_EQ(session->WallpaperRotation().DesktopPicture(), f.Picture(1));
}

}  // namespace
}  // namespace vistelle
