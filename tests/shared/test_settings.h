// The settings of a test's program folder, as the program reads them at
// start: its config.ini through the INI store (the defaults without one).
#pragma once

#include <string>

#include "base/paths.h"
#include "config/config.h"
#include "config/profile_store.h"

namespace vistelle::testing {

inline TConfig SettingsIn(const std::string& folder) {
  TConfig settings;
  settings.SetPath(JoinPath(folder, "config.ini"));
  settings.Load(*MakeIniFileProfileStore());
  return settings;
}

}  // namespace vistelle::testing
