// Parses arbitrary bytes as Markdown under every option set (block directives and Doxygen
// commands on and off), parses every directive's arguments, and checks what every tree must
// hold: ranges in order and within the text's lines.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Require.h"
#include "markdown/parse/DirectiveArguments.h"
#include "markdown/parse/ParseDocument.h"

using namespace pindrake::markdown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const auto options = ParseOptions{data[0] & 0x1Fu};
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::int64_t lines = 1;
    for (char c : text)
        lines += c == '\n' || c == '\r';
    const Document document = parseDocument(text, options);
    std::vector<const RawMarkup*> pending{&document.raw()};
    while (!pending.empty()) {
        const RawMarkup* node = pending.back();
        pending.pop_back();
        if (const auto range = node->parsedRange()) {
            pindrake::fuzz::require(range->start() <= range->end(),
                                    "a range ends before it starts");
            pindrake::fuzz::require(range->end().line <= lines + 1,
                                    "a range reaches past the text");
        }
        if (node->kind() == MarkupKind::blockDirective)
            parseNameValueArguments(node->payload<payload::BlockDirective>().arguments);
        for (const RawMarkupPtr& child : node->children())
            pending.push_back(child.get());
    }
    return 0;
}
