#include "ZarezoTestSupport.h"

namespace pindrake::zarezo::testing {

bool runUntil(ManualScheduler& main, const std::function<bool()>& done,
              std::chrono::milliseconds timeout) {
    for (;;) {
        main.runUntilIdle();
        if (done())
            return true;
        if (!main.waitForPost(timeout))
            return false;
    }
}

std::optional<MarkdownResult> convertAndWait(
    ManualScheduler& main, const std::function<void(MarkdownCompletion)>& convert) {
    std::optional<MarkdownResult> outcome;
    convert([&outcome](MarkdownResult result) { outcome = std::move(result); });
    runUntil(main, [&] { return outcome.has_value(); });
    return outcome;
}

}  // namespace pindrake::zarezo::testing
