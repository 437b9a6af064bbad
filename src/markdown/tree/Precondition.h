#pragma once

#include <string_view>

namespace pindrake::markdown {

// Misuse of the tree's interfaces (a wrong element kind, an index out of range, an inverted
// range) is a programming error, never a consequence of input text: report it and stop.
// The caller's place comes from the compiler builtins, which clang 14 has and its library's
// std::source_location does not.
[[noreturn]] void stopOnMisuse(std::string_view message, const char* file = __builtin_FILE(),
                               int line = __builtin_LINE());

inline void require(bool condition, std::string_view message, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
    if (!condition) [[unlikely]] {
        stopOnMisuse(message, file, line);
    }
}

}  // namespace pindrake::markdown
