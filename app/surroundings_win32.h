// The surroundings as Windows tells them: SHQueryUserNotificationState
// (a full-screen program, a presentation, "busy", quiet hours or "do not
// disturb"), battery saver (GetSystemPowerStatus) and a remote session
// (SM_REMOTESESSION).
//
// For the tests, VISTELLE_TEST_SURROUNDINGS names a file read instead at
// every question: the words "full-screen", "battery-saver" and "remote" in
// it say which hold (Wine answers these questions with fixed values).
#pragma once

#include "app/surroundings.h"

namespace vistelle {

Surroundings CurrentSurroundings();

}  // namespace vistelle
