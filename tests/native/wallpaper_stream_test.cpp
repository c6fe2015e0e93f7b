#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/paths.h"
#include "render/wallpaper_stream.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

Image Pattern(std::uint32_t w, std::uint32_t h) {
  Image img;
  img.Create(w, h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) img.SetPixelColor(x, y, MakeColorRef((x * 7) & 255, (y * 3) & 255, x ^ y));
  return img;
}

// Written band by band as its rows are final, drawn on afterwards, or
// placed anew halfway, the file is the canvas as it is at the end.
TEST(WallpaperStream, TheFileIsTheCanvasAsItEnds) {
  const struct Case {
    const char* what;
    std::vector<std::uint32_t> steps;    // rows final, in turn
    std::vector<std::uint32_t> drawn;    // rows changed before the end
  } cases[] = {
      {"all at once", {150}, {}},
      {"row by row", {}, {}},
      {"in steps, drawn on top and bottom", {10, 40, 41, 100, 149, 150}, {0, 1, 77, 149}},
      {"placed anew halfway", {70, 0, 33, 150}, {5}},
  };
  testing::TestDir dir;
  const std::string path = JoinPath(dir.Path(), "pictora.bmp");
  for (const Case& c : cases) {
    Image canvas = Pattern(37, 150);
    WallpaperStream stream;
    stream.Start(path, canvas);
    std::vector<std::uint32_t> steps = c.steps;
    if (steps.empty())
      for (std::uint32_t r = 1; r <= 150; ++r) steps.push_back(r);
    for (std::uint32_t rows : steps) stream.RowsFinal(rows);
    ASSERT_TRUE(stream.Holds(canvas)) << c.what;
    for (std::uint32_t y : c.drawn) canvas.SetPixelColor(3, 149 - y, MakeColorRef(1, 2, 3));
    ASSERT_TRUE(stream.Finish(false)) << c.what;
    const std::vector<std::uint8_t> bmp = canvas.EncodeBmp();
    EXPECT_EQ(dir.Read("pictora.bmp"), std::string(bmp.begin(), bmp.end())) << c.what;
  }
  // Rows not all final, or another canvas: the file is not the canvas's,
  // and dropped it leaves no temporary file behind.
  Image canvas = Pattern(5, 100), other = Pattern(5, 100);
  WallpaperStream stream;
  stream.Start(path, canvas);
  stream.RowsFinal(99);
  EXPECT_FALSE(stream.Holds(canvas));
  stream.RowsFinal(100);
  EXPECT_FALSE(stream.Holds(other));
  stream.Drop();
  EXPECT_FALSE(FileExists(path + ".tmp"));
  // A folder that is not there: nothing to hold.
  stream.Start(JoinPath(dir.Path(), "missing/pictora.bmp"), canvas);
  stream.RowsFinal(100);
  EXPECT_FALSE(stream.Holds(canvas));
}

}  // namespace
}  // namespace vistelle
