#pragma once

#include <source_location>
#include <string_view>

namespace pindrake::markdown {

// Misuse of the tree's interfaces (a wrong element kind, an index out of range, an inverted
// range) is a programming error, never a consequence of input text: report it and stop.
[[noreturn]] void stopOnMisuse(std::string_view message,
                               std::source_location where = std::source_location::current());

inline void require(bool condition, std::string_view message,
                    std::source_location where = std::source_location::current()) {
    if (!condition) [[unlikely]] {
        stopOnMisuse(message, where);
    }
}

}  // namespace pindrake::markdown
