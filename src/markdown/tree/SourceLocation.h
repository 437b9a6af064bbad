#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "markdown/tree/Url.h"

namespace pindrake::markdown {

// One position in a Markdown text. Lines and columns are numbered as the parser numbers them
// (from 1, columns in UTF-8 bytes); nothing here checks them.
struct SourceLocation {
    std::int64_t line = 0;
    std::int64_t column = 0;
    Url source;  // null when the text was parsed without a source

    // "line:column", preceded by the source's path and ":" when it has a non-empty path.
    std::string description() const;

    // Equality includes the source; the ordering below does not, so two locations at the
    // same line and column in different sources are neither equal nor ordered.
    friend bool operator==(const SourceLocation& a, const SourceLocation& b) = default;
    friend bool operator<(const SourceLocation& a, const SourceLocation& b) noexcept {
        return a.line < b.line || (a.line == b.line && a.column < b.column);
    }
    friend bool operator>(const SourceLocation& a, const SourceLocation& b) noexcept {
        return b < a;
    }
    friend bool operator<=(const SourceLocation& a, const SourceLocation& b) noexcept {
        return !(b < a);
    }
    friend bool operator>=(const SourceLocation& a, const SourceLocation& b) noexcept {
        return !(a < b);
    }
};

}  // namespace pindrake::markdown

template <>
struct std::hash<pindrake::markdown::SourceLocation> {
    std::size_t operator()(const pindrake::markdown::SourceLocation& location) const noexcept {
        std::size_t seed = std::hash<std::int64_t>{}(location.line);
        auto mix = [&seed](std::size_t value) {
            seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
        };
        mix(std::hash<std::int64_t>{}(location.column));
        mix(location.source.isNull() ? 0 : 1);
        mix(location.source.hash());
        return seed;
    }
};
