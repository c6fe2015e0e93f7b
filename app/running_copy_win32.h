// The copy of the program that runs already, as a second start meets it.
#pragma once

#include <string>

#include "app/remote_command.h"

namespace vistelle {

// Sends the command to the running copy's main window, waiting up to ten
// seconds for the window when that copy is just starting. 0 when it took
// the command, 1 when it refused it, 2 when no answer came; why says what
// went wrong.
int SendToRunningCopy(const RemoteCommand& command, std::string* why);

// A line for whoever started the program from a console (a script, a
// scheduled task's log): its standard error when it has one, else the
// console of the process that started it. Never a box: nobody may be there
// to close it.
void TellConsole(const std::string& line);

}  // namespace vistelle
