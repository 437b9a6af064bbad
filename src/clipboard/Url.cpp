#include "clipboard/Url.h"

#include <algorithm>
#include <charconv>

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::clipboard {

namespace {

bool isControlOrSpace(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
}

// RFC 3986 reg-name characters, plus anything outside ASCII (internationalised names).
bool isHostCharacter(char c) {
    if (static_cast<unsigned char>(c) >= 0x80)
        return true;
    if (ascii::isAlpha(c) || ascii::isDigit(c))
        return true;
    return std::string_view("-._~!$&'()*+,;=%").find(c) != std::string_view::npos;
}

bool isValidHost(std::string_view host) {
    if (host.empty())
        return false;
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']')
            return false;
        return std::all_of(host.begin() + 1, host.end() - 1,
                           [](char c) { return ascii::isHexDigit(c) || c == ':' || c == '.'; });
    }
    return std::all_of(host.begin(), host.end(), isHostCharacter);
}

std::optional<std::string> percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !ascii::isHexDigit(text[i + 1]) ||
            !ascii::isHexDigit(text[i + 2])) {
            return std::nullopt;
        }
        const char decoded =
            static_cast<char>(ascii::hexValue(text[i + 1]) * 16 + ascii::hexValue(text[i + 2]));
        if (decoded == '\0')
            return std::nullopt;
        out += decoded;
        i += 2;
    }
    return out;
}

}  // namespace

std::optional<Url> Url::parse(std::string_view text) {
    if (std::any_of(text.begin(), text.end(), isControlOrSpace))
        return std::nullopt;

    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !ascii::isAlpha(text[0])) {
        return std::nullopt;
    }
    const std::string_view scheme = text.substr(0, colon);
    const bool schemeIsValid = std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return ascii::isAlpha(c) || ascii::isDigit(c) || c == '+' || c == '-' || c == '.';
    });
    if (!schemeIsValid || text.substr(colon + 1, 2) != "//")
        return std::nullopt;

    const std::string_view afterSlashes = text.substr(colon + 3);
    const std::size_t authorityEnd =
        std::min(afterSlashes.find_first_of("/?#"), afterSlashes.size());
    std::string_view authority = afterSlashes.substr(0, authorityEnd);
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }

    Url url;
    url.scheme = ascii::lowered(scheme);

    std::string_view host = authority;
    const std::size_t portColon = authority.starts_with('[')
                                      ? authority.find(':', authority.find(']'))
                                      : authority.rfind(':');
    if (portColon != std::string_view::npos) {
        host = authority.substr(0, portColon);
        const std::string_view port = authority.substr(portColon + 1);
        if (!port.empty()) {
            int value = 0;
            const auto [end, error] =
                std::from_chars(port.data(), port.data() + port.size(), value);
            if (error != std::errc{} || end != port.data() + port.size() || value > 65535 ||
                !ascii::isDigit(port.front())) {
                return std::nullopt;
            }
            url.port = value;
        }
    }
    if (!host.empty() && !isValidHost(host))
        return std::nullopt;
    url.host = ascii::lowered(host);
    return url;
}

std::optional<std::string> filePathFromUrl(std::string_view text) {
    constexpr std::string_view prefix = "file:";
    if (text.size() < prefix.size() || ascii::lowered(text.substr(0, prefix.size())) != prefix) {
        return std::nullopt;
    }
    if (std::any_of(text.begin(), text.end(), isControlOrSpace))
        return std::nullopt;
    std::string_view rest = text.substr(prefix.size());
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string host = ascii::lowered(rest.substr(0, slash));
        if (!host.empty() && host != "localhost")
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/'))
        return std::nullopt;
    rest = rest.substr(0, std::min(rest.find_first_of("?#"), rest.size()));
    auto path = percentDecoded(rest);
    if (!path)
        return std::nullopt;
    return unicode::sanitizedUtf8(*path);
}

}  // namespace pindrake::clipboard
