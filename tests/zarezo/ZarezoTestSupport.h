#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "foundation/ManualScheduler.h"
#include "zarezo/ZarezoError.h"

namespace pindrake::zarezo {
// Lets test failures show errors by their message.
inline void PrintTo(const ZarezoError& error, std::ostream* out) {
    *out << "ZarezoError(" << error.errorDescription() << ")";
}
}  // namespace pindrake::zarezo

namespace pindrake::zarezo::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `text` to the relative path, making folders on the way; returns the full path.
    std::filesystem::path write(const std::filesystem::path& relative, std::string_view text) const;

  private:
    std::filesystem::path path_;
};

// Runs the main queue until `done` holds, waiting for posts from worker threads in between.
// False when nothing more arrived within the time-out.
bool runUntil(ManualScheduler& main, const std::function<bool()>& done,
              std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Converts through `convert` and runs the main queue until the outcome arrives.
std::optional<MarkdownResult> convertAndWait(
    ManualScheduler& main, const std::function<void(MarkdownCompletion)>& convert);

std::string describe(const MarkdownResult& result);

}  // namespace pindrake::zarezo::testing
