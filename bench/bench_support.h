// What the benchmarks share: the median of timed runs, a desktop that only
// reports a size, and a photo-like JPEG to decode. Header only: every
// bench/*.cpp is a program of its own.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "render/desktop.h"

namespace vistelle::bench {

using Clock = std::chrono::steady_clock;

// The median of runs timings of work, each after an untimed before.
inline double MedianMs(int runs, const std::function<void()>& before, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    before();
    const auto t0 = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

inline double MedianMs(int runs, const std::function<void()>& work) { return MedianMs(runs, [] {}, work); }

// The number of runs a measurement: the first argument, else the default.
inline int RunsFrom(int argc, char** argv, int fallback) {
  return argc > 1 ? std::max(1, std::atoi(argv[1])) : fallback;
}

// An empty folder of that name in the temporary folder (emptied first).
inline std::filesystem::path FreshFolder(const char* name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// A desktop for benchmarks that never look at the screen.
class NoDesktop final : public Desktop {
 public:
  ScreenSize PrimaryScreenSize() override { return ScreenSize{1, 1}; }
  bool SetWallpaper(const std::string&) override { return true; }
};

// A photo-like picture (smooth gradients and some texture, so that the JPEG
// has realistic entropy) written with libjpeg at quality 90. seed varies
// the texture, shift the red gradient, so that several pictures differ.
inline void WriteTestJpeg(const std::string& path, int w, int h, unsigned seed = 12345, int shift = 0) {
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
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < w; ++x) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) & 15);
      row[x * 3 + 0] = static_cast<unsigned char>((x * 255 / w + noise + shift) & 255);
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

}  // namespace vistelle::bench
