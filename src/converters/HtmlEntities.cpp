#include "converters/HtmlEntities.h"

#include <array>

#include "converters/PieceWiseText.h"

namespace pindrake::converters::entities {
namespace {

// The entity standing for `c`, or nothing for a character that stands for itself.
std::string_view entityOf(char c) {
    switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case '\'':
            return "&#39;";
        default:
            return {};
    }
}

// Hands `emit` the pieces of `text` with each of `entities` replaced, left to right, once: the
// one pass both measures the result and makes it. False as soon as `emit` is, or `stop` is
// cancelled.
template <class Emit>
bool decodeOnce(std::string_view text, std::span<const Entity> entities,
                const CancellationToken& stop, Emit&& emit) {
    std::size_t copied = 0;
    std::size_t marks = 0;
    for (std::size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at)) {
        if (stop.isCancelledAt(++marks))
            return false;
        const std::string_view rest = text.substr(at);
        const Entity* match = nullptr;
        for (const Entity& entity : entities) {
            if (rest.starts_with(entity.first)) {
                match = &entity;
                break;
            }
        }
        if (!match) {
            ++at;
            continue;
        }
        if (!emit(text.substr(copied, at - copied)) || !emit(match->second))
            return false;
        at += match->first.size();
        copied = at;
    }
    return emit(text.substr(copied));
}

constexpr std::array<Entity, 7> htmlEntities{{
    {"&amp;", "&"},
    {"&lt;", "<"},
    {"&gt;", ">"},
    {"&quot;", "\""},
    {"&#39;", "'"},
    {"&#x27;", "'"},
    {"&apos;", "'"},
}};

}  // namespace

std::optional<std::string> escaped(std::string_view text, const ConversionBudget& budget) {
    return replacedPieceWise(text, budget, [text](std::size_t at) -> Piece {
        const std::string_view entity = entityOf(text[at]);
        return {entity.empty() ? text.substr(at, 1) : entity, 1};
    });
}

std::optional<std::string> unescaped(std::string_view text, const ConversionBudget& budget) {
    std::size_t size = 0;
    const bool measured =
        decodeOnce(text, htmlEntities, budget.stopToken(), [&size](std::string_view piece) {
            size += piece.size();
            return true;
        });
    if (!measured || !budget.admits(size))
        return std::nullopt;
    std::string out;
    out.reserve(size);
    const bool whole =
        decodeOnce(text, htmlEntities, budget.stopToken(), [&out](std::string_view piece) {
            out += piece;
            return true;
        });
    if (!whole)
        return std::nullopt;
    return out;
}

std::string decodedOnce(std::string_view text, std::span<const Entity> entities) {
    std::string out;
    out.reserve(text.size());
    decodeOnce(text, entities, CancellationToken::never(), [&out](std::string_view piece) {
        out += piece;
        return true;
    });
    return out;
}

}  // namespace pindrake::converters::entities
