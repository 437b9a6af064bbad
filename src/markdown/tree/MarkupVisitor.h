#pragma once

#include <utility>

#include "markdown/tree/BlockDirective.h"
#include "markdown/tree/BlockQuote.h"
#include "markdown/tree/CodeBlock.h"
#include "markdown/tree/CustomBlock.h"
#include "markdown/tree/CustomInline.h"
#include "markdown/tree/Document.h"
#include "markdown/tree/DoxygenAbstract.h"
#include "markdown/tree/DoxygenDiscussion.h"
#include "markdown/tree/DoxygenNote.h"
#include "markdown/tree/DoxygenParameter.h"
#include "markdown/tree/DoxygenReturns.h"
#include "markdown/tree/Emphasis.h"
#include "markdown/tree/FreshStack.h"
#include "markdown/tree/HTMLBlock.h"
#include "markdown/tree/Heading.h"
#include "markdown/tree/Image.h"
#include "markdown/tree/InlineAttributes.h"
#include "markdown/tree/InlineCode.h"
#include "markdown/tree/InlineHTML.h"
#include "markdown/tree/LineBreak.h"
#include "markdown/tree/Link.h"
#include "markdown/tree/ListItem.h"
#include "markdown/tree/Markup.h"
#include "markdown/tree/OrderedList.h"
#include "markdown/tree/Paragraph.h"
#include "markdown/tree/SoftBreak.h"
#include "markdown/tree/Strikethrough.h"
#include "markdown/tree/Strong.h"
#include "markdown/tree/SymbolLink.h"
#include "markdown/tree/Table.h"
#include "markdown/tree/Text.h"
#include "markdown/tree/ThematicBreak.h"
#include "markdown/tree/UnorderedList.h"

namespace pindrake::markdown {

// One operation per element kind, in a fixed order. Every operation a visitor does not
// supply passes the element on to defaultVisit. Elements dispatch themselves through
// Markup::accept; visit() is the entry point for a visitor that wants to hand on any element.
//
// Visiting recurses once per level of nesting, and any nesting depth is safe: when the stack
// runs low, accept() carries on on a fresh stack of the same thread (see FreshStack).
template <class Result>
class MarkupVisitor {
  public:
    virtual ~MarkupVisitor() = default;

    virtual Result defaultVisit(const Markup& markup) = 0;
    virtual Result visit(Markup markup) { return std::move(markup).accept(*this); }

    virtual Result visitBlockQuote(const BlockQuote& blockQuote) {
        return defaultVisit(blockQuote);
    }
    virtual Result visitCodeBlock(const CodeBlock& codeBlock) { return defaultVisit(codeBlock); }
    virtual Result visitCustomBlock(const CustomBlock& customBlock) {
        return defaultVisit(customBlock);
    }
    virtual Result visitDocument(const Document& document) { return defaultVisit(document); }
    virtual Result visitHeading(const Heading& heading) { return defaultVisit(heading); }
    virtual Result visitThematicBreak(const ThematicBreak& thematicBreak) {
        return defaultVisit(thematicBreak);
    }
    virtual Result visitHTMLBlock(const HTMLBlock& htmlBlock) { return defaultVisit(htmlBlock); }
    virtual Result visitListItem(const ListItem& listItem) { return defaultVisit(listItem); }
    virtual Result visitOrderedList(const OrderedList& orderedList) {
        return defaultVisit(orderedList);
    }
    virtual Result visitUnorderedList(const UnorderedList& unorderedList) {
        return defaultVisit(unorderedList);
    }
    virtual Result visitParagraph(const Paragraph& paragraph) { return defaultVisit(paragraph); }
    virtual Result visitBlockDirective(const BlockDirective& blockDirective) {
        return defaultVisit(blockDirective);
    }
    virtual Result visitInlineCode(const InlineCode& inlineCode) {
        return defaultVisit(inlineCode);
    }
    virtual Result visitCustomInline(const CustomInline& customInline) {
        return defaultVisit(customInline);
    }
    virtual Result visitEmphasis(const Emphasis& emphasis) { return defaultVisit(emphasis); }
    virtual Result visitImage(const Image& image) { return defaultVisit(image); }
    virtual Result visitInlineHTML(const InlineHTML& inlineHTML) {
        return defaultVisit(inlineHTML);
    }
    virtual Result visitLineBreak(const LineBreak& lineBreak) { return defaultVisit(lineBreak); }
    virtual Result visitLink(const Link& link) { return defaultVisit(link); }
    virtual Result visitSoftBreak(const SoftBreak& softBreak) { return defaultVisit(softBreak); }
    virtual Result visitStrong(const Strong& strong) { return defaultVisit(strong); }
    virtual Result visitText(const Text& text) { return defaultVisit(text); }
    virtual Result visitStrikethrough(const Strikethrough& strikethrough) {
        return defaultVisit(strikethrough);
    }
    virtual Result visitTable(const Table& table) { return defaultVisit(table); }
    virtual Result visitTableHead(const Table::Head& tableHead) { return defaultVisit(tableHead); }
    virtual Result visitTableBody(const Table::Body& tableBody) { return defaultVisit(tableBody); }
    virtual Result visitTableRow(const Table::Row& tableRow) { return defaultVisit(tableRow); }
    virtual Result visitTableCell(const Table::Cell& tableCell) { return defaultVisit(tableCell); }
    virtual Result visitSymbolLink(const SymbolLink& symbolLink) {
        return defaultVisit(symbolLink);
    }
    virtual Result visitInlineAttributes(const InlineAttributes& inlineAttributes) {
        return defaultVisit(inlineAttributes);
    }
    virtual Result visitDoxygenDiscussion(const DoxygenDiscussion& doxygenDiscussion) {
        return defaultVisit(doxygenDiscussion);
    }
    virtual Result visitDoxygenNote(const DoxygenNote& doxygenNote) {
        return defaultVisit(doxygenNote);
    }
    virtual Result visitDoxygenAbstract(const DoxygenAbstract& doxygenAbstract) {
        return defaultVisit(doxygenAbstract);
    }
    virtual Result visitDoxygenParameter(const DoxygenParameter& doxygenParameter) {
        return defaultVisit(doxygenParameter);
    }
    virtual Result visitDoxygenReturns(const DoxygenReturns& doxygenReturns) {
        return defaultVisit(doxygenReturns);
    }
};

template <class Result>
Result Markup::accept(MarkupVisitor<Result>& visitor) const& {
    return Markup(*this).accept(visitor);
}

template <class Result>
Result Markup::accept(MarkupVisitor<Result>& visitor) && {
    if (detail::FreshStack::isNeeded()) [[unlikely]] {
        return detail::FreshStack::call(
            [&]() -> Result { return std::move(*this).dispatch(visitor); });
    }
    return std::move(*this).dispatch(visitor);
}

template <class Result>
Result Markup::dispatch(MarkupVisitor<Result>& visitor) && {
    auto make = [this]<class E>() { return detail::ElementAccess::make<E>(std::move(data_)); };
    switch (kind()) {
        case MarkupKind::blockQuote:
            return visitor.visitBlockQuote(make.template operator()<BlockQuote>());
        case MarkupKind::codeBlock:
            return visitor.visitCodeBlock(make.template operator()<CodeBlock>());
        case MarkupKind::customBlock:
            return visitor.visitCustomBlock(make.template operator()<CustomBlock>());
        case MarkupKind::document:
            return visitor.visitDocument(make.template operator()<Document>());
        case MarkupKind::heading:
            return visitor.visitHeading(make.template operator()<Heading>());
        case MarkupKind::thematicBreak:
            return visitor.visitThematicBreak(make.template operator()<ThematicBreak>());
        case MarkupKind::htmlBlock:
            return visitor.visitHTMLBlock(make.template operator()<HTMLBlock>());
        case MarkupKind::listItem:
            return visitor.visitListItem(make.template operator()<ListItem>());
        case MarkupKind::orderedList:
            return visitor.visitOrderedList(make.template operator()<OrderedList>());
        case MarkupKind::unorderedList:
            return visitor.visitUnorderedList(make.template operator()<UnorderedList>());
        case MarkupKind::paragraph:
            return visitor.visitParagraph(make.template operator()<Paragraph>());
        case MarkupKind::blockDirective:
            return visitor.visitBlockDirective(make.template operator()<BlockDirective>());
        case MarkupKind::inlineCode:
            return visitor.visitInlineCode(make.template operator()<InlineCode>());
        case MarkupKind::customInline:
            return visitor.visitCustomInline(make.template operator()<CustomInline>());
        case MarkupKind::emphasis:
            return visitor.visitEmphasis(make.template operator()<Emphasis>());
        case MarkupKind::image:
            return visitor.visitImage(make.template operator()<Image>());
        case MarkupKind::inlineHTML:
            return visitor.visitInlineHTML(make.template operator()<InlineHTML>());
        case MarkupKind::lineBreak:
            return visitor.visitLineBreak(make.template operator()<LineBreak>());
        case MarkupKind::link:
            return visitor.visitLink(make.template operator()<Link>());
        case MarkupKind::softBreak:
            return visitor.visitSoftBreak(make.template operator()<SoftBreak>());
        case MarkupKind::strong:
            return visitor.visitStrong(make.template operator()<Strong>());
        case MarkupKind::text:
            return visitor.visitText(make.template operator()<Text>());
        case MarkupKind::strikethrough:
            return visitor.visitStrikethrough(make.template operator()<Strikethrough>());
        case MarkupKind::table:
            return visitor.visitTable(make.template operator()<Table>());
        case MarkupKind::tableHead:
            return visitor.visitTableHead(make.template operator()<Table::Head>());
        case MarkupKind::tableBody:
            return visitor.visitTableBody(make.template operator()<Table::Body>());
        case MarkupKind::tableRow:
            return visitor.visitTableRow(make.template operator()<Table::Row>());
        case MarkupKind::tableCell:
            return visitor.visitTableCell(make.template operator()<Table::Cell>());
        case MarkupKind::symbolLink:
            return visitor.visitSymbolLink(make.template operator()<SymbolLink>());
        case MarkupKind::inlineAttributes:
            return visitor.visitInlineAttributes(make.template operator()<InlineAttributes>());
        case MarkupKind::doxygenDiscussion:
            return visitor.visitDoxygenDiscussion(make.template operator()<DoxygenDiscussion>());
        case MarkupKind::doxygenNote:
            return visitor.visitDoxygenNote(make.template operator()<DoxygenNote>());
        case MarkupKind::doxygenAbstract:
            return visitor.visitDoxygenAbstract(make.template operator()<DoxygenAbstract>());
        case MarkupKind::doxygenParam:
            return visitor.visitDoxygenParameter(make.template operator()<DoxygenParameter>());
        case MarkupKind::doxygenReturns:
            return visitor.visitDoxygenReturns(make.template operator()<DoxygenReturns>());
    }
    stopOnMisuse("element of unknown kind");
}

}  // namespace pindrake::markdown
