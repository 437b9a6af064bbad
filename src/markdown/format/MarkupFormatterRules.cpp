// The Markdown written for each element kind but tables.

#include <algorithm>

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"
#include "markdown/format/CodeDelimiters.h"
#include "markdown/format/LineStarts.h"
#include "markdown/format/ListMarkers.h"
#include "markdown/format/MarkupFormatter.h"
#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

namespace {

bool isFirst(const Markup& element) {
    return element.indexInParent() == 0;
}

std::string repeated(std::string_view piece, std::uint64_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::uint64_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// Whether the element or any element below it satisfies the test; walked without recursion.
template <class Test>
bool anyBelow(const RawMarkup& element, Test test) {
    std::vector<const RawMarkup*> pending{&element};
    while (!pending.empty()) {
        const RawMarkup* node = pending.back();
        pending.pop_back();
        if (test(*node))
            return true;
        for (const auto& child : node->children()) {
            pending.push_back(child.get());
        }
    }
    return false;
}

}  // namespace

bool MarkupFormatter::holdsBreak(const RawMarkup& element) {
    return anyBelow(element, [](const RawMarkup& node) {
        return node.kind() == MarkupKind::softBreak || node.kind() == MarkupKind::lineBreak;
    });
}

bool MarkupFormatter::holdsEmphasisCharacter(const RawMarkup& element) {
    return anyBelow(element, [](const RawMarkup& node) {
        return node.kind() == MarkupKind::text &&
               node.payload<payload::Text>().text.find_first_of("*_<") != std::string::npos;
    });
}

namespace {

// A character that is neither white space nor punctuation, as emphasis delimiters see their
// neighbours: letters and digits, but control characters too; any byte of a multi-byte
// character counts, which at worst picks the star.
bool isWordCharacter(char c) {
    return static_cast<unsigned char>(c) >= 0x80 || !(ascii::isSpace(c) || ascii::isPunct(c));
}

}  // namespace

void MarkupFormatter::visitDocument(const Document& document) {
    descendInto(document);
}

void MarkupFormatter::visitParagraph(const Paragraph& paragraph) {
    breakFromSibling(paragraph);
    const bool keeps = keepsLines(paragraph);
    unwrappedDepth_ += keeps;
    emphasisCharactersInText_ = holdsEmphasisCharacter(paragraph.raw());
    descendInto(paragraph);
    unwrappedDepth_ -= keeps;
}

// A quote after a sibling is separated by a line that carries only its parent's prefix, also
// inside a quote, where it would otherwise join the sibling quote before it. A quote opening a
// quote or a list item starts on the line its parent started, so it adds its own "> " there
// ("> > a", "- > a"), as it does first in a Doxygen command; at the start of a line the line
// prefix holds it. In a command's lines a quote that may start on the next line does.
void MarkupFormatter::visitBlockQuote(const BlockQuote& blockQuote) {
    auto parent = blockQuote.parent();
    if (parent && !isFirst(blockQuote)) {
        if (siblingBreak(blockQuote) != detail::SiblingBreak::blankLine) {
            ensurePrecedingNewlines(1);
        } else {
            ++state_.queuedNewlines;
            flushQueuedNewlines(*parent);
            ++state_.queuedNewlines;
        }
    } else if (parent &&
               (parent->is<BlockQuote>() || parent->is<ListItem>() ||
                detail::isDoxygenCommand(*parent)) &&
               state_.queuedNewlines == 0 && !result_.empty()) {
        print("> ", blockQuote);
        state_.lineContentStart = result_.size();
    }
    // An empty quote is its marker alone, which the line prefix holds.
    if (blockQuote.childCount() == 0)
        print("", blockQuote);
    descendInto(blockQuote);
}

// In a Doxygen command's lines code without lines closes its fence on the next line: a blank
// line there would end the command. A blank line within the code does so too, which the
// command's lines cannot hold.
void MarkupFormatter::visitCodeBlock(const CodeBlock& codeBlock) {
    breakFromSibling(codeBlock);
    const auto lines = trimmedLines(codeBlock.code());
    const bool fenced = !writesIndentedCode(codeBlock);
    if (!fenced)
        lastIndentedCodeBlock_ = codeBlock.identifier();
    const std::string infoString =
        codeBlock.language().value_or(formattingOptions.defaultCodeBlockLanguage.value_or(""));
    const std::string fence = detail::codeFence(codeBlock.code(), infoString);
    if (fenced) {
        print(fence + infoString, codeBlock);
        ++state_.queuedNewlines;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            ++state_.queuedNewlines;
        print(fenced ? std::string(lines[i]) : "    " + std::string(lines[i]), codeBlock);
    }
    if (fenced) {
        if (!lines.empty() || !inCommandLines())
            ++state_.queuedNewlines;
        print(fence, codeBlock);
    }
}

// Indented code reads back only where nothing can take its lines: after a list they would
// join the last item, after another indented block the two would merge, and blank lines at
// either end would vanish. First in a directive's contents its indentation would be taken for
// the contents'; in a Doxygen command's lines it may stand on the command's line, whose blanks
// are dropped, or its indentation set the command's, or follow a paragraph it cannot
// interrupt: there it is indented only opening an item, on the marker's line, where it would be
// outside a command too. Elsewhere the block is fenced, whatever the options prefer.
bool MarkupFormatter::writesIndentedCode(const CodeBlock& codeBlock) const {
    if (detail::fencedWherever(codeBlock, formattingOptions))
        return false;
    const auto parent = codeBlock.parent();
    const auto previous = parent ? parent->child(codeBlock.indexInParent() - 1) : std::nullopt;
    if (inCommandLines()) {
        const auto item = parent ? parent->as<ListItem>() : std::nullopt;
        return !previous && item && !detail::firstBlockOnNextLine(*item, formattingOptions);
    }
    if (!previous) {
        return !parent || !parent->is<BlockDirective>();
    }
    if (previous->is<UnorderedList>() || previous->is<OrderedList>())
        return false;
    return !(previous->is<CodeBlock>() && previous->identifier() == lastIndentedCodeBlock_);
}

void MarkupFormatter::visitHTMLBlock(const HTMLBlock& htmlBlock) {
    breakFromSibling(htmlBlock);
    for (std::string_view line : trimmedLines(htmlBlock.rawHTML())) {
        print(line, htmlBlock);
        ++state_.queuedNewlines;
    }
}

// A heading that holds a break keeps it only in the underlined form (levels 1 and 2); in the
// one-line form breaks become spaces. A heading without visible text cannot be underlined, nor
// one whose line would open a block of its own, nor one right after a paragraph in a Doxygen
// command's lines, which it would take in.
void MarkupFormatter::visitHeading(const Heading& heading) {
    breakFromSibling(heading);
    const std::int64_t level = heading.level();
    const bool hasBreak = holdsBreak(heading.raw());
    const bool blank = unicode::isBlank(heading.plainText());
    const bool setext =
        !blank && level <= 2 && siblingBreak(heading) != detail::SiblingBreak::interruptingLine &&
        (formattingOptions.preferredHeadingStyle == Options::PreferredHeadingStyle::setext ||
         (hasBreak && level >= 1));
    ++unwrappedDepth_;
    emphasisCharactersInText_ = holdsEmphasisCharacter(heading.raw());
    if (!setext || !writeHeadingSetext(heading))
        writeHeadingAtx(heading, hasBreak);
    --unwrappedDepth_;
}

void MarkupFormatter::writeHeadingAtx(const Heading& heading, bool hasBreak) {
    const std::int64_t level = heading.level();
    require(level >= 0, "a heading's level must not be negative");
    if (hasBreak)
        ++oneLineHeadingDepth_;
    print(repeated("#", static_cast<std::uint64_t>(level)) + " ", heading);
    descendInto(heading);
    if (hasBreak)
        --oneLineHeadingDepth_;
}

// Writes the heading underlined, unless its first line would read back as the start of another
// block ("1. Steps", "<img>") or, above hyphens, as a table's head row: then it writes nothing
// and says so.
bool MarkupFormatter::writeHeadingSetext(const Heading& heading) {
    const std::int64_t level = heading.level();
    if (level < 1) {
        stopOnMisuse("Unexpected heading level " + std::to_string(level) +
                     " while formatting for setext-style heading");
    }
    print("", heading);
    const State lineStart = state_;
    descendInto(heading);
    const std::string_view content = std::string_view(result_).substr(lineStart.resultSize);
    const std::string_view firstLine = content.substr(0, content.find('\n'));
    // A line of a lone backslash is the hard break opening the heading.
    if ((firstLine != "\\" && detail::opensBlock(detail::firstWord(firstLine))) ||
        (level == 2 && firstLine.find('|') != std::string_view::npos)) {
        restoreState(lineStart);
        return false;
    }
    const std::int64_t underlineLength = state_.lastLineLength;
    ++state_.queuedNewlines;
    print(repeated(level == 1 ? "=" : "-", static_cast<std::uint64_t>(underlineLength)), heading);
    return true;
}

// Right after a bullet of its own character a break would take the bullet in ("- -----" is
// one break), so there it is drawn with the other character ("- *****"); hyphens right after a
// paragraph would underline it, so there it is drawn with stars.
void MarkupFormatter::visitThematicBreak(const ThematicBreak& thematicBreak) {
    breakFromSibling(thematicBreak);
    std::string_view character = rawValue(formattingOptions.thematicBreakCharacter);
    if (bulletsEndingHere(character.front()) > 0 ||
        (character == "-" && siblingBreak(thematicBreak) == detail::SiblingBreak::interruptingLine))
        character = character == "-" ? "*" : "-";
    print(repeated(character, formattingOptions.thematicBreakLength), thematicBreak);
}

void MarkupFormatter::visitUnorderedList(const UnorderedList& list) {
    visitList(list);
}

void MarkupFormatter::visitOrderedList(const OrderedList& list) {
    visitList(list);
}

// A list in an item follows the block before it on the next line, unless its first item
// cannot interrupt a paragraph there or the block is HTML, which only a blank line ends. Its
// first item shares the line of the markers before it when it opens its item: a third bullet
// alone with two of its kind ("- - -") would read as a thematic break, so it takes the other one.
void MarkupFormatter::visitList(const Markup& list) {
    auto parent = list.parent();
    auto grandparent = parent ? parent->parent() : std::nullopt;
    const bool nestedInList =
        grandparent && (grandparent->is<UnorderedList>() || grandparent->is<OrderedList>());
    const auto firstItem = list.child(0) ? list.child(0)->as<ListItem>() : std::nullopt;
    const bool mayInterrupt = !firstItem || detail::mayInterruptParagraph(
                                                *firstItem, formattingOptions, inCommandLines());
    const auto previous = parent ? parent->child(list.indexInParent() - 1) : std::nullopt;
    if (previous && !(nestedInList && mayInterrupt && !previous->is<HTMLBlock>()))
        breakFromSibling(list);
    const char bullet = rawValue(formattingOptions.unorderedListMarker).front();
    const bool wouldCompleteBreak =
        list.is<UnorderedList>() && bullet != '+' && firstItem &&
        detail::markerStandsAlone(*firstItem, formattingOptions, inCommandLines()) &&
        bulletsEndingHere(bullet) >= 2;
    const bool otherMarker = wouldCompleteBreak ||
                             (previous && previous->kind() == list.kind() && lastList_ &&
                              lastList_->list == previous->identifier() && !lastList_->otherMarker);
    otherMarkers_.push_back(otherMarker);
    descendInto(list);
    otherMarkers_.pop_back();
    lastList_ = WrittenList{list.identifier(), otherMarker};
}

void MarkupFormatter::visitListItem(const ListItem& listItem) {
    auto list = listItem.parent();
    if (!isFirst(listItem) || (list && !isFirst(*list)))
        ensurePrecedingNewlines(1);
    const bool otherMarker = !otherMarkers_.empty() && otherMarkers_.back();
    if (auto marker = detail::listItemMarker(listItem, formattingOptions, otherMarker)) {
        print(*marker, listItem);
        if (list && list->is<UnorderedList>()) {
            const char bullet = marker->front();
            const bool continues =
                bulletRun_.bullet == bullet && bulletRun_.end + marker->size() == result_.size();
            bulletRun_ = {bullet, continues ? bulletRun_.count + 1 : 1, result_.size()};
        }
        if (listItem.checkbox())
            print(*listItem.checkbox() == Checkbox::checked ? "[x] " : "[ ] ", listItem);
        // The item's content starts here: a line may not end right after the marker.
        state_.lineContentStart = result_.size();
        if (detail::firstBlockOnNextLine(listItem, formattingOptions, inCommandLines()))
            ++state_.queuedNewlines;
    }
    descendInto(listItem);
}

void MarkupFormatter::visitBlockDirective(const BlockDirective& blockDirective) {
    if (!isFirst(blockDirective))
        ensurePrecedingNewlines(2);
    print("@", blockDirective);
    print(blockDirective.name(), blockDirective);
    const auto& segments = blockDirective.argumentText().segments;
    if (!segments.empty()) {
        print("(", blockDirective);
        for (std::size_t i = 0; i < segments.size(); ++i) {
            if (i > 0)
                ++state_.queuedNewlines;
            print(segments[i].trimmedText(), blockDirective);
        }
        print(")", blockDirective);
    }
    if (blockDirective.childCount() > 0) {
        print(" {", blockDirective);
        ++state_.queuedNewlines;
        descendInto(blockDirective);
        ++state_.queuedNewlines;
        print("}", blockDirective);
    }
}

// A command after a sibling starts its own line: within a line it would be read as text. Its
// body is read without the indentation of its first line below the command's, which a line of
// a list item or of code could set to its own: the lines after would then lose theirs. Such a
// body is written again with the command alone on its line.
void MarkupFormatter::writeDoxygenCommand(const Markup& command, std::string_view word,
                                          std::string_view parameterName) {
    if (!isFirst(command))
        ensurePrecedingNewlines(1);
    std::string head(rawValue(formattingOptions.doxygenCommandPrefix));
    head += word;
    if (!parameterName.empty()) {
        head += ' ';
        head += parameterName;
    }
    const State beforeHead = state_;
    const BulletRun bulletRun = bulletRun_;
    const auto lastList = lastList_;
    const auto lastIndentedCodeBlock = lastIndentedCodeBlock_;
    // Within another command the word always stands alone, so that only the outermost command
    // is ever written again: commands built into one another cost twice their writing at most.
    const bool nested = commandsBeingWritten_ > 0;
    print(nested ? head : head + " ", command);
    if (nested)
        ++state_.queuedNewlines;
    const std::size_t bodyStart = result_.size();
    ++commandsBeingWritten_;
    descendInto(command);
    --commandsBeingWritten_;
    if (nested || !secondLineIndented(command, bodyStart))
        return;
    restoreState(beforeHead);
    bulletRun_ = bulletRun;
    lastList_ = lastList;
    lastIndentedCodeBlock_ = lastIndentedCodeBlock;
    print(head, command);
    ++state_.queuedNewlines;
    ++commandsBeingWritten_;
    descendInto(command);
    --commandsBeingWritten_;
}

bool MarkupFormatter::secondLineIndented(const Markup& command, std::size_t bodyStart) const {
    const std::size_t lineEnd = result_.find('\n', bodyStart);
    if (lineEnd == std::string::npos)
        return false;
    const std::size_t contentStart = lineEnd + 1 + linePrefix(command).size();
    return contentStart < result_.size() &&
           (result_[contentStart] == ' ' || result_[contentStart] == '\t');
}

void MarkupFormatter::visitDoxygenDiscussion(const DoxygenDiscussion& command) {
    writeDoxygenCommand(command, "discussion");
}

void MarkupFormatter::visitDoxygenAbstract(const DoxygenAbstract& command) {
    writeDoxygenCommand(command, "abstract");
}

void MarkupFormatter::visitDoxygenNote(const DoxygenNote& command) {
    writeDoxygenCommand(command, "note");
}

void MarkupFormatter::visitDoxygenParameter(const DoxygenParameter& command) {
    writeDoxygenCommand(command, "param", command.name());
}

void MarkupFormatter::visitDoxygenReturns(const DoxygenReturns& command) {
    writeDoxygenCommand(command, "returns");
}

void MarkupFormatter::visitText(const Text& text) {
    softWrapText(text.string(), text);
}

// Code between three or more backticks stays on one line: a line that starts with such a
// delimiter and holds no other backtick is a code fence.
void MarkupFormatter::visitInlineCode(const InlineCode& inlineCode) {
    const std::string span = detail::inlineCodeSpan(inlineCode.code());
    writeInlineUnit(inlineCode, [&] {
        if (span.starts_with("```"))
            print(span, inlineCode);
        else
            softWrapText(span, inlineCode);
    });
}

namespace {

bool isEmphasis(const Markup& element) {
    return element.is<Emphasis>() || element.is<Strong>();
}

}  // namespace

// An underscore touching a letter or digit on its outer side neither opens nor closes emphasis
// ("__c__hange" is plain text), stars and underscores of the text around may pair with it
// differently ("_a _b_ c_"), after a "<" it may read as an attribute name ("<div _>"),
// and emphasis directly in or beside emphasis flanks differently with mixed markers
// ("*__b__*"); a star does none of this, so it stands in there.
std::string_view MarkupFormatter::emphasisMarker(const Markup& emphasis) const {
    const std::string_view preferred = rawValue(formattingOptions.emphasisMarker);
    if (preferred != "_")
        return preferred;
    const auto parent = emphasis.parent();
    const auto previous = parent ? parent->child(emphasis.indexInParent() - 1) : std::nullopt;
    const auto next = parent ? parent->child(emphasis.indexInParent() + 1) : std::nullopt;
    const auto nextText = next ? next->as<Text>() : std::nullopt;
    const auto children = emphasis.children();
    const bool nested = (parent && isEmphasis(*parent)) ||
                        std::ranges::any_of(children, isEmphasis) ||
                        (previous && isEmphasis(*previous)) || (next && isEmphasis(*next));
    const bool touchesBefore = !atLineStart() && isWordCharacter(result_.back());
    const bool touchesAfter =
        nextText && !nextText->string().empty() && isWordCharacter(nextText->string().front());
    return emphasisCharactersInText_ || nested || touchesBefore || touchesAfter ? "*" : preferred;
}

void MarkupFormatter::writeEmphasis(const Markup& emphasis, std::uint64_t markerCount) {
    const std::string marker = repeated(emphasisMarker(emphasis), markerCount);
    print(marker, emphasis);
    descendInto(emphasis);
    print(marker, emphasis);
}

void MarkupFormatter::visitEmphasis(const Emphasis& emphasis) {
    writeEmphasis(emphasis, 1);
}

void MarkupFormatter::visitStrong(const Strong& strong) {
    writeEmphasis(strong, 2);
}

void MarkupFormatter::visitStrikethrough(const Strikethrough& strikethrough) {
    print("~", strikethrough);
    descendInto(strikethrough);
    print("~", strikethrough);
}

void MarkupFormatter::writeImage(const Image& image) {
    print("![", image);
    descendInto(image);
    print("](", image);
    print(image.source().value_or(""), image);
    if (image.title())
        print(" \"" + *image.title() + "\"", image);
    print(")", image);
}

void MarkupFormatter::visitImage(const Image& image) {
    writeInlineUnit(image, [&] { writeImage(image); });
}

// Only a destination that reads back as an autolink is condensed: "<a>" would be raw HTML.
void MarkupFormatter::visitLink(const Link& link) {
    if (formattingOptions.condenseAutolinks && link.isAutolink() &&
        detail::isAutolinkDestination(*link.destination())) {
        print("<" + *link.destination() + ">", link);
        return;
    }
    writeInlineUnit(link, [&] {
        print("[", link);
        descendInto(link);
        print("](", link);
        print(link.destination().value_or(""), link);
        print(")", link);
    });
}

void MarkupFormatter::visitInlineHTML(const InlineHTML& inlineHTML) {
    print(inlineHTML.rawHTML(), inlineHTML);
}

// A break of two spaces needs text before it: spaces or a tab would be taken into the break,
// at a line's start the two spaces would be dropped, and right after an opening marker they
// would keep it from opening ("*  " is a list item). A backslash breaks the line there.
void MarkupFormatter::visitLineBreak(const LineBreak& lineBreak) {
    if (oneLineHeadingDepth_ > 0) {
        print(" ", lineBreak);
        return;
    }
    const bool backslash =
        atLineStart() || isFirst(lineBreak) || result_.back() == ' ' || result_.back() == '\t';
    print(backslash ? "\\" : "  ", lineBreak);
    ++state_.queuedNewlines;
}

void MarkupFormatter::visitSoftBreak(const SoftBreak& softBreak) {
    if (oneLineHeadingDepth_ > 0)
        print(" ", softBreak);
    else
        ++state_.queuedNewlines;
}

void MarkupFormatter::visitSymbolLink(const SymbolLink& symbolLink) {
    print("``", symbolLink);
    print(symbolLink.destination().value_or(""), symbolLink);
    print("``", symbolLink);
}

void MarkupFormatter::visitInlineAttributes(const InlineAttributes& inlineAttributes) {
    writeInlineUnit(inlineAttributes, [&] {
        print("^[", inlineAttributes);
        descendInto(inlineAttributes);
        print("](", inlineAttributes);
        print(inlineAttributes.attributes(), inlineAttributes);
        print(")", inlineAttributes);
    });
}

}  // namespace pindrake::markdown
