#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>

#include "foundation/ManualScheduler.h"
#include "support/MainQueueWaits.h"
#include "support/TestFiles.h"
#include "zarezo/ZarezoError.h"

namespace pindrake::zarezo {
// Lets test failures show errors by their message.
inline void PrintTo(const ZarezoError& error, std::ostream* out) {
    *out << "ZarezoError(" << error.errorDescription() << ")";
}
}  // namespace pindrake::zarezo

namespace pindrake::zarezo::testing {

using TemporaryFolder = test_support::TemporaryDirectory;

using test_support::runUntil;

// Converts through `convert` and runs the main queue until the outcome arrives.
std::optional<MarkdownResult> convertAndWait(
    ManualScheduler& main, const std::function<void(MarkdownCompletion)>& convert);

}  // namespace pindrake::zarezo::testing
