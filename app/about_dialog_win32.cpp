#include "app/about_dialog_win32.h"

#include <string>

#include "resources/editing_ids.h"

namespace vistelle {

const char kAboutText[] =
    "Vistelle 2.0\r\n"
    "Your own pictures as the desktop wallpaper.\r\n"
    "\r\n"
    "Version:\t\t2.0\r\n"
    "Pictures:\t\tBMP, GIF, ICO, TIFF,\r\n"
    "\t\tPNG, JPEG, TGA, PCX,\r\n"
    "\t\tWBMP, WMF\r\n"
    "Files:\t\tconfig.ini, pictora.txt\r\n"
    "Credits:\t\tthe Vistelle developers";

namespace {

// The two pictures live while the box is open and are deleted after it.
struct AboutPictures {
  HBITMAP button = nullptr;
  HBITMAP logo = nullptr;

  AboutPictures() = default;
  AboutPictures(const AboutPictures&) = delete;
  AboutPictures& operator=(const AboutPictures&) = delete;
  ~AboutPictures() {
    if (button) DeleteObject(button);
    if (logo) DeleteObject(logo);
  }
};

HBITMAP LoadSkinBitmap(const char* name) {
  char folder[MAX_PATH * 3] = "";
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return nullptr;
  const std::string path = std::string(folder) + name;
  return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* pictures = reinterpret_cast<AboutPictures*>(lparam);
      pictures->button = LoadSkinBitmap("\\skin\\bok.bmp");
      SendDlgItemMessageA(dialog, IDOK, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(pictures->button));
      pictures->logo = LoadSkinBitmap("\\skin\\logo.bmp");
      SendDlgItemMessageA(dialog, IDC_ABOUT_LOGO, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(pictures->logo));
      SetDlgItemTextA(dialog, IDC_ABOUT_TEXT, kAboutText);
      // OK takes the focus, so that the text opens unselected at its top.
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunAboutDialog(HWND owner) {
  AboutPictures pictures;
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc,
                  reinterpret_cast<LPARAM>(&pictures));
}

}  // namespace vistelle
