// What the program's command line asks for. The arguments are those
// CommandLineToArgvW gives, the program's own name left out.
//   - exactly one argument, the word "hide" (in that case): a hidden start,
//     as the start with the system asks for;
//   - a first argument that begins with '/' or '-': a command for the copy
//     that runs;
//   - anything else ("HIDE", "hide now", nothing): a normal, visible start.
#pragma once

#include <string>
#include <vector>

namespace vistelle {

enum class StartKind { kNormal, kHidden, kCommand };

StartKind KindOfStart(const std::vector<std::string>& arguments);

}  // namespace vistelle
