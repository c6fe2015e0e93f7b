// The Windows desktop (screen size, wallpaper, error box) and drawing an
// Image on a device context.
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "render/desktop.h"
#include "image/image.h"
#include "image/image_draw_win32.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

// The manifest every program of ours carries: the UTF-8 code page for the
// ...A functions, and version 6 of the common controls. (Wine's copy of
// version 6 reports 5.81 from DllGetVersion, so the test asks which copy
// the process's activation context gives.)
TEST(Manifest, GivesTheUtf8CodePageAndCommonControls6) {
  EXPECT_EQ(GetACP(), 65001u);
  ACTCTX_SECTION_KEYED_DATA redirection;
  ZeroMemory(&redirection, sizeof redirection);
  redirection.cbSize = sizeof redirection;
  EXPECT_TRUE(FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll",
                                       &redirection));
  HMODULE comctl = LoadLibraryA("comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  char path[MAX_PATH] = "";
  GetModuleFileNameA(comctl, path, MAX_PATH);
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(lower.find("common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
  FreeLibrary(comctl);
}

TEST(SystemDesktop, ScreenSizeIsTheCurrentDisplayMode) {
  auto desktop = MakeSystemDesktop();
  ASSERT_TRUE(desktop);
  const ScreenSize size = desktop->PrimaryScreenSize();
  DEVMODEA mode;
  ZeroMemory(&mode, sizeof mode);
  mode.dmSize = sizeof mode;
  ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
  EXPECT_EQ(size.width, mode.dmPelsWidth);
  EXPECT_EQ(size.height, mode.dmPelsHeight);
  // tools/with-xvfb says which screen it made.
  if (const char* xvfb = std::getenv("VISTELLE_XVFB_SCREEN")) {
    EXPECT_EQ(std::to_string(size.width) + "x" + std::to_string(size.height), xvfb);
  }
}

TEST(SystemDesktop, WallpaperIsStoredAndReadBack) {
  testing::TestDir dir;
  Image picture;
  ASSERT_TRUE(picture.Create(4, 4));
  const std::string path = dir.Path() + u8"\\tapeta \u017c\u00f3\u0142w.bmp";
  ASSERT_TRUE(picture.Save(path));

  char previous[MAX_PATH] = "";
  SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, previous, 0);
  auto desktop = MakeSystemDesktop();
  ASSERT_TRUE(desktop->SetWallpaper(path));
  char now[MAX_PATH] = "";
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0));
  EXPECT_EQ(std::string(now), path);
  SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, previous, SPIF_UPDATEINIFILE);
}

// A 32-bit top-down DIB section in a memory DC, filled with one colour, to
// draw into and read back.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill) : width_(width) {
    const BITMAPINFO info = testing::TopDownDibInfo(width, height);
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    const std::uint32_t pixel = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    for (int i = 0; i < width * height; ++i) bits_[i] = pixel;
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  // The colour at (x, y), y from the top, as a COLORREF.
  COLORREF At(int x, int y) const {
    GdiFlush();
    const std::uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  int width_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

// 5x3, every pixel its own colour; (column, row from the top).
COLORREF PatternColor(int column, int row) { return RGB(40 * column + 10, 80 * row + 20, 200 - 30 * column); }

Image PatternImage() {
  Image image;
  image.Create(5, 3);  // 15 bytes a row, padded to 16
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column) {
      const COLORREF c = PatternColor(column, row);
      image.SetPixelColor(column, 2 - row, MakeColorRef(GetRValue(c), GetGValue(c), GetBValue(c)));
    }
  return image;
}

TEST(Draw2, OneToOneCopiesEveryPixelUpright) {
  Canvas canvas(12, 8, RGB(90, 90, 90));
  Draw2(PatternImage(), canvas.Dc(), 3, 2, 5, 3);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 5; ++column)
      EXPECT_EQ(canvas.At(3 + column, 2 + row), PatternColor(column, row)) << column << "," << row;
  // Nothing around the rectangle.
  EXPECT_EQ(canvas.At(2, 2), RGB(90, 90, 90));
  EXPECT_EQ(canvas.At(8, 2), RGB(90, 90, 90));
  EXPECT_EQ(canvas.At(3, 1), RGB(90, 90, 90));
  EXPECT_EQ(canvas.At(3, 5), RGB(90, 90, 90));

  // An empty picture or rectangle, or no DC, draws nothing.
  Draw2(Image(), canvas.Dc(), 0, 0, 12, 8);
  Draw2(PatternImage(), canvas.Dc(), 0, 0, 0, 8);
  Draw2(PatternImage(), canvas.Dc(), 0, 0, 12, -1);
  Draw2(PatternImage(), nullptr, 0, 0, 12, 8);
  EXPECT_EQ(canvas.At(0, 0), RGB(90, 90, 90));
}

TEST(Draw2, ScalesIntoTheRectangleAndRestoresTheDc) {
  // 4x4: the top half green, below it red on the left and blue on the
  // right; drawn 8 times as large. Smoothing blends neighbouring pixels
  // (Wine lines the samples up with the blocks' corners, Windows with their
  // centres), so each probe lies where both neighbours have its colour.
  Image image;
  image.Create(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      image.SetPixelColor(x, y, y >= 2 ? MakeColorRef(0, 255, 0) : x < 2 ? MakeColorRef(255, 0, 0) : MakeColorRef(0, 0, 255));
  Canvas canvas(40, 40, RGB(0, 0, 0));
  SetStretchBltMode(canvas.Dc(), COLORONCOLOR);
  SetBrushOrgEx(canvas.Dc(), 3, 4, nullptr);
  Draw2(image, canvas.Dc(), 4, 4, 32, 32);
  EXPECT_EQ(canvas.At(8, 28), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(31, 28), RGB(0, 0, 255));
  EXPECT_EQ(canvas.At(8, 8), RGB(0, 255, 0));
  EXPECT_EQ(canvas.At(31, 8), RGB(0, 255, 0));
  // Nothing outside the rectangle.
  EXPECT_EQ(canvas.At(3, 20), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(20, 3), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(36, 20), RGB(0, 0, 0));
  EXPECT_EQ(canvas.At(20, 36), RGB(0, 0, 0));
  EXPECT_EQ(GetStretchBltMode(canvas.Dc()), COLORONCOLOR);
  POINT origin = {0, 0};
  GetBrushOrgEx(canvas.Dc(), &origin);
  EXPECT_EQ(origin.x, 3);
  EXPECT_EQ(origin.y, 4);
}

}  // namespace
}  // namespace vistelle
