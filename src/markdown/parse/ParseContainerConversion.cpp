#include "markdown/parse/ParseContainerConversion.h"

#include <string>
#include <utility>
#include <vector>

#include "markdown/parse/CommonMarkConverter.h"
#include "markdown/parse/RangeAdjuster.h"
#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

namespace {

using Kind = ParseContainer::Kind;

// Parses the lines as one text, trimmed by the indentation of the container that holds them,
// and appends the nodes, their ranges moved into the text's coordinates.
void convertLines(const std::vector<TrimmedLine>& lines, const ParseContainer* holder,
                  RangeTracker& tracker, ParseOptions options, std::vector<RawMarkupPtr>& out) {
    ParseContainer run;
    run.kind = Kind::lineRun;
    const auto width = static_cast<std::size_t>(run.indentationAdjustment(holder));
    std::string text;
    std::vector<std::int64_t> trimmed;
    trimmed.reserve(lines.size());
    for (const TrimmedLine& line : lines) {
        TrimmedLine copy = line;
        if (width > 0)
            copy.lexWhitespace(width);
        // Bytes, as columns count them.
        trimmed.push_back(static_cast<std::int64_t>(copy.parseIndex()));
        if (&line != &lines.front())
            text += '\n';
        text += copy.rest();
    }
    const Url source = lines.empty() ? Url() : lines.front().source();
    RangeAdjuster adjuster{lines.empty() ? 1 : lines.front().lineNumber().value_or(1),
                           std::move(tracker), std::move(trimmed)};
    const RawMarkupPtr parsed = FreshCmarkRun::parse(text, source, options);
    for (const RawMarkupPtr& child : parsed->children()) {
        adjuster.adjust(*child);
        out.push_back(child);
    }
    tracker = std::move(adjuster.ranges);
}

RawMarkupData doxygenData(const PendingDoxygenCommand& command) {
    switch (command.kind) {
        case PendingDoxygenCommand::Kind::param:
            return payload::DoxygenParam{std::string(command.parameterName)};
        case PendingDoxygenCommand::Kind::discussion:
            return payload::DoxygenDiscussion{};
        case PendingDoxygenCommand::Kind::note:
            return payload::DoxygenNote{};
        case PendingDoxygenCommand::Kind::abstract:
            return payload::DoxygenAbstract{};
        case PendingDoxygenCommand::Kind::returns:
            return payload::DoxygenReturns{};
    }
    stopOnMisuse("unknown Doxygen command");
}

RawMarkupData directiveData(const PendingBlockDirective& directive) {
    std::vector<DirectiveArgumentText::LineSegment> segments;
    segments.reserve(directive.argumentsText.size());
    for (const TrimmedLine::Lex& lex : directive.argumentsText)
        segments.push_back(argumentSegment(lex));
    return payload::BlockDirective{std::string(directive.name), directive.nameLocation,
                                   DirectiveArgumentText(std::move(segments))};
}

// A container whose children are being converted.
struct Frame {
    explicit Frame(std::size_t container) : container(container) {}
    std::size_t container;
    std::size_t nextChild = 0;
    std::vector<RawMarkupPtr> nodes;
};

}  // namespace

DirectiveArgumentText::LineSegment argumentSegment(const TrimmedLine::Lex& lex) {
    // The lex is a view into its input line, which starts column - 1 bytes before it.
    const std::size_t offset =
        lex.range ? static_cast<std::size_t>(lex.range->start().column - 1) : 0;
    const std::string_view line(lex.text.data() - offset, offset + lex.text.size());
    return {std::string(line), offset, lex.range};
}

Document documentFromContainers(const ParseContainerStack& stack, const Url& source,
                                ParseOptions options) {
    const std::uint64_t rootId = cmarkup_increment_and_get_unique_id();
    const SourceLocation first{1, 1, source};
    RangeTracker tracker{SourceRange(first, first)};
    const std::vector<ParseContainer>& containers = stack.containers();

    std::vector<Frame> frames;
    frames.emplace_back(0);
    RawMarkupPtr root;
    while (!frames.empty()) {
        Frame& frame = frames.back();
        const ParseContainer& container = containers[frame.container];
        if (frame.nextChild < container.children.size()) {
            const std::size_t childIndex = container.children[frame.nextChild++];
            const ParseContainer& child = containers[childIndex];
            switch (child.kind) {
                case Kind::lineRun:
                    convertLines(child.lines, &container, tracker, options, frame.nodes);
                    break;
                case Kind::doxygenCommand: {
                    const SourceRange range(child.doxygen->atLocation, child.doxygen->endLocation);
                    tracker.add(range);
                    std::vector<RawMarkupPtr> nodes;
                    convertLines(child.lines, &child, tracker, options, nodes);
                    frame.nodes.push_back(
                        RawMarkup::create(doxygenData(*child.doxygen), range, std::move(nodes)));
                    break;
                }
                case Kind::blockDirective:
                    tracker.add(
                        SourceRange(child.directive->atLocation, child.directive->endLocation));
                    frames.emplace_back(childIndex);  // invalidates frame
                    break;
                case Kind::root:
                    stopOnMisuse("a root container inside another");
            }
            continue;
        }
        RawMarkupPtr node;
        if (container.kind == Kind::root) {
            node =
                RawMarkup::create(payload::Document{}, tracker.totalRange, std::move(frame.nodes));
        } else {
            node = RawMarkup::create(
                directiveData(*container.directive),
                SourceRange(container.directive->atLocation, container.directive->endLocation),
                std::move(frame.nodes));
        }
        frames.pop_back();
        if (frames.empty())
            root = std::move(node);
        else
            frames.back().nodes.push_back(std::move(node));
    }
    return Document::fromRoot(std::move(root), rootId);
}

}  // namespace pindrake::markdown
