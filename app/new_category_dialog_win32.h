// The New-category dialog (dialog 115): asks for the name of a new category.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace vistelle {

// Runs the dialog modally over owner. OK with a name that is not empty
// gives the name (its first 254 characters); an empty name or Cancel gives
// nothing. Any name is accepted, also one that another category has.
std::optional<std::string> RunNewCategoryDialog(HWND owner);

}  // namespace vistelle
