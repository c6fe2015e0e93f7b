#include "app/wallpaper_history.h"

namespace vistelle {

void WallpaperHistory::Shown(const std::string& path) {
  if (path.empty()) return;
  if (!paths_.empty()) paths_.resize(place_ + 1);
  if (!paths_.empty() && paths_.back() == path) return;
  paths_.push_back(path);
  if (paths_.size() > kLength) paths_.erase(paths_.begin(), paths_.end() - kLength);
  place_ = paths_.size() - 1;
}

std::string WallpaperHistory::Move(int step, const std::function<bool(const std::string&)>& exists) {
  for (std::size_t at = place_; !paths_.empty();) {
    if (step < 0 ? at == 0 : at + 1 >= paths_.size()) break;
    at = step < 0 ? at - 1 : at + 1;
    if (!exists || exists(paths_[at])) {
      place_ = at;
      return paths_[at];
    }
  }
  return std::string();
}

std::string WallpaperHistory::Back(const std::function<bool(const std::string&)>& exists) {
  return Move(-1, exists);
}

std::string WallpaperHistory::Forward(const std::function<bool(const std::string&)>& exists) {
  return Move(1, exists);
}

std::string WallpaperHistory::Serialize() const {
  std::string text = std::to_string(place_) + "\r\n";
  for (const std::string& path : paths_) text += path + "\r\n";
  return text;
}

void WallpaperHistory::Parse(std::string_view text) {
  paths_.clear();
  place_ = 0;
  std::size_t place = 0;
  bool first = true, numbered = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      first = false;
      numbered = !line.empty() && line.size() <= 4 && line.find_first_not_of("0123456789") == std::string_view::npos;
      if (numbered) {
        place = std::stoul(std::string(line));
        continue;
      }
    }
    if (line.empty() || line.find('\0') != std::string_view::npos) continue;
    paths_.emplace_back(line);
  }
  if (paths_.size() > kLength) {
    const std::size_t dropped = paths_.size() - kLength;
    paths_.erase(paths_.begin(), paths_.begin() + static_cast<std::ptrdiff_t>(dropped));
    place = place >= dropped ? place - dropped : 0;
  }
  place_ = paths_.empty() ? 0 : (numbered && place < paths_.size() ? place : paths_.size() - 1);
}

}  // namespace vistelle
