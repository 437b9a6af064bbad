#pragma once

#include "foundation/Scheduler.h"

namespace pindrake {

// Time since the machine started, the time it slept included. The app's waits and the life of
// what it keeps are measured on it: a result kept for five minutes must not outlive a suspend.
TimePoint bootClockNow();

}  // namespace pindrake
