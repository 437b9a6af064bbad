#pragma once

#include <string>

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

inline Paragraph paragraph(std::string text) {
    return Paragraph{Text(std::move(text))};
}

}  // namespace pindrake::markdown::testing
