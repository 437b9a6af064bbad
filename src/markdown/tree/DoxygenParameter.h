#pragma once

#include <initializer_list>
#include <span>
#include <string>

#include "markdown/tree/BlockContainer.h"

namespace pindrake::markdown {

// The description of one named parameter of a documented function. Its node never has a range
// of its own.
class DoxygenParameter final : public BlockContainer<DoxygenParameter, MarkupKind::doxygenParam> {
  public:
    explicit DoxygenParameter(std::string name, std::initializer_list<BlockMarkup> children = {})
        : DoxygenParameter(std::move(name),
                           std::span<const BlockMarkup>(children.begin(), children.size())) {}
    template <ElementRange<BlockMarkup> R>
    DoxygenParameter(std::string name, R&& children)
        : BlockContainer(newTree({std::move(name)}, detail::rawNodesOf(children))) {}

    const std::string& name() const { return payload().name; }
    // Always rebuilds, even for the name the parameter already has.
    void setName(std::string name) { replacePayload({std::move(name)}); }
    template <class Change>
    void modifyName(Change&& change) {
        detail::modifyField(
            name(), [this](auto value) { setName(std::move(value)); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit DoxygenParameter(MarkupData data) noexcept : BlockContainer(std::move(data)) {}
};

}  // namespace pindrake::markdown
