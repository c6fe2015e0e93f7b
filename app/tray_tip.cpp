#include "app/tray_tip.h"

#include "app/countdown.h"
#include "library/library_text.h"

namespace vistelle {

namespace {

constexpr std::string_view kEllipsis = "...";

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string NextChangeText(std::int64_t minutes) { return "Next change in " + std::to_string(minutes) + " min."; }

std::string TrayTipText(std::string_view picture_path, const TConfig& settings, bool category_selected) {
  std::string tip = kTrayTipTitle;
  std::string last;
  if (settings.paused) last = kPausedText;
  else if (settings.zmiana_tapety_co == 1 && category_selected) last = NextChangeText(MinutesLeft(settings));

  std::string name = picture_path.empty() ? std::string() : DisplayName(picture_path);
  // The room left for the name: the whole tip less the zero, the other two
  // lines and the line ends before the name and the last line.
  const std::size_t fixed = tip.size() + 1 + (last.empty() ? 0 : last.size() + 1);
  const std::size_t room = kTrayTipBytes - 1 > fixed ? kTrayTipBytes - 1 - fixed : 0;
  if (name.size() > room) {
    if (room <= kEllipsis.size()) {
      name.clear();
    } else {
      std::size_t cut = room - kEllipsis.size();
      while (cut > 0 && IsContinuation(name[cut])) --cut;
      name.resize(cut);
      name += kEllipsis;
    }
  }
  if (!name.empty()) tip += "\n" + name;
  if (!last.empty()) tip += "\n" + last;
  return tip;
}

}  // namespace vistelle
