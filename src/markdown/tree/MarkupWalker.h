#pragma once

#include "markdown/tree/MarkupVisitor.h"

namespace pindrake::markdown {

// A visitor without a result that visits every element of a tree in pre-order unless one of
// its operations stops the descent by not calling descendInto.
class MarkupWalker : public MarkupVisitor<void> {
  public:
    void defaultVisit(const Markup& markup) override { descendInto(markup); }

    // Visits each child of the element, first to last.
    void descendInto(const Markup& markup) {
        for (Markup child : markup.children()) {
            visit(std::move(child));
        }
    }
};

}  // namespace pindrake::markdown
