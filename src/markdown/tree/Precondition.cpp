#include "markdown/tree/Precondition.h"

#include <cstdio>
#include <cstdlib>

namespace pindrake::markdown {

void stopOnMisuse(std::string_view message, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: markdown tree misuse: %.*s\n", file, line,
                 static_cast<int>(message.size()), message.data());
    std::fflush(stderr);
    std::abort();
}

}  // namespace pindrake::markdown
