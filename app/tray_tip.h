// The tip of the tray icon: the program's name, the picture on the desktop
// by the name the picture list gives it, and while the timer changes the
// wallpaper the minutes until the next change, one per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/config.h"

namespace vistelle {

// The tip's room in NOTIFYICONDATAA::szTip, the terminating zero included.
// The text is UTF-8 (the program runs with the UTF-8 code page).
constexpr std::size_t kTrayTipBytes = 128;
constexpr const char* kTrayTipTitle = "Vistelle";
// The last line while the automatic changes are paused.
constexpr const char* kPausedText = "Paused";

// "Next change in N min."
std::string NextChangeText(std::int64_t minutes);

// The tip for the picture at picture_path (empty: no line for it). The
// last line is there in change mode 1 with a category selected, with the
// minutes of MinutesLeft; while paused it says so instead. The text stays below kTrayTipBytes: the first and
// last lines are always whole, and a name too long is cut at a character
// and ended with "...".
std::string TrayTipText(std::string_view picture_path, const TConfig& settings, bool category_selected);

}  // namespace vistelle
