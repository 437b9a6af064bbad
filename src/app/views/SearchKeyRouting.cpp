#include "app/views/SearchKeyRouting.h"

namespace pindrake::app::views {

namespace {

std::optional<SearchKeyDecision> keyEquivalent(SearchKey key, SearchKeyModifiers modifiers,
                                               const SearchFieldState& state) {
    // Shift or Ctrl with Up or Down still moves the selection: the field has no lines to
    // select or move through.
    if (key == SearchKey::down)
        return SearchKeyDecision{SearchCommand::arrowDown, true};
    if (key == SearchKey::up)
        return SearchKeyDecision{SearchCommand::arrowUp, true};
    if (modifiers.isNone()) {
        switch (key) {
            case SearchKey::left:
                if (state.isConverterMenuOpen || state.selectionStartsAtStart)
                    return SearchKeyDecision{SearchCommand::arrowLeft};
                return std::nullopt;
            case SearchKey::right:
                if (state.selectionStartsAtEnd)
                    return SearchKeyDecision{SearchCommand::arrowRight};
                return std::nullopt;
            default:
                return std::nullopt;
        }
    }
    if (modifiers.isControlOnly()) {
        if (key == SearchKey::c && !state.hasSelectedText)
            return SearchKeyDecision{SearchCommand::copy};
        if (key == SearchKey::backspace)
            return SearchKeyDecision{SearchCommand::deleteEntry};
    }
    return std::nullopt;
}

}  // namespace

SearchKeyDecision routeSearchKey(SearchKey key, SearchKeyModifiers modifiers,
                                 const SearchFieldState& state) {
    if (auto decision = keyEquivalent(key, modifiers, state))
        return *decision;
    // The field's own commands: keys that are not text moves or edits.
    switch (key) {
        case SearchKey::escape:
            return {SearchCommand::escape};
        case SearchKey::enter:
            if (!modifiers.control && !modifiers.alt && !modifiers.meta)
                return {SearchCommand::enter};
            return {};
        default:
            return {};
    }
}

}  // namespace pindrake::app::views
