#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "foundation/ManualScheduler.h"
#include "support/MainQueueWaits.h"
#include "support/TestFiles.h"
#include "zarezo/ZarezoError.h"
#include "zarezo/ZarezoOptions.h"

namespace pindrake::zarezo {
// Lets test failures show errors by their message.
inline void PrintTo(const ZarezoError& error, std::ostream* out) {
    *out << "ZarezoError(" << error.errorDescription() << ")";
}
}  // namespace pindrake::zarezo

namespace pindrake::zarezo::testing {

using TemporaryFolder = test_support::TemporaryDirectory;

using test_support::runUntil;

// Converts through `convert` and runs the main queue until the outcome arrives (nothing, and a
// failure of the test, when it never does). Outcomes always arrive in a later turn of the main
// queue, never inside the call.
inline std::optional<MarkdownResult> convertAndWait(
    ManualScheduler& main, const std::function<void(MarkdownCompletion)>& convert) {
    test_support::Delivered<MarkdownResult> outcome;
    convert(outcome.completion());
    EXPECT_TRUE(outcome.all().empty()) << "answered before convert returned";
    return outcome.first(main);
}

// The same through an engine's own convert().
template <class Engine>
std::optional<MarkdownResult> convertAndWait(ManualScheduler& main, Engine& engine,
                                             std::string html = "<p>x</p>",
                                             const ZarezoOptions& options = ZarezoOptions()) {
    return convertAndWait(main, [&](MarkdownCompletion done) {
        engine.convert(std::move(html), options, std::move(done));
    });
}

// A completion that keeps each outcome, for conversions started together.
inline MarkdownCompletion appendTo(std::vector<MarkdownResult>& outcomes) {
    return [&outcomes](MarkdownResult result) { outcomes.push_back(std::move(result)); };
}

}  // namespace pindrake::zarezo::testing
