#include "app/surroundings_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/file_io.h"

namespace vistelle {

namespace {

// The answers of SHQueryUserNotificationState that mean the user does not
// want to be disturbed.
bool Busy(QUERY_USER_NOTIFICATION_STATE state) {
  switch (state) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
    case QUNS_PRESENTATION_MODE:
    case QUNS_QUIET_TIME:
    case QUNS_APP:
      return true;
    default:
      return false;
  }
}

}  // namespace

Surroundings CurrentSurroundings() {
  Surroundings now;
  if (const char* file = std::getenv("VISTELLE_TEST_SURROUNDINGS")) {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(file, bytes, 4096);
    const std::string words(bytes.begin(), bytes.end());
    now.full_screen = words.find("full-screen") != std::string::npos;
    now.battery_saver = words.find("battery-saver") != std::string::npos;
    now.remote_session = words.find("remote") != std::string::npos;
    return now;
  }
  QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
  now.full_screen = SUCCEEDED(SHQueryUserNotificationState(&state)) && Busy(state);
  SYSTEM_POWER_STATUS power;
  // The fourth byte is the battery saver's flag; MinGW's header still names
  // it as reserved.
#ifdef __MINGW32__
  now.battery_saver = GetSystemPowerStatus(&power) && power.Reserved1 == 1;
#else
  now.battery_saver = GetSystemPowerStatus(&power) && power.SystemStatusFlag == 1;
#endif
  now.remote_session = GetSystemMetrics(SM_REMOTESESSION) != 0;
  return now;
}

}  // namespace vistelle
