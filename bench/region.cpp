// Outline benchmark: the row runs of the default skin's mask, found as the
// skinned window does when it loads its skin, and the same for a mask of
// many small holes (worst case: a run at every other pixel). Prints the
// median time of each; the default skin must take under 5 ms.
//
//   bench_region [runs] [skin.ini]   (default 101 runs, data/Skin/skin.ini)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "config/ini_document.h"
#include "image/image.h"
#include "skin/region_runs.h"
#include "skin/skin_file.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr vistelle::ColorRef kWhite = vistelle::MakeColorRef(255, 255, 255);

struct Result {
  double median_ms;
  std::size_t runs;
};

Result Measure(const vistelle::Image& mask, int times) {
  std::vector<double> ms;
  std::size_t count = 0;
  for (int i = 0; i < times; ++i) {
    const auto t0 = Clock::now();
    const std::vector<vistelle::RegionRect> runs = vistelle::RegionRunsOf(mask, kWhite, 0);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    count = runs.size();
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], count};
}

}  // namespace

int main(int argc, char** argv) {
  const int times = argc > 1 ? std::max(1, std::atoi(argv[1])) : 101;
  const std::string ini_path = argc > 2 ? argv[2] : "data/Skin/skin.ini";

  std::vector<std::uint8_t> bytes;
  if (!vistelle::ReadWholeFile(ini_path, bytes, 1u << 20)) {
    std::fprintf(stderr, "bench_region: cannot read %s (run it from the source folder)\n", ini_path.c_str());
    return 1;
  }
  const vistelle::IniDocument ini(std::string(bytes.begin(), bytes.end()));
  const vistelle::SkinDescription skin = vistelle::ReadSkinDescription(
      [&ini](const std::string& section, const std::string& key) { return ini.Get(section, key).value_or(""); });
  std::string folder = ini_path;
  const std::size_t slash = folder.find_last_of('/');
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);

  vistelle::Image mask;
  if (!mask.Load(folder + skin.screen.mask)) {
    std::fprintf(stderr, "bench_region: cannot load the mask %s\n", (folder + skin.screen.mask).c_str());
    return 1;
  }
  const Result skin_result = Measure(mask, times);
  std::printf("default skin mask %ux%u: %zu runs, median %.3f ms over %d runs\n", mask.GetWidth(), mask.GetHeight(),
              skin_result.runs, skin_result.median_ms, times);

  vistelle::Image holes;
  holes.Create(mask.GetWidth(), mask.GetHeight());
  for (std::uint32_t y = 0; y < holes.GetHeight(); ++y) {
    std::uint8_t* row = holes.Row(y);
    for (std::uint32_t x = (y & 1); x < holes.GetWidth(); x += 2) row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = 255;
  }
  const Result holes_result = Measure(holes, times);
  std::printf("every other pixel white, same size: %zu runs, median %.3f ms\n", holes_result.runs,
              holes_result.median_ms);

  if (skin_result.median_ms >= 5.0) {
    std::printf("FAIL: the default skin's outline takes %.3f ms (limit 5 ms)\n", skin_result.median_ms);
    return 1;
  }
  std::printf("ok: under the 5 ms limit\n");
  return 0;
}
