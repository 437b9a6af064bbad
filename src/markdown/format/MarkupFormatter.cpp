#include "markdown/format/MarkupFormatter.h"

#include <algorithm>

#include "foundation/Unicode.h"
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
std::string MarkupFormatter::linePrefix(const Markup& element) const {
    std::string prefix = formattingOptions.customLinePrefix;
    std::optional<Markup> parent;
    for (const Markup& member : chainTo(element)) {
        if (parent && parent->is<ListItem>()) {
            if (auto marker = detail::listItemMarker(*parent, formattingOptions))
                prefix.append(marker->size(), ' ');
        } else if (parent && parent->is<BlockDirective>()) {
            prefix += "    ";
        }
        if (member.is<BlockQuote>())
            prefix += "> ";
        parent = member;
    }
    return prefix;
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

// A line may end only where the output already ends in a single space: breaking after other
// text would split a word or a delimiter run ("**", "](") from its neighbour, and breaking
// after two spaces would turn them into a hard break.
bool MarkupFormatter::mayBreakBeforeFirstWord() const noexcept {
    if (atLineStart() || result_.empty() || result_.back() != ' ')
        return false;
    return result_.size() - state_.lineContentStart < 2 || result_[result_.size() - 2] != ' ';
}

bool MarkupFormatter::lineLimitApplies(const Markup& element) const {
    if (!formattingOptions.preferredLineLimit)
        return false;
    for (auto ancestor = element.parent(); ancestor; ancestor = ancestor->parent()) {
        if (ancestor->is<Heading>())
            return false;
    }
    return true;
}

void MarkupFormatter::softWrapText(std::string_view text, const Markup& element) {
    if (!lineLimitApplies(element)) {
        print(text, element);
        return;
    }
    const auto& limit = *formattingOptions.preferredLineLimit;
    const std::string_view lineEnd =
        limit.lineSplittingElement() == Options::PreferredLineLimit::SplittingElement::hardBreak
            ? "  "
            : "";
    const std::int64_t lineEndLength = static_cast<std::int64_t>(lineEnd.size());
    const std::int64_t maxLength = limit.maxLength();
    std::int64_t wordsOnLine = 0;
    std::size_t wordStart = 0;
    for (bool first = true;; first = false) {
        const std::size_t wordEnd = std::min(text.find_first_of(" \t", wordStart), text.size());
        const std::string_view word = text.substr(wordStart, wordEnd - wordStart);
        const std::int64_t wordLength = characterCount(word);
        if (first) {
            if (state_.lastLineLength + wordLength >= maxLength && mayBreakBeforeFirstWord())
                breakAfterTrailingSpace();
        } else if (state_.lastLineLength + wordLength + lineEndLength + 1 >= maxLength) {
            print(lineEnd, element);
            ++state_.queuedNewlines;
            wordsOnLine = 0;
        } else if (wordsOnLine > 0) {
            print(" ", element);
        }
        print(word, element);
        ++wordsOnLine;
        if (wordEnd >= text.size())
            break;
        wordStart = wordEnd + 1;
    }
}

// Without a line limit, and in headings, nothing moves: the text stays on its line. Otherwise a
// unit moves to a fresh line only where the line may end (after a single space).
void MarkupFormatter::writeInlineUnit(const Markup& unit, const std::function<void()>& write) {
    const State saved = state_;
    const bool mayMove =
        unit.indexInParent() > 0 && mayBreakBeforeFirstWord() && lineLimitApplies(unit);
    write();
    if (!mayMove)
        return;
    const bool tooLong = state_.lastLineLength >= formattingOptions.preferredLineLimit->maxLength();
    const bool wrapped =
        saved.lineNumber + saved.queuedNewlines < state_.lineNumber + state_.queuedNewlines;
    if (tooLong || wrapped) {
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

std::string format(const Markup& markup, const MarkupFormatterOptions& options) {
    Markup subject = markup;
    if (options.preferredLineLimit) {
        SoftBreakDeleter deleter;
        auto rewritten = deleter.visit(markup);
        if (!rewritten || rewritten->kind() != markup.kind())
            return {};
        subject = std::move(*rewritten);
    }
    MarkupFormatter formatter(options);
    subject.accept(formatter);
    return formatter.result();
}

}  // namespace pindrake::markdown
