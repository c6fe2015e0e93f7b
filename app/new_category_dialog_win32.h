// The New-category dialog (dialog 115): asks for the name of a new category.
#pragma once

#include <windows.h>

namespace vistelle {

// Runs the dialog modally over owner. On OK with a name that is not empty,
// the name (its first 254 characters) is appended to the owner's category
// list (control 203) and pending_category is raised; the library takes the
// new item in with EditingCommands::AddCategory. An empty name or Cancel
// does neither. Any name is accepted, also one that another category has.
void RunNewCategoryDialog(HWND owner, bool& pending_category);

}  // namespace vistelle
