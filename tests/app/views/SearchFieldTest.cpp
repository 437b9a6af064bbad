#include <gtest/gtest.h>

#include <QTest>

#include <optional>
#include <string>

#include "app/views/SearchField.h"

// The field itself: keys reach the panel (Ctrl standing for Command) or edit the query, as the
// caret, a selection and the converter menu say.
namespace pindrake::app::views {
namespace {

TEST(SearchFieldTest, KeyEquivalentsThenFieldCommandsThenEditing) {
    struct Case {
        const char* what;
        int caret;  // -1: the whole query selected
        bool menuOpen;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::string calls;
        std::optional<int> caretAfter;  // none: the field's own business
        std::string textAfter = "query";
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Case cases[] = {
        {"right inside moves the caret", 1, false, Qt::Key_Right, none, "", 2},
        {"right at the end opens the menu", 5, false, Qt::Key_Right, none, "right ", 5},
        {"right inside with the menu open", 2, true, Qt::Key_Right, none, "", 3},
        {"left inside edits while the menu is closed", 5, false, Qt::Key_Left, none, "", 4},
        {"left at the start", 0, false, Qt::Key_Left, none, "left ", 0},
        {"left closes an open menu", 2, true, Qt::Key_Left, none, "left ", 2},
        {"shift+left selects", 0, false, Qt::Key_Left, shift, "", 0},
        {"down leaves the caret at the end", 0, false, Qt::Key_Down, none, "down ", 5},
        {"up leaves the caret at the end", 2, false, Qt::Key_Up, none, "up ", 5},
        {"shift+down moves down all the same", 2, false, Qt::Key_Down, shift, "down ", 5},
        {"ctrl+up moves up all the same", 2, false, Qt::Key_Up, ctrl, "up ", 5},
        {"shift+up with the menu open", 0, true, Qt::Key_Up, shift, "up ", 5},
        {"left with the whole query selected", -1, false, Qt::Key_Left, none, "left ", 5},
        {"right with the whole query selected", -1, false, Qt::Key_Right, none, "", 5},
        {"ctrl+c copies the entry", 5, false, Qt::Key_C, ctrl, "copy ", 5},
        {"ctrl+c copies selected text", -1, false, Qt::Key_C, ctrl, "", 5},
        {"ctrl+shift+c", 5, false, Qt::Key_C, ctrl | shift, "", 5},
        {"plain c types", 5, false, Qt::Key_C, none, "", 6, "queryc"},
        {"ctrl+backspace deletes the entry, not a word", 5, false, Qt::Key_Backspace, ctrl,
         "delete ", 5},
        {"backspace edits", 5, false, Qt::Key_Backspace, none, "", 4, "quer"},
        {"escape", 5, false, Qt::Key_Escape, none, "escape ", 5},
        {"return", 5, false, Qt::Key_Return, none, "return ", 5},
        {"shift+return", 5, false, Qt::Key_Return, shift, "return ", 5},
        {"keypad enter", 5, false, Qt::Key_Enter, Qt::KeypadModifier, "return ", 5},
        {"ctrl+return", 5, false, Qt::Key_Return, ctrl, "", 5},
        {"other keys", 5, false, Qt::Key_F5, none, "", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string calls;
        SearchField field(
            {[&] { calls += "down "; }, [&] { calls += "up "; }, [&] { calls += "right "; },
             [&] { calls += "left "; }, [&] { calls += "escape "; }, [&] { calls += "return "; },
             [&] { calls += "delete "; }, [&] { calls += "copy "; }},
            [&] { return c.menuOpen; });
        field.setText("query");
        if (c.caret < 0)
            field.selectAll();
        else
            field.setCursorPosition(c.caret);
        QTest::keyClick(&field, c.key, c.modifiers);
        EXPECT_EQ(calls, c.calls);
        if (c.caretAfter) {
            EXPECT_EQ(field.cursorPosition(), *c.caretAfter);
        }
        EXPECT_EQ(field.text().toStdString(), c.textAfter);
    }
}

}  // namespace
}  // namespace pindrake::app::views
