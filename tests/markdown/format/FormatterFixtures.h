#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markdown/format/MarkupFormatter.h"

namespace pindrake::markdown::testing {

using Options = MarkupFormatter::Options;
using LineLimit = Options::PreferredLineLimit;

inline Options withLineLimit(std::int64_t length, LineLimit::SplittingElement element =
                                                      LineLimit::SplittingElement::softBreak) {
    Options options;
    options.preferredLineLimit = LineLimit(length, element);
    return options;
}

// One formatting example: the tree, the text expected and the options, default ones if none.
struct FormatCase {
    const char* name;
    Markup tree;
    std::string expected;
    Options options = {};
};

inline void expectFormats(const std::vector<FormatCase>& cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(format(c.tree, c.options), c.expected) << c.name;
    }
}

template <class Change>
Options changed(Change change) {
    Options options;
    change(options);
    return options;
}

inline Paragraph paragraph(std::string text) {
    return Paragraph{Text(std::move(text))};
}

// A table cell holding one text, or nothing for an empty one.
inline Table::Cell cell(std::string text, std::uint64_t colspan = 1, std::uint64_t rowspan = 1) {
    if (text.empty())
        return Table::Cell(colspan, rowspan, {});
    return Table::Cell(colspan, rowspan, {Text(std::move(text))});
}

}  // namespace pindrake::markdown::testing
