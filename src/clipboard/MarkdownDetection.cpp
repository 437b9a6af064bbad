#include "clipboard/MarkdownDetection.h"

#include "markdown/parse/ParseDocument.h"

namespace pindrake::clipboard {

namespace {

// The test runs on the main thread for every capture. Parsing is linear in the text, so a
// fixed prefix bounds its time and memory; the answer for real texts is settled long before.
constexpr std::size_t parsedPrefixBytes = 256 * 1024;

// The whole lines within the first parsedPrefixBytes, so that no line is seen cut short: a
// line's beginning can read as a thematic break or a code fence that the whole line is not.
std::string_view boundedPrefix(std::string_view text) {
    if (text.size() <= parsedPrefixBytes)
        return text;
    const std::size_t lineBreak = text.substr(0, parsedPrefixBytes).find_last_of("\r\n");
    if (lineBreak != std::string_view::npos) {
        const bool crlf = text[lineBreak] == '\r' && text[lineBreak + 1] == '\n';
        return text.substr(0, lineBreak + (crlf ? 2 : 1));
    }
    // A first line longer than the limit has to be cut short, though not inside a character.
    std::size_t taken = parsedPrefixBytes;
    while (taken > 0 && (static_cast<unsigned char>(text[taken]) & 0xC0) == 0x80)
        --taken;
    return text.substr(0, taken);
}

}  // namespace

bool hasMarkdownBlockStructure(std::string_view text) {
    const markdown::Document document = markdown::parseDocument(boundedPrefix(text));
    for (const markdown::RawMarkupPtr& child : document.raw().children()) {
        if (child->kind() != markdown::MarkupKind::paragraph)
            return true;
    }
    return false;
}

}  // namespace pindrake::clipboard
