// A program folder of its own for a session, with a desktop that only
// records what it is handed, and small one-colour pictures to rotate.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/profile_store.h"
#include "app/session.h"
#include "library/wallpaper_library.h"
#include "image/image.h"
#include "tests/shared/test_desktop.h"
#include "tests/shared/test_dir.h"

namespace vistelle::testing {

class LibraryFixture {
 public:
  static constexpr ColorRef kPlaceholderColor = MakeColorRef(9, 9, 9);

  LibraryFixture() : store_(MakeIniFileProfileStore()) {
    std::filesystem::create_directories(dir.File("Skin"));
    WritePicture(dir.File("Skin/clear.jpg"), kPlaceholderColor);
  }

  // A 4x4 picture of one colour at path.
  static void WritePicture(const std::string& path, ColorRef color) {
    Image image;
    image.Create(4, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        image.SetPixelColor(x, y, MakeColorRef(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
    ASSERT_TRUE(image.Save(path));
  }

  // Picture i of a category: a file named p<i>.bmp in the test folder, red i.
  std::string Picture(int i) {
    const std::string path = dir.File("p" + std::to_string(i) + ".bmp");
    if (!std::filesystem::exists(path)) WritePicture(path, ColorOf(i));
    return path;
  }
  static ColorRef ColorOf(int i) { return MakeColorRef(i, 100, 200); }

  void WriteLibrary(const std::string& bytes) { dir.Write("pictora.txt", bytes); }
  void WriteSelection(int category, int wallpaper) {
    store_->WriteString(dir.File("config.ini"), "setting", "category", std::to_string(category));
    store_->WriteString(dir.File("config.ini"), "setting", "current_wallpaper", std::to_string(wallpaper));
  }
  int ReadKey(const char* key) { return store_->GetInt(dir.File("config.ini"), "setting", key, -999); }

  // A session of the folder, its library loaded.
  std::unique_ptr<Session> MakeSession() {
    auto session = std::make_unique<Session>(dir.Path(), desktop, *store_);
    session->ReadLibrary();
    return session;
  }

  // The colour of the session's preview.
  static ColorRef Shown(const Session& session) {
    const Rgba c = session.Preview().GetPixelColor(0, 0);
    return MakeColorRef(c.red, c.green, c.blue);
  }

  TestDir dir;
  TestDesktop desktop{ScreenSize{8, 6}};

 private:
  std::unique_ptr<ProfileStore> store_;
};

}  // namespace vistelle::testing
