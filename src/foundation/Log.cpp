#include "foundation/Log.h"

#include <cstdio>
#include <mutex>

namespace pindrake::log {
namespace {

void writeLine(std::FILE* stream, std::string_view line) {
    // Whole lines, even when worker threads log at the same time.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

}  // namespace

void diagnostic(std::string_view line) {
    writeLine(stdout, line);
}
void warning(std::string_view line) {
    writeLine(stderr, line);
}

}  // namespace pindrake::log
