#include "markdown/parse/ParseContainerDescription.h"

#include <string_view>

#include "markdown/parse/DebugQuoted.h"

namespace pindrake::markdown {

namespace {

// Writes pieces of text on indented lines; line breaks are asked for ahead and written only
// when more text follows, so the description never ends with one.
struct DescriptionPrinter {
    std::size_t indentation = 0;
    std::size_t pendingNewlines = 0;
    std::string output;

    void print(std::string_view text) {
        bool first = true;
        while (true) {
            const std::size_t feed = text.find('\n');
            const std::size_t breaks = first ? pendingNewlines : 1;
            for (std::size_t i = 0; i < breaks; ++i)
                output += "\n" + std::string(indentation, ' ');
            output += text.substr(0, feed);
            first = false;
            if (feed == std::string_view::npos)
                break;
            text.remove_prefix(feed + 1);
        }
        pendingNewlines = 0;
    }
};

std::string kindText(const PendingDoxygenCommand& command) {
    switch (command.kind) {
        case PendingDoxygenCommand::Kind::param:
            return "'param' Argument: '" + std::string(command.parameterName) + "'";
        case PendingDoxygenCommand::Kind::discussion:
            return "'discussion'";
        case PendingDoxygenCommand::Kind::note:
            return "'note'";
        case PendingDoxygenCommand::Kind::abstract:
            return "'abstract'";
        case PendingDoxygenCommand::Kind::returns:
            return "'returns'";
    }
    return {};
}

void printLines(DescriptionPrinter& printer, const std::vector<TrimmedLine>& lines) {
    printer.pendingNewlines += 1;
    printer.indentation += 4;
    for (const TrimmedLine& line : lines) {
        printer.print(debugQuoted(line.rest()));
        printer.pendingNewlines = 1;
    }
    printer.indentation -= 4;
}

}  // namespace

std::string containerDescription(const std::vector<ParseContainer>& containers, std::size_t index) {
    using Kind = ParseContainer::Kind;
    constexpr std::size_t leaveChildren = SIZE_MAX;
    DescriptionPrinter printer;
    // Container indices still to describe; leaveChildren marks the end of a child list.
    std::vector<std::size_t> pending{index};
    while (!pending.empty()) {
        const std::size_t current = pending.back();
        pending.pop_back();
        if (current == leaveChildren) {
            printer.indentation -= 4;
            continue;
        }
        const ParseContainer& container = containers[current];
        switch (container.kind) {
            case Kind::root:
                printer.print("* Root Document");
                break;
            case Kind::blockDirective: {
                const PendingBlockDirective& directive = *container.directive;
                printer.print("* Block directive '" + std::string(directive.name) + "'");
                if (!directive.argumentsText.empty()) {
                    printer.pendingNewlines += 1;
                    printer.indentation += 2;
                    printer.print("Arguments Text:");
                    printer.indentation += 2;
                    printer.pendingNewlines += 1;
                    std::string pieces;
                    for (const TrimmedLine::Lex& lex : directive.argumentsText)
                        pieces += (pieces.empty() ? "" : "\n") + debugQuoted(lex.text);
                    printer.print(pieces);
                    printer.indentation -= 4;
                }
                break;
            }
            case Kind::doxygenCommand:
                printer.print("* Doxygen command " + kindText(*container.doxygen));
                printLines(printer, container.lines);
                break;
            case Kind::lineRun:
                printer.print("* Line Run");
                printLines(printer, container.lines);
                break;
        }
        if (container.kind == Kind::root || container.kind == Kind::blockDirective) {
            printer.pendingNewlines += 1;
            printer.indentation += 4;
            pending.push_back(leaveChildren);
            for (auto it = container.children.rbegin(); it != container.children.rend(); ++it)
                pending.push_back(*it);
        }
    }
    return printer.output;
}

}  // namespace pindrake::markdown
