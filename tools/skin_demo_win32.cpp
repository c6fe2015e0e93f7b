// skin-demo: shows a skin the way the program's main window looks, with
// sample list contents, the placeholder preview and the countdown, so that
// a skin can be looked at (and screenshot) without the whole program.
//
//   skin-demo.exe SKIN_INI [--picture FILE] [--hover BUTTON_NAME]
//                 [--inactive] [--seconds N]
//
// Clicked buttons write their names to the standard output.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/win32/handle_win32.h"
#include "image/image.h"
#include "image/image_draw_win32.h"
#include "skin/skin_dialog_win32.h"

namespace {

constexpr int kPictureList = 202;
constexpr int kCategoryList = 203;
const RECT kPreview = {15, 25, 188, 161};
const RECT kCountdown = {24, 365, 232, 387};

class DemoSkin : public vistelle::SkinDialog {
 public:
  vistelle::Image picture;
  vistelle::win32::Brush list_brush{CreateSolidBrush(RGB(240, 240, 240))};
  HWND lists[2] = {nullptr, nullptr};

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_CTLCOLORLISTBOX) {
      const HWND list = reinterpret_cast<HWND>(lparam);
      if (list == lists[0] || list == lists[1]) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        SetBkColor(dc, RGB(240, 240, 240));
        SetTextColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(list_brush.Get());
      }
    }
    if (message == WM_TIMER) {
      DestroyWindow(hwnd);
      return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return SkinDialog::WindowProc(hwnd, message, wparam, lparam);
  }

  void OnPaint(HDC dc) override {
    SkinDialog::OnPaint(dc);
    vistelle::Draw2(picture, dc, kPreview.left, kPreview.top, kPreview.right - kPreview.left,
                    kPreview.bottom - kPreview.top);
    SetBkMode(dc, TRANSPARENT);
    const vistelle::win32::Font font(CreateFontA(16, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    const vistelle::win32::ScopedSelect selected(dc, font.Get());
    SetTextColor(dc, RGB(119, 134, 119));
    RECT r = kCountdown;
    const char* text = "Wallpaper will change in: 599 min.";
    DrawTextA(dc, text, static_cast<int>(std::strlen(text)), &r, DT_CENTER);
  }

  int HandleSkinCommand(const char* name) override {
    std::printf("%s\n", name);
    std::fflush(stdout);
    return 0;
  }
};

HWND AddList(HWND parent, int id, int x, int y, int w, int h, HFONT font, const char* const* items) {
  HWND list = CreateWindowExA(0, "LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY,
                              x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  for (; *items != nullptr; ++items) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(*items));
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: skin-demo SKIN_INI [--picture FILE] [--hover NAME] [--inactive] [--seconds N]\n");
    return 2;
  }
  char skin[MAX_PATH] = {};
  if (GetFullPathNameA(argv[1], MAX_PATH, skin, nullptr) == 0) return 2;
  std::string picture_file, hover;
  bool inactive = false;
  int seconds = 0;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--picture") && i + 1 < argc) picture_file = argv[++i];
    else if (!std::strcmp(argv[i], "--hover") && i + 1 < argc) hover = argv[++i];
    else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) seconds = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--inactive")) inactive = true;
  }

  DemoSkin demo;
  if (!picture_file.empty()) demo.picture.Load(picture_file);
  HWND hwnd = demo.CreateFromSkin("Vistelle", 200, 200, GetModuleHandleA(nullptr), skin);
  if (hwnd == nullptr) return 1;
  const vistelle::win32::Font font(CreateFontA(14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
  static const char* const kPictures[] = {
      "C:\\Pictures\\Holidays\\Lake at dusk.jpg", "C:\\Pictures\\Holidays\\Harbour.jpg",
      "C:\\Pictures\\Holidays\\Old town square.jpg", "C:\\Pictures\\Holidays\\Dunes.png",
      "C:\\Pictures\\Holidays\\Lighthouse.jpg", "C:\\Pictures\\Holidays\\Night market.jpg", nullptr};
  static const char* const kCategories[] = {"Favourites", "Holidays", "Mountains", "Night sky", nullptr};
  demo.lists[0] = AddList(hwnd, kPictureList, 266, 139, 289, 224, font.Get(), kPictures);
  demo.lists[1] = AddList(hwnd, kCategoryList, 266, 51, 144, 80, font.Get(), kCategories);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);

  for (std::size_t i = 0; i < demo.ButtonCount(); ++i) {
    vistelle::SkinButton* button = demo.ButtonAt(i);
    if (hover == button->Name()) {
      RECT r;
      GetWindowRect(button->Handle(), &r);
      SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      SendMessageA(button->Handle(), WM_MOUSEMOVE, 0, 0);
    }
  }
  if (inactive) SendMessageA(hwnd, WM_ACTIVATEAPP, FALSE, 0);
  if (seconds > 0) SetTimer(hwnd, 1, static_cast<UINT>(seconds) * 1000u, nullptr);
  return demo.MessageLoop();
}
