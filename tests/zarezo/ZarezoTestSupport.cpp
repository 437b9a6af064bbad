#include "ZarezoTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace pindrake::zarezo::testing {

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarezo-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TemporaryFolder::write(const std::filesystem::path& relative,
                                             std::string_view text) const {
    const auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary).write(text.data(), std::streamsize(text.size()));
    return full;
}

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

std::string describe(const MarkdownResult& result) {
    if (auto* markdown = std::get_if<std::string>(&result))
        return "markdown: " + *markdown;
    return "error: " + std::get<ZarezoError>(result).errorDescription();
}

}  // namespace pindrake::zarezo::testing
