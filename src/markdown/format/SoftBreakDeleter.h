#pragma once

#include <optional>

#include "markdown/tree/MarkupRewriter.h"

namespace pindrake::markdown {

// Rewrites a tree with every soft break replaced by a separate one-space text, so that the
// writer alone decides where lines end. Everything else, hard breaks included, is rebuilt
// unchanged. Holds no state; one value serves any number of rewrites.
class SoftBreakDeleter : public MarkupRewriter {
  public:
    std::optional<Markup> visitSoftBreak(const SoftBreak&) override { return Text(" "); }
};

// The same rewrite applied to a table cell, so that every cell is written on one line.
using TableCellBreakDeleter = SoftBreakDeleter;

}  // namespace pindrake::markdown
