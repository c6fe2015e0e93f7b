#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "render/composition.h"
#include "render/wallpaper_renderer.h"
#include "tests/shared/test_desktop.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

// A picture whose every pixel tells where it came from: red = x, green = y
// (both mod 256), blue = 7. Asymmetric, so flips and offsets show.
Image Numbered(std::uint32_t w, std::uint32_t h) {
  Image img;
  img.Create(w, h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) img.SetPixelColor(x, y, MakeColorRef(x & 255, y & 255, 7));
  return img;
}

ColorRef At(const Image& img, std::int64_t x, std::int64_t y) {
  const Rgba c = img.GetPixelColor(x, y);
  return MakeColorRef(c.red, c.green, c.blue);
}

constexpr ColorRef kBackground = MakeColorRef(254, 1, 1);

TEST(CenterOffset, MatchesTheTruncatingRule) {
  auto o = CenterOffset(1024, 768, 500, 400);
  EXPECT_EQ(o.x, 262);
  EXPECT_EQ(o.y, 184);
  o = CenterOffset(1024, 768, 1280, 1024);
  EXPECT_EQ(o.x, -128);
  EXPECT_EQ(o.y, -128);
  o = CenterOffset(1024, 768, 1024, 501);  // 134 rows below, 133 above
  EXPECT_EQ(o.x, 0);
  EXPECT_EQ(o.y, 134);
  o = CenterOffset(1024, 768, 1025, 3);
  EXPECT_EQ(o.x, 0);  // -((1025 - 1024) / 2): the rightmost column is cut
  o = CenterOffset(1023, 767, 2, 2);  // odd canvas: each size halved separately
  EXPECT_EQ(o.x, 510);
  EXPECT_EQ(o.y, 382);
}

TEST(PlacePicture, CenterPutsThePictureOnTheBackground) {
  Image canvas;
  canvas.Create(64, 48);
  FillCanvas(canvas, kBackground);
  Image pic = Numbered(21, 10);
  PlacePicture(canvas, pic, kPositionCenter);
  const Offset o = CenterOffset(64, 48, 21, 10);  // (22, 19)
  EXPECT_EQ(At(canvas, o.x, o.y), MakeColorRef(0, 0, 7));
  EXPECT_EQ(At(canvas, o.x + 20, o.y + 9), MakeColorRef(20, 9, 7));
  EXPECT_EQ(At(canvas, o.x - 1, o.y), kBackground);
  EXPECT_EQ(At(canvas, o.x + 21, o.y), kBackground);
  EXPECT_EQ(At(canvas, o.x, o.y - 1), kBackground);
  EXPECT_EQ(At(canvas, o.x, o.y + 10), kBackground);
  EXPECT_EQ(pic.GetWidth(), 21u);  // never scaled
}

TEST(PlacePicture, CenterCutsALargerPictureOnBothSides) {
  Image canvas;
  canvas.Create(40, 30);
  Image pic = Numbered(50, 37);
  PlacePicture(canvas, pic, kPositionCenter);
  // Offset (-5, -3): canvas (0, 0) shows picture (5, 3).
  EXPECT_EQ(At(canvas, 0, 0), MakeColorRef(5, 3, 7));
  EXPECT_EQ(At(canvas, 39, 29), MakeColorRef(44, 32, 7));
}

TEST(PlacePicture, TilesStartBottomLeftAndTheLastOnesAreCut) {
  Image canvas;
  canvas.Create(100, 70);
  Image pic = Numbered(30, 20);
  PlacePicture(canvas, pic, 1);
  EXPECT_EQ(At(canvas, 0, 0), MakeColorRef(0, 0, 7));
  EXPECT_EQ(At(canvas, 30, 20), MakeColorRef(0, 0, 7));
  EXPECT_EQ(At(canvas, 95, 65), MakeColorRef(5, 5, 7));  // 4th column and row, cut
  EXPECT_EQ(At(canvas, 99, 69), MakeColorRef(9, 9, 7));
  EXPECT_EQ(At(canvas, 59, 39), MakeColorRef(29, 19, 7));

  // Position 7 and any other value tile like 1; no background colour.
  Image canvas7;
  canvas7.Create(100, 70);
  Image pic7 = Numbered(30, 20);
  PlacePicture(canvas7, pic7, 7);
  EXPECT_EQ(canvas7.EncodeBmp(), canvas.EncodeBmp());
}

TEST(PlacePicture, ExactDivisionAndOversizedTiles) {
  Image canvas;
  canvas.Create(64, 32);
  Image pic = Numbered(16, 16);
  PlacePicture(canvas, pic, 1);  // 5 x 3 tiles; the extra ones change nothing
  EXPECT_EQ(At(canvas, 63, 31), MakeColorRef(15, 15, 7));
  EXPECT_EQ(At(canvas, 48, 16), MakeColorRef(0, 0, 7));

  Image big = Numbered(80, 40);
  Image canvas2;
  canvas2.Create(64, 32);
  PlacePicture(canvas2, big, 1);  // one tile: the bottom-left part
  EXPECT_EQ(At(canvas2, 63, 31), MakeColorRef(63, 31, 7));
}

TEST(PlacePicture, StretchSmoothsOnlyWhenEnlargedBothWays) {
  // Smaller in both directions: resampled, then smoothed.
  Image canvas;
  canvas.Create(40, 30);
  Image small;
  small.Create(4, 3);
  small.SetPixelColor(1, 1, MakeColorRef(255, 255, 255));
  PlacePicture(canvas, small, kPositionStretch);
  EXPECT_EQ(small.GetWidth(), 40u);
  EXPECT_EQ(small.GetHeight(), 30u);
  // Inside the enlarged white block nothing changes; at its edge the
  // smoothing mixes in the black column on its left: (13*255 + 3*0) / 16.
  const Rgba inside = canvas.GetPixelColor(14, 14);
  EXPECT_EQ(inside.red, 255);
  const Rgba edge = canvas.GetPixelColor(10, 14);
  EXPECT_EQ(edge.red, (13 * 255) / 16);

  // Wider than the canvas: resampled only (a hard edge stays hard).
  Image canvas2;
  canvas2.Create(40, 30);
  Image wide;
  wide.Create(80, 3);
  for (int x = 20; x < 40; ++x) wide.SetPixelColor(x, 1, MakeColorRef(255, 255, 255));
  PlacePicture(canvas2, wide, kPositionStretch);
  EXPECT_EQ(canvas2.GetPixelColor(10, 14).red, 255);
  EXPECT_EQ(canvas2.GetPixelColor(9, 14).red, 0);

  // Exactly the canvas size: unchanged.
  Image canvas3;
  canvas3.Create(20, 10);
  Image same = Numbered(20, 10);
  const auto before = same.EncodeBmp();
  PlacePicture(canvas3, same, kPositionStretch);
  EXPECT_EQ(same.EncodeBmp(), before);
  EXPECT_EQ(canvas3.EncodeBmp(), before);
}

TEST(PlacePicture, TransparentPixelsLeaveTheCanvasAlone) {
  Image pic = Numbered(4, 4);
  pic.AlphaCreate();
  pic.SetPixelColor(1, 2, Rgba{0, 0, 0, 0}, true);

  Image centred;
  centred.Create(8, 8);
  FillCanvas(centred, kBackground);
  PlacePicture(centred, pic, kPositionCenter);  // at (2, 2)
  EXPECT_EQ(At(centred, 3, 4), kBackground);
  EXPECT_EQ(At(centred, 2, 2), MakeColorRef(0, 0, 7));

  Image tiled;
  tiled.Create(8, 8);
  PlacePicture(tiled, pic, 1);
  EXPECT_EQ(At(tiled, 1, 2), MakeColorRef(0, 0, 0));  // the fresh canvas shows
  EXPECT_EQ(At(tiled, 5, 6), MakeColorRef(0, 0, 0));
  EXPECT_EQ(At(tiled, 0, 2), MakeColorRef(0, 2, 7));
}

TEST(PlacePicture, AnEmptyPictureLeavesTheCanvas) {
  Image empty;
  for (int position : {0, 1, 2}) {
    Image canvas;
    canvas.Create(8, 6);
    FillCanvas(canvas, kBackground);
    PlacePicture(canvas, empty, position);
    EXPECT_EQ(At(canvas, 7, 5), kBackground);
  }
}

TEST(PlacePicture, ThePictureGivenBackAfterwardsGivesTheSameCanvas) {
  struct Case {
    std::uint32_t w, h;  // the picture on a 40 x 30 canvas
    int position;
    bool alpha;
  };
  const Case cases[] = {
      {4, 3, kPositionStretch, false},   {97, 61, kPositionStretch, false}, {13, 77, kPositionStretch, false},
      {40, 30, kPositionStretch, false}, {4, 3, kPositionStretch, true},    {97, 61, kPositionStretch, true},
      {13, 9, kPositionCenter, false},   {13, 9, 1, false},
  };
  for (const Case& c : cases) {
    Image picture = Numbered(c.w, c.h);
    if (c.alpha) {
      picture.AlphaCreate();
      for (std::uint32_t y = 0; y < c.h; ++y)
        for (std::uint32_t x = 0; x < c.w; x += 3) picture.AlphaRow(y)[x] = 0;
    }
    Image kept = picture, once = picture, scratch;
    Image a, b;
    a.Create(40, 30);
    b.Create(40, 30);
    PlacePicture(a, kept, c.position, &scratch);
    PlacePictureOnce(b, once, c.position, &scratch);
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    EXPECT_EQ(std::vector<std::uint8_t>(a.Bits(), a.Bits() + a.Stride() * a.GetHeight()),
              std::vector<std::uint8_t>(b.Bits(), b.Bits() + b.Stride() * b.GetHeight()))
        << c.w << "x" << c.h << " position " << c.position << (c.alpha ? " with alpha" : "");
  }
}

class RendererTest : public ::testing::Test {
 protected:
  std::string SavePicture(const std::string& name, const Image& img) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(img.Save(path));
    return path;
  }
  testing::TestDir dir_;
  testing::TestDesktop desktop_;
  std::unique_ptr<ProfileStore> store_ = MakeIniFileProfileStore();
};

TEST_F(RendererTest, ComposesAndHandsTheFileToTheDesktop) {
  dir_.Write("config.ini", "[setting]\r\nsposob_wyswietlania=2\r\nCactivecalendar=0\r\n");
  WallpaperRenderer r(dir_.Path(), desktop_, *store_);
  ASSERT_TRUE(r.LoadCurrentPicture(SavePicture("pic.bmp", Numbered(10, 8))));
  r.ComposeWallpaper();
  ASSERT_EQ(desktop_.wallpapers.size(), 1u);
  EXPECT_EQ(desktop_.wallpapers[0], dir_.File("pictora.bmp"));
  EXPECT_FALSE(FileExists(TemporaryNameFor(dir_.File("pictora.bmp"))));
  Image out;
  ASSERT_TRUE(out.Load(dir_.File("pictora.bmp")));
  EXPECT_EQ(out.GetWidth(), 64u);
  EXPECT_EQ(out.GetHeight(), 48u);
  EXPECT_EQ(At(out, 0, 0), kBackground);
  EXPECT_EQ(At(out, 27, 20), MakeColorRef(0, 0, 7));
}

TEST_F(RendererTest, BetweenChangesOnlyThePreviewIsKept) {
  WallpaperRenderer r(dir_.Path(), desktop_, *store_);
  const std::string path = SavePicture("pic.bmp", Numbered(300, 200));
  ASSERT_TRUE(r.LoadCurrentPicture(path));
  EXPECT_EQ(r.Preview().GetWidth(), WallpaperRenderer::kPreviewWidth);
  EXPECT_EQ(r.Preview().GetHeight(), WallpaperRenderer::kPreviewHeight);
  ASSERT_TRUE(r.ComposeWallpaper());
  const std::string first = dir_.Read("pictora.bmp");
  // The decoded picture, the canvas and the stretch's memory are gone.
  EXPECT_FALSE(r.CurrentPicture().IsValid());
  EXPECT_TRUE(r.Preview().IsValid());
  EXPECT_EQ(r.CurrentPicturePath(), path);

  // The next composition decodes the picture again and gives the same
  // wallpaper (the stretch had changed the picture held before).
  ASSERT_TRUE(r.ComposeWallpaper());
  EXPECT_EQ(dir_.Read("pictora.bmp"), first);
  EXPECT_EQ(desktop_.wallpapers.size(), 2u);
}

TEST_F(RendererTest, AMissingPictureLeavesThePreviousOneForTheWallpaper) {
  WallpaperRenderer r(dir_.Path(), desktop_, *store_);
  EXPECT_FALSE(r.CurrentPicture().IsValid());  // no placeholder in this folder
  ASSERT_TRUE(r.LoadCurrentPicture(SavePicture("pic.bmp", Numbered(64, 48))));
  ASSERT_TRUE(r.ComposeWallpaper());  // the picture is given back after it
  const Image preview = r.Preview();
  EXPECT_FALSE(r.LoadCurrentPicture(dir_.File("gone.jpg")));
  EXPECT_EQ(r.CurrentPicturePath(), dir_.File("pic.bmp"));
  EXPECT_EQ(r.Preview().Bits()[0], preview.Bits()[0]);
  ASSERT_TRUE(r.ComposeWallpaper());
  Image out;
  ASSERT_TRUE(out.Load(dir_.File("pictora.bmp")));
  EXPECT_EQ(At(out, 63, 47), MakeColorRef(63, 47, 7));
}

TEST_F(RendererTest, ACorruptPictureFailsLikeAMissingOne) {
  WallpaperRenderer r(dir_.Path(), desktop_, *store_);
  std::vector<std::uint8_t> bmp = Numbered(10, 10).EncodeBmp();
  bmp.resize(40);
  dir_.Write("cut.bmp", std::string(bmp.begin(), bmp.end()));
  EXPECT_FALSE(r.LoadCurrentPicture(dir_.File("cut.bmp")));
  EXPECT_TRUE(r.CurrentPicturePath().empty());
}

TEST_F(RendererTest, AnEmptyPictureStillGivesAWallpaper) {
  dir_.Write("config.ini", "[setting]\r\nsposob_wyswietlania=2\r\n");
  WallpaperRenderer r(dir_.Path(), desktop_, *store_);
  r.ComposeWallpaper();
  Image out;
  ASSERT_TRUE(out.Load(dir_.File("pictora.bmp")));
  EXPECT_EQ(At(out, 10, 10), kBackground);
  EXPECT_EQ(desktop_.wallpapers.size(), 1u);
}

TEST_F(RendererTest, TheWallpaperFileIsReplacedWhole) {
  // A reader of pictora.bmp sees the old file or the new one: the new one
  // is written beside it and renamed, so a leftover temporary file from an
  // interrupted run does no harm either.
  dir_.Write("pictora.bmp", "old");
  dir_.Write("pictora.bmp.tmp", "half-written leftovers");
  WallpaperRenderer r(dir_.Path(), desktop_, *store_);
  r.ComposeWallpaper();
  EXPECT_EQ(dir_.Read("pictora.bmp").size(), 54u + 64u * 3u * 48u);
  EXPECT_FALSE(FileExists(dir_.File("pictora.bmp.tmp")));
}

TEST_F(RendererTest, SavingIntoAMissingFolderFailsQuietly) {
  WallpaperRenderer r(dir_.Path(), desktop_, *store_);
  r.SetWallpaperPath(dir_.File("no/such/folder/pictora.bmp"));
  EXPECT_FALSE(r.ComposeWallpaper());
  EXPECT_TRUE(desktop_.wallpapers.empty());
}

}  // namespace
}  // namespace vistelle
