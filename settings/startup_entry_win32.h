// The start with the system: the value "Pictora" of the current user's Run
// key (and, from earlier versions, of the machine's).
#pragma once

#include <string>

namespace vistelle {

// Whether, under the current user's or the machine's key, the value starts
// the Pictora.exe in program_dir (the path compared in any case, with or
// without quotes); a value that starts another copy does not count.
bool StartupEntryExists(const std::string& program_dir);
// Writes the value under the current user's key (StartupCommand: the
// program's path in quotes, then "hide") and, where the rights allow,
// removes a machine's value that starts another copy. Or removes the value
// from the current user's key and, where the rights allow, from the
// machine's, unless it starts another copy. False when the current user's
// key could not be changed.
bool SetStartupEntry(bool enabled, const std::string& program_dir);
// An unquoted value of the current user that starts this copy (as earlier
// versions wrote it) is written again with the path in quotes, its
// arguments kept: unquoted, a folder with a space in it breaks the start.
void MendStartupEntry(const std::string& program_dir);

}  // namespace vistelle
