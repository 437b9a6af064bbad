#include <gtest/gtest.h>

#include <QTest>

#include <string>

#include "app/views/SearchField.h"

// The field itself: keys reach the panel or edit the query as the field's state says.
namespace pindrake::app::views {
namespace {

TEST(SearchFieldTest, KeysGoToThePanelOrEditTheQueryByTheCaretTheSelectionAndTheMenu) {
    struct Case {
        const char* what;
        int caret;  // -1: the whole query selected
        bool menuOpen;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        std::string calls;
        int caretAfter;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Case cases[] = {
        {"right inside moves the caret", 1, false, Qt::Key_Right, none, "", 2},
        {"right at the end opens the menu", 5, false, Qt::Key_Right, none, "right ", 5},
        {"left edits while the menu is closed", 5, false, Qt::Key_Left, none, "", 4},
        {"left closes an open menu", 2, true, Qt::Key_Left, none, "left ", 2},
        {"down leaves the caret at the end", 0, false, Qt::Key_Down, none, "down ", 5},
        {"up leaves the caret at the end", 2, false, Qt::Key_Up, none, "up ", 5},
        {"ctrl+c copies the entry", 5, false, Qt::Key_C, Qt::ControlModifier, "copy ", 5},
        {"ctrl+c copies selected text", -1, false, Qt::Key_C, Qt::ControlModifier, "", 5},
        {"ctrl+backspace deletes the entry, not a word", 5, false, Qt::Key_Backspace,
         Qt::ControlModifier, "delete ", 5},
        {"return", 5, false, Qt::Key_Return, none, "return ", 5},
        {"keypad enter", 5, false, Qt::Key_Enter, Qt::KeypadModifier, "return ", 5},
        {"escape", 5, false, Qt::Key_Escape, none, "escape ", 5},
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
        EXPECT_EQ(field.cursorPosition(), c.caretAfter);
        EXPECT_EQ(field.text(), "query");
    }
}

}  // namespace
}  // namespace pindrake::app::views
