#include "clipboard/Url.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "foundation/Unicode.h"

namespace pindrake::clipboard {

namespace {

bool isAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool isControlOrSpace(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// RFC 3986 reg-name characters, plus anything outside ASCII (internationalised names).
bool isHostCharacter(char c) {
    if (static_cast<unsigned char>(c) >= 0x80)
        return true;
    if (isAsciiAlpha(c) || isAsciiDigit(c))
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
                           [](char c) { return isHexDigit(c) || c == ':' || c == '.'; });
    }
    return std::all_of(host.begin(), host.end(), isHostCharacter);
}

int hexValue(char c) {
    if (isAsciiDigit(c))
        return c - '0';
    return std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
}

std::optional<std::string> percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
            return std::nullopt;
        }
        const char decoded = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
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
    if (colon == std::string_view::npos || colon == 0 || !isAsciiAlpha(text[0])) {
        return std::nullopt;
    }
    const std::string_view scheme = text.substr(0, colon);
    const bool schemeIsValid = std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return isAsciiAlpha(c) || isAsciiDigit(c) || c == '+' || c == '-' || c == '.';
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
    url.scheme = lowered(scheme);

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
                !isAsciiDigit(port.front())) {
                return std::nullopt;
            }
            url.port = value;
        }
    }
    if (!host.empty() && !isValidHost(host))
        return std::nullopt;
    url.host = lowered(host);
    return url;
}

std::optional<std::string> filePathFromUrl(std::string_view text) {
    constexpr std::string_view prefix = "file:";
    if (text.size() < prefix.size() || lowered(text.substr(0, prefix.size())) != prefix) {
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
        const std::string host = lowered(rest.substr(0, slash));
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
