#pragma once

#include <optional>

namespace pindrake::app::views {

enum class SearchKey { left, right, up, down, c, backspace, escape, enter, other };

struct SearchKeyModifiers {
    bool control = false;
    bool shift = false;
    bool alt = false;
    bool meta = false;
    bool isNone() const { return !control && !shift && !alt && !meta; }
    bool isControlOnly() const { return control && !shift && !alt && !meta; }
};

struct SearchFieldState {
    bool isConverterMenuOpen = false;
    // Where the selection starts (the caret, when nothing is selected).
    bool selectionStartsAtStart = false;
    bool selectionStartsAtEnd = false;
    bool hasSelectedText = false;
};

enum class SearchCommand {
    none,  // the field edits as usual
    arrowDown,
    arrowUp,
    arrowRight,
    arrowLeft,
    escape,
    enter,
    deleteEntry,
    copy,
};

struct SearchKeyDecision {
    SearchCommand command = SearchCommand::none;
    // Up and Down leave the caret at the end of the query.
    bool moveCaretToEnd = false;
};

// Which panel command a key typed into the search field raises. Inside the app Ctrl stands for
// the stored shortcuts' Command. First the key equivalents (Up and Down whatever modifiers are
// held, bare Left and Right, Ctrl+C with nothing selected, Ctrl+Backspace), then the field's own
// commands (Escape, Return); anything else is ordinary editing.
SearchKeyDecision routeSearchKey(SearchKey key, SearchKeyModifiers modifiers,
                                 const SearchFieldState& state);

}  // namespace pindrake::app::views
