#include "app/leftovers.h"

#include "base/file_io.h"
#include "base/paths.h"
#include "config/profile_file_replace.h"
#include "library/wallpaper_library.h"
#include "render/wallpaper_renderer.h"

namespace vistelle {

std::vector<std::string> SavingLeftovers(const std::string& program_dir) {
  const std::string config = JoinPath(program_dir, WallpaperLibrary::kConfigName);
  const std::string staging = ReplacingProfileStore::StagingNameFor(config);
  return {
      staging,
      TemporaryNameFor(staging),
      TemporaryNameFor(config),
      TemporaryNameFor(JoinPath(program_dir, WallpaperLibrary::kLibraryName)),
      TemporaryNameFor(JoinPath(program_dir, WallpaperRenderer::kWallpaperName)),
  };
}

int RemoveSavingLeftovers(const std::string& program_dir) {
  int removed = 0;
  for (const std::string& path : SavingLeftovers(program_dir))
    if (FileExists(path) && RemoveFile(path)) ++removed;
  return removed;
}

}  // namespace vistelle
