#pragma once

#include <optional>
#include <vector>

#include "markdown/tree/MarkupVisitor.h"

namespace pindrake::markdown {

// A visitor whose result replaces the visited element (or removes it, when absent). By default
// it rewrites the children and rebuilds each element from the kept results, so a rewriter
// that replaces nothing returns a copy with the same structure in a new tree.
class MarkupRewriter : public MarkupVisitor<std::optional<Markup>> {
  public:
    std::optional<Markup> defaultVisit(const Markup& markup) override {
        std::vector<Markup> kept;
        kept.reserve(static_cast<std::size_t>(markup.childCount()));
        for (Markup child : markup.children()) {
            if (auto result = visit(std::move(child)))
                kept.push_back(std::move(*result));
        }
        return markup.withUncheckedChildren(kept);
    }
};

}  // namespace pindrake::markdown
