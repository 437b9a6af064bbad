#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pindrake::clipboard {

// The parts of an absolute URL with an authority ("scheme://[user@]host[:port]/...") that the
// clipboard needs.
struct Url {
    std::string scheme;  // lower case
    std::string host;    // lower case; IPv6 literals keep their brackets
    std::optional<int> port;

    // Reads the whole text strictly: no white space or control characters anywhere, a known
    // shape of scheme, host and port. Characters outside ASCII are accepted.
    static std::optional<Url> parse(std::string_view text);
};

// The local path of a "file:" URL (empty or "localhost" host), percent escapes decoded.
// Nothing for other URLs, bad escapes or an escaped NUL.
std::optional<std::string> filePathFromUrl(std::string_view text);

}  // namespace pindrake::clipboard
