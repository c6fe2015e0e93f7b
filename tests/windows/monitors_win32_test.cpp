// The Windows desktop's monitors and the style it hands a canvas across the
// monitors over with.
#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "config/profile_store.h"
#include "render/desktop.h"
#include "image/image.h"
#include "render/monitor_layout.h"
#include "render/wallpaper_renderer.h"
#include "tests/shared/test_dir.h"

namespace vistelle {
namespace {

TEST(SystemDesktop, MonitorsAreTheDisplayModes) {
  auto desktop = MakeSystemDesktop();
  const std::vector<Monitor> monitors = desktop->Monitors();
  ASSERT_EQ(monitors.size(), static_cast<std::size_t>(GetSystemMetrics(SM_CMONITORS)));
  int primaries = 0;
  for (const Monitor& m : monitors) {
    EXPECT_GT(m.width, 0u);
    EXPECT_GT(m.height, 0u);
    // The device interface name the monitor's own settings are kept by.
    EXPECT_EQ(m.device.rfind("\\\\?\\", 0), 0u) << m.device;
    if (!m.primary) continue;
    ++primaries;
    const ScreenSize size = desktop->PrimaryScreenSize();
    EXPECT_EQ(m.width, size.width);
    EXPECT_EQ(m.height, size.height);
    EXPECT_EQ(m.x, 0);
    EXPECT_EQ(m.y, 0);
  }
  EXPECT_EQ(primaries, 1);
}

// The user's wallpaper and style, put back after the test.
class WallpaperStyleTest : public ::testing::Test {
 protected:
  WallpaperStyleTest() {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    style_ = Read("WallpaperStyle");
    tile_ = Read("TileWallpaper");
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, wallpaper_, 0);
    Image picture;
    picture.Create(4, 4);
    EXPECT_TRUE(picture.Save(bmp_));
  }
  ~WallpaperStyleTest() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vistelle\\SavedWallpaperStyle");
    Put("WallpaperStyle", style_);
    Put("TileWallpaper", tile_);
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, wallpaper_, SPIF_UPDATEINIFILE);
    RegCloseKey(key_);
  }
  // "-" for a value that is not there.
  std::string Read(const char* name) {
    char buffer[64] = "";
    DWORD type = 0, size = sizeof buffer - 1;
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
      return "-";
    return buffer;
  }
  void Put(const char* name, const std::string& value) {
    if (value == "-")
      RegDeleteValueA(key_, name);
    else
      RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
  }
  std::string Style() { return Read("WallpaperStyle") + "/" + Read("TileWallpaper"); }

  HKEY key_ = nullptr;
  std::string style_, tile_;
  char wallpaper_[MAX_PATH] = "";
  testing::TestDir dir_;
  std::string bmp_ = dir_.File("span.bmp");
};

TEST_F(WallpaperStyleTest, TheSpanStyleIsWrittenOnlyForACanvasAcrossTheMonitors) {
  struct Step {
    bool span;
    const char* user_sets;  // "style/tile" set by the user before the step, or nullptr
    const char* after;
  };
  // One run of the program: its spanning is undone when it stops spanning,
  // unless the user chose a style of their own meanwhile.
  const Step steps[] = {
      {false, "10/1", "10/1"}, {true, nullptr, "22/0"}, {true, nullptr, "22/0"}, {false, nullptr, "10/1"},
      {false, nullptr, "10/1"}, {true, nullptr, "22/0"}, {false, "6/0", "6/0"}, {false, "-/-", "-/-"},
      {true, nullptr, "22/0"}, {false, nullptr, "-/-"},
  };
  auto desktop = MakeSystemDesktop();
  for (const Step& step : steps) {
    if (step.user_sets != nullptr) {
      const std::string set = step.user_sets;
      Put("WallpaperStyle", set.substr(0, set.find('/')));
      Put("TileWallpaper", set.substr(set.find('/') + 1));
    }
    ASSERT_TRUE(desktop->SetWallpaperOnMonitors(bmp_, step.span));
    EXPECT_EQ(Style(), step.after) << (step.span ? "spanning" : "not spanning");
    char now[MAX_PATH] = "";
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, now, 0);
    EXPECT_EQ(std::string(now), bmp_);
  }
  // A span style found at start may be the user's own: it stays.
  Put("WallpaperStyle", "22");
  Put("TileWallpaper", "0");
  ASSERT_TRUE(MakeSystemDesktop()->SetWallpaperOnMonitors(bmp_, false));
  EXPECT_EQ(Style(), "22/0");
  // The program's span style goes back after a restart too.
  Put("WallpaperStyle", "2");
  Put("TileWallpaper", "-");
  ASSERT_TRUE(MakeSystemDesktop()->SetWallpaperOnMonitors(bmp_, true));
  EXPECT_EQ(Style(), "22/0");
  ASSERT_TRUE(MakeSystemDesktop()->SetWallpaperOnMonitors(bmp_, false));
  EXPECT_EQ(Style(), "2/-");
}

// Wine reports one monitor on tools/with-xvfb's screen; tests/e2e/
// two_monitors.sh gives it two and names their sizes here.
TEST_F(WallpaperStyleTest, OnTwoMonitorsTheWallpaperSpansBoth) {
  const char* sizes = std::getenv("VISTELLE_TWO_MONITORS");
  if (sizes == nullptr) GTEST_SKIP() << "one monitor here (see tests/e2e/two_monitors.sh)";
  auto desktop = MakeSystemDesktop();
  const MonitorLayout layout(desktop->Monitors());
  ASSERT_EQ(layout.Count(), 2u);
  const Monitor &primary = layout.Monitors()[0], &other = layout.Monitors()[1];
  EXPECT_EQ(std::to_string(primary.width) + "x" + std::to_string(primary.height) + "," +
                std::to_string(other.width) + "x" + std::to_string(other.height),
            sizes);

  Image a, b;
  a.Create(40, 30);
  b.Create(30, 40);
  ASSERT_TRUE(a.Save(dir_.File("a.bmp")) && b.Save(dir_.File("b.bmp")));
  TConfig settings;
  settings.monitor_mode = 2;
  settings.active_calendar = 0;
  WallpaperRenderer renderer(dir_.Path(), *desktop, settings);
  ASSERT_TRUE(renderer.LoadCurrentPicture(dir_.File("a.bmp")));
  EXPECT_EQ(renderer.OtherMonitorCount(), 1u);
  renderer.SetOtherMonitorPictures({dir_.File("b.bmp")});
  Put("WallpaperStyle", "10");
  Put("TileWallpaper", "1");
  ASSERT_TRUE(renderer.ComposeWallpaper());
  EXPECT_EQ(Style(), "22/0");
  Image out;
  ASSERT_TRUE(out.Load(renderer.WallpaperPath()));
  EXPECT_EQ(out.GetWidth(), layout.Bounds().width);
  EXPECT_EQ(out.GetHeight(), layout.Bounds().height);
  // Back to the primary's canvas: the user's style again.
  settings.monitor_mode = 0;
  ASSERT_TRUE(renderer.ComposeWallpaper());
  EXPECT_EQ(Style(), "10/1");
  ASSERT_TRUE(out.Load(renderer.WallpaperPath()));
  EXPECT_EQ(out.GetWidth(), primary.width);
}

}  // namespace
}  // namespace vistelle
