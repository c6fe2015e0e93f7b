// Every monitor: the layout, its text, the wallpaper across the monitors and
// the rotation's pictures for the monitors besides the primary.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/rotation.h"
#include "render/monitor_layout.h"
#include "render/wallpaper_renderer.h"
#include "tests/native/library_fixture.h"
#include "tests/shared/test_desktop.h"
#include "tests/shared/test_dir.h"
#include "tests/shared/test_settings.h"

namespace vistelle {
namespace {

Monitor M(std::int32_t x, std::int32_t y, std::uint32_t w, std::uint32_t h, bool primary = false) {
  Monitor m;
  m.x = x, m.y = y, m.width = w, m.height = h, m.primary = primary;
  return m;
}

// "x,y WxH" of each monitor in the layout's order, the primary marked "*",
// each followed by its place on the canvas (y from the bottom), then the
// bounding box.
std::string Text(const MonitorLayout& layout) {
  std::string text;
  for (std::size_t i = 0; i < layout.Count(); ++i) {
    const Monitor& m = layout.Monitors()[i];
    const CanvasRect r = layout.InCanvas(i);
    text += (m.primary ? "*" : "") + std::to_string(m.x) + "," + std::to_string(m.y) + " " + std::to_string(m.width) +
            "x" + std::to_string(m.height) + " at " + std::to_string(r.x) + "," + std::to_string(r.y) + "; ";
  }
  const VirtualRect b = layout.Bounds();
  return text + "box " + std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) + "x" +
         std::to_string(b.height);
}

TEST(MonitorLayout, OrdersPlacesAndBoundsTheMonitors) {
  struct Case {
    std::vector<Monitor> given;
    const char* expected;
  };
  const Case cases[] = {
      // Side by side; the primary on the right; above and to the left.
      {{M(0, 0, 1024, 768, true), M(1024, 100, 800, 600)},
       "*0,0 1024x768 at 0,0; 1024,100 800x600 at 1024,68; box 0,0 1824x768"},
      {{M(-1280, 0, 1280, 1024), M(0, 0, 1920, 1080, true)},
       "*0,0 1920x1080 at 1280,0; -1280,0 1280x1024 at 0,56; box -1280,0 3200x1080"},
      {{M(0, 0, 800, 600, true), M(-800, -300, 800, 600)},
       "*0,0 800x600 at 800,0; -800,-300 800x600 at 0,300; box -800,-300 1600x900"},
      // Stacked, the other one above: its rows are the canvas's top ones.
      {{M(0, -1080, 1920, 1080), M(0, 0, 1920, 1080, true)},
       "*0,0 1920x1080 at 0,0; 0,-1080 1920x1080 at 0,1080; box 0,-1080 1920x2160"},
      // Three of mixed sizes: the others by left edge.
      {{M(1920, 0, 1280, 1024), M(0, 0, 1920, 1080, true), M(-1080, -400, 1080, 1920)},
       "*0,0 1920x1080 at 1080,440; -1080,-400 1080x1920 at 0,0; 1920,0 1280x1024 at 3000,496; "
       "box -1080,-400 4280x1920"},
      {{M(0, 0, 800, 600, true), M(1000, 0, 800, 600)},  // a gap between
       "*0,0 800x600 at 0,0; 1000,0 800x600 at 1000,0; box 0,0 1800x600"},
      {{M(1920, 500, 100, 100), M(0, 0, 1920, 1080, true), M(1920, -500, 100, 100)},  // same left edge: by top
       "*0,0 1920x1080 at 0,0; 1920,-500 100x100 at 1920,1480; 1920,500 100x100 at 1920,480; box 0,-500 2020x1580"},
      {{M(0, 0, 640, 480, true)}, "*0,0 640x480 at 0,0; box 0,0 640x480"},
      {{M(100, 0, 50, 40), M(-100, 0, 50, 40)},  // none flagged: the first by left edge
       "*-100,0 50x40 at 0,0; 100,0 50x40 at 200,0; box -100,0 250x40"},
      {{M(0, 0, 0, 768), M(0, 0, 64, 48, true), M(64, 0, 10, 0)},  // without area: left out
       "*0,0 64x48 at 0,0; box 0,0 64x48"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(MonitorLayout(c.given)), c.expected);
  EXPECT_FALSE(MonitorLayout().CanvasAcceptable());
  EXPECT_FALSE(MonitorLayout({M(0, 0, 30000, 10, true), M(30000, 0, 30000, 10)}).CanvasAcceptable());
}

TEST(ParseMonitorLayout, ReadsGoodTextsAndRefusesBadOnes) {
  struct Good {
    const char* text;
    const char* expected;
  };
  const Good good[] = {
      {"1024x768+0+0,800x600+1024+168", "*0,0 1024x768 at 0,0; 1024,168 800x600 at 1024,0; box 0,0 1824x768"},
      {"800x600+0+0,800x600-800+0", "*0,0 800x600 at 800,0; -800,0 800x600 at 0,0; box -800,0 1600x600"},
      {" 640X480+0+0 ,\t320x200-320-200 ",
       "*0,0 640x480 at 320,0; -320,-200 320x200 at 0,480; box -320,-200 960x680"},
      {"1x1+0+0,1x1+1+0,1x1+0+1", "*0,0 1x1 at 0,1; 0,1 1x1 at 0,0; 1,0 1x1 at 1,1; box 0,0 2x2"},
      {"32767x1+0+0", "*0,0 32767x1 at 0,0; box 0,0 32767x1"},
      {"100x100+32767-32767", "*32767,-32767 100x100 at 0,0; box 32767,-32767 100x100"},
  };
  for (const Good& g : good) {
    MonitorLayout layout;
    std::string error;
    ASSERT_TRUE(ParseMonitorLayout(g.text, layout, &error)) << g.text << ": " << error;
    EXPECT_EQ(Text(layout), g.expected);
  }
  std::string many;
  for (int i = 0; i < 65; ++i) many += (i ? "," : "") + std::string("10x10+") + std::to_string(i * 10) + "+0";
  const std::string bad[] = {
      "", ",", " ", "1024x768", "1024x768+0", "1024x768+0+", "1024x768+0+0,", ",1024x768+0+0",
      "1024x768+0+0;800x600+1024+0", "1024 x768+0+0", "1024x768 +0+0", "1024x768++0+0", "1024x768+0+0x",
      "0x768+0+0", "1024x0+0+0", "32768x1+0+0", "-1024x768+0+0", "1024x768+32768+0", "1024x768+0-32768",
      "+1024x768+0+0", "1024*768+0+0", "1024x768+0+0,800x600+1000+100",  // overlapping
      "20000x1+0+0,20000x1+20000+0",  // wider than one canvas
      "99999999999999999999x1+0+0", many,
  };
  for (const std::string& text : bad) {
    MonitorLayout layout({M(0, 0, 7, 7, true)});
    std::string error;
    EXPECT_FALSE(ParseMonitorLayout(text, layout, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(layout.Count(), 1u) << text;  // unchanged
  }
}

// The composer's pictures go to the monitors in the order they are written
// in, whatever the layout's own order.
TEST(ParseMonitorLayout, PicturesFollowTheOrderTheMonitorsAreWrittenIn) {
  struct Case {
    const char* text;
    std::vector<std::string> pictures;
    std::vector<std::string> others;  // in the layout's order
  };
  const Case cases[] = {
      {"100x100+0+0,100x100+100+0,100x100-100+0", {"p", "right", "left"}, {"left", "right"}},
      {"100x100+0+0,100x100+0+100,100x100+0-100", {"p", "below", "above"}, {"above", "below"}},
      {"100x100+0+0,100x100+100+0,100x100-100+0", {"p", "right"}, {"p", "right"}},  // left has none
      {"100x100+0+0,100x100+100+0,100x100-100+0", {"p", "right", "left", "extra"}, {"left", "right"}},
      {"100x100+0+0,100x100-100+0,100x100+100+0", {"p", "left"}, {"left"}},
      {"100x100+0+0", {"p", "unused"}, {}},
  };
  for (const Case& c : cases) {
    MonitorLayout layout;
    std::vector<Monitor> given;
    ASSERT_TRUE(ParseMonitorLayout(c.text, layout, nullptr, &given)) << c.text;
    EXPECT_EQ(OtherPicturesInLayoutOrder(layout, given, c.pictures), c.others) << c.text;
  }
}

// A picture whose every pixel tells where it came from, tinted by a seed so
// that the pictures of the monitors differ.
Image Numbered(std::uint32_t w, std::uint32_t h, int seed) {
  Image img;
  img.Create(w, h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) img.SetPixelColor(x, y, MakeColorRef(x * 3 + seed, y * 5, 40 * seed + 7));
  return img;
}

Image Cut(const Image& canvas, const CanvasRect& r) {
  Image part;
  part.Create(r.width, r.height);
  for (std::uint32_t y = 0; y < r.height; ++y)
    std::memcpy(part.Row(y), canvas.Row(r.y + y) + static_cast<std::size_t>(r.x) * 3, r.width * std::size_t{3});
  return part;
}

bool Black(const Image& canvas, std::uint32_t x, std::uint32_t y) {
  const Rgba p = canvas.GetPixelColor(x, y);
  return p.red == 0 && p.green == 0 && p.blue == 0;
}

class SpanTest : public ::testing::Test {
 protected:
  SpanTest() {
    pictures_ = {Save("a.bmp", Numbered(70, 50, 1)), Save("b.bmp", Numbered(33, 61, 2)),
                 Save("c.bmp", Numbered(250, 190, 3)), std::string(VISTELLE_SOURCE_DIR) + "/tests/data/ref_rgba.png",
                 std::string(VISTELLE_SOURCE_DIR) + "/data/Skin/clear.jpg"};
  }
  std::string Save(const std::string& name, const Image& img) {
    EXPECT_TRUE(img.Save(dir_.File(name)));
    return dir_.File(name);
  }
  void Configure(int position, int mode, bool calendar, const std::string& extra = "") {
    dir_.Write("config.ini", "[setting]\r\nsposob_wyswietlania=" + std::to_string(position) +
                                 "\r\nmonitor_mode=" + std::to_string(mode) + "\r\nCactivecalendar=" +
                                 (calendar ? "1" : "0") + "\r\nCRGB_background_R=10\r\n" + extra);
  }
  // The wallpaper the renderer composes on the desktop, from the first
  // picture and the others for the other monitors.
  // others_first: the others are set before the first picture loads, as
  // the rotation does (they decode ahead, on a second thread).
  Image Compose(testing::TestDesktop& desktop, const std::vector<std::string>& paths, const std::string& name,
                bool others_first = false) {
    const TConfig r_settings = testing::SettingsIn(dir_.Path());
    WallpaperRenderer r(dir_.Path(), desktop, r_settings);
    r.Calendar().SetDate(2024, 3, 15);
    r.LoadCalendarBackground(std::string(VISTELLE_SOURCE_DIR) + "/data/Calendar/calendar1.jpg", -1);
    r.SetWallpaperPath(dir_.File(name));
    const std::vector<std::string> others(paths.begin() + 1, paths.end());
    if (others_first) r.SetOtherMonitorPictures(others);
    EXPECT_TRUE(r.LoadCurrentPicture(paths[0]));
    if (!others_first) r.SetOtherMonitorPictures(others);
    EXPECT_TRUE(r.ComposeWallpaper());
    EXPECT_FALSE(r.CurrentPicture().IsValid());  // given back
    Image out;
    EXPECT_TRUE(out.Load(dir_.File(name)));
    return out;
  }
  testing::TestDir dir_;
  std::unique_ptr<ProfileStore> store_ = MakeIniFileProfileStore();
  std::vector<std::string> pictures_;
};

TEST_F(SpanTest, EachMonitorShowsWhatAScreenOfItsSizeWould) {
  struct Case {
    const char* name;
    int position, mode;
    std::vector<Monitor> monitors;
    std::vector<int> pictures;  // of pictures_, the primary's first
  };
  const std::vector<Monitor> mixed = {M(300, 40, 250, 213), M(0, 0, 300, 240, true), M(-120, -60, 120, 160)};
  const std::vector<Monitor> stacked = {M(0, 0, 240, 220, true), M(20, -150, 200, 150)};
  const std::vector<Monitor> gap = {M(0, 0, 240, 220, true), M(300, 10, 97, 61)};
  const Case cases[] = {
      {"stretch, same picture", 0, 1, mixed, {0}},
      {"stretch, alpha, same picture", 0, 1, mixed, {3}},
      {"centre, same picture", 2, 1, stacked, {2}},
      {"tiled, same picture", 1, 1, gap, {1}},
      {"fill, same picture", 3, 1, mixed, {1}},
      {"fit, same picture", 4, 1, stacked, {2}},
      {"stretch, one each", 0, 2, mixed, {0, 1, 3}},
      {"fill, one each from a JPEG", 3, 2, mixed, {2, 4, 4}},
      {"fit, one each from a JPEG", 4, 2, gap, {4, 4}},
      {"tiled, one each", 1, 2, stacked, {1, 2}},
      {"centre, fewer pictures than monitors", 2, 2, mixed, {1, 0}},
  };
  for (const Case& c : cases) {
    Configure(c.position, c.mode, true, "Sharpen=1\r\nContrast=1\r\n");
    testing::TestDesktop desktop;
    desktop.monitors = c.monitors;
    std::vector<std::string> paths;
    for (int p : c.pictures) paths.push_back(pictures_[static_cast<std::size_t>(p)]);
    const Image span = Compose(desktop, paths, "span.bmp");
    ASSERT_EQ(desktop.spans, std::vector<bool>{true}) << c.name;
    const MonitorLayout layout(c.monitors);
    ASSERT_EQ(span.GetWidth(), layout.Bounds().width) << c.name;
    ASSERT_EQ(span.GetHeight(), layout.Bounds().height) << c.name;
    for (std::size_t i = 0; i < layout.Count(); ++i) {
      const Monitor& m = layout.Monitors()[i];
      // The calendar on the primary monitor alone.
      Configure(c.position, 0, i == 0, "Sharpen=1\r\nContrast=1\r\n");
      testing::TestDesktop screen(ScreenSize{m.width, m.height});
      const std::size_t picture = c.mode == 2 && i < paths.size() ? i : 0;
      const Image alone = Compose(screen, {paths[picture]}, "alone.bmp");
      EXPECT_EQ(Cut(span, layout.InCanvas(i)).EncodeBmp(), alone.EncodeBmp()) << c.name << ", monitor " << i;
    }
  }
}

TEST_F(SpanTest, TheCalendarIsOnThePrimaryAloneAndNoMonitorIsBlack) {
  // The primary on the right, a monitor above and left of it and one below
  // and right, with corners of the box that no monitor covers.
  const std::vector<Monitor> monitors = {M(-300, -100, 300, 240), M(0, 0, 260, 220, true), M(260, 100, 100, 80)};
  const MonitorLayout layout(monitors);
  std::vector<Image> spans;
  for (bool calendar : {false, true}) {
    Configure(2, 2, calendar, "Cposition=8\r\n");  // bottom right
    testing::TestDesktop desktop;
    desktop.monitors = monitors;
    spans.push_back(Compose(desktop, {pictures_[0], pictures_[1], pictures_[2]}, "span.bmp"));
  }
  const CanvasRect p = layout.InCanvas(0);
  std::size_t changed = 0;
  for (std::uint32_t y = 0; y < spans[0].GetHeight(); ++y)
    for (std::uint32_t x = 0; x < spans[0].GetWidth(); ++x) {
      const bool inside_primary = x >= p.x && x < p.x + p.width && y >= p.y && y < p.y + p.height;
      const bool differs = std::memcmp(spans[0].Row(y) + x * 3, spans[1].Row(y) + x * 3, 3) != 0;
      ASSERT_TRUE(inside_primary || !differs) << x << "," << y;
      changed += differs;
      bool on_a_monitor = false;
      for (std::size_t i = 0; i < layout.Count(); ++i) {
        const CanvasRect r = layout.InCanvas(i);
        on_a_monitor = on_a_monitor || (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height);
      }
      // Black only where no monitor is: the background colour (red 10)
      // or a picture shows on every monitor here.
      ASSERT_EQ(Black(spans[1], x, y), !on_a_monitor) << x << "," << y;
    }
  EXPECT_GT(changed, 1000u);
}

TEST_F(SpanTest, OnOneMonitorEveryModeGivesModeZerosWallpaper) {
  for (int position : {0, 1, 2, 3, 4}) {
    Configure(position, 0, true);
    testing::TestDesktop zero(ScreenSize{300, 240});
    Compose(zero, {pictures_[4]}, "zero.bmp");
    const std::string expected = dir_.Read("zero.bmp");
    for (int mode : {1, 2}) {
      Configure(position, mode, true);
      for (bool listed : {false, true}) {
        testing::TestDesktop desktop(ScreenSize{300, 240});
        if (listed) desktop.monitors = {M(0, 0, 300, 240, true)};
        Compose(desktop, {pictures_[4], pictures_[0]}, "one.bmp");
        EXPECT_EQ(dir_.Read("one.bmp"), expected) << "position " << position << ", mode " << mode;
        EXPECT_EQ(desktop.spans, std::vector<bool>{false});
      }
    }
  }
}

TEST_F(SpanTest, ModeZeroKeepsThePrimaryAndTheLayoutIsReadAtEachComposition) {
  testing::TestDesktop desktop(ScreenSize{240, 220});
  desktop.monitors = {M(0, 0, 240, 220, true), M(240, 0, 100, 100)};
  Configure(0, 0, false);
  EXPECT_EQ(Compose(desktop, {pictures_[0]}, "out.bmp").GetWidth(), 240u);
  Configure(0, 1, false);
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop, r_settings);
  ASSERT_TRUE(r.LoadCurrentPicture(pictures_[0]));
  ASSERT_TRUE(r.ComposeWallpaper());
  desktop.monitors.push_back(M(-50, 0, 50, 300));
  ASSERT_TRUE(r.ComposeWallpaper());
  desktop.monitors.clear();
  ASSERT_TRUE(r.ComposeWallpaper());
  EXPECT_EQ(desktop.spans, (std::vector<bool>{false, true, true, false}));
  Image out;
  ASSERT_TRUE(out.Load(r.WallpaperPath()));
  EXPECT_EQ(out.GetWidth(), 240u);  // one monitor again
}

// The other monitors' pictures decoded ahead on a second thread give the
// wallpaper they give decoded as their monitors are composed; a later
// composition (after a change of the layout) decodes them again.
TEST_F(SpanTest, PicturesDecodedAheadGiveTheSameWallpaper) {
  const std::vector<Monitor> monitors = {M(0, 0, 120, 100, true), M(120, 0, 90, 70), M(-100, 30, 100, 80)};
  for (int position : {0, 2, 3, 4}) {
    SCOPED_TRACE("position " + std::to_string(position));
    Configure(position, 2, true);
    testing::TestDesktop desktop;
    desktop.monitors = monitors;
    const std::vector<std::string> paths = {pictures_[0], pictures_[2], pictures_[3]};
    const Image as_composed = Compose(desktop, paths, "late.bmp");
    const Image ahead = Compose(desktop, paths, "ahead.bmp", true);
    EXPECT_EQ(ahead.EncodeBmp(), as_composed.EncodeBmp());
  }
  Configure(3, 2, false);
  testing::TestDesktop desktop;
  desktop.monitors = monitors;
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop, r_settings);
  r.SetWallpaperPath(dir_.File("twice.bmp"));
  r.SetOtherMonitorPictures({pictures_[1], pictures_[2]});
  ASSERT_TRUE(r.LoadCurrentPicture(pictures_[0]));
  ASSERT_TRUE(r.ComposeWallpaper());
  const std::string first = dir_.Read("twice.bmp");
  ASSERT_TRUE(r.ComposeWallpaper());
  EXPECT_EQ(r.FailedOtherPictures(), 0u);
  EXPECT_EQ(dir_.Read("twice.bmp"), first);
  // A first picture that does not load ends the change: the others go too,
  // and the next composition still finds them.
  r.SetOtherMonitorPictures({pictures_[1], pictures_[2]});
  EXPECT_FALSE(r.LoadCurrentPicture(dir_.File("gone.bmp")));
  ASSERT_TRUE(r.ComposeWallpaper());
  EXPECT_EQ(r.FailedOtherPictures(), 0u);
  EXPECT_EQ(dir_.Read("twice.bmp"), first);
}

TEST_F(SpanTest, AnOtherMonitorsPictureThatDoesNotLoadShowsTheCurrentOne) {
  Configure(2, 2, false);
  const std::vector<Monitor> monitors = {M(0, 0, 120, 100, true), M(120, 0, 120, 100), M(240, 0, 120, 100)};
  testing::TestDesktop desktop;
  desktop.monitors = monitors;
  const TConfig r_settings = testing::SettingsIn(dir_.Path());
  WallpaperRenderer r(dir_.Path(), desktop, r_settings);
  r.SetWallpaperPath(dir_.File("span.bmp"));
  ASSERT_TRUE(r.LoadCurrentPicture(pictures_[0]));
  r.SetOtherMonitorPictures({dir_.File("gone.bmp"), pictures_[1]});
  ASSERT_TRUE(r.ComposeWallpaper());
  EXPECT_EQ(r.FailedOtherPictures(), 1u);
  Image span;
  ASSERT_TRUE(span.Load(dir_.File("span.bmp")));
  const MonitorLayout layout(monitors);
  EXPECT_EQ(Cut(span, layout.InCanvas(1)).EncodeBmp(), Cut(span, layout.InCanvas(0)).EncodeBmp());
  EXPECT_NE(Cut(span, layout.InCanvas(2)).EncodeBmp(), Cut(span, layout.InCanvas(0)).EncodeBmp());
}

// A library of one category of five pictures on three monitors.
class OtherMonitorsTest : public ::testing::Test {
 protected:
  void Load(int pictures, std::size_t monitors) {
    std::string text = "Five\r\n";
    for (int i = 0; i < pictures; ++i) text += f.Picture(i) + "\r\n";
    f.WriteLibrary(text);
    f.WriteSelection(0, 0);
    for (std::size_t i = 0; i < monitors; ++i)
      f.desktop.monitors.push_back(M(static_cast<std::int32_t>(i) * 8, 0, 8, 6, i == 0));
    session = f.MakeSession();
    library = &session->Library();
    session->MutableSettings().monitor_mode = 2;
    rotation = &session->WallpaperRotation();
  }
  std::vector<int> Others() const {
    std::vector<int> positions;
    for (const std::string& path : session->Renderer().OtherMonitorPictures()) {
      const auto& pictures = library->CurrentCategory()->pictures;
      positions.push_back(static_cast<int>(std::find(pictures.begin(), pictures.end(), path) - pictures.begin()));
    }
    return positions;
  }
  testing::LibraryFixture f;
  std::unique_ptr<Session> session;
  WallpaperLibrary* library = nullptr;
  Rotation* rotation = nullptr;
};

TEST_F(OtherMonitorsTest, InSequenceTheOthersShowTheNextPicturesWrapping) {
  struct Case {
    int pictures;
    std::size_t monitors;
    std::int32_t index;
    std::vector<int> others;
  };
  const Case cases[] = {
      {5, 3, 0, {1, 2}}, {5, 3, 3, {4, 0}}, {5, 3, 4, {0, 1}}, {2, 3, 1, {0, 1}}, {1, 3, 0, {0, 0}}, {5, 1, 2, {}},
  };
  for (const Case& c : cases) {
    f.desktop.monitors.clear();
    Load(c.pictures, c.monitors);
    ASSERT_EQ(rotation->SetWallpaperAt(c.index, true), ChangeResult::kChanged);
    EXPECT_EQ(library->currentWallpaper, c.index);  // the primary's
    EXPECT_EQ(Others(), c.others) << c.pictures << " pictures, " << c.monitors << " monitors, at " << c.index;
  }
  // The primary's picture missing: the others stay as they were too.
  f.desktop.monitors.clear();
  Load(5, 3);
  rotation->SetWallpaperAt(1, true);
  library->CategoryAt(0).pictures[4] = f.dir.File("missing.bmp");
  const std::size_t handed = f.desktop.wallpapers.size();
  EXPECT_EQ(rotation->SetWallpaperAt(4, true), ChangeResult::kPictureMissing);
  EXPECT_EQ(Others(), (std::vector<int>{2, 3}));
  EXPECT_EQ(f.desktop.wallpapers.size(), handed + 1);  // composed as it was
  // The same picture on every monitor: none of their own.
  session->MutableSettings().monitor_mode = 1;
  rotation->SetWallpaperAt(1, true);
  EXPECT_TRUE(Others().empty());
}

TEST_F(OtherMonitorsTest, AtRandomTheOthersAreDistinctAsFarAsTheCategoryAllows) {
  struct Case {
    int pictures;
    std::size_t monitors;
  };
  for (const Case c : {Case{5, 3}, Case{5, 5}, Case{3, 4}, Case{2, 4}}) {
    f.desktop.monitors.clear();
    Load(c.pictures, c.monitors);
    session->MutableSettings().sposob_wybierania = 1;
    std::set<std::vector<int>> seen;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
      rotation->SeedRandom(seed);
      rotation->ChangeAutomatically();
      const int primary = library->currentWallpaper;
      const std::vector<int> others = Others();
      ASSERT_EQ(others.size(), c.monitors - 1);
      // Each round of pictures-1 draws holds every picture but the
      // primary's once.
      for (std::size_t round = 0; round < others.size(); round += c.pictures - 1) {
        std::set<int> distinct;
        for (std::size_t k = round; k < std::min(others.size(), round + c.pictures - 1); ++k) {
          EXPECT_NE(others[k], primary);
          EXPECT_TRUE(distinct.insert(others[k]).second) << c.pictures << " pictures, seed " << seed;
        }
      }
      seen.insert(others);
    }
    EXPECT_GT(seen.size(), c.pictures == 2 ? 1u : 3u) << c.pictures << " pictures";
  }
}

TEST_F(OtherMonitorsTest, OnOneMonitorNothingIsDrawnForOthers) {
  Load(5, 1);
  session->MutableSettings().sposob_wybierania = 1;
  rotation->SeedRandom(9);
  rotation->SetWallpaperAt(2, true);
  Rotation fresh(*library, session->MutableSettings(), session->Renderer());
  fresh.SeedRandom(9);
  EXPECT_EQ(rotation->DrawBelow(1000000), fresh.DrawBelow(1000000));
}

}  // namespace
}  // namespace vistelle
