#include "markdown/format/CodeDelimiters.h"

#include <algorithm>

#include "foundation/Unicode.h"
#include "markdown/format/MarkupFormatter.h"

namespace pindrake::markdown::detail {

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string inlineCodeSpan(std::string_view code) {
    std::size_t longestRun = 0;
    std::size_t run = 0;
    for (char c : code) {
        run = c == '`' ? run + 1 : 0;
        longestRun = std::max(longestRun, run);
    }
    const std::string fence(longestRun + 1, '`');
    const bool allSpaces = code.find_first_not_of(' ') == std::string_view::npos;
    const bool touchesBacktick = !code.empty() && (code.front() == '`' || code.back() == '`');
    const bool spaceBothSides =
        !allSpaces && code.size() >= 2 && code.front() == ' ' && code.back() == ' ';
    const std::string_view pad = touchesBacktick || spaceBothSides ? " " : "";
    std::string span = fence;
    span += pad;
    span += code;
    span += pad;
    span += fence;
    return span;
}

std::string codeFence(std::string_view code, std::string_view infoString) {
    const char marker = infoString.find('`') == std::string_view::npos ? '`' : '~';
    std::size_t longestRun = 0;
    std::size_t lineStart = 0;
    while (lineStart <= code.size()) {
        std::size_t at = code.find_first_not_of(' ', lineStart);
        std::size_t run = 0;
        while (at != std::string_view::npos && at + run < code.size() && code[at + run] == marker) {
            ++run;
        }
        longestRun = std::max(longestRun, run);
        const std::size_t lineEnd = code.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            break;
        lineStart = lineEnd + 1;
    }
    return std::string(std::max<std::size_t>(3, longestRun + 1), marker);
}

bool fencedWherever(const CodeBlock& codeBlock, const MarkupFormatterOptions& options) {
    using UseCodeFence = MarkupFormatterOptions::UseCodeFence;
    const bool preferred =
        options.useCodeFence == UseCodeFence::never ||
        (options.useCodeFence == UseCodeFence::onlyWhenLanguageIsPresent && !codeBlock.language());
    if (!preferred)
        return true;
    const auto lines = MarkupFormatter::trimmedLines(codeBlock.code());
    return lines.empty() || unicode::isBlank(lines.front()) || unicode::isBlank(lines.back());
}

bool isAutolinkDestination(std::string_view destination) {
    const std::size_t colon = destination.find(':');
    if (colon == std::string_view::npos || colon < 2 || colon > 32 ||
        !isAsciiLetter(destination[0]))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = destination[i];
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '+' && c != '.' && c != '-')
            return false;
    }
    return std::none_of(destination.begin(), destination.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == '<' || c == '>' || c == 0x7f;
    });
}

}  // namespace pindrake::markdown::detail
