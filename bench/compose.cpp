// Composition benchmark: a 6000x4000 JPEG photo composed for 1920x1080 and
// 3840x2160 screens in stretch, centre and tiled modes. For each stage
// (decode, place, BMP encoding, the file write) it prints the median time
// and its ratio to one memcpy of the canvas measured in the same run, and
// the whole composition after decoding with the default settings.
//
//   bench_compose [runs]      (default 15 runs a measurement)
#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/profile_store.h"
#include "render/composition.h"
#include "render/desktop.h"
#include "render/image.h"
#include "render/wallpaper_renderer.h"

namespace {

using Clock = std::chrono::steady_clock;
using vistelle::Image;

double MedianMs(int runs, const std::function<void()>& setup, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    setup();
    const auto t0 = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A photo-like 6000x4000 test picture (smooth gradients and some texture,
// so the JPEG has realistic entropy), written with libjpeg at quality 90.
void WriteTestJpeg(const std::string& path, int w, int h) {
  std::vector<unsigned char> row(static_cast<std::size_t>(w) * 3);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::exit(1);
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  unsigned seed = 12345;
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) & 15);
      row[x * 3 + 0] = static_cast<unsigned char>((x * 255 / w + noise) & 255);
      row[x * 3 + 1] = static_cast<unsigned char>((y * 255 / h + ((x / 40 + y / 40) & 1) * 40) & 255);
      row[x * 3 + 2] = static_cast<unsigned char>(((x + y) * 255 / (w + h) + noise) & 255);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

class BenchDesktop final : public vistelle::Desktop {
 public:
  vistelle::ScreenSize size;
  vistelle::ScreenSize PrimaryScreenSize() override { return size; }
  bool SetWallpaper(const std::string&) override { return true; }
  void ShowError(const std::string&, const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
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

    for (const auto& [mode, name] : {std::pair{0, "stretch"}, {2, "center"}, {1, "tiled"}}) {
      Image picture, canvas;
      const double place_ms = MedianMs(
          runs, [&] { picture = photo; },
          [&] {
            canvas.Create(s.w, s.h);
            if (mode == vistelle::kPositionCenter) vistelle::FillCanvas(canvas, 0x0101FE);
            vistelle::PlacePicture(canvas, picture, mode);
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
    auto store = vistelle::MakeIniFileProfileStore();
    vistelle::WallpaperRenderer renderer(dir.string(), desktop, *store);
    renderer.SetWallpaperPath(out);
    const double whole_ms = MedianMs(runs, [&] { renderer.CurrentPicture() = photo; },
                                     [&] { renderer.ComposeWallpaper(); });
    std::printf("%-10s %-8s %-7s %7.2fms %7.1f\n\n", screen, "default", "whole", whole_ms, whole_ms / copy_ms);
  }
  return 0;
}
