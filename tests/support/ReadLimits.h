#pragma once

#include "platform/linux/XcbSelectionTransfer.h"
#include "support/MainQueueWaits.h"

namespace pindrake::test_support {

// Clipboard read limits for a test that checks what a read gives: beyond the test's own waits, so
// that a slow machine never turns the read into one cut short.
inline platform::SelectionReadLimits readLimitsOutOfReach() {
    platform::SelectionReadLimits limits;
    limits.perAnswer = limitOutOfReach;
    limits.wholeRead = limitOutOfReach;
    return limits;
}

}  // namespace pindrake::test_support
