#include "render/desktop.h"

namespace vistelle {

// There is no desktop to hand a wallpaper to; callers bring their own.
std::unique_ptr<Desktop> MakeSystemDesktop() { return nullptr; }

}  // namespace vistelle
