#include "ZarezoTestSupport.h"

#include "support/MainQueueWait.h"

namespace pindrake::zarezo::testing {

bool runUntil(ManualScheduler& main, const std::function<bool()>& done,
              std::chrono::milliseconds timeout) {
    return test_support::runMainQueueUntil(main, done, timeout);
}

std::optional<MarkdownResult> convertAndWait(
    ManualScheduler& main, const std::function<void(MarkdownCompletion)>& convert) {
    std::optional<MarkdownResult> outcome;
    convert([&outcome](MarkdownResult result) { outcome = std::move(result); });
    runUntil(main, [&] { return outcome.has_value(); });
    return outcome;
}

}  // namespace pindrake::zarezo::testing
