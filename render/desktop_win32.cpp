// The Windows desktop: the display modes of the monitors and the wallpaper
// setting of the user's profile.
#include <windows.h>

#include "base/win32/utf16_win32.h"
#include "render/desktop.h"

namespace vistelle {

namespace {

// Where Windows keeps how the wallpaper meets the monitors.
constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kStyleValue = "WallpaperStyle";
constexpr const char* kTileValue = "TileWallpaper";
// Style 22 with no tiling: one picture laid over the whole virtual screen.
constexpr const char* kSpanStyle = "22";
constexpr const char* kNoTile = "0";
// The user's style from before the program first spanned the canvas, kept
// until it goes back (over restarts, and for the uninstaller): the key is
// there while the span style is the program's, and holds the two values
// the user had (a value the user did not have is missing here too).
constexpr const char* kSavedStyleKey = "Software\\Vistelle\\SavedWallpaperStyle";
constexpr const char* kProgramKey = "Software\\Vistelle";

// A registry text value, or nothing.
struct RegistryText {
  bool present = false;
  std::string text;
};

RegistryText ReadText(HKEY key, const char* name) {
  RegistryText value;
  char buffer[64] = "";
  DWORD type = 0, size = sizeof buffer - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
    value.present = true;
    value.text = buffer;
  }
  return value;
}

bool WriteText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool PutBack(HKEY key, const char* name, const RegistryText& value) {
  if (value.present) return WriteText(key, name, value.text);
  const LONG result = RegDeleteValueA(key, name);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// The current mode of a display device, or false.
bool CurrentMode(const char* device, DEVMODEA& mode) {
  ZeroMemory(&mode, sizeof mode);
  mode.dmSize = sizeof mode;
  return EnumDisplaySettingsA(device, ENUM_CURRENT_SETTINGS, &mode) && mode.dmPelsWidth > 0 &&
         mode.dmPelsHeight > 0;
}

BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM data) {
  auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(data);
  MONITORINFOEXA info;
  ZeroMemory(&info, sizeof info);
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(handle, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  Monitor m;
  m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  // The monitor's rectangle is scaled down on a high-DPI display (the
  // program is not marked DPI-aware); its display mode is in real pixels,
  // and so is the mode's position, which lines the monitors up as they
  // are. The rectangle serves where the mode says nothing.
  m.x = r.left;
  m.y = r.top;
  m.width = static_cast<std::uint32_t>(r.right - r.left);
  m.height = static_cast<std::uint32_t>(r.bottom - r.top);
  DEVMODEA mode;
  if (CurrentMode(info.szDevice, mode)) {
    m.width = mode.dmPelsWidth;
    m.height = mode.dmPelsHeight;
    if (mode.dmFields & DM_POSITION) {
      m.x = mode.dmPosition.x;
      m.y = mode.dmPosition.y;
    }
  }
  // The device interface name stays the same over restarts and re-plugging,
  // so a monitor's own settings find it again.
  DISPLAY_DEVICEA device;
  ZeroMemory(&device, sizeof device);
  device.cb = sizeof device;
  if (EnumDisplayDevicesA(info.szDevice, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME)) m.device = device.DeviceID;
  monitors.push_back(m);
  return TRUE;
}

class SystemDesktop final : public Desktop {
 public:
  ScreenSize PrimaryScreenSize() override {
    // The current mode is in real pixels. GetSystemMetrics answers a smaller
    // virtual size on a scaled high-DPI display (the program is not marked
    // DPI-aware), so it is only the fallback.
    DEVMODEA mode;
    if (CurrentMode(nullptr, mode)) return ScreenSize{mode.dmPelsWidth, mode.dmPelsHeight};
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) return ScreenSize{};
    return ScreenSize{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
  }

  std::vector<Monitor> Monitors() override {
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) return Desktop::Monitors();
    return monitors;
  }

  std::string ShownWallpaper() override {
    wchar_t path[MAX_PATH * 2] = L"";
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH * 2, path, 0)) return std::string();
    return win32::Narrow(path);
  }

  bool SetWallpaper(const std::string& bmp_path) override {
    // The function takes a writable pointer but only reads the name.
    std::string path = bmp_path;
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, &path[0], SPIF_UPDATEINIFILE) != FALSE;
  }

  // Windows reads the style when the wallpaper is set, so it is written
  // first. The user's own style is kept: only a canvas across the monitors
  // needs the span style, and once the canvas is the primary's again the
  // style the program wrote goes back to what it was, also after a restart
  // (unless someone changed it meanwhile).
  bool SetWallpaperOnMonitors(const std::string& bmp_path, bool span) override {
    HKEY saved = nullptr;
    const bool spanned =
        RegOpenKeyExA(HKEY_CURRENT_USER, kSavedStyleKey, 0, KEY_QUERY_VALUE, &saved) == ERROR_SUCCESS;
    bool styled = true;
    if (span || spanned) {
      HKEY key = nullptr;
      styled = RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                               nullptr, &key, nullptr) == ERROR_SUCCESS;
      if (styled && span) {
        if (!spanned) styled = SaveStyle(key);
        styled = WriteText(key, kStyleValue, kSpanStyle) && WriteText(key, kTileValue, kNoTile) && styled;
      } else if (styled) {
        const RegistryText style = ReadText(key, kStyleValue), tile = ReadText(key, kTileValue);
        if (style.present && style.text == kSpanStyle && tile.present && tile.text == kNoTile)
          styled = PutBack(key, kStyleValue, ReadText(saved, kStyleValue)) &&
                   PutBack(key, kTileValue, ReadText(saved, kTileValue));
        // Back, or changed by the user meanwhile: no longer the program's.
        if (styled) ForgetSavedStyle();
      }
      if (key != nullptr) RegCloseKey(key);
    }
    if (saved != nullptr) RegCloseKey(saved);
    // Without the span style Windows would show the whole canvas on each
    // monitor: the change still happens, but it is not reported as done.
    return SetWallpaper(bmp_path) && styled;
  }

 private:
  // Keeps the user's style of the desktop key before it is spanned.
  static bool SaveStyle(HKEY desktop) {
    HKEY saved = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSavedStyleKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &saved,
                        nullptr) != ERROR_SUCCESS)
      return false;
    bool ok = true;
    for (const char* name : {kStyleValue, kTileValue}) {
      const RegistryText value = ReadText(desktop, name);
      if (value.present) ok = WriteText(saved, name, value.text) && ok;
    }
    RegCloseKey(saved);
    return ok;
  }
  static void ForgetSavedStyle() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSavedStyleKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kProgramKey);  // only when nothing else is in it
  }
};

}  // namespace

std::unique_ptr<Desktop> MakeSystemDesktop() { return std::make_unique<SystemDesktop>(); }

}  // namespace vistelle
