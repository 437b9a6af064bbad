#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "markdown/tree/BlockContainer.h"
#include "markdown/tree/DirectiveArgumentText.h"

namespace pindrake::markdown {

// A named block with an argument text and block children. Parsed directives know where their
// name stands; directives built here, or changed through a setter, do not.
class BlockDirective final : public BlockContainer<BlockDirective, MarkupKind::blockDirective> {
  public:
    BlockDirective(std::string name, std::optional<std::string_view> argumentText,
                   std::initializer_list<BlockMarkup> children = {})
        : BlockDirective(std::move(name), argumentText,
                         std::span<const BlockMarkup>(children.begin(), children.size())) {}
    // The argument text is split into one segment per line (a lone line feed ends a line).
    template <ElementRange<BlockMarkup> R>
    BlockDirective(std::string name, std::optional<std::string_view> argumentText, R&& children)
        : BlockContainer(newTree({std::move(name), std::nullopt, segmentsOf(argumentText)},
                                 detail::rawNodesOf(children))) {}

    const std::string& name() const { return payload().name; }
    const DirectiveArgumentText& argumentText() const { return payload().arguments; }
    const std::optional<SourceLocation>& nameLocation() const { return payload().nameLocation; }
    // From the name's location to the column after its last UTF-8 byte, on the same line.
    std::optional<SourceRange> nameRange() const;

    // Both setters drop the name location and the range, even for an unchanged value.
    void setName(std::string name) {
        replacePayload({std::move(name), std::nullopt, argumentText()});
    }
    void setArgumentText(DirectiveArgumentText argumentText) {
        replacePayload({name(), std::nullopt, std::move(argumentText)});
    }
    template <class Change>
    void modifyName(Change&& change) {
        detail::modifyField(
            name(), [this](auto value) { setName(std::move(value)); }, change);
    }
    template <class Change>
    void modifyArgumentText(Change&& change) {
        detail::modifyField(
            argumentText(), [this](auto value) { setArgumentText(std::move(value)); }, change);
    }

  private:
    friend struct detail::ElementAccess;
    explicit BlockDirective(MarkupData data) noexcept : BlockContainer(std::move(data)) {}

    static DirectiveArgumentText segmentsOf(std::optional<std::string_view> argumentText);
};

}  // namespace pindrake::markdown
