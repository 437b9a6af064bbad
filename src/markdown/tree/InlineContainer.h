#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "markdown/tree/Element.h"
#include "markdown/tree/InlineMarkup.h"
#include "markdown/tree/PlainText.h"
#include "markdown/tree/TypedChildren.h"

namespace pindrake::markdown {

// An element whose children are inline elements: paragraphs, headings, table cells, spans,
// links and images.
template <class Derived, MarkupKind Kind>
class InlineContainer : public Element<Derived, Kind> {
  public:
    // The inline children's plain texts, joined without a separator.
    std::string plainText() const { return markdown::plainText(this->raw()); }

    TypedChildren<InlineMarkup> inlineChildren() const {
        return TypedChildren<InlineMarkup>(this->children());
    }
    template <ElementRange<InlineMarkup> R>
    void setInlineChildren(R&& children) {
        replaceChildrenInRange(0, this->childCount(), std::forward<R>(children));
    }
    // Replaces the children at lower ..< upper; stops when that lies outside the children.
    template <ElementRange<InlineMarkup> R>
    void replaceChildrenInRange(std::int64_t lower, std::int64_t upper, R&& children) {
        this->replaceRawChildren(lower, upper, detail::rawNodesOf(children));
    }

  protected:
    explicit InlineContainer(MarkupData data) noexcept : Element<Derived, Kind>(std::move(data)) {}
};

}  // namespace pindrake::markdown
