#include <gtest/gtest.h>

#include <QTest>

#include <string>

#include "app/views/SearchField.h"

// The field itself: keys reach the panel or edit the query as the field's state says.
namespace pindrake::app::views {
namespace {

class SearchFieldTest : public ::testing::Test {
  protected:
    SearchFieldTest()
        : field({[this] { calls += "down "; }, [this] { calls += "up "; },
                 [this] { calls += "right "; }, [this] { calls += "left "; },
                 [this] { calls += "escape "; }, [this] { calls += "return "; },
                 [this] { calls += "delete "; }, [this] { calls += "copy "; }},
                [this] { return menuOpen; }) {}

    std::string calls;
    bool menuOpen = false;
    SearchField field;
};

TEST_F(SearchFieldTest, RightMovesTheCaretInsideTheQueryAndOpensTheMenuAtItsEnd) {
    field.setText("abc");
    field.setCursorPosition(1);
    QTest::keyClick(&field, Qt::Key_Right);
    EXPECT_EQ(field.cursorPosition(), 2);
    EXPECT_EQ(calls, "");
    QTest::keyClick(&field, Qt::Key_Right);
    QTest::keyClick(&field, Qt::Key_Right);
    EXPECT_EQ(calls, "right ");
}

TEST_F(SearchFieldTest, LeftEditsWhileTheMenuIsClosedAndClosesItWhenOpen) {
    field.setText("abc");
    QTest::keyClick(&field, Qt::Key_Left);
    EXPECT_EQ(field.cursorPosition(), 2);
    EXPECT_EQ(calls, "");
    menuOpen = true;
    QTest::keyClick(&field, Qt::Key_Left);
    EXPECT_EQ(field.cursorPosition(), 2);
    EXPECT_EQ(calls, "left ");
}

TEST_F(SearchFieldTest, UpAndDownLeaveTheCaretAtTheEnd) {
    field.setText("query");
    field.setCursorPosition(0);
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(field.cursorPosition(), 5);
    field.setCursorPosition(2);
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(field.cursorPosition(), 5);
    EXPECT_EQ(calls, "down up ");
    EXPECT_EQ(field.text(), "query");
}

TEST_F(SearchFieldTest, CtrlKeysActOnTheEntryUnlessTextIsSelected) {
    field.setText("query");
    QTest::keyClick(&field, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&field, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(calls, "copy delete ");
    EXPECT_EQ(field.text(), "query") << "Ctrl+Backspace deleted the entry, not a word";
    field.selectAll();
    QTest::keyClick(&field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(calls, "copy delete ");
}

TEST_F(SearchFieldTest, EscapeAndReturnGoToThePanelAndTypingEdits) {
    QTest::keyClicks(&field, "ab");
    QTest::keyClick(&field, Qt::Key_Return);
    QTest::keyClick(&field, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&field, Qt::Key_Escape);
    EXPECT_EQ(calls, "return return escape ");
    EXPECT_EQ(field.text(), "ab");
}

}  // namespace
}  // namespace pindrake::app::views
