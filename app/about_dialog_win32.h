// The About box (dialog 116): the program's banner, its About text and an OK
// button with a picture of its own, both pictures from the Skin folder.
#pragma once

#include <windows.h>

#include <string>

namespace vistelle {

// Lines end with CR LF; a label and its value are two tabs apart.
extern const char kAboutText[];

// Runs the About box modally over owner ("BUTTON_ABOUT", the tray's
// "About"). The pictures are "skin\logo.bmp" and "skin\bok.bmp" in the
// program's folder; a missing one leaves its place without a picture. Only
// OK closes the box.
void RunAboutDialog(HWND owner, const std::string& program_dir);

}  // namespace vistelle
