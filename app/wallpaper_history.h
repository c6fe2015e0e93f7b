// The wallpapers shown lately, across categories and monitors' changes, so
// that "Back" and "Forward" can go through them again: the last kLength,
// oldest first, and the place of the one on the desktop among them. Kept
// in memory and in "history.txt" in the program's folder (UTF-8, the
// place, then a path a line).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vistelle {

class WallpaperHistory {
 public:
  static constexpr std::size_t kLength = 50;
  static constexpr const char* kFileName = "history.txt";

  // A new wallpaper from the rotation or the user: what was ahead of the
  // place ("Forward") is dropped, and the oldest once there are more than
  // kLength. The same picture again is not shown twice in a row.
  void Shown(const std::string& path);

  // The picture before (Back) or after (Forward) the place, skipping those
  // for which exists is false; the place moves to it. Empty, with the place
  // as it was, when there is none.
  std::string Back(const std::function<bool(const std::string&)>& exists);
  std::string Forward(const std::function<bool(const std::string&)>& exists);

  const std::vector<std::string>& Paths() const { return paths_; }
  std::size_t Place() const { return place_; }

  std::string Serialize() const;
  // Reads what Serialize wrote; anything else gives what of it reads (a
  // place out of range is the last picture).
  void Parse(std::string_view text);

 private:
  std::string Move(int step, const std::function<bool(const std::string&)>& exists);

  std::vector<std::string> paths_;
  std::size_t place_ = 0;  // below paths_.size() when there are any
};

}  // namespace vistelle
