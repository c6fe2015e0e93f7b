// A save that failed at the end of a Windows session, when nobody could be
// asked, is told at the next start: what could not be written is kept in
// the current user's registry (HKCU\Software\Vistelle, "LastSaveFailed")
// until then.
#pragma once

#include <string>

namespace vistelle {

void RememberFailedSave(const std::string& what);
// What was remembered, once; empty when nothing was.
std::string TakeFailedSave();

}  // namespace vistelle
