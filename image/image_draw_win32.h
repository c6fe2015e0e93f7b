// Drawing an Image on a Windows device context.
#pragma once

#include <windows.h>

#include "image/image.h"

namespace vistelle {

// Draws the picture scaled into the rectangle (x, y, w, h) of the device
// context, with halftone smoothing; the alpha plane is not used. The context
// keeps its stretch mode and brush origin. Nothing is drawn for an empty
// picture or rectangle.
void Draw2(const Image& image, HDC dc, int x, int y, int w, int h);

}  // namespace vistelle
