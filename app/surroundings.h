// What the computer is doing that an automatic change should wait for: a
// program running full screen (a game, a presentation, "busy" or "do not
// disturb"), battery saver, a remote session. On Windows these are asked of
// the system (surroundings_win32.h); the tests say them.
#pragma once

#include "config/config.h"

namespace vistelle {

struct Surroundings {
  bool full_screen = false;
  bool battery_saver = false;
  bool remote_session = false;
};

// Whether an automatic change waits in these surroundings, as the settings
// ask ("wait_fullscreen", "wait_battery_saver", "wait_remote").
inline bool ChangeWaits(const Surroundings& now, const TConfig& settings) {
  return (now.full_screen && settings.wait_fullscreen) || (now.battery_saver && settings.wait_battery_saver) ||
         (now.remote_session && settings.wait_remote);
}

}  // namespace vistelle
