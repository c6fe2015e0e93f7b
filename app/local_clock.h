// The local time as the schedule reads it.
#pragma once

#include "app/schedule.h"

namespace vistelle {

// Now, in the system's time zone (summer time included).
LocalMoment LocalMomentNow();

}  // namespace vistelle
