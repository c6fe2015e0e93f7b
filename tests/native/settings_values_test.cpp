// What the settings pages work out without windows: the position grid, the
// swatches' hit test and placement, the preview's order of effects, the
// start-with-the-system command and the caption's text cut to what the
// settings file keeps.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config.h"
#include "render/effects.h"
#include "image/image.h"
#include "settings/settings_values.h"

namespace vistelle {
namespace {

TEST(CalendarGrid, ButtonsAndPositionsMatchBothWays) {
  for (int position = 0; position < 9; ++position)
    EXPECT_EQ(CalendarPositionOfButton(CalendarButtonOfPosition(position)), position);
  EXPECT_EQ(CalendarButtonOfPosition(0), 1001);
  EXPECT_EQ(CalendarButtonOfPosition(1), 1010);
  EXPECT_EQ(CalendarButtonOfPosition(8), 1017);
  // The ids between the first button and the rest belong to nothing.
  for (int id : {0, 1002, 1005, 1009, 1018, 119}) EXPECT_EQ(CalendarPositionOfButton(id), -1) << id;
  // A stored position outside the grid marks no button.
  for (int position : {-1, 9, 1000}) EXPECT_EQ(CalendarButtonOfPosition(position), 0) << position;
}

TEST(Swatch, OnlyTheInsideCountsAtAnyFontSize) {
  const SwatchRect options = {80, 150, 115, 164};
  EXPECT_TRUE(options.Contains(81, 151));
  EXPECT_TRUE(options.Contains(114, 163));
  for (int x : {80, 115}) EXPECT_FALSE(options.Contains(x, 157)) << x;
  for (int y : {150, 164}) EXPECT_FALSE(options.Contains(97, y)) << y;

  // With the standard font nothing moves.
  const PageScale standard;
  const SwatchRect same = standard.Scale(options);
  EXPECT_EQ(same.left, 80);
  EXPECT_EQ(same.top, 150);
  EXPECT_EQ(same.right, 115);
  EXPECT_EQ(same.bottom, 164);

  // A font of 6 x 12 moves rows up: 150 * 12 / 13 = 138.46 -> 138.
  PageScale smaller;
  smaller.base_y = 12;
  const SwatchRect moved = smaller.Scale(options);
  EXPECT_EQ(moved.left, 80);
  EXPECT_EQ(moved.top, 138);
  EXPECT_EQ(moved.bottom, 151);  // 164 * 12 / 13 = 151.38
  // Halves round away from zero, negative values too.
  EXPECT_EQ(ScaleDesignPixels(1, 3, 6), 1);
  EXPECT_EQ(ScaleDesignPixels(-1, 3, 6), -1);
  EXPECT_EQ(ScaleDesignPixels(224, 9, 6), 336);
}

Image Gray(int level) {
  Image img;
  img.Create(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) img.SetPixelColor(x, y, MakeColorRef(level, level, level));
  return img;
}

int RedAt(const Image& img) { return img.GetPixelColor(2, 2).red; }

TEST(PreviewEffects, FollowThePagesOwnOrder) {
  const TEffects effects;
  TConfig settings;
  settings.SetDefaults();
  settings.lighten_int = 20;
  settings.contrast_int = 50;

  // Negative before brightness: 100 -> 155 -> 175.
  PreviewEffects ticks;
  ticks.negative = true;
  ticks.lighten = true;
  Image img = Gray(100);
  ApplyPreviewEffects(effects, img, ticks, settings, 0);
  EXPECT_EQ(RedAt(img), 175);

  // Brightness before contrast: 100 -> 120 -> 128 + (120 - 128) * 1.5 = 116.
  // (Contrast first would give 86 + 20 = 106, the wallpaper's order.)
  ticks = PreviewEffects();
  ticks.lighten = true;
  ticks.contrast = true;
  img = Gray(100);
  ApplyPreviewEffects(effects, img, ticks, settings, 0);
  EXPECT_EQ(RedAt(img), 116);

  // Colorize comes last, with the swatch's colour: red + 40 on the gray.
  ticks = PreviewEffects();
  ticks.gray = true;
  ticks.colorize = true;
  img = Gray(100);
  ApplyPreviewEffects(effects, img, ticks, settings, MakeColorRef(168, 128, 128));
  EXPECT_EQ(RedAt(img), 140);
  EXPECT_EQ(img.GetPixelColor(2, 2).green, 100);

  // Nothing ticked leaves the picture alone.
  img = Gray(100);
  ApplyPreviewEffects(effects, img, PreviewEffects(), settings, MakeColorRef(255, 0, 0));
  EXPECT_EQ(RedAt(img), 100);
}

TEST(StartupCommand, IsTheProgramInItsFolderInQuotesWithHide) {
  EXPECT_EQ(StartupCommand("C:\\Users\\John Smith\\Vistelle"), "\"C:\\Users\\John Smith\\Vistelle\\Pictora.exe\" hide");
  EXPECT_EQ(StartupCommand("C:\\"), "\"C:\\Pictora.exe\" hide");
}

TEST(CalendarBackgrounds, ThreeBuiltInPictures) {
  EXPECT_STREQ(BuiltInCalendarBackground(0), "Calendar\\calendar1.jpg");
  EXPECT_STREQ(BuiltInCalendarBackground(2), "Calendar\\calendar3.jpg");
  EXPECT_EQ(BuiltInCalendarBackground(-1), nullptr);
  EXPECT_EQ(BuiltInCalendarBackground(3), nullptr);
}

TEST(CutUtf8, KeepsWholeCharactersWithinTheBytes) {
  struct Case {
    std::string text;
    std::size_t most;
    std::string kept;
  };
  const std::vector<Case> cases = {
      {"{title|name}", 259, "{title|name}"},
      {"abc", 3, "abc"},
      {"abc", 2, "ab"},
      {"abc", 0, ""},
      // "\xC3\xA9" is one character (e acute), "\xE2\x82\xAC" another (the euro).
      {"a\xC3\xA9", 2, "a"},
      {"a\xC3\xA9", 3, "a\xC3\xA9"},
      {"\xE2\x82\xAC\xE2\x82\xAC", 5, "\xE2\x82\xAC"},
      {"\xF0\x9F\x98\x80x", 3, ""},
      // Malformed text: a run of continuation bytes is cut where it falls.
      {"\x80\x80\x80\x80\x80\x80", 5, "\x80\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " to " + std::to_string(c.most));
    EXPECT_EQ(CutUtf8(c.text, c.most), c.kept);
  }
}

}  // namespace
}  // namespace vistelle
