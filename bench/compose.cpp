// Composition benchmark: a 6000x4000 JPEG photo composed for 1920x1080 and
// 3840x2160 screens in stretch, centre, tiled, fill and fit modes. For each
// stage (decode, place, BMP encoding, the file write) it prints the median
// time and its ratio to one memcpy of the canvas measured in the same run,
// and the whole composition after decoding with the default settings.
//
//   bench_compose [runs] [compose|effects|fill]   (default 15 runs a measurement)
//
// "fill" measures only the fill and fit positions: placing (the resampling
// straight onto the canvas), the whole composition with the calendar on,
// and fit of a smaller picture that is enlarged.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "config/profile_store.h"
#include "render/calendar.h"
#include "render/composition.h"
#include "render/effects.h"
#include "render/desktop.h"
#include "image/image.h"
#include "render/wallpaper_renderer.h"

namespace {

using vistelle::bench::MedianMs;
using vistelle::bench::WriteTestJpeg;
using vistelle::Image;

class BenchDesktop final : public vistelle::Desktop {
 public:
  vistelle::ScreenSize size;
  vistelle::ScreenSize PrimaryScreenSize() override { return size; }
  bool SetWallpaper(const std::string&) override { return true; }
};

// The program's data folder (Calendar) in the source tree.
std::string DataDir() { return (std::filesystem::path(__FILE__).parent_path().parent_path() / "data").string(); }

void BenchEffects(const Image& photo, int runs) {
  using vistelle::TEffects;
  const TEffects fx;
  struct Screen {
    unsigned w, h;
    double all_goal_ms;
  };
  std::printf("%-10s %-22s %9s %7s %8s\n", "screen", "effect", "median", "copies", "goal");
  for (const Screen s : {Screen{3840, 2160, 120.0}, Screen{1920, 1080, 30.0}}) {
    char screen[32];
    std::snprintf(screen, sizeof screen, "%ux%u", s.w, s.h);
    // The canvas as the pipeline hands it over: the photo stretched.
    Image base = photo;
    base.Resample(s.w, s.h, 1, nullptr);
    Image canvas = base;
    const std::size_t bytes = base.Stride() * base.GetHeight();
    const double copy_ms = MedianMs(runs, [] {}, [&] { std::memcpy(canvas.Bits(), base.Bits(), bytes); });
    std::printf("%-10s %-22s %7.2fms %7s\n", screen, "canvas copy", copy_ms, "1.0");

    struct Effect {
      const char* name;
      std::function<void(Image&)> apply;
      double goal_copies;
    };
    const std::vector<Effect> effects = {
        {"smart blur (repair x2)", [&](Image& i) { fx.ApplySmartBlur(i); }, 40},
        {"negative", [&](Image& i) { fx.ApplyNegative(i); }, 4},
        {"gray", [&](Image& i) { fx.ApplyGray(i); }, 4},
        {"pseudocolours", [&](Image& i) { fx.ApplyPseudocolors(i); }, 4},
        {"noise 25", [&](Image& i) { fx.ApplyNoise(i, 25); }, 10},
        {"sharpen", [&](Image& i) { fx.ApplySharpen(i); }, 8},
        {"blur", [&](Image& i) { fx.ApplyBlur(i); }, 8},
        {"contrast 20", [&](Image& i) { fx.ApplyContrast(i, 20); }, 4},
        {"brightness 20", [&](Image& i) { fx.ApplyLighten(i, 20); }, 4},
        {"colorize", [&](Image& i) { fx.ApplyColorize(i, TEffects::PackColorize(255, 212, 36)); }, 4},
    };
    for (const Effect& e : effects) {
      const double ms = MedianMs(runs, [&] { std::memcpy(canvas.Bits(), base.Bits(), bytes); },
                                 [&] { e.apply(canvas); });
      const double ratio = ms / copy_ms;
      std::printf("%-10s %-22s %7.2fms %7.1f %5.0f %s\n", screen, e.name, ms, ratio, e.goal_copies,
                  ratio <= e.goal_copies ? "ok" : "MISSED");
    }
    vistelle::TConfig all;
    all.smartblur = all.negativ = all.gray = all.pseudocolors = all.noise = 1;
    all.sharpen = all.blur = all.contrast = all.lighten = all.colorize = 1;
    const double all_ms = MedianMs(runs, [&] { std::memcpy(canvas.Bits(), base.Bits(), bytes); },
                                   [&] { fx.ApplyConfigured(canvas, all); });
    std::printf("%-10s %-22s %7.2fms %7.1f %4.0fms %s\n", screen, "all ten", all_ms, all_ms / copy_ms,
                s.all_goal_ms, all_ms <= s.all_goal_ms ? "ok" : "MISSED");

    // The calendar with the default settings and the blue background.
    vistelle::CalendarState calendar;
    calendar.SetDate(2008, 3, 5);
    const std::string data = DataDir();
    calendar.LoadBackground(data, "", 0);
    vistelle::TConfig defaults;
    const double cal_ms = MedianMs(runs, [&] { std::memcpy(canvas.Bits(), base.Bits(), bytes); },
                                   [&] { calendar.Draw(canvas, defaults, data); });
    std::printf("%-10s %-22s %7.2fms %7.1f %6s %s\n\n", screen,
                calendar.background.IsValid() ? "calendar" : "calendar (no data!)", cal_ms, cal_ms / copy_ms,
                "3ms", cal_ms <= 3.0 ? "ok" : "MISSED");
  }
}

// Fill and fit: the photo (and a 1600x1000 picture, enlarged) placed on a
// canvas kept across runs, and the whole composition as the program runs
// it (default settings but the position: the calendar on, the memory given
// back after each composition).
void BenchFillFit(const Image& photo, const std::string& jpeg, const std::string& dir, int runs) {
  Image small, source = photo;
  source.Resample(1600, 1000, 0, &small);
  std::printf("%-10s %-6s %-22s %9s %7s\n", "screen", "mode", "stage", "median", "copies");
  struct Screen {
    unsigned w, h;
  };
  for (const Screen s : {Screen{3840, 2160}, Screen{1920, 1080}}) {
    char screen[32];
    std::snprintf(screen, sizeof screen, "%ux%u", s.w, s.h);
    const std::size_t bytes = static_cast<std::size_t>(s.w) * s.h * 3;
    std::vector<unsigned char> a(bytes, 1), b(bytes, 2);
    const double copy_ms = MedianMs(runs, [] {}, [&] { std::memcpy(b.data(), a.data(), bytes); });
    std::printf("%-10s %-6s %-22s %7.2fms %7s\n", screen, "-", "memcpy", copy_ms, "1.0");
    for (const auto& [mode, name] : {std::pair{vistelle::kPositionFill, "fill"}, {vistelle::kPositionFit, "fit"}}) {
      Image canvas;
      canvas.Create(s.w, s.h);
      Image picture = photo;
      const double place_ms = MedianMs(runs, [] {}, [&] { vistelle::PlacePicture(canvas, picture, mode); });
      std::printf("%-10s %-6s %-22s %7.2fms %7.1f\n", screen, name, "place 6000x4000", place_ms, place_ms / copy_ms);
      Image enlarged = small;
      const double small_ms = MedianMs(runs, [] {}, [&] { vistelle::PlacePicture(canvas, enlarged, mode); });
      std::printf("%-10s %-6s %-22s %7.2fms %7.1f\n", screen, name, "place 1600x1000", small_ms, small_ms / copy_ms);

      BenchDesktop desktop;
      desktop.size = {s.w, s.h};
      vistelle::TConfig settings;
      settings.sposob_wyswietlania = mode;
      vistelle::WallpaperRenderer renderer(dir, desktop, settings);
      renderer.SetWallpaperPath((std::filesystem::path(dir) / "pictora.bmp").string());
      const double whole_ms = MedianMs(runs, [&] { renderer.CurrentPicture() = photo; },
                                       [&] { renderer.ComposeWallpaper(); });
      std::printf("%-10s %-6s %-22s %7.2fms %7.1f\n", screen, name,
                  renderer.Settings().active_calendar ? "whole, calendar on" : "whole (no calendar!)", whole_ms,
                  whole_ms / copy_ms);
      // As a wallpaper change runs it: the JPEG read and decoded (no larger
      // than the screen needs), then composed and written.
      const double change_ms = MedianMs(runs, [] {}, [&] {
        if (!renderer.LoadCurrentPicture(jpeg)) std::exit(1);
        renderer.ComposeWallpaper();
      });
      std::printf("%-10s %-6s %-22s %7.2fms %7.1f\n", screen, name, "from the JPEG file", change_ms,
                  change_ms / copy_ms);
      // The same with the JPEG decoded in full, as before the decoders were
      // asked for a smaller size: what the scaled decode saves.
      const double full_ms = MedianMs(runs, [] {}, [&] {
        if (!renderer.CurrentPicture().Load(jpeg)) std::exit(1);
        // Makes the preview from the picture, as loading it would.
        renderer.SetPreviewSize(vistelle::WallpaperRenderer::kPreviewWidth,
                                vistelle::WallpaperRenderer::kPreviewHeight);
        renderer.ComposeWallpaper();
      });
      std::printf("%-10s %-6s %-22s %7.2fms %7.1f\n", screen, name, "... decoded in full", full_ms,
                  full_ms / copy_ms);
    }
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
  const std::string part = argc > 2 ? argv[2] : "";
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "vistelle-bench";
  fs::create_directories(dir);
  const std::string jpeg = (dir / "photo-6000x4000.jpg").string();
  if (!fs::exists(jpeg)) WriteTestJpeg(jpeg, 6000, 4000);

  Image photo;
  const double decode_ms = MedianMs(std::max(3, runs / 3), [] {}, [&] {
    if (!photo.Load(jpeg)) std::exit(1);
  });
  std::printf("decode 6000x4000 JPEG: %.1f ms (median)\n\n", decode_ms);
  if (part == "effects") {
    BenchEffects(photo, runs);
    return 0;
  }
  if (part == "fill") {
    BenchFillFit(photo, jpeg, dir.string(), runs);
    return 0;
  }
  std::printf("%-10s %-8s %-7s %9s %7s\n", "screen", "mode", "stage", "median", "copies");

  const std::string out = (dir / "pictora.bmp").string();
  struct Screen {
    unsigned w, h;
  };
  for (const Screen s : {Screen{1920, 1080}, Screen{3840, 2160}}) {
    const std::size_t bytes = static_cast<std::size_t>(s.w) * s.h * 3;
    std::vector<unsigned char> a(bytes, 1), b(bytes, 2);
    const double copy_ms = MedianMs(runs, [] {}, [&] { std::memcpy(b.data(), a.data(), bytes); });
    char screen[32];
    std::snprintf(screen, sizeof screen, "%ux%u", s.w, s.h);
    std::printf("%-10s %-8s %-7s %7.2fms %7s\n", screen, "-", "memcpy", copy_ms, "1.0");

    for (const auto& [mode, name] : {std::pair{0, "stretch"}, {2, "center"}, {1, "tiled"}, {3, "fill"}, {4, "fit"}}) {
      // Canvas and scratch live across runs, as they do in the renderer.
      Image picture, canvas, scratch;
      const double place_ms = MedianMs(
          runs, [&] { picture = photo; },
          [&] {
            canvas.Create(s.w, s.h);
            if (mode >= vistelle::kPositionCenter) vistelle::FillCanvas(canvas, 0x0101FE);
            vistelle::PlacePicture(canvas, picture, mode, &scratch);
          });
      std::printf("%-10s %-8s %-7s %7.2fms %7.1f\n", screen, name, "place", place_ms, place_ms / copy_ms);
      if (mode == 0) {
        const double encode_ms = MedianMs(runs, [] {}, [&] { volatile auto v = canvas.EncodeBmp().size(); (void)v; });
        std::printf("%-10s %-8s %-7s %7.2fms %7.1f\n", screen, "", "encode", encode_ms, encode_ms / copy_ms);
        const double save_ms = MedianMs(runs, [] {}, [&] { canvas.Save(out, false); });
        std::printf("%-10s %-8s %-7s %7.2fms %7.1f\n", screen, "", "save", save_ms, save_ms / copy_ms);
      }
    }

    // The whole composition after decoding, default settings, as the
    // program runs it (the stretched picture is restored between runs).
    BenchDesktop desktop;
    desktop.size = {s.w, s.h};
    const vistelle::TConfig settings;
    vistelle::WallpaperRenderer renderer(dir.string(), desktop, settings);
    renderer.SetWallpaperPath(out);
    // The program gives the canvas and the resampling memory back after
    // each composition, so each one touches fresh memory.
    const double whole_ms = MedianMs(runs, [&] { renderer.CurrentPicture() = photo; },
                                     [&] { renderer.ComposeWallpaper(); });
    std::printf("%-10s %-8s %-7s %7.2fms %7.1f\n", screen, "default", "whole", whole_ms, whole_ms / copy_ms);
    // The same with the canvas and resampling memory kept between runs, as
    // a program that holds them would compose.
    const double kept_ms = MedianMs(runs, [&] { renderer.CurrentPicture() = photo; }, [&] {
      const Image& canvas = renderer.ComposeCanvas(s.w, s.h);
      canvas.Save(out, false);
    });
    std::printf("%-10s %-8s %-7s %7.2fms %7.1f\n\n", screen, "kept", "whole", kept_ms, kept_ms / copy_ms);
  }
  if (part != "compose") {
    BenchFillFit(photo, jpeg, dir.string(), runs);
    BenchEffects(photo, runs);
  }
  return 0;
}
