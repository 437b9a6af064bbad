#include "markdown/tree/MarkupKind.h"

#include <array>

namespace pindrake::markdown {

namespace {

struct KindNames {
    std::string_view caseName;
    std::string_view typeName;
};

constexpr std::array<KindNames, markupKindCount> names{{
    {"codeBlock", "CodeBlock"},
    {"heading", "Heading"},
    {"htmlBlock", "HTMLBlock"},
    {"listItem", "ListItem"},
    {"orderedList", "OrderedList"},
    {"blockDirective", "BlockDirective"},
    {"inlineCode", "InlineCode"},
    {"customInline", "CustomInline"},
    {"image", "Image"},
    {"inlineHTML", "InlineHTML"},
    {"link", "Link"},
    {"text", "Text"},
    {"symbolLink", "SymbolLink"},
    {"inlineAttributes", "InlineAttributes"},
    {"table", "Table"},
    {"tableCell", "Cell"},
    {"doxygenParam", "DoxygenParameter"},
    {"blockQuote", "BlockQuote"},
    {"customBlock", "CustomBlock"},
    {"document", "Document"},
    {"thematicBreak", "ThematicBreak"},
    {"unorderedList", "UnorderedList"},
    {"paragraph", "Paragraph"},
    {"emphasis", "Emphasis"},
    {"lineBreak", "LineBreak"},
    {"softBreak", "SoftBreak"},
    {"strong", "Strong"},
    {"strikethrough", "Strikethrough"},
    {"tableHead", "Head"},
    {"tableBody", "Body"},
    {"tableRow", "Row"},
    {"doxygenDiscussion", "DoxygenDiscussion"},
    {"doxygenNote", "DoxygenNote"},
    {"doxygenAbstract", "DoxygenAbstract"},
    {"doxygenReturns", "DoxygenReturns"},
}};

}  // namespace

std::string_view caseName(MarkupKind kind) noexcept {
    return names[static_cast<std::size_t>(kind)].caseName;
}

std::string_view elementTypeName(MarkupKind kind) noexcept {
    return names[static_cast<std::size_t>(kind)].typeName;
}

}  // namespace pindrake::markdown
