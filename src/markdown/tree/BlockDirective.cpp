#include "markdown/tree/BlockDirective.h"

namespace pindrake::markdown {

DirectiveArgumentText BlockDirective::segmentsOf(std::optional<std::string_view> argumentText) {
    DirectiveArgumentText arguments;
    if (!argumentText)
        return arguments;
    std::string_view text = *argumentText;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A carriage return and a line feed form one character, which does not end a line.
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            arguments.segments.push_back(
                {std::string(text.substr(lineStart, i - lineStart)), 0, std::nullopt});
            lineStart = i + 1;
        }
    }
    arguments.segments.push_back({std::string(text.substr(lineStart)), 0, std::nullopt});
    return arguments;
}

std::optional<SourceRange> BlockDirective::nameRange() const {
    const auto& location = nameLocation();
    if (!location)
        return std::nullopt;
    SourceLocation end = *location;
    end.column += static_cast<std::int64_t>(name().size());
    return SourceRange(*location, std::move(end));
}

}  // namespace pindrake::markdown
