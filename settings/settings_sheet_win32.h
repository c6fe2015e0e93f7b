// The settings sheet (Options, Effects, Calendar).
#pragma once

#include <windows.h>

namespace vistelle {

// Runs the sheet modally over owner; it loads, edits and saves its own copy
// of the settings in config.ini. Returns when the sheet closes: true when
// it was closed with OK.
bool RunSettingsSheet(HWND owner);

}  // namespace vistelle
