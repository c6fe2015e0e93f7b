// What a save cut short leaves in the program's folder. Every file of the
// program is written through a temporary file beside it (and config.ini
// through a staging copy as well), which takes the file's place in one step;
// a kill between the two leaves the temporary file behind, and the file
// itself whole. Start-up removes them.
#pragma once

#include <string>
#include <vector>

namespace vistelle {

// The names of the temporary files the program's own saving can leave in
// program_dir.
std::vector<std::string> SavingLeftovers(const std::string& program_dir);

// Removes those that are there; answers how many went. Only for the copy of
// the program that holds the folder (after the single-instance check), so
// that no save under way is cut short.
int RemoveSavingLeftovers(const std::string& program_dir);

}  // namespace vistelle
