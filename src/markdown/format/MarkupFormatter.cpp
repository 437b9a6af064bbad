#include "markdown/format/MarkupFormatter.h"

#include <algorithm>

#include "foundation/Unicode.h"
#include "markdown/format/LineStarts.h"
#include "markdown/format/ListMarkers.h"
#include "markdown/format/SoftBreakDeleter.h"
#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

namespace {

std::int64_t characterCount(std::string_view text) {
    return static_cast<std::int64_t>(unicode::graphemeCount(text));
}

// The element's ancestors and the element itself, outermost first.
std::vector<Markup> chainTo(const Markup& element) {
    std::vector<Markup> chain{element};
    while (auto parent = chain.back().parent()) {
        chain.push_back(std::move(*parent));
    }
    std::reverse(chain.begin(), chain.end());
    return chain;
}

}  // namespace

MarkupFormatter::MarkupFormatter(Options formattingOptions)
    : formattingOptions(std::move(formattingOptions)) {}

void MarkupFormatter::defaultVisit(const Markup& markup) {
    stopOnMisuse("Formatter not implemented for " + std::string(elementTypeName(markup.kind())));
}

// Each member of the chain first adds the indentation it owes its parent (a list item's marker
// width, a directive's four spaces), then its own "> " when it is a quote. So a quote inside a
// list item stays inside the item, and lists add nothing beyond their items' markers.
void MarkupFormatter::appendOwnPrefix(std::string& prefix, const Markup* parent,
                                      const Markup& member) const {
    if (parent && parent->is<ListItem>()) {
        if (auto marker = detail::listItemMarker(*parent, formattingOptions))
            prefix.append(marker->size(), ' ');
    } else if (parent && parent->is<BlockDirective>()) {
        prefix += "    ";
    }
    if (member.is<BlockQuote>())
        prefix += "> ";
}

// The walk keeps the prefix of the elements it is in, so that writing a line costs the length
// of its prefix, not the depth of the element; others are worked out from their ancestors.
std::string MarkupFormatter::linePrefix(const Markup& element) const {
    const std::size_t levels = visitedPrefixes_.size();
    for (std::size_t level = levels; level > 0 && level + 2 > levels; --level) {
        const VisitedPrefix& visited = visitedPrefixes_[level - 1];
        if (visited.element.isIdentical(element))
            return prefixes_.substr(0, visited.length);
    }
    std::string prefix = formattingOptions.customLinePrefix;
    const std::vector<Markup> chain = chainTo(element);
    for (std::size_t i = 0; i < chain.size(); ++i)
        appendOwnPrefix(prefix, i > 0 ? &chain[i - 1] : nullptr, chain[i]);
    return prefix;
}

void MarkupFormatter::visit(Markup markup) {
    bool inCommand = false;
    if (visitedPrefixes_.empty()) {
        prefixes_ = linePrefix(markup);
        const std::vector<Markup> chain = chainTo(markup);
        for (std::size_t i = 0; i + 1 < chain.size(); ++i)
            inCommand = detail::childLinesInCommand(chain[i], inCommand);
    } else {
        const VisitedPrefix& parent = visitedPrefixes_.back();
        prefixes_.resize(parent.length);
        appendOwnPrefix(prefixes_, &parent.element, markup);
        inCommand = detail::childLinesInCommand(parent.element, parent.inCommandLines);
    }
    visitedPrefixes_.push_back({markup, prefixes_.size(), inCommand});
    MarkupWalker::visit(std::move(markup));
    visitedPrefixes_.pop_back();
}

bool MarkupFormatter::inCommandLines() const noexcept {
    return !visitedPrefixes_.empty() && visitedPrefixes_.back().inCommandLines;
}

detail::SiblingBreak MarkupFormatter::siblingBreak(const Markup& block) const {
    return detail::siblingBreak(block, inCommandLines(), formattingOptions);
}

void MarkupFormatter::breakFromSibling(const Markup& block) {
    if (block.indexInParent() > 0)
        ensurePrecedingNewlines(siblingBreak(block) == detail::SiblingBreak::blankLine ? 2 : 1);
}

void MarkupFormatter::flushQueuedNewlines(const Markup& element) {
    if (state_.queuedNewlines <= 0)
        return;
    const std::string prefix = linePrefix(element);
    const std::int64_t prefixLength = characterCount(prefix);
    for (std::int64_t i = 0; i < state_.queuedNewlines; ++i) {
        result_ += '\n';
        result_ += prefix;
    }
    state_.currentLength += state_.queuedNewlines * (1 + prefixLength);
    state_.lineNumber += state_.queuedNewlines;
    state_.newlineStreak += state_.queuedNewlines;
    state_.lastLineLength = prefixLength;
    state_.queuedNewlines = 0;
    state_.resultSize = result_.size();
    state_.lineContentStart = result_.size();
}

void MarkupFormatter::print(std::string_view text, const Markup& element) {
    flushQueuedNewlines(element);
    if (result_.empty()) {
        const std::string prefix = linePrefix(element);
        const std::int64_t prefixLength = characterCount(prefix);
        result_ += prefix;
        state_.currentLength += prefixLength;
        state_.lastLineLength += prefixLength;
        state_.lineContentStart = result_.size();
    }
    const std::int64_t length = characterCount(text);
    result_ += text;
    state_.currentLength += length;
    state_.lastLineLength += length;
    state_.newlineStreak = 0;
    state_.resultSize = result_.size();
}

void MarkupFormatter::ensurePrecedingNewlines(std::int64_t count) {
    const std::int64_t missing = count - (state_.queuedNewlines + state_.newlineStreak);
    if (missing > 0)
        state_.queuedNewlines += missing;
}

void MarkupFormatter::restoreState(const State& saved) {
    if (saved.resultSize < result_.size())
        result_.resize(saved.resultSize);
    state_ = saved;
}

bool MarkupFormatter::atLineStart() const noexcept {
    return state_.queuedNewlines > 0 || result_.size() == state_.lineContentStart;
}

// A line may end after a word, not after spaces (two would be a hard break, and they would be
// lost) nor after a backslash (which would make a hard break of the line's end), nor where the
// line would then read as a block.
bool MarkupFormatter::mayEndLineAfterWord() const noexcept {
    return !atLineStart() && result_.back() != ' ' && result_.back() != '\\' &&
           !lineMayReadAsBlock();
}

// A line may end only where the output already ends in a single space after a word: breaking
// after other text would split a word or a delimiter run ("**", "](") from its neighbour.
bool MarkupFormatter::mayBreakBeforeFirstWord() const noexcept {
    if (atLineStart() || result_.back() != ' ' || result_.size() - state_.lineContentStart < 2)
        return false;
    const char beforeSpace = result_[result_.size() - 2];
    return beforeSpace != ' ' && beforeSpace != '\\' && !lineMayReadAsBlock();
}

// A line cut short may read as a block that the whole line did not when it starts like one
// ("```" alone opens a fence, "<img src=a>" alone an HTML block, "_ _ _" is a thematic
// break), and a task item's checkbox is read from the end of a line of its paragraph.
bool MarkupFormatter::lineMayReadAsBlock() const noexcept {
    const std::string_view line = std::string_view(result_).substr(state_.lineContentStart);
    return detail::opensBlock(detail::firstWord(line)) || detail::endsInCheckbox(line);
}

// How many of this bullet the output ends with, on the line about to be written on.
std::int64_t MarkupFormatter::bulletsEndingHere(char bullet) const noexcept {
    const bool here = state_.queuedNewlines == 0 && bulletRun_.end == result_.size();
    return here && bulletRun_.bullet == bullet ? bulletRun_.count : 0;
}

bool MarkupFormatter::lineLimitApplies() const noexcept {
    return formattingOptions.preferredLineLimit && unwrappedDepth_ == 0;
}

// Headings are one line or underlined. A paragraph starting with a bracket that no link took
// may hold a link reference definition once its lines end elsewhere ("[a]: /url 'b" + "c'").
bool MarkupFormatter::keepsLines(const Markup& block) {
    if (block.is<Heading>())
        return true;
    if (!block.is<Paragraph>())
        return false;
    const auto first = block.child(0);
    const auto text = first ? first->as<Text>() : std::nullopt;
    return text && text->string().starts_with('[');
}

void MarkupFormatter::enterAncestorsOf(const Markup& element) {
    emphasisCharactersInText_ = holdsEmphasisCharacter(element.raw());
    for (auto ancestor = element.parent(); ancestor; ancestor = ancestor->parent()) {
        if (keepsLines(*ancestor))
            ++unwrappedDepth_;
    }
}

// Whether a line may start with the sibling that follows a text ending in a space. Emphasis
// starts with its marker and the word it holds, which opens no block; links, images and code
// move to a fresh line by themselves where they may, and anything else stays on the line.
bool MarkupFormatter::nextSiblingMayStartLine(const Markup& element) const {
    const auto parent = element.parent();
    const auto next = parent ? parent->child(element.indexInParent() + 1) : std::nullopt;
    return next && (next->is<Emphasis>() || next->is<Strong>());
}

// Words are split at spaces and tabs; a line is broken before a word that would make it
// reach the limit, in place of a single space: a run of spaces stays on its line, as text.
// Tabs between words become spaces, but in code, where they are part of the code.
// A line never starts with a word that would open a block there. Inside code a hard break
// would add its two spaces to the code, so code lines always end with a soft break.
void MarkupFormatter::softWrapText(std::string_view text, const Markup& element) {
    if (!lineLimitApplies()) {
        print(text, element);
        return;
    }
    const auto& limit = *formattingOptions.preferredLineLimit;
    const bool inCode = element.is<InlineCode>();
    const bool hardBreak =
        limit.lineSplittingElement() == Options::PreferredLineLimit::SplittingElement::hardBreak &&
        !inCode;
    const std::string_view lineEnd = hardBreak ? "  " : "";
    const std::int64_t lineEndLength = static_cast<std::int64_t>(lineEnd.size());
    const std::int64_t maxLength = limit.maxLength();
    auto isSeparator = [](char c) { return c == ' ' || c == '\t'; };
    // In code a line end reads as a space: it may stand only for a space, not for a tab.
    auto mayBreakAt = [&](std::size_t separator) { return !inCode || text[separator] == ' '; };
    std::size_t position = 0;
    do {
        std::size_t wordStart = position;
        while (wordStart < text.size() && isSeparator(text[wordStart]))
            ++wordStart;
        std::size_t wordEnd = wordStart;
        while (wordEnd < text.size() && !isSeparator(text[wordEnd]))
            ++wordEnd;
        const std::size_t separators = wordStart - position;
        const std::string_view word = text.substr(wordStart, wordEnd - wordStart);
        const std::int64_t wordLength = characterCount(word);
        position = wordEnd;
        if (separators == 0) {
            // The room a hard break would take counts here too, so that a text split in two
            // at a space breaks where the whole text would.
            if (!word.empty() && state_.lastLineLength + wordLength + lineEndLength >= maxLength &&
                mayBreakBeforeFirstWord() && !detail::opensBlock(word)) {
                breakAfterTrailingSpace();
            }
            print(word, element);
            continue;
        }
        const bool breaks =
            separators == 1 &&
            state_.lastLineLength + wordLength + lineEndLength + 1 >= maxLength &&
            mayEndLineAfterWord() && mayBreakAt(wordStart - 1) &&
            (word.empty() ? nextSiblingMayStartLine(element) : !detail::opensBlock(word));
        if (breaks) {
            print(lineEnd, element);
            ++state_.queuedNewlines;
        } else if (inCode) {
            print(text.substr(wordStart - separators, separators), element);
        } else {
            print(std::string(separators, ' '), element);
        }
        if (!word.empty())
            print(word, element);
    } while (position < text.size());
}

// Without a line limit, and in headings, nothing moves: the text stays on its line. Otherwise a
// unit moves to a fresh line only where the line may end (after a single space), and not when
// its first word would open a block there.
void MarkupFormatter::writeInlineUnit(const Markup& unit, const std::function<void()>& write) {
    const State saved = state_;
    const bool mayMove =
        unit.indexInParent() > 0 && mayBreakBeforeFirstWord() && lineLimitApplies();
    write();
    if (!mayMove)
        return;
    const bool tooLong = state_.lastLineLength >= formattingOptions.preferredLineLimit->maxLength();
    const bool wrapped =
        saved.lineNumber + saved.queuedNewlines < state_.lineNumber + state_.queuedNewlines;
    const std::string_view unitText = std::string_view(result_).substr(saved.resultSize);
    if ((tooLong || wrapped) && !detail::opensBlock(detail::firstWord(unitText))) {
        restoreState(saved);
        breakAfterTrailingSpace();
        write();
    }
}

// The line break takes the place of the space that ends the line.
void MarkupFormatter::breakAfterTrailingSpace() {
    result_.pop_back();
    --state_.currentLength;
    --state_.lastLineLength;
    state_.resultSize = result_.size();
    ++state_.queuedNewlines;
}

std::vector<std::string_view> MarkupFormatter::trimmedLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    auto first = std::find_if(lines.begin(), lines.end(), [](auto l) { return !l.empty(); });
    auto last = std::find_if(lines.rbegin(), lines.rend(), [](auto l) { return !l.empty(); });
    if (first == lines.end())
        return {};
    return {first, last.base()};
}

namespace {

// Paragraphs that keep their lines keep their soft breaks too: joined, "[x]" and the next line
// may read back as a task item's checkbox, "[a]:" and the next line as a link definition.
class LineKeepingSoftBreakDeleter : public SoftBreakDeleter {
  public:
    std::optional<Markup> visitParagraph(const Paragraph& paragraph) override {
        if (MarkupFormatter::keepsLines(paragraph))
            return paragraph;
        return SoftBreakDeleter::visitParagraph(paragraph);
    }
};

}  // namespace

std::string format(const Markup& markup, const MarkupFormatterOptions& options) {
    Markup subject = markup;
    if (options.preferredLineLimit) {
        LineKeepingSoftBreakDeleter deleter;
        auto rewritten = deleter.visit(markup);
        if (!rewritten || rewritten->kind() != markup.kind())
            return {};
        subject = std::move(*rewritten);
    }
    MarkupFormatter formatter(options);
    formatter.enterAncestorsOf(subject);
    formatter.visit(std::move(subject));
    return formatter.result();
}

}  // namespace pindrake::markdown
