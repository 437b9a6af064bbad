// Parses arbitrary bytes as Markdown and writes the tree back as HTML (with every interpreting
// option, so attribute texts reach the JSON5 reader), as a dump, and as Markdown under options
// chosen by the first two bytes (line limit and break kind, heading, emphasis and code style,
// line prefix); then formats the Markdown's own parse again. The sanitizers catch what goes wrong:
// spans past the table, cuts inside the output, runaway nesting.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "markdown/format/HTMLFormatter.h"
#include "markdown/format/MarkupFormatter.h"
#include "markdown/format/MarkupTreeDumper.h"
#include "markdown/parse/ParseDocument.h"

using namespace pindrake::markdown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint8_t choice = data[0];
    const std::uint8_t style = data[1];
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const Document document = parseDocument(text, ParseOptions{choice & 0x1Fu});

    HTMLFormatter::format(document, HTMLFormatterOptions::parseAsides |
                                        HTMLFormatterOptions::parseInlineAttributeClass);
    debugDescription(document, MarkupDumpOptions::printEverything);

    using Options = MarkupFormatterOptions;
    Options options;
    if (choice & 0x20)
        options.preferredLineLimit = Options::PreferredLineLimit(
            1 + (choice >> 6) * 20, style & 1
                                        ? Options::PreferredLineLimit::SplittingElement::hardBreak
                                        : Options::PreferredLineLimit::SplittingElement::softBreak);
    if (style & 2)
        options.useCodeFence = style & 4 ? Options::UseCodeFence::never
                                         : Options::UseCodeFence::onlyWhenLanguageIsPresent;
    if (style & 8)
        options.emphasisMarker = Options::EmphasisMarker::underline;
    if (choice & 0x40)
        options.preferredHeadingStyle = Options::PreferredHeadingStyle::setext;
    if (choice & 0x80)
        options.customLinePrefix = "% ";
    const std::string markdown = format(document, options);
    format(parseDocument(markdown), options);
    return 0;
}
