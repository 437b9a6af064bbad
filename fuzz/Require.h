#pragma once

#include <cstdio>
#include <cstdlib>

namespace pindrake::fuzz {

// Stops the run when an invariant does not hold, so that libFuzzer keeps the input.
inline void require(bool holds, const char* invariant) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", invariant);
        std::abort();
    }
}

}  // namespace pindrake::fuzz
