#include "skin/skin_dialog_win32.h"

#include <climits>

#include <utility>

#include "base/file_io.h"
#include "base/win32/log_win32.h"
#include "skin/ini_file_win32.h"
#include "skin/skin_file.h"

namespace vistelle {

SkinDialog::~SkinDialog() {
  Detach();
  ReleaseSkin();
}

LRESULT SkinDialog::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // While a skin loads, the loading itself sends the window messages
  // (resize, outline, new children); none of them is acted on.
  if (busy_) return 0;
  switch (message) {
    case WM_ACTIVATEAPP:
      for (const auto& button : buttons_) button->SetActive(wparam != FALSE);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_NCHITTEST:
      return drag_by_background_ ? HTCAPTION : HTNOWHERE;
    case kSkinLeftUp: {
      // Only a name that one of our buttons posted is taken; anything else
      // posted with this number is not a click.
      SkinButton* button = ButtonByNameAddress(lparam);
      return button != nullptr ? HandleSkinCommand(button->Name()) : 0;
    }
    default:
      return KWindow::WindowProc(hwnd, message, wparam, lparam);
  }
}

SkinButton* SkinDialog::ButtonByNameAddress(LPARAM address) const {
  for (const auto& button : buttons_)
    if (reinterpret_cast<LPARAM>(button->Name()) == address) return button.get();
  return nullptr;
}

void SkinDialog::OnPaint(HDC dc) { DrawBitmap(dc, normal_.Get()); }

int SkinDialog::HandleSkinCommand(const char*) { return 1; }

HWND SkinDialog::CreateFromSkin(const char* caption, int x, int y, HINSTANCE instance, const char* skin_file) {
  ReadSkin skin;
  if (!Read(skin_file, skin)) return nullptr;
  HWND hwnd = Create(0, caption, caption, WS_POPUP, x, y, 100, 100, nullptr, nullptr, instance);
  instance_ = instance;
  if (hwnd != nullptr) Apply(std::move(skin));
  return hwnd;
}

void SkinDialog::ReleaseSkin() {
  // The objects go first (each takes itself off its window), then the
  // windows that are left, so that nothing routes to a freed object and no
  // child's destruction reads as the end of the program.
  std::vector<HWND> windows;
  for (const auto& button : buttons_)
    if (button->Handle() != nullptr) windows.push_back(button->Handle());
  for (const auto& label : labels_)
    if (label->Handle() != nullptr) windows.push_back(label->Handle());
  tooltips_.clear();
  buttons_.clear();
  labels_.clear();
  for (HWND w : windows)
    if (IsWindow(w)) DestroyWindow(w);
  down_.Reset();
}

bool SkinDialog::LoadSkin(const char* skin_file) {
  ReadSkin skin;
  if (!Read(skin_file, skin)) return false;
  Apply(std::move(skin));
  return true;
}

bool SkinDialog::Read(const char* skin_file, ReadSkin& skin) {
  const std::string path = skin_file != nullptr ? skin_file : "";
  skin_problem_.clear();
  IniFile ini;
  ini.SetPath(path);
  // The profile functions answer a missing file with empty values.
  if (path.empty() || !FileExists(ini.Path())) {
    skin_problem_ = path;
    return false;
  }
  skin.folder = SkinFolderOf(ini.Path());
  skin.description = ReadSkinDescription(ini.Reader());
  const SkinScreen& screen = skin.description.screen;
  auto load = [&skin](const std::string& value) {
    return value.empty() ? win32::Bitmap() : LoadPicture(SkinPicturePath(skin.folder, value));
  };
  skin.normal = load(screen.main);
  if (!skin.normal) {
    skin_problem_ = screen.main.empty() ? ini.Path() : SkinPicturePath(skin.folder, screen.main);
    return false;
  }
  skin.mask = load(screen.mask);
  skin.down = load(screen.down);
  return true;
}

void SkinDialog::Apply(ReadSkin skin) {
  busy_ = true;
  ReleaseSkin();
  skin_folder_ = skin.folder;
  normal_ = std::move(skin.normal);
  mask_ = std::move(skin.mask);
  down_ = std::move(skin.down);

  if (hwnd_ != nullptr && normal_) {
    const SIZE size = BitmapSize(normal_.Get());
    if (!SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER))
      win32::LogLine("SetWindowPos failed");
  }
  if (hwnd_ != nullptr) ApplyMask();

  for (const SkinButtonEntry& entry : skin.description.buttons) {
    const int x = entry.x, y = entry.y, w = entry.width, h = entry.height;
    SkinButton::Looks looks;
    looks.normal = CropBitmap(normal_.Get(), x, y, w, h);
    looks.inactive = CropBitmap(normal_.Get(), x, y, w, h);
    looks.hover = CropBitmap(down_.Get(), x, y, w, h);
    looks.pressed = CropBitmap(down_.Get(), x, y, w, h);
    looks.mask = CropBitmap(mask_.Get(), x, y, w, h);
    auto button = std::make_unique<SkinButton>();
    HWND button_window = button->CreateFromSkinBitmaps(entry.name.c_str(), x, y, hwnd_, instance_, std::move(looks));
    auto tooltip = std::make_unique<KToolTip>();
    if (button_window != nullptr) tooltip->Attach(button_window, instance_, entry.tooltip.c_str());
    buttons_.push_back(std::move(button));
    tooltips_.push_back(std::move(tooltip));
  }

  for (const SkinTextEntry& entry : skin.description.texts) {
    auto label = std::make_unique<TransLabel>();
    const int x = entry.x > INT_MAX - 6 ? INT_MAX : entry.x + 6;  // the text's own margin
    HWND label_window = label->Create(0, entry.name.c_str(), entry.name.c_str(), 0, x, entry.y,
                                      entry.width, entry.height, hwnd_, instance_, entry.face.c_str(),
                                      entry.font_height, entry.colour);
    auto tooltip = std::make_unique<KToolTip>();
    if (label_window != nullptr) tooltip->Attach(label_window, instance_, entry.tooltip.c_str());
    label->SetText(entry.text.c_str());
    labels_.push_back(std::move(label));
    tooltips_.push_back(std::move(tooltip));
  }
  busy_ = false;
}

}  // namespace vistelle
