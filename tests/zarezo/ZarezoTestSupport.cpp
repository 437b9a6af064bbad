#include "ZarezoTestSupport.h"

namespace pindrake::zarezo::testing {

std::optional<MarkdownResult> convertAndWait(
    ManualScheduler& main, const std::function<void(MarkdownCompletion)>& convert) {
    std::optional<MarkdownResult> outcome;
    convert([&outcome](MarkdownResult result) { outcome = std::move(result); });
    runUntil(main, [&] { return outcome.has_value(); });
    return outcome;
}

}  // namespace pindrake::zarezo::testing
