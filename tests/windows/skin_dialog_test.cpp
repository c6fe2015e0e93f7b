// The skinned window built from a small test skin, with its buttons, labels
// and tooltips as real windows on the test display.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "image/image.h"
#include "skin/skin_dialog_win32.h"
#include "tests/shared/test_dir.h"
#include "tests/windows/dialog_catcher_win32.h"

namespace vistelle {
namespace {

using testing::Pump;

constexpr ColorRef kNavy = MakeColorRef(0, 0, 128);
constexpr ColorRef kRed = MakeColorRef(200, 0, 0);
constexpr ColorRef kGreen = MakeColorRef(0, 200, 0);
constexpr ColorRef kWhite = MakeColorRef(255, 255, 255);
constexpr ColorRef kBlack = MakeColorRef(0, 0, 0);
constexpr int kW = 160, kH = 100;

// (x, y) from the top-left corner of the picture as shown.
void Fill(Image& img, int x0, int y0, int w, int h, ColorRef c) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) img.SetPixelColor(x, static_cast<std::int64_t>(img.GetHeight()) - 1 - y, c);
}

// Main: navy with red buttons; Down: green at the buttons; Mask: black with
// a white 10 x 10 top-left corner.
struct TestSkin {
  testing::TestDir dir;
  std::string ini;

  explicit TestSkin(const std::string& extra_ini = std::string()) {
    Image main, down, mask;
    main.Create(kW, kH);
    down.Create(kW, kH);
    mask.Create(kW, kH);
    Fill(main, 0, 0, kW, kH, kNavy);
    Fill(down, 0, 0, kW, kH, kNavy);
    Fill(mask, 0, 0, kW, kH, kBlack);
    Fill(mask, 0, 0, 10, 10, kWhite);
    for (int x : {20, 60, 100}) {
      Fill(main, x, 12, 30, 20, kRed);
      Fill(down, x, 12, 30, 20, kGreen);
    }
    main.Save(dir.File("main.bmp"));
    down.Save(dir.File("down.bmp"));
    mask.Save(dir.File("mask.bmp"));
    dir.Write("skin.ini",
              "[SCREEN]\r\nMain=main.bmp\r\nMask=mask.bmp\r\nDown=down.bmp\r\n"
              "[BUTTONINFO]\r\n"
              "1=BUTTON_A,20,12,30,20,First\r\n"
              "2=BUTTON_B,60,12,30,20,Second\r\n"
              "3=BUTTON_A,100,12,30,20,First again\r\n"
              "[TEXTINFO]\r\n"
              "1=LABEL_T,Arial,0,0,-24,255,4,50,140,40,HHHH,A label\r\n" +
                  extra_ini);
    ini = dir.File("skin.ini");
  }
};

class RecordingDialog : public SkinDialog {
 public:
  int HandleSkinCommand(const char* name) override {
    commands.push_back(name);
    return 0;
  }
  std::vector<std::string> commands;
};

class SkinDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1000, 740);  // away from the dialog: only the test moves the mouse
    hwnd = dialog.CreateFromSkin("VistelleSkinTest", 40, 30, GetModuleHandleA(nullptr), skin.ini.c_str());
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(dialog.ButtonCount(), 3u);
    a = dialog.ButtonAt(0);
    b = dialog.ButtonAt(1);
    a2 = dialog.ButtonAt(2);
  }
  void TearDown() override {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    Pump();
  }
  void Show() {
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    Pump();
    GdiFlush();
    Sleep(100);
    Pump();
  }
  // The colour on the screen at (x, y) of the dialog.
  ColorRef ScreenAt(int x, int y) {
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return static_cast<ColorRef>(c);
  }
  // The dialog as shown on the screen, row by row from the top.
  struct Shot {
    int width = 0;
    std::vector<std::uint32_t> pixels;
    ColorRef At(int x, int y) const {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
      return MakeColorRef((p >> 16) & 255, (p >> 8) & 255, p & 255);
    }
  };
  Shot Capture() {
    Shot shot;
    shot.width = kW;
    shot.pixels.assign(static_cast<std::size_t>(kW) * kH, 0);
    const BITMAPINFO info = testing::TopDownDibInfo(kW, kH);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC screen = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, kW, kH, screen, 0, 0, SRCCOPY);
    GdiFlush();
    std::memcpy(shot.pixels.data(), bits, shot.pixels.size() * 4);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(hwnd, screen);
    DeleteObject(dib);
    return shot;
  }
  // The notifications waiting for the dialog.
  std::vector<std::pair<UINT, LPARAM>> Notifications() {
    std::vector<std::pair<UINT, LPARAM>> out;
    MSG m;
    while (PeekMessageA(&m, hwnd, kSkinLeftDown, kSkinRightUp, PM_REMOVE)) out.emplace_back(m.message, m.lParam);
    return out;
  }
  LPARAM NameOf(SkinButton* button) { return reinterpret_cast<LPARAM>(button->Name()); }

  TestSkin skin;
  RecordingDialog dialog;
  HWND hwnd = nullptr;
  SkinButton* a = nullptr;
  SkinButton* b = nullptr;
  SkinButton* a2 = nullptr;
};

TEST_F(SkinDialogTest, TakesTheMainSizeAndTheMaskOutline) {
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, kW);
  EXPECT_EQ(r.bottom - r.top, kH);
  EXPECT_FALSE(IsWindowVisible(hwnd));  // created hidden
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));

  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(hwnd, region), ERROR);
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_FALSE(PtInRegion(region, 9, 9));
  EXPECT_TRUE(PtInRegion(region, 10, 9));
  EXPECT_TRUE(PtInRegion(region, 9, 10));
  EXPECT_TRUE(PtInRegion(region, kW - 1, kH - 1));
  EXPECT_FALSE(PtInRegion(region, kW, kH - 1));
  DeleteObject(region);

  EXPECT_FALSE(dialog.Busy());
  EXPECT_TRUE(dialog.DragByBackground());
  EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(120, 120)), HTCAPTION);
  dialog.SetDragByBackground(false);
  EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(120, 120)), HTNOWHERE);

  // Each button and label has its own tooltip.
  EXPECT_EQ(dialog.LabelCount(), 1u);
  EXPECT_EQ(dialog.ToolTipCount(), 4u);
  RECT br;
  GetWindowRect(b->Handle(), &br);
  EXPECT_EQ(br.left - r.left, 60);
  EXPECT_EQ(br.top - r.top, 12);
  EXPECT_EQ(br.right - br.left, 30);
  EXPECT_EQ(br.bottom - br.top, 20);
}

// A skin drawn at 100 % alone, on a monitor at 150 %: its pictures are
// resampled, the mask pixel for pixel, and its places scaled.
TEST_F(SkinDialogTest, ASkinDrawnAtOneScaleAloneIsMadeForAnother) {
  RECT suggested = {40, 30, 40 + kW * 3 / 2, 30 + kH * 3 / 2};
  SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(dialog.Scale(), 150);
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right - r.left, kW * 3 / 2);
  EXPECT_EQ(r.bottom - r.top, kH * 3 / 2);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(hwnd, region), ERROR);
  EXPECT_FALSE(PtInRegion(region, 14, 14));  // the 10 x 10 corner cut out is 15 x 15 now
  EXPECT_TRUE(PtInRegion(region, 15, 14));
  EXPECT_TRUE(PtInRegion(region, 14, 15));
  DeleteObject(region);
  ASSERT_EQ(dialog.ButtonCount(), 3u);
  RECT br;
  GetWindowRect(dialog.ButtonAt(1)->Handle(), &br);
  EXPECT_EQ(br.left - r.left, 90);
  EXPECT_EQ(br.top - r.top, 18);
  EXPECT_EQ(br.right - br.left, 45);
  EXPECT_EQ(br.bottom - br.top, 30);
}

TEST_F(SkinDialogTest, LeftReleaseRunsTheCommandAndRightClickDoesNot) {
  SendMessageA(a->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kPressed);
  SendMessageA(a->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  auto posted = Notifications();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].first, static_cast<UINT>(kSkinLeftDown));
  EXPECT_EQ(posted[1].first, static_cast<UINT>(kSkinLeftUp));
  EXPECT_EQ(posted[1].second, NameOf(a));
  for (const auto& p : posted) PostMessageA(hwnd, p.first, 0, p.second);
  Pump();
  EXPECT_EQ(dialog.commands, std::vector<std::string>{"BUTTON_A"});

  dialog.commands.clear();
  SendMessageA(b->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  EXPECT_NE(b->CurrentLook(), SkinButton::Look::kPressed);
  SendMessageA(b->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  posted = Notifications();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].first, static_cast<UINT>(kSkinRightDown));
  EXPECT_EQ(posted[1].first, static_cast<UINT>(kSkinRightUp));
  EXPECT_EQ(posted[1].second, NameOf(b));
  for (const auto& p : posted) PostMessageA(hwnd, p.first, 0, p.second);
  Pump();
  EXPECT_TRUE(dialog.commands.empty());

  // A release posted by anyone else, with an address that is no button's
  // name, is not a click.
  static const char kForged[] = "BUTTON_A";
  PostMessageA(hwnd, kSkinLeftUp, 0, reinterpret_cast<LPARAM>(kForged));
  PostMessageA(hwnd, kSkinLeftUp, 0, 12345);
  Pump();
  EXPECT_TRUE(dialog.commands.empty());
}

TEST_F(SkinDialogTest, PressOnOneReleaseOnAnotherRunsTheOther) {
  SendMessageA(a->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  SendMessageA(a->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(a->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 5));
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kPressed);  // held: look unchanged
  SendMessageA(a->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kNormal);
  SendMessageA(b->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(dialog.commands, std::vector<std::string>{"BUTTON_B"});
}

// The same with the system's own mouse input: the pointer moved onto the
// buttons and the left button pressed and released there.
TEST_F(SkinDialogTest, RealMouseClicks) {
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  UpdateWindow(hwnd);
  Pump();
  auto centre = [](SkinButton* button) {
    RECT r;
    GetWindowRect(button->Handle(), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  auto move_to = [this](POINT p) {
    SetCursorPos(p.x, p.y);
    Pump();
    Sleep(30);
    Pump();
  };
  auto press = [this](DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
    Sleep(30);
    Pump();
  };
  move_to(centre(a));
  press(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kPressed);
  press(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(dialog.commands, std::vector<std::string>{"BUTTON_A"});

  dialog.commands.clear();
  move_to(centre(b));
  press(MOUSEEVENTF_RIGHTDOWN);
  press(MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(dialog.commands.empty());

  // Pressed on A, released on B: B's command runs.
  move_to(centre(a));
  press(MOUSEEVENTF_LEFTDOWN);
  move_to(centre(b));
  press(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(dialog.commands, std::vector<std::string>{"BUTTON_B"});
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kNormal);
}

TEST_F(SkinDialogTest, ButtonsWithOneNameShareAClassAndACommand) {
  EXPECT_EQ(GetClassLongPtrA(a->Handle(), GCW_ATOM), GetClassLongPtrA(a2->Handle(), GCW_ATOM));
  EXPECT_NE(GetClassLongPtrA(a->Handle(), GCW_ATOM), GetClassLongPtrA(b->Handle(), GCW_ATOM));
  char title[32] = {};
  GetWindowTextA(a2->Handle(), title, sizeof title);
  EXPECT_STREQ(title, "BUTTON_A");
  SendMessageA(a2->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageA(a2->Handle(), WM_LBUTTONUP, 0, 0);
  SendMessageA(a->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageA(a->Handle(), WM_LBUTTONUP, 0, 0);
  Pump();
  EXPECT_EQ(dialog.commands, (std::vector<std::string>{"BUTTON_A", "BUTTON_A"}));
}

TEST_F(SkinDialogTest, LooksFollowTheMouseAndTheActivation) {
  Show();
  EXPECT_EQ(ScreenAt(5 + 10, 15), kNavy);
  EXPECT_EQ(ScreenAt(25, 15), kRed);  // normal look, from Main

  SendMessageA(a->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kHover);
  UpdateWindow(a->Handle());
  EXPECT_EQ(ScreenAt(25, 15), kGreen);  // hover look, from Down

  SendMessageA(hwnd, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(b->IsActive());
  EXPECT_EQ(b->CurrentLook(), SkinButton::Look::kInactive);
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kHover);  // still under the pointer
  UpdateWindow(hwnd);
  EXPECT_EQ(ScreenAt(65, 15), kRed);  // a skin's inactive look is its normal picture
  SendMessageA(a->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kInactive);

  SendMessageA(hwnd, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(a->CurrentLook(), SkinButton::Look::kNormal);
  EXPECT_EQ(b->CurrentLook(), SkinButton::Look::kNormal);
}

TEST_F(SkinDialogTest, LabelDrawsItsTextInItsColourOverTheBackground) {
  TransLabel* label = dialog.LabelAt(0);
  RECT lr, dr;
  GetWindowRect(label->Handle(), &lr);
  GetWindowRect(hwnd, &dr);
  EXPECT_EQ(lr.left - dr.left, 10);  // x 4 plus the label's 6
  EXPECT_EQ(lr.top - dr.top, 50);
  EXPECT_EQ(label->Colour(), 255u);
  Show();
  // Inside the label: the dialog's navy around the letters, pure red in
  // their strokes (the text starts 4 pixels into the label).
  Shot shot = Capture();
  int red = 0, navy = 0, other = 0;
  for (int y = 50; y < 90; ++y)
    for (int x = 10; x < 150; ++x) {
      const ColorRef c = shot.At(x, y);
      if (c == MakeColorRef(255, 0, 0))
        ++red;
      else if (c == kNavy)
        ++navy;
      else
        ++other;
    }
  EXPECT_GT(red, 40);
  EXPECT_GT(navy, 3000);
  // Nothing is drawn left of the text's margin.
  for (int y = 50; y < 90; ++y)
    for (int x = 10; x < 14; ++x) ASSERT_EQ(shot.At(x, y), kNavy) << x << "," << y;

  // A new text: the old letters go, the new ones come in the same colour.
  label->SetText("");
  UpdateWindow(hwnd);
  shot = Capture();
  for (int y = 50; y < 90; ++y)
    for (int x = 10; x < 150; ++x) ASSERT_EQ(shot.At(x, y), kNavy) << x << "," << y;
  const std::string long_text(200, 'I');
  label->SetText(long_text.c_str());
  UpdateWindow(hwnd);
  char text[300] = {};
  GetWindowTextA(label->Handle(), text, sizeof text);
  EXPECT_EQ(std::string(text), long_text);  // the window keeps it all; 127 are shown
}

TEST(SkinDialog, ASkinWithoutAReadableMainPictureIsRefusedAndNamed) {
  testing::TestDir dir;
  dir.Write("junk.bmp", "not a picture");
  struct Case {
    const char* ini;         // skin.ini's text, or null for no file at all
    const char* named_file;  // what the failure names, in the test folder
  };
  const Case cases[] = {
      {nullptr, "skin.ini"},
      {"[SCREEN]\r\nMask=junk.bmp\r\n", "skin.ini"},  // no Main picture named
      {"[SCREEN]\r\nMain=nothere.bmp\r\n[BUTTONINFO]\r\n1=BUTTON_X,0,0,10,10,tip\r\n", "nothere.bmp"},
      {"[SCREEN]\r\nMain=junk.bmp\r\n", "junk.bmp"},
  };
  for (const Case& c : cases) {
    RemoveFile(dir.File("skin.ini"));
    if (c.ini != nullptr) dir.Write("skin.ini", c.ini);
    RecordingDialog dialog;
    EXPECT_EQ(dialog.CreateFromSkin("VistelleSkinBroken", 0, 0, GetModuleHandleA(nullptr),
                                    dir.File("skin.ini").c_str()),
              nullptr)
        << c.named_file;
    EXPECT_EQ(dialog.SkinProblem(), dir.File(c.named_file));
    EXPECT_EQ(FindWindowA("VistelleSkinBroken", nullptr), nullptr);  // no window was made
    EXPECT_EQ(dialog.ButtonCount(), 0u);
  }

  // A skin in use stays when the one to load instead cannot be read.
  TestSkin good;
  RecordingDialog dialog;
  HWND hwnd = dialog.CreateFromSkin("VistelleSkinKept", 0, 0, GetModuleHandleA(nullptr), good.ini.c_str());
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(dialog.SkinProblem().empty());
  HWND button = dialog.ButtonAt(0)->Handle();
  EXPECT_FALSE(dialog.LoadSkin(dir.File("skin.ini").c_str()));
  EXPECT_EQ(dialog.SkinProblem(), dir.File("junk.bmp"));
  EXPECT_TRUE(IsWindow(button));
  EXPECT_EQ(dialog.ButtonCount(), 3u);
  // Loading a good one again replaces the skin and its windows.
  EXPECT_TRUE(dialog.LoadSkin(good.ini.c_str()));
  EXPECT_FALSE(IsWindow(button));
  EXPECT_EQ(dialog.ButtonCount(), 3u);
  DestroyWindow(hwnd);
  Pump();
}

TEST(SkinDialog, DestroyedWhileItsWindowsStillExist) {
  TestSkin skin;
  auto* dialog = new RecordingDialog;
  HWND hwnd = dialog->CreateFromSkin("VistelleSkinEarly", 0, 0, GetModuleHandleA(nullptr), skin.ini.c_str());
  ASSERT_NE(hwnd, nullptr);
  HWND button = dialog->ButtonAt(0)->Handle();
  LPARAM name = reinterpret_cast<LPARAM>(dialog->ButtonAt(0)->Name());
  delete dialog;
  EXPECT_FALSE(IsWindow(button));  // the skin's windows went with their objects
  ASSERT_TRUE(IsWindow(hwnd));
  // A click that was still on its way reaches no object.
  PostMessageA(hwnd, kSkinLeftUp, 0, name);
  EXPECT_EQ(SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), DefWindowProcA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(5, 5)));
  Pump();
  DestroyWindow(hwnd);
  Pump();
}

}  // namespace
}  // namespace vistelle
