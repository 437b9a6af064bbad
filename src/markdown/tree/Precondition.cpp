#include "markdown/tree/Precondition.h"

#include <cstdio>
#include <cstdlib>

namespace pindrake::markdown {

void stopOnMisuse(std::string_view message, std::source_location where) {
    std::fprintf(stderr, "%s:%u: markdown tree misuse: %.*s\n", where.file_name(),
                 static_cast<unsigned>(where.line()), static_cast<int>(message.size()),
                 message.data());
    std::fflush(stderr);
    std::abort();
}

}  // namespace pindrake::markdown
