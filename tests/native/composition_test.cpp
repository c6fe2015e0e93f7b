#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "image/effect_chain.h"
#include "image/image_codecs.h"
#include "image/preview_image.h"
#include "render/composition.h"
#include "render/placement_sink.h"
#include "render/wallpaper_renderer.h"
#include "tests/shared/test_desktop.h"
#include "tests/shared/test_dir.h"
#include "tests/shared/test_settings.h"

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
  EXPECT_EQ(small.GetWidth(), 4u);  // the picture is left as it was
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

std::vector<std::uint8_t> Pixels(const Image& img) {
  return std::vector<std::uint8_t>(img.Bits(), img.Bits() + img.Stride() * img.GetHeight());
}

// Hands the picture's rows to the sink as a decoder would: from the top
// down, each row copied into the sink's memory and given as not lasting.
void FeedFromTheTop(const Image& picture, RowSink& sink) {
  const std::uint32_t w = picture.GetWidth(), h = picture.GetHeight();
  ASSERT_TRUE(sink.Begin({w, h, picture.HasAlpha(), false, false}));
  const RowSpan wanted = sink.Wanted();
  for (std::uint32_t n = wanted.first; n < wanted.end; ++n) {
    const RowMemory m = sink.Memory(n);
    std::memcpy(m.bgr, picture.Row(h - 1 - n), static_cast<std::size_t>(w) * 3);
    if (m.alpha != nullptr) std::memcpy(m.alpha, picture.AlphaRow(h - 1 - n), w);
    sink.Put(n, {m.bgr, m.alpha, false});
  }
  ASSERT_TRUE(sink.Finish());
}

EffectChain EffectsGoingWithTheRows() {
  static const std::int32_t kSharpen[9] = {-1, -1, -1, -1, 15, -1, -1, -1, -1};
  EffectChain chain;
  chain.Add(RowEffect::Noise(70));
  chain.Add(*RowEffect::BoxFilter(kSharpen, 7, 0));
  chain.Add(RowEffect::Negative());
  return chain;
}

// The canvas the renderer makes (background, then the picture in memory)
// comes out the same when the rows stream in from a decoder, from the top
// or from the bottom, onto a canvas whose pixels were never set.
TEST(PlacementSink, RowsFromADecoderGiveTheCanvasOfThePictureInMemory) {
  const struct Picture {
    std::uint32_t w, h;
    bool alpha;
  } pictures[] = {{1, 1, false}, {13, 9, false}, {97, 61, false}, {61, 97, true}, {40, 30, false}, {7, 5, true}};
  for (const Picture& p : pictures) {
    Image picture = Numbered(p.w, p.h);
    if (p.alpha) {
      picture.AlphaCreate();
      for (std::uint32_t y = 0; y < p.h; ++y)
        for (std::uint32_t x = 0; x < p.w; ++x) picture.AlphaRow(y)[x] = static_cast<std::uint8_t>((x % 3) * 127);
    }
    for (int position : {kPositionStretch, kPositionCenter, kPositionFill, kPositionFit, 1}) {
      Image expected;
      expected.Create(40, 30);
      if (position == kPositionCenter || position == kPositionFill || position == kPositionFit)
        FillCanvas(expected, kBackground);
      PlacePicture(expected, picture, position);
      // And the effects that go with the rows as they are placed give what
      // they give over the placed canvas.
      Image expected_with_effects = expected;
      SeedImageNoise(3);
      EffectsGoingWithTheRows().Run(expected_with_effects);
      for (const bool from_top : {true, false}) {
        for (const bool effects : {false, true}) {
          Image canvas, scratch;
          canvas.Create(40, 30);
          FillCanvas(canvas, MakeColorRef(9, 9, 9));  // what the memory held
          PlacementSink sink(canvas, position, kBackground, &scratch);
          EffectChain chain = EffectsGoingWithTheRows();
          SeedImageNoise(3);
          if (effects) {
            chain.Start(canvas);
            sink.EffectsAsPlaced(&chain);
          }
          if (from_top) {
            FeedFromTheTop(picture, sink);
          } else {
            ASSERT_TRUE(FeedImage(picture, sink));
            ASSERT_TRUE(sink.Finish());
          }
          EXPECT_EQ(Pixels(canvas), Pixels(effects ? expected_with_effects : expected))
              << p.w << "x" << p.h << " position " << position << (from_top ? " from the top" : " from the bottom")
              << (effects ? " with effects" : "");
        }
      }
    }
  }
  // No picture at all: the background where it shows, else black.
  Image canvas;
  canvas.Create(4, 3);
  PlacementSink::FillBackground(canvas, kPositionFit, kBackground);
  EXPECT_EQ(At(canvas, 3, 2), kBackground);
  PlacementSink::FillBackground(canvas, 1, kBackground);
  EXPECT_EQ(At(canvas, 3, 2), MakeColorRef(0, 0, 0));
}

// Every decoder, the rows it skips included (a canvas smaller than the
// picture wants only some of them), gives the canvas of its picture decoded
// whole; a file cut short places nothing.
TEST(PlacementSink, EveryDecoderPlacesWhatItDecodesWhole) {
  const char* files[] = {"ref.jpg", "ref_x8_cmyk.jpg", "quadrants_640x400_turned.jpg", "ref_adam7.png",
                         "ref_rgba.png", "ref_palette_trns.png", "ref_rle.tga", "ref_8bit.pcx", "ref_24bit.pcx",
                         "ref.wbmp", "ref_transparent.gif", "ref_rle8.bmp"};
  for (const char* name : files) {
    const std::string path = std::string(VISTELLE_SOURCE_DIR) + "/tests/data/" + name;
    Image whole;
    ASSERT_TRUE(whole.Load(path)) << name;
    const std::uint32_t W = std::max(1u, whole.GetWidth() * 2 / 3), H = std::max(1u, whole.GetHeight() / 2);
    for (int position : {kPositionStretch, kPositionCenter, kPositionFill, kPositionFit, 1}) {
      Image expected, canvas;
      expected.Create(W, H);
      canvas.Create(W, H);
      PlacePicture(expected, whole, position);
      PlacementSink sink(canvas, position);
      ASSERT_TRUE(DecodeImageFile(path, sink)) << name;
      EXPECT_EQ(Pixels(canvas), Pixels(expected)) << name << " position " << position;
    }
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes, 1 << 24));
    bytes.resize(bytes.size() * 2 / 3);
    Image canvas;
    canvas.Create(W, H);
    PlacementSink sink(canvas, kPositionCenter);
    EXPECT_FALSE(DecodeImage(bytes.data(), bytes.size(), sink)) << name << " cut short";
    // The same from a file (a PNG is decoded as the file is read).
    testing::TestDir dir;
    const std::string cut = dir.File("cut");
    ASSERT_TRUE(WriteFileReplacing(cut, bytes.data(), bytes.size()));
    EXPECT_FALSE(DecodeImageFile(cut, sink)) << name << " cut short, from its file";
  }
}

// The preview made as rows come is the one made from the picture in memory,
// larger or smaller than the preview, the rows from the top or the bottom.
TEST(PreviewSink, MakesThePreviewOfThePictureInMemory) {
  for (const auto& size : {std::pair<std::uint32_t, std::uint32_t>{173, 136}, {500, 137}, {1000, 300}, {40, 900}}) {
    Image picture = Numbered(size.first, size.second);
    picture.AlphaCreate();
    Image expected;
    ASSERT_TRUE(MakePreviewImage(picture, 173, 136, expected));
    for (const bool from_top : {true, false}) {
      Image preview;
      PreviewSink sink(173, 136, preview);
      if (from_top) {
        FeedFromTheTop(picture, sink);
      } else {
        ASSERT_TRUE(FeedImage(picture, sink));
        ASSERT_TRUE(sink.Finish());
      }
      EXPECT_EQ(Pixels(preview), Pixels(expected)) << size.first << "x" << size.second << " from the top " << from_top;
    }
  }
}

TEST(ScaledSize, TheDecidingSideTakesTheCanvasAndTheOtherIsRounded) {
  struct Case {
    std::uint32_t W, H, w, h;
    ScaledSize fill, fit;
  };
  const Case cases[] = {
      {1920, 1080, 6000, 4000, {1920, 1280}, {1620, 1080}},     // larger, wider than tall
      {1920, 1080, 3840, 2160, {1920, 1080}, {1920, 1080}},     // the canvas's shape
      {1920, 1080, 640, 360, {1920, 1080}, {1920, 1080}},       // smaller, same shape
      {1920, 1080, 1000, 100, {10800, 1080}, {1920, 192}},      // wider than the canvas's shape
      {1920, 1080, 300, 1000, {1920, 6400}, {324, 1080}},       // taller
      {1920, 1080, 1, 1, {1920, 1920}, {1080, 1080}},
      {1920, 1080, 1, 500, {1920, 960000}, {2, 1080}},          // 2.16 rounds down
      {1920, 1080, 500, 1, {540000, 1080}, {1920, 4}},          // 3.84 rounds up
      {1920, 1080, 1, 5000, {1920, 9600000}, {1, 1080}},        // 0.216: at least 1
      {5, 5, 2, 1, {10, 5}, {5, 3}},                            // 2.5 rounds up
      {1023, 767, 333, 257, {1023, 790}, {994, 767}},           // odd sizes
  };
  for (const Case& c : cases) {
    const ScaledSize fill = FillSize(c.W, c.H, c.w, c.h), fit = FitSize(c.W, c.H, c.w, c.h);
    EXPECT_EQ(fill.width, c.fill.width) << c.w << "x" << c.h;
    EXPECT_EQ(fill.height, c.fill.height) << c.w << "x" << c.h;
    EXPECT_EQ(fit.width, c.fit.width) << c.w << "x" << c.h;
    EXPECT_EQ(fit.height, c.fit.height) << c.w << "x" << c.h;
  }
}

// An "F" in red on blue, 7 x 9 cells of cell x cell pixels, upright as
// shown (rows are stored bottom-up): nothing about it is symmetric.
bool FCell(std::int64_t gx, std::int64_t gy_from_top) {
  if (gx == 1 && gy_from_top >= 1 && gy_from_top <= 7) return true;
  if (gy_from_top == 1 && gx >= 1 && gx <= 5) return true;
  return gy_from_top == 4 && gx >= 1 && gx <= 4;
}
constexpr ColorRef kRed = MakeColorRef(230, 20, 10);
constexpr ColorRef kBlue = MakeColorRef(20, 40, 200);

Image LetterF(std::uint32_t cell, bool blue_transparent = false) {
  Image img;
  img.Create(7 * cell, 9 * cell);
  if (blue_transparent) img.AlphaCreate();
  for (std::uint32_t y = 0; y < 9 * cell; ++y)
    for (std::uint32_t x = 0; x < 7 * cell; ++x) {
      const bool red = FCell(x / cell, 8 - y / cell);
      img.SetPixelColor(x, y, red ? kRed : kBlue);
      if (blue_transparent && !red) img.AlphaRow(y)[x] = 0;
    }
  return img;
}

TEST(PlacePicture, FillAndFitPutTheLetterWhereItBelongs) {
  // Canvas pixel (x, y) shows cell ((x - dx) / k, (y - dy) / k) of the
  // letter, or the background where there is none. Shrunk from cells of
  // 5 x 5 pixels (k = 1), every cell becomes one pixel of exactly its
  // colour; enlarged from cells of one pixel ten times (k = 10), the middle
  // of each cell stays redder than blue where it is red, bluer where blue.
  struct Case {
    int position;
    std::uint32_t cell, W, H;
    std::int64_t dx, dy;
    bool transparent;
  };
  const Case cases[] = {
      {kPositionFit, 5, 7, 9, 0, 0, false},     // exactly the canvas
      {kPositionFit, 5, 11, 9, 2, 0, false},    // margins left and right
      {kPositionFit, 5, 12, 9, 2, 0, false},    // the odd margin pixel on the right
      {kPositionFit, 5, 7, 14, 0, 2, false},    // margins below and above, the odd one on top
      {kPositionFill, 5, 7, 7, 0, -1, false},   // one row cut below, one above
      {kPositionFill, 5, 7, 6, 0, -1, false},   // one row cut below, two above
      {kPositionFill, 5, 3, 9, -2, 0, false},   // two columns cut on each side
      {kPositionFill, 5, 4, 9, -1, 0, false},   // one on the left, two on the right
      {kPositionFit, 5, 11, 9, 2, 0, true},     // blue transparent: the background shows
      {kPositionFill, 5, 7, 6, 0, -1, true},
      {kPositionFit, 1, 70, 90, 0, 0, false},   // enlarged
      {kPositionFit, 1, 91, 90, 10, 0, false},
      {kPositionFill, 1, 70, 60, 0, -15, false},
  };
  for (const Case& c : cases) {
    Image canvas;
    canvas.Create(c.W, c.H);
    FillCanvas(canvas, kBackground);
    Image picture = LetterF(c.cell, c.transparent);
    const auto before = picture.EncodeBmp();
    PlacePicture(canvas, picture, c.position);
    EXPECT_EQ(picture.EncodeBmp(), before);  // not scaled in place
    const std::int64_t k = c.cell == 1 ? 10 : 1;
    for (std::int64_t y = 0; y < c.H; ++y)
      for (std::int64_t x = 0; x < c.W; ++x) {
        const std::int64_t gx = (x - c.dx + 7 * k) / k - 7, gy = (y - c.dy + 9 * k) / k - 9;
        const std::string where = "position " + std::to_string(c.position) + " on " + std::to_string(c.W) + "x" +
                                  std::to_string(c.H) + " at " + std::to_string(x) + "," + std::to_string(y);
        if (gx < 0 || gx >= 7 || gy < 0 || gy >= 9) {
          ASSERT_EQ(At(canvas, x, y), kBackground) << where;
        } else if (k == 1) {
          ASSERT_EQ(At(canvas, x, y), FCell(gx, 8 - gy) ? kRed : (c.transparent ? kBackground : kBlue)) << where;
        } else if ((x - c.dx) % k == k / 2 && (y - c.dy) % k == k / 2) {
          const Rgba p = canvas.GetPixelColor(x, y);
          EXPECT_EQ(p.red > p.blue, FCell(gx, 8 - gy)) << where;
        }
      }
  }
}

TEST(PlacePicture, FillCoversTheCanvasAndFitLeavesExactMargins) {
  // A flat picture of every kind of size, opaque or with an alpha plane of
  // one level: where the picture lies (all of the canvas for fill, FitSize
  // at ScaledOffset for fit) its colour laid over the background, exactly,
  // and elsewhere the background.
  struct Size {
    std::uint32_t w, h;
  };
  const Size sizes[] = {{300, 100}, {50, 400}, {7, 5}, {1000, 750}, {333, 257}, {1, 77}, {91, 1}, {1, 1}, {64, 48},
                        {6000, 2}};
  const int kOpaque = -1;
  const ColorRef colour = MakeColorRef(12, 200, 99);
  auto mul = [](int u, int v) { return (u * v + 127) / 255; };
  for (const Size& s : sizes)
    for (int position : {kPositionFill, kPositionFit})
      for (int alpha : {kOpaque, 255, 128, 0}) {
        Image canvas;
        canvas.Create(64, 48);
        FillCanvas(canvas, kBackground);
        Image picture;
        picture.Create(s.w, s.h);
        FillCanvas(picture, colour);
        if (alpha != kOpaque) {
          picture.AlphaCreate();
          picture.AlphaSet(static_cast<std::uint8_t>(alpha));
        }
        PlacePicture(canvas, picture, position);
        const int a = alpha == kOpaque ? 255 : alpha;
        const ColorRef laid = MakeColorRef(mul(12, a) + mul(254, 255 - a), mul(200, a) + mul(1, 255 - a),
                                           mul(99, a) + mul(1, 255 - a));
        const ScaledSize size = position == kPositionFit ? FitSize(64, 48, s.w, s.h) : ScaledSize{64, 48};
        const Offset o = ScaledOffset(64, 48, size);
        for (std::int64_t y = 0; y < 48; ++y)
          for (std::int64_t x = 0; x < 64; ++x) {
            const bool inside = x >= o.x && x < o.x + size.width && y >= o.y && y < o.y + size.height;
            ASSERT_EQ(At(canvas, x, y), inside ? laid : kBackground)
                << s.w << "x" << s.h << " position " << position << " alpha " << alpha << " at " << x << "," << y;
          }
      }
}

TEST(PlacePicture, TransparentColoursDoNotSpreadWhenScaled) {
  // Opaque red beside transparent pixels that hold green, shrunk (16 wide)
  // and enlarged (200): the edges mix red with the background, never green.
  for (std::uint32_t W : {16u, 200u}) {
    Image canvas, picture;
    canvas.Create(W, W / 2);
    FillCanvas(canvas, MakeColorRef(0, 0, 255));
    picture.Create(51, 25);
    picture.AlphaCreate();
    for (std::uint32_t y = 0; y < 25; ++y)
      for (std::uint32_t x = 0; x < 51; ++x) {
        const bool opaque = (x / 5 + y / 5) % 2 == 0;
        picture.SetPixelColor(x, y, opaque ? MakeColorRef(255, 0, 0) : MakeColorRef(0, 255, 0));
        picture.AlphaRow(y)[x] = opaque ? 255 : 0;
      }
    PlacePicture(canvas, picture, kPositionFill);
    bool mixed = false;
    for (std::uint32_t y = 0; y < W / 2; ++y)
      for (std::uint32_t x = 0; x < W; ++x) {
        const Rgba p = canvas.GetPixelColor(x, y);
        ASSERT_EQ(p.green, 0) << W << " at " << x << "," << y;
        mixed = mixed || (p.red > 0 && p.blue > 0);
      }
    EXPECT_TRUE(mixed);
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
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
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

// A change places the picture when it loads and composes that canvas; a
// screen that changed size in between, or a picture held in memory, gives
// the same wallpaper as a change made for that screen alone.
TEST_F(RendererTest, TheCanvasPlacedAtLoadingIsTheOneAChangeWouldMakeNow) {
  const std::string bmp = SavePicture("pic.bmp", Numbered(37, 23));
  const std::string png = std::string(VISTELLE_SOURCE_DIR) + "/tests/data/ref_rgba.png";  // with alpha
  for (int position : {kPositionStretch, 1, kPositionCenter, kPositionFill, kPositionFit}) {
    dir_.Write("config.ini", "[setting]\r\nsposob_wyswietlania=" + std::to_string(position) +
                                 "\r\nCactivecalendar=0\r\nSharpen=1\r\n");
    const TConfig settings = testing::SettingsIn(dir_.Path());
    for (const std::string& path : {bmp, png}) {
      const auto compose = [&](ScreenSize loaded_for, bool in_memory) {
        testing::TestDesktop desktop(loaded_for);
        WallpaperRenderer r(dir_.Path(), desktop, settings);
        if (in_memory) {
          EXPECT_TRUE(r.CurrentPicture().Load(path));
        } else {
          EXPECT_TRUE(r.LoadCurrentPicture(path));
        }
        desktop.size = ScreenSize{61, 43};
        EXPECT_TRUE(r.ComposeWallpaper());
        Image out;
        EXPECT_TRUE(out.Load(dir_.File("pictora.bmp")));
        return out.EncodeBmp();
      };
      const auto expected = compose({61, 43}, true);
      EXPECT_EQ(compose({61, 43}, false), expected) << path << " position " << position;
      EXPECT_EQ(compose({80, 20}, false), expected) << path << " position " << position << ", screen changed";
    }
  }
}

TEST_F(RendererTest, FillAndFitShowTheBackgroundColourWhereThePictureIsNot) {
  // 10 x 8 on 64 x 48: fit makes it 60 x 48 at x = 2, fill 64 x 51 cut by
  // one row below and two above. The colour is the configured one.
  const ColorRef background = MakeColorRef(10, 20, 30);
  struct Case {
    int position;
    std::int64_t x, y;
    ColorRef expected;
  };
  const Case cases[] = {
      {kPositionFit, 0, 0, background},   {kPositionFit, 1, 47, background},
      {kPositionFit, 62, 20, background}, {kPositionFit, 2, 0, MakeColorRef(0, 0, 7)},
      {kPositionFit, 61, 47, MakeColorRef(9, 7, 7)}, {kPositionFill, 0, 0, MakeColorRef(0, 0, 7)},
      {kPositionFill, 63, 47, MakeColorRef(9, 7, 7)},
  };
  for (int position : {kPositionFit, kPositionFill}) {
    dir_.Write("config.ini", "[setting]\r\nsposob_wyswietlania=" + std::to_string(position) +
                                 "\r\nCactivecalendar=0\r\nCRGB_background_R=10\r\nCRGB_background_G=20\r\n"
                                 "CRGB_background_B=30\r\n");
    const TConfig r_settings = testing::SettingsIn(dir_.Path());
    WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
    ASSERT_TRUE(r.LoadCurrentPicture(SavePicture("pic.bmp", Numbered(10, 8))));
    ASSERT_TRUE(r.ComposeWallpaper());
    Image out;
    ASSERT_TRUE(out.Load(dir_.File("pictora.bmp")));
    for (const Case& c : cases) {
      if (c.position != position) continue;
      EXPECT_EQ(At(out, c.x, c.y), c.expected) << position << " at " << c.x << "," << c.y;
    }
    // Without a picture: the background alone.
    const TConfig empty_settings = testing::SettingsIn(dir_.Path());
    WallpaperRenderer empty(dir_.Path(), desktop_, empty_settings);
    ASSERT_TRUE(empty.ComposeWallpaper());
    ASSERT_TRUE(out.Load(dir_.File("pictora.bmp")));
    EXPECT_EQ(At(out, 32, 24), background) << position;
  }
}

TEST_F(RendererTest, BetweenChangesOnlyThePreviewIsKept) {
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
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

TEST_F(RendererTest, FillAndFitDecodeAPhotoOnlyAsLargeAsTheScreenNeeds) {
  const std::string photo = std::string(VISTELLE_SOURCE_DIR) + "/tests/data/quadrants_640x400.jpg";
  struct Case {
    int position;
    std::uint32_t width;  // of the decoded picture, on a 64 x 48 screen
  };
  for (const Case& c : {Case{0, 640}, Case{1, 640}, Case{2, 640}, Case{3, 80}, Case{4, 80}}) {
    dir_.Write("config.ini", "[setting]\r\nsposob_wyswietlania=" + std::to_string(c.position) + "\r\n");
    const TConfig r_settings = testing::SettingsIn(dir_.Path());
    WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
    ASSERT_TRUE(r.LoadCurrentPicture(photo));
    EXPECT_EQ(r.DecodedWidth(), c.width) << "position " << c.position;
  }
  // A preview alone keeps nothing but the preview.
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
  ASSERT_TRUE(r.LoadPreview(photo));
  EXPECT_FALSE(r.CurrentPicture().IsValid());
  EXPECT_EQ(r.Preview().GetWidth(), WallpaperRenderer::kPreviewWidth);
  EXPECT_EQ(r.CurrentPicturePath(), photo);
  EXPECT_FALSE(r.LoadPreview(dir_.File("gone.jpg")));
  EXPECT_EQ(r.CurrentPicturePath(), photo);
}

TEST_F(RendererTest, AMissingPictureLeavesThePreviousOneForTheWallpaper) {
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
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
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
  std::vector<std::uint8_t> bmp = Numbered(10, 10).EncodeBmp();
  bmp.resize(40);
  dir_.Write("cut.bmp", std::string(bmp.begin(), bmp.end()));
  EXPECT_FALSE(r.LoadCurrentPicture(dir_.File("cut.bmp")));
  EXPECT_TRUE(r.CurrentPicturePath().empty());
}

TEST_F(RendererTest, AnEmptyPictureStillGivesAWallpaper) {
  dir_.Write("config.ini", "[setting]\r\nsposob_wyswietlania=2\r\n");
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
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
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
  r.ComposeWallpaper();
  EXPECT_EQ(dir_.Read("pictora.bmp").size(), 54u + 64u * 3u * 48u);
  EXPECT_FALSE(FileExists(dir_.File("pictora.bmp.tmp")));
}

TEST_F(RendererTest, SavingIntoAMissingFolderFailsQuietly) {
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop_, r_settings);
  r.SetWallpaperPath(dir_.File("no/such/folder/pictora.bmp"));
  EXPECT_FALSE(r.ComposeWallpaper());
  EXPECT_TRUE(desktop_.wallpapers.empty());
}

}  // namespace
}  // namespace vistelle
