#include "converters/HtmlEntities.h"

#include <array>

namespace pindrake::converters::entities {

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string unescaped(std::string_view text) {
    static constexpr std::array<Entity, 7> known{{
        {"&amp;", "&"},
        {"&lt;", "<"},
        {"&gt;", ">"},
        {"&quot;", "\""},
        {"&#39;", "'"},
        {"&#x27;", "'"},
        {"&apos;", "'"},
    }};
    return decodedOnce(text, known);
}

std::string decodedOnce(std::string_view text, std::span<const Entity> entities) {
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    for (std::size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at)) {
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
        out.append(text.substr(copied, at - copied));
        out += match->second;
        at += match->first.size();
        copied = at;
    }
    out.append(text.substr(copied));
    return out;
}

}  // namespace pindrake::converters::entities
