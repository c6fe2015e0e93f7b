// The outline of a skinned window from its mask bitmap.
#pragma once

#include <windows.h>

#include "base/win32/handle_win32.h"
#include "image/image.h"

namespace vistelle {

// The region of all pixels of the bitmap that are not of the key colour
// (within the tolerance, byte by byte; see region_runs.h for the order in
// which key and pixel bytes meet). Built in steps of at most 2000
// rectangles. Empty for no bitmap or when the system refuses; a region
// without area when every pixel is a key pixel.
win32::Region BuildRegion(HBITMAP bitmap, ColorRef key, ColorRef tolerance);

}  // namespace vistelle
