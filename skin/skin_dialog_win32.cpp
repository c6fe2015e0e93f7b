#include "skin/skin_dialog_win32.h"

#include <climits>

#include <utility>
#include <vector>

#include "base/file_io.h"
#include "base/win32/log_win32.h"
#include "skin/focus_order.h"
#include "skin/ini_file_win32.h"
#include "skin/skin_bitmap_win32.h"
#include "skin/skin_file.h"
#include "skin/skin_scale.h"

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
    case WM_DPICHANGED: {
      // Moved to a monitor of another scaling: the skin is made for it, and
      // the window goes where Windows suggests (its size is the skin's).
      const int scale = ScaleOfDpi(HIWORD(wparam));
      if (scale != scale_ && !skin_file_.empty()) {
        const int before = scale_;
        scale_ = scale;
        const std::string file = skin_file_;
        if (LoadSkin(file.c_str()))
          OnScaleChanged();
        else
          scale_ = before;
      }
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      if (suggested != nullptr)
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_ACTIVATE:
      // The control that had the focus gets it back when the window is
      // active again (else Windows would give it to the window itself).
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        last_focus_ = focus != nullptr && IsChild(hwnd, focus) ? focus : nullptr;
        return 0;
      }
      if (last_focus_ != nullptr && IsChild(hwnd, last_focus_) && IsWindowVisible(last_focus_) &&
          HIWORD(wparam) == 0) {
        SetFocus(last_focus_);
        return 0;
      }
      return KWindow::WindowProc(hwnd, message, wparam, lparam);
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

int SkinDialog::Scaled(int length) const { return ScaledLength(length, scale_); }

RECT SkinDialog::Scaled(const RECT& rect) const {
  const SkinRect r = ScaledRect({static_cast<int>(rect.left), static_cast<int>(rect.top),
                                 static_cast<int>(rect.right - rect.left), static_cast<int>(rect.bottom - rect.top)},
                                scale_);
  return RECT{r.x, r.y, r.x + r.width, r.y + r.height};
}

HWND SkinDialog::CreateFromSkin(const char* caption, int x, int y, HINSTANCE instance, const char* skin_file) {
  // The window opens on the primary monitor, whose scaling is the system's.
  scale_ = ScaleOfDpi(static_cast<int>(GetDpiForSystem()));
  ReadSkin skin;
  if (!Read(skin_file, skin)) return nullptr;
  HWND hwnd = Create(0, caption, caption, WS_POPUP, x, y, 100, 100, nullptr, nullptr, instance);
  instance_ = instance;
  if (hwnd != nullptr) {
    // Should it have opened on another monitor after all, the skin is made
    // for that one's scaling.
    const int scale = ScaleOfDpi(static_cast<int>(GetDpiForWindow(hwnd)));
    if (scale != scale_) {
      scale_ = scale;
      Read(skin_file, skin);
    }
    Apply(std::move(skin));
    // No focus ring until the keyboard is used.
    SendMessageA(hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  }
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
  skin_file_ = path;
  if (scale_ == 100) {
    skin.mask = load(screen.mask);
    skin.down = load(screen.down);
    return true;
  }
  // Another scaling: each picture at the 100 % one's size times the scale,
  // from the skin's drawing for the nearest scale at or above it where it
  // has one, else from the 100 % picture.
  const SIZE base = BitmapSize(skin.normal.Get());
  const int width = Scaled(static_cast<int>(base.cx)), height = Scaled(static_cast<int>(base.cy));
  std::vector<int> drawn = {100};
  for (const ScaledSkinScreen& s : skin.description.scaled) drawn.push_back(s.scale);
  const int art = ArtScaleFor(scale_, drawn);
  const ScaledSkinScreen* at = nullptr;
  for (const ScaledSkinScreen& s : skin.description.scaled)
    if (s.scale == art) at = &s;
  auto scaled = [&](const std::string& drawn_there, const std::string& own, bool hard_edges) {
    win32::Bitmap picture;
    if (!drawn_there.empty())
      picture = LoadSkinPicture(SkinPicturePath(skin.folder, drawn_there), width, height, hard_edges);
    if (!picture && !own.empty())
      picture = LoadSkinPicture(SkinPicturePath(skin.folder, own), width, height, hard_edges);
    return picture;
  };
  win32::Bitmap normal = scaled(at ? at->main : std::string(), screen.main, false);
  if (normal) skin.normal = std::move(normal);
  skin.mask = scaled(at ? at->mask : std::string(), screen.mask, true);
  skin.down = scaled(at ? at->down : std::string(), screen.down, false);
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
    const SkinRect at = ScaledRect({entry.x, entry.y, entry.width, entry.height}, scale_);
    const int x = at.x, y = at.y, w = at.width, h = at.height;
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
    button->SetDescription(entry.tooltip);
    buttons_.push_back(std::move(button));
    tooltips_.push_back(std::move(tooltip));
  }

  for (const SkinTextEntry& entry : skin.description.texts) {
    auto label = std::make_unique<TransLabel>();
    const int left = entry.x > INT_MAX - 6 ? INT_MAX : entry.x + 6;  // the text's own margin
    const SkinRect at = ScaledRect({left, entry.y, entry.width, entry.height}, scale_);
    HWND label_window = label->Create(0, entry.name.c_str(), entry.name.c_str(), 0, at.x, at.y, at.width, at.height,
                                      hwnd_, instance_, entry.face.c_str(), Scaled(entry.font_height),
                                      entry.colour);
    auto tooltip = std::make_unique<KToolTip>();
    if (label_window != nullptr) tooltip->Attach(label_window, instance_, entry.tooltip.c_str());
    label->SetText(entry.text.c_str());
    labels_.push_back(std::move(label));
    tooltips_.push_back(std::move(tooltip));
  }
  busy_ = false;
  ArrangeFocusOrder();
}

void SkinDialog::ArrangeFocusOrder() {
  if (hwnd_ == nullptr) return;
  std::vector<HWND> stops;
  std::vector<ControlRect> places;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP) == 0) continue;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    stops.push_back(child);
    places.push_back(ControlRect{r.left, r.top, r.right, r.bottom});
  }
  // Tab follows the children's z-order: the tab stops go to the top of it
  // in their order (they do not overlap, so nothing looks different).
  HWND after = HWND_TOP;
  for (std::size_t i : FocusOrder(places)) {
    SetWindowPos(stops[i], after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    after = stops[i];
  }
}

bool SkinDialog::HandleKeyboard(MSG& message) {
  if (hwnd_ == nullptr || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) return false;
  // Focus rings show from the first key on, as in Windows' own dialogs.
  if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) &&
      (SendMessageA(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0)
    SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  return IsDialogMessageA(hwnd_, &message) != FALSE;
}

}  // namespace vistelle
