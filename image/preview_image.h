// The main window's preview: a small copy of the current picture, made once
// when the picture changes, so that painting never scales a large photo.
#pragma once

#include <cstdint>

#include "image/image.h"

namespace vistelle {

// Scales source to exactly width x height into out. A larger source is
// averaged over the source pixels that fall into each preview pixel (no
// pixel of the picture is skipped); a smaller one is enlarged smoothly.
// False, with out empty, for an empty source or size.
bool MakePreviewImage(const Image& source, std::uint32_t width, std::uint32_t height, Image& out);

}  // namespace vistelle
