#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "converters/ConversionBudget.h"

namespace pindrake::converters {

// What stands in the result for the text at a position, and how many of the text's bytes it
// takes there.
using Piece = std::pair<std::string_view, std::size_t>;

// `text` with each piece replaced by what `pieceAt(at)` says stands for it, measured in a first
// pass and made in a second only when the budget admits its size. Nothing when it does not, or
// when the budget stops, which both passes look at.
template <class PieceAt>
std::optional<std::string> replacedPieceWise(std::string_view text, const ConversionBudget& budget,
                                             PieceAt&& pieceAt) {
    std::size_t size = 0;
    std::size_t pieces = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (budget.isStoppedAt(++pieces))
            return std::nullopt;
        const auto [replacement, taken] = pieceAt(at);
        size += replacement.size();
        at += taken;
    }
    if (!budget.admits(size))
        return std::nullopt;
    std::string out;
    out.reserve(size);
    pieces = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (budget.isStoppedAt(++pieces))
            return std::nullopt;
        const auto [replacement, taken] = pieceAt(at);
        out += replacement;
        at += taken;
    }
    return out;
}

}  // namespace pindrake::converters
