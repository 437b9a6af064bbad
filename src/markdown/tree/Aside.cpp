#include "markdown/tree/Aside.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <array>

#include "markdown/tree/Paragraph.h"
#include "markdown/tree/Text.h"

namespace pindrake::markdown {

namespace {

// Whether the byte at `position` starts a character that joins the preceding one into a
// single user-perceived character (a combining mark, for instance). A colon or blank followed
// by such a character is not a colon or blank.
bool joinsPrevious(std::string_view text, std::size_t position) {
    if (position >= text.size())
        return false;
    auto offset = static_cast<int32_t>(position);
    UChar32 c = 0;
    U8_NEXT(text.data(), offset, static_cast<int32_t>(text.size()), c);
    if (c < 0)
        return false;
    auto kind =
        static_cast<UGraphemeClusterBreak>(u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK));
    return kind == U_GCB_EXTEND || kind == U_GCB_SPACING_MARK || kind == U_GCB_ZWJ;
}

bool isCharacter(std::string_view text, std::size_t position, char ascii) {
    return text[position] == ascii && !joinsPrevious(text, position + 1);
}

std::size_t firstColon(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isCharacter(text, i, ':'))
            return i;
    }
    return std::string_view::npos;
}

bool containsBlank(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isCharacter(text, i, ' '))
            return true;
    }
    return false;
}

// The text's parsed range moved right by the tag, kept within the range's own end.
std::optional<SourceRange> shiftedRange(const RawMarkup& text, std::int64_t shift) {
    auto range = text.parsedRange();
    if (!range)
        return std::nullopt;
    SourceLocation start = range->start();
    start.column += shift;
    if (range->end() < start)
        start.column = range->end().column;
    return SourceRange::make(std::move(start), range->end());
}

std::vector<BlockMarkup> blocksOf(const BlockQuote& blockQuote) {
    std::vector<BlockMarkup> blocks;
    for (BlockMarkup block : blockQuote.blockChildren()) {
        blocks.push_back(std::move(block));
    }
    return blocks;
}

}  // namespace

std::string Aside::Kind::displayName() const {
    if (rawValue_ == "SeeAlso")
        return "See Also";
    if (rawValue_ == "NonMutatingVariant")
        return "Non-Mutating Variant";
    if (rawValue_ == "MutatingVariant")
        return "Mutating Variant";
    if (rawValue_ == "ToDo")
        return "To Do";
    return rawValue_;
}

const std::vector<Aside::Kind>& Aside::Kind::allCases() {
    static const std::vector<Kind> kinds{
        note(),
        tip(),
        important(),
        experiment(),
        warning(),
        attention(),
        author(),
        authors(),
        bug(),
        complexity(),
        copyright(),
        date(),
        invariant(),
        mutatingVariant(),
        nonMutatingVariant(),
        postcondition(),
        precondition(),
        remark(),
        requires_(),
        since(),
        todo(),
        version(),
        throws(),
        seeAlso(),
    };
    return kinds;
}

Aside::Aside(const BlockQuote& blockQuote)
    : Aside(*from(blockQuote, TagRequirement::tagNotRequired)) {}

std::optional<Aside> Aside::from(const BlockQuote& blockQuote, TagRequirement requirement) {
    auto noTag = [&]() -> std::optional<Aside> {
        if (requirement != TagRequirement::tagNotRequired)
            return std::nullopt;
        return Aside(Kind::note(), blocksOf(blockQuote));
    };

    auto first = blockQuote.childThrough(
        TypedChildIndexPath{{0, MarkupKind::paragraph}, {0, MarkupKind::text}});
    if (!first)
        return noTag();
    const RawMarkup& textNode = first->raw();
    std::string_view text = textNode.payload<payload::Text>().text;
    std::size_t colon = firstColon(text);
    if (colon == std::string_view::npos)
        return noTag();
    std::string_view tag = text.substr(0, colon);
    if (requirement == TagRequirement::requireSingleWordTag && containsBlank(tag))
        return noTag();

    std::size_t restStart = colon + 1;
    while (restStart < text.size() &&
           (isCharacter(text, restStart, ' ') || isCharacter(text, restStart, '\t'))) {
        ++restStart;
    }
    // Tag bytes, the colon and the removed blanks: all one byte each past the tag.
    auto shift = static_cast<std::int64_t>(restStart);
    RawMarkupPtr rest = RawMarkup::create(payload::Text{std::string(text.substr(restStart))},
                                          shiftedRange(textNode, shift));
    const RawMarkup& paragraph = blockQuote.raw().child(0);
    RawMarkupPtr quote = blockQuote.raw().substitutingChild(
        paragraph.substitutingChild(std::move(rest), 0, true), 0, true);
    auto rebuilt = detail::ElementAccess::make<BlockQuote>(
        blockQuote.markupData().replacingSelf(std::move(quote), true));
    return Aside(Kind(std::string(tag)), blocksOf(rebuilt));
}

}  // namespace pindrake::markdown
