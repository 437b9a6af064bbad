#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "converters/HtmlText.h"
#include "converters/JsonLayout.h"
#include "converters/SlackText.h"

// The parsers the converters run over copied text. JSON layout must accept exactly the JSON a
// conforming parser accepts (containers at the top, within the nesting bound) and be stable;
// the HTML readers must end without crashing.
namespace {

using pindrake::fuzz::require;
namespace json = pindrake::converters::json;

std::size_t nestingBound(std::string_view text) {
    std::size_t depth = 0, deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

void checkJson(std::string_view text) {
    const auto pretty = json::prettified(text);
    const auto minified = json::minified(text);
    require(pretty.has_value() == minified.has_value(), "both layouts accept the same texts");
    if (pretty) {
        require(json::prettified(*pretty) == pretty, "the pretty form is stable");
        require(json::minified(*minified) == minified, "the minified form is stable");
    }
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    const bool container =
        start != std::string_view::npos && (text[start] == '{' || text[start] == '[');
    // The reference parser skips a byte-order mark and stops at a NUL byte; neither is JSON.
    // It also refuses numbers beyond a double's range, which the layout copies as they stand, so
    // only its yes is an answer.
    if (!container || text.starts_with("\xEF\xBB\xBF") || text.find('\0') != text.npos ||
        nestingBound(text) > json::maximumJsonDepth || !nlohmann::json::accept(text)) {
        return;
    }
    require(pretty.has_value(), "accepts what a conforming parser accepts");
    require(nlohmann::json::parse(*pretty) == nlohmann::json::parse(text),
            "the pretty form holds the same values");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            checkJson(text);
            break;
        case 1:
            (void)pindrake::converters::textFromHtml(text, {});
            break;
        default:
            (void)pindrake::converters::slackText(text);
            break;
    }
    return 0;
}
