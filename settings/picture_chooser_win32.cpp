#include "settings/picture_chooser_win32.h"

#include <cderr.h>
#include <commdlg.h>
#include <dlgs.h>

#include <string_view>
#include <vector>

#include "base/win32/handle_win32.h"
#include "base/win32/message_boxes_win32.h"
#include "image/image.h"
#include "image/image_draw_win32.h"
#include "resources/editing_ids.h"

namespace vistelle {

const char kPictureFilters[] =
    "All pictures\0*.bmp;*.gif;*.ico;*.tif;*.tiff;*.png;*.jpg;*.jpeg;*.jpe;*.jfif;*.tga;*.pcx;*.wbmp;*.wmf\0"
    "BMP (*.BMP)\0*.bmp\0"
    "GIF (*.GIF)\0*.gif\0"
    "ICO (*.ICO)\0*.ico\0"
    "TIFF (*.TIF;*.TIFF)\0*.tif;*.tiff\0"
    "PNG (*.PNG)\0*.png\0"
    "JPEG (*.JPG;*.JPEG;*.JPE;*.JFIF)\0*.jpg;*.jpeg;*.jpe;*.jfif\0"
    "TGA (*.TGA)\0*.tga\0"
    "PCX (*.PCX)\0*.pcx\0"
    "WBMP (*.WBMP)\0*.wbmp\0"
    "WMF (*.WMF)\0*.wmf\0";  // the literal's own NUL ends the list

namespace {

// Room for the longest path a PicturePath holds (259 characters) in UTF-8.
constexpr int kPathBytes = 260 * 3;

void OnSelectionChange(HWND panel) {
  char path[kPathBytes] = "";
  const LRESULT length =
      SendMessageA(GetParent(panel), CDM_GETFILEPATH, kPathBytes, reinterpret_cast<LPARAM>(path));
  if (length <= 0 || length > kPathBytes) return;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  if (IsDlgButtonChecked(panel, IDC_CHOOSER_SHOW_THUMB) != BST_CHECKED) return;
  ShowPictureThumbnail(panel, path);
}

void OnShowThumbClicked(HWND panel) {
  // The area repaints empty; the thumbnail comes back at the next change of
  // selection.
  InvalidateRect(GetDlgItem(panel, IDC_CHOOSER_THUMB), nullptr, FALSE);
  SetDlgItemInt(panel, IDC_CHOOSER_WIDTH, 0, FALSE);
}

}  // namespace

void ShowPictureThumbnail(HWND panel, const char* path) {
  Image image;
  image.Load(path);  // a file that does not load leaves the image empty
  SetDlgItemInt(panel, IDC_CHOOSER_WIDTH, image.GetWidth(), FALSE);
  SetDlgItemInt(panel, IDC_CHOOSER_HEIGHT, image.GetHeight(), FALSE);
  const HWND area = GetDlgItem(panel, IDC_CHOOSER_THUMB);
  RECT rect;
  if (!area || !GetClientRect(area, &rect)) return;
  const win32::WindowDc dc(area);
  if (!dc) return;
  Draw2(image, dc.Get(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

UINT_PTR CALLBACK PictureChooserHook(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(panel, DWLP_USER, lparam);
      CheckDlgButton(panel, IDC_CHOOSER_SHOW_THUMB, BST_CHECKED);
      return TRUE;
    case WM_DESTROY:
      return TRUE;
    case WM_NOTIFY: {
      const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lparam);
      if (notify && notify->hdr.code == CDN_SELCHANGE) OnSelectionChange(panel);
      return FALSE;  // CDN_FILEOK included: the dialog closes normally
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDC_CHOOSER_SHOW_THUMB && HIWORD(wparam) == BN_CLICKED) OnShowThumbClicked(panel);
      return TRUE;
    default:
      return FALSE;
  }
}

ChosenFiles OpenFilePictureChooser::Choose() {
  std::vector<char> buffer(kBufferSize, '\0');
  OPENFILENAMEA dialog;
  ZeroMemory(&dialog, sizeof dialog);
  // The layout without the trailing reserved fields.
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  dialog.hwndOwner = owner_;
  dialog.hInstance = GetModuleHandleA(nullptr);
  dialog.lpstrFilter = kPictureFilters;
  dialog.nFilterIndex = 0;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(kBufferSize - 1);
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ENABLEHOOK |
                 OFN_ENABLETEMPLATE;
  dialog.lpfnHook = PictureChooserHook;
  dialog.lpTemplateName = MAKEINTRESOURCEA(IDD_PICTURE_CHOOSER);

  ChosenFiles chosen;
  BOOL ok = FALSE;
  {
    const win32::ModalLoop loop;
    ok = GetOpenFileNameA(&dialog);
  }
  if (ok) {
    // The list ends with two NULs in a row; the buffer's last byte is never
    // written, so they are found inside it.
    const std::string_view text(buffer.data(), buffer.size());
    const std::size_t end = text.find(std::string_view("\0\0", 2));
    chosen.files.assign(text.substr(0, end == std::string_view::npos ? text.size() : end + 2));
    chosen.outcome = ChosenFiles::Outcome::kChosen;
  } else if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
    chosen.outcome = ChosenFiles::Outcome::kBufferTooSmall;
  }
  return chosen;
}

}  // namespace vistelle
