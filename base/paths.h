// File names inside the program's folder. The program names its files the
// Windows way ("Calendar\check.ico"); natively the backslashes become
// slashes.
#pragma once

#include <string>

namespace vistelle {

// dir followed by the relative name, with one separator between them.
std::string JoinPath(const std::string& dir, const std::string& relative);

// The folder part of a path ("" when it has none).
std::string DirectoryOf(const std::string& path);

}  // namespace vistelle
