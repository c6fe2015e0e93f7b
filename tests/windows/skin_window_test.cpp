// The window framework, the skin's bitmaps and the region built from a mask,
// with real windows and GDI objects.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/image.h"
#include "skin/kwindow_win32.h"
#include "skin/region_runs.h"
#include "skin/skin_bitmap_win32.h"
#include "skin/skin_region_win32.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

using testing::Pump;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// Handles what is waiting, WM_QUIT included (destroyed test windows post it).
// Notes the messages it gets in a list that outlives it.
class Recorder : public KWindow {
 public:
  explicit Recorder(std::vector<UINT>* log) : log_(log) {}
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override {
    log_->push_back(message);
    if (message == WM_USER + 50) return 1234;
    return KWindow::WindowProc(hwnd, message, wparam, lparam);
  }

 private:
  std::vector<UINT>* log_;
};

bool Seen(const std::vector<UINT>& log, UINT message) {
  for (UINT m : log)
    if (m == message) return true;
  return false;
}

TEST(KWindow, RoutesFromCreationOnAndNotAfterTheObjectIsGone) {
  std::vector<UINT> log;
  auto* object = new Recorder(&log);
  HWND hwnd = object->Create(0, "VistelleTestRecorder", "recorder", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                             Instance());
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(object->Handle(), hwnd);
  EXPECT_EQ(object->ClassName(), "VistelleTestRecorder");
  // Messages before WM_NCCREATE (WM_GETMINMAXINFO for a top-level window)
  // have no object yet; the first the object sees is WM_NCCREATE.
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(SendMessageA(hwnd, WM_USER + 50, 0, 0), 1234);

  delete object;  // the window stays
  ASSERT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0);
  const std::size_t seen = log.size();
  EXPECT_EQ(SendMessageA(hwnd, WM_USER + 50, 0, 0), 0);  // DefWindowProcA's answer
  EXPECT_TRUE(SetWindowTextA(hwnd, "still works"));
  char text[32] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  EXPECT_STREQ(text, "still works");
  DestroyWindow(hwnd);
  EXPECT_EQ(log.size(), seen);
  Pump();
}

TEST(KWindow, DestroyForgetsTheHandleAndLeavesTheLoopRunning) {
  std::vector<UINT> log;
  Recorder object(&log);
  HWND hwnd = object.Create(0, "VistelleTestRecorder", "recorder", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                            Instance());
  ASSERT_NE(hwnd, nullptr);
  Pump();
  DestroyWindow(hwnd);
  EXPECT_TRUE(Seen(log, WM_DESTROY));
  EXPECT_TRUE(Seen(log, WM_NCDESTROY));
  EXPECT_EQ(object.Handle(), nullptr);
  // Only the program's main window ends the loop.
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

  PostQuitMessage(7);
  EXPECT_EQ(object.MessageLoop(), 7);
}

TEST(KWindow, SameClassNameSharesOneClass) {
  std::vector<UINT> log;
  Recorder a(&log), b(&log);
  HWND wa = a.Create(0, "VistelleTestShared", "a", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, Instance());
  HWND wb = b.Create(0, "VistelleTestShared", "b", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, Instance());
  ASSERT_NE(wa, nullptr);
  ASSERT_NE(wb, nullptr);
  EXPECT_EQ(GetClassLongPtrA(wa, GCW_ATOM), GetClassLongPtrA(wb, GCW_ATOM));
  EXPECT_EQ(SendMessageA(wb, WM_USER + 50, 0, 0), 1234);
  DestroyWindow(wa);
  DestroyWindow(wb);
  Pump();
}

// ---- bitmaps --------------------------------------------------------------

// A 32-bit top-down DIB of the given size, every pixel the colour.
HBITMAP Dib(int w, int h, ColorRef colour) {
  const BITMAPINFO info = testing::TopDownDibInfo(w, h);
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<std::uint32_t*>(bits);
  const std::uint32_t pixel = (ColorRefRed(colour) << 16) | (ColorRefGreen(colour) << 8) | ColorRefBlue(colour);
  for (int i = 0; i < w * h; ++i) p[i] = pixel;
  return b;
}

void SetDibPixel(HBITMAP b, int x, int y, ColorRef colour) {
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectA(b, sizeof ds, &ds), static_cast<int>(sizeof ds));
  auto* row = static_cast<std::uint8_t*>(ds.dsBm.bmBits) + static_cast<std::size_t>(y) * ds.dsBm.bmWidthBytes;
  std::uint8_t* px = row + x * 4;
  px[0] = static_cast<std::uint8_t>(ColorRefBlue(colour));
  px[1] = static_cast<std::uint8_t>(ColorRefGreen(colour));
  px[2] = static_cast<std::uint8_t>(ColorRefRed(colour));
}

ColorRef PixelOf(HBITMAP b, int x, int y) {
  const SIZE s = BitmapSize(b);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(s.cx) * s.cy);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = s.cx;
  info.bmiHeader.biHeight = -s.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, b, 0, static_cast<UINT>(s.cy), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  const std::uint32_t p = pixels[static_cast<std::size_t>(y) * s.cx + x];
  return MakeColorRef((p >> 16) & 255, (p >> 8) & 255, p & 255);
}

TEST(SkinBitmap, LoadPictureCropAndDraw) {
  testing::TestDir dir;
  Image img;
  img.Create(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) img.SetPixelColor(x, y, MakeColorRef(x * 30, y * 40, 200));
  ASSERT_TRUE(img.Save(dir.File("p.bmp")));

  const win32::Bitmap picture = LoadPicture(dir.File("p.bmp"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(BitmapSize(picture.Get()).cx, 7);
  EXPECT_EQ(BitmapSize(picture.Get()).cy, 5);
  // Row 0 of the image is the bottom row as shown.
  EXPECT_EQ(PixelOf(picture.Get(), 3, 4), MakeColorRef(90, 0, 200));
  EXPECT_EQ(PixelOf(picture.Get(), 6, 0), MakeColorRef(180, 160, 200));

  const win32::Bitmap crop = CropBitmap(picture.Get(), 2, 1, 3, 2);
  ASSERT_TRUE(crop);
  EXPECT_EQ(BitmapSize(crop.Get()).cx, 3);
  EXPECT_EQ(PixelOf(crop.Get(), 0, 0), MakeColorRef(60, 120, 200));
  EXPECT_EQ(PixelOf(crop.Get(), 2, 1), MakeColorRef(120, 80, 200));
  EXPECT_FALSE(CropBitmap(nullptr, 0, 0, 3, 3));
  EXPECT_FALSE(CropBitmap(picture.Get(), 0, 0, 0, 3));

  const win32::Bitmap target(Dib(10, 10, MakeColorRef(1, 2, 3)));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, target.Get());
  DrawBitmap(dc, crop.Get());
  DrawBitmap(dc, nullptr);  // nothing
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(PixelOf(target.Get(), 0, 0), MakeColorRef(60, 120, 200));
  EXPECT_EQ(PixelOf(target.Get(), 3, 0), MakeColorRef(1, 2, 3));

  EXPECT_FALSE(LoadPicture(dir.File("missing.bmp")));
  dir.Write("junk.bmp", "BM this is not a picture");
  EXPECT_FALSE(LoadPicture(dir.File("junk.bmp")));
  dir.Write("empty.bmp", "");
  EXPECT_FALSE(LoadPicture(dir.File("empty.bmp")));

  win32::Bitmap from_file;
  EXPECT_TRUE(LoadBitmapFile(from_file, dir.File("p.bmp")));
  EXPECT_EQ(BitmapSize(from_file.Get()).cx, 7);
  EXPECT_FALSE(LoadBitmapFile(from_file, dir.File("missing.bmp")));
  EXPECT_FALSE(from_file);
}

// ---- region ---------------------------------------------------------------

constexpr ColorRef kWhite = MakeColorRef(255, 255, 255);

TEST(SkinRegion, OutlineFollowsTheWhitePixels) {
  const win32::Bitmap mask(Dib(5, 2, MakeColorRef(10, 10, 10)));
  SetDibPixel(mask.Get(), 1, 1, kWhite);
  SetDibPixel(mask.Get(), 4, 0, kWhite);
  SetDibPixel(mask.Get(), 2, 0, MakeColorRef(254, 255, 255));  // nearly white stays
  win32::Region region = BuildRegion(mask.Get(), kWhite, 0);
  ASSERT_TRUE(region);
  EXPECT_TRUE(PtInRegion(region.Get(), 0, 0));
  EXPECT_TRUE(PtInRegion(region.Get(), 2, 0));
  EXPECT_FALSE(PtInRegion(region.Get(), 4, 0));
  EXPECT_FALSE(PtInRegion(region.Get(), 1, 1));
  EXPECT_TRUE(PtInRegion(region.Get(), 4, 1));
  EXPECT_FALSE(PtInRegion(region.Get(), 5, 1));

  // The key's red meets the pixel's blue.
  const win32::Bitmap blue(Dib(2, 1, MakeColorRef(0, 0, 255)));
  region = BuildRegion(blue.Get(), MakeColorRef(255, 0, 0), 0);
  ASSERT_TRUE(region);
  RECT box;
  EXPECT_EQ(GetRgnBox(region.Get(), &box), NULLREGION);

  const win32::Bitmap white(Dib(3, 3, kWhite));
  region = BuildRegion(white.Get(), kWhite, 0);
  ASSERT_TRUE(region);  // an empty region, not none
  EXPECT_EQ(GetRgnBox(region.Get(), &box), NULLREGION);
  EXPECT_FALSE(BuildRegion(nullptr, kWhite, 0));
}

TEST(SkinRegion, ManyRunsGiveTheSameOutlineAsOneStep) {
  // Every other pixel white: 60 runs a row, 6000 in all, three batches.
  const int w = 120, h = 100;
  const win32::Bitmap mask(Dib(w, h, MakeColorRef(0, 0, 0)));
  for (int y = 0; y < h; ++y)
    for (int x = (y & 1); x < w; x += 2) SetDibPixel(mask.Get(), x, y, kWhite);
  const win32::Region built = BuildRegion(mask.Get(), kWhite, 0);
  ASSERT_TRUE(built);

  HRGN expected = CreateRectRgn(0, 0, 0, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 1 - (y & 1); x < w; x += 2) {
      HRGN one = CreateRectRgn(x, y, x + 1, y + 1);
      CombineRgn(expected, expected, one, RGN_OR);
      DeleteObject(one);
    }
  EXPECT_TRUE(EqualRgn(built.Get(), expected));
  DeleteObject(expected);
}

}  // namespace
}  // namespace vistelle
