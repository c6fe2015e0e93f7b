// The settings sheet (Options, Effects, Calendar, Screens and times,
// Caption).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "config/config.h"
#include "render/caption_text.h"
#include "render/monitor_layout.h"

namespace vistelle {

// What the sheet closed with: its record, and whether OK closed it. The
// Options page reaches the record on OK only; the Effects and Calendar
// pages store some values at once (the trackbars, the calendar's position
// and background), and those are in the record after Cancel too.
struct SheetResult {
  TConfig settings;
  bool ok = false;
};

// Runs the sheet modally over owner on a copy of settings; program_dir is
// where its sample pictures are, and whose Pictora.exe the start with the
// system starts. monitors are the desktop's in the layout's order
// (MonitorLayout) and categories the library's names, both for the Screens
// and times page; shown is what the caption of the picture on the desktop
// now is made from, for the Caption page's preview (all empty before the
// first change: the preview then takes the sample picture's). Nothing while
// a sheet is open already (the tray menu works meanwhile): that sheet is
// brought forward instead.
std::optional<SheetResult> RunSettingsSheet(HWND owner, const TConfig& settings, const std::string& program_dir,
                                            const std::vector<Monitor>& monitors,
                                            const std::vector<std::string>& categories,
                                            const CaptionFields& shown);

}  // namespace vistelle
