// The schedule rule dialog of the Screens and times page: a category, the
// time the rule starts and the time it ends (each a clock time, or sunrise
// or sunset with an offset in minutes) and the days it starts on.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "config/screens_and_times.h"

namespace vistelle {

// Runs the dialog modally over owner, showing rule (the category list is
// the library's names, and the rule's own name too should the library no
// longer have it). OK with a whole rule gives it; what does not read (no
// category, a time that is no time, an offset beyond 720 minutes, no day)
// is said in a box over the dialog, which stays open. Cancel gives nothing.
std::optional<ScheduleRule> RunScheduleRuleDialog(HWND owner, const ScheduleRule& rule,
                                                  const std::vector<std::string>& categories);

}  // namespace vistelle
