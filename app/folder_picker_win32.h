// The system's folder picker ("Add a folder").
#pragma once

#include <windows.h>

#include <string>

namespace vistelle {

// Lets the user choose a folder (the common item dialog with
// FOS_PICKFOLDERS), modally over owner. The folder's path in UTF-8, or empty
// when the user cancelled or the dialog could not be shown.
std::string ChooseFolder(HWND owner);

}  // namespace vistelle
