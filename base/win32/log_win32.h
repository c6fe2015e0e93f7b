// Diagnostics a user has no use for: one line to the debugger's output
// (DebugView and the like show it), never a box.
#pragma once

#include <windows.h>

namespace vistelle::win32 {

inline void LogLine(const char* line) {
  OutputDebugStringA("Vistelle: ");
  OutputDebugStringA(line);
  OutputDebugStringA("\n");
}

}  // namespace vistelle::win32
