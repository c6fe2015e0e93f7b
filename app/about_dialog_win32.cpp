#include "app/about_dialog_win32.h"

#include <string>
#include <utility>

#include "base/win32/handle_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "resources/editing_ids.h"
#include "skin/skin_bitmap_win32.h"
#include "skin/skin_scale.h"
#include "vistelle_version.h"

namespace vistelle {

const char kAboutText[] =
    "Vistelle " VISTELLE_VERSION_SHORT "\r\n"
    "Your own pictures as the desktop wallpaper.\r\n"
    "\r\n"
    "Version:\t\t" VISTELLE_VERSION_TEXT "\r\n"
    "Pictures:\t\tBMP, GIF, ICO, TIFF,\r\n"
    "\t\tPNG, JPEG, TGA, PCX,\r\n"
    "\t\tWBMP, WMF\r\n"
    "Files:\t\tconfig.ini, pictora.txt\r\n"
    "Credits:\t\tthe Vistelle developers";

namespace {

// The program's folder, and the two pictures, which live while the box is
// open and are deleted after it.
struct AboutPictures {
  std::string folder;
  win32::Bitmap button;
  win32::Bitmap logo;

  // The picture, made larger at a display scaling above 100 %.
  win32::Bitmap Load(const char* name, int scale) const {
    const std::string path = folder + name;
    win32::Bitmap picture(
        static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    if (!picture || scale == 100) return picture;
    const SIZE size = BitmapSize(picture.Get());
    win32::Bitmap scaled = LoadSkinPicture(path, ScaledLength(static_cast<int>(size.cx), scale),
                                           ScaledLength(static_cast<int>(size.cy), scale), false);
    return scaled ? std::move(scaled) : std::move(picture);
  }
};

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* pictures = reinterpret_cast<AboutPictures*>(lparam);
      const int scale = ScaleOfDpi(static_cast<int>(GetDpiForWindow(dialog)));
      pictures->button = pictures->Load("\\skin\\bok.bmp", scale);
      SendDlgItemMessageA(dialog, IDOK, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(pictures->button.Get()));
      pictures->logo = pictures->Load("\\skin\\logo.bmp", scale);
      SendDlgItemMessageA(dialog, IDC_ABOUT_LOGO, STM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(pictures->logo.Get()));
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

void RunAboutDialog(HWND owner, const std::string& program_dir) {
  AboutPictures pictures;
  pictures.folder = program_dir;
  win32::RunDialog(IDD_ABOUT, owner, AboutProc, reinterpret_cast<LPARAM>(&pictures));
}

}  // namespace vistelle
