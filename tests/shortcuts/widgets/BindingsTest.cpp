#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <vector>

#include "shortcuts/widgets/ActionShortcut.h"
#include "shortcuts/widgets/ButtonShortcut.h"
#include "shortcuts/widgets/QtKeys.h"
#include "shortcuts/widgets/RecorderView.h"
#include "shortcuts/widgets/WidgetTestSupport.h"

namespace pindrake::GlobalShortcuts {
namespace {

using namespace test_support;

const ModifierFlags shiftCommand = ModifierFlag::shift | ModifierFlag::command;
const QKeySequence superShiftV(Qt::META | Qt::SHIFT | Qt::Key_V);
const QKeySequence superShiftK(Qt::META | Qt::SHIFT | Qt::Key_K);

class BindingsTest : public ::testing::Test, protected ShortcutsFixture {
  protected:
    const Name other{"other"};
};

TEST_F(BindingsTest, ShortcutsBecomeQtKeySequencesWhenTheyHaveAKeyEquivalent) {
    const struct {
        Shortcut shortcut;
        std::optional<QKeySequence> sequence;
    } rows[] = {
        {Shortcut(Key::v, shiftCommand), superShiftV},
        {Shortcut(Key::space, ModifierFlag::option), QKeySequence(Qt::ALT | Qt::Key_Space)},
        {Shortcut(Key::f1, ModifierFlags()), QKeySequence(Qt::Key_F1)},
        {Shortcut(Key::f20, ModifierFlag::control), QKeySequence(Qt::CTRL | Qt::Key_F20)},
        {Shortcut(Key::delete_, ModifierFlag::command), QKeySequence(Qt::META | Qt::Key_Backspace)},
        {Shortcut(Key::leftArrow, ModifierFlag::control), QKeySequence(Qt::CTRL | Qt::Key_Left)},
        {Shortcut(Key::minus, ModifierFlag::command), QKeySequence(Qt::META | Qt::Key_Minus)},
        // Keypad keys and dead keys have no key equivalent.
        {Shortcut(Key::keypad5, ModifierFlag::command), std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(keySequence(row.shortcut, *layout), row.sequence) << row.shortcut.carbonKeyCode;
    }
    auto german = platform::XkbKeyboardLayout::fromNames("de");
    ASSERT_TRUE(german);
    EXPECT_EQ(keySequence(Shortcut(Key::backtick, ModifierFlag::command), *german), std::nullopt);
    EXPECT_EQ(keySequence(Shortcut(Key::y, ModifierFlag::command), *german),
              QKeySequence(Qt::META | Qt::Key_Z));
    EXPECT_EQ(
        modifierFlags(qtModifiers(shiftCommand | ModifierFlag::option | ModifierFlag::control)),
        shiftCommand | ModifierFlag::option | ModifierFlag::control);
}

TEST_F(BindingsTest, ABoundActionFollowsItsNameOnTheNextTurnAndOnlyItsName) {
    QAction action;
    bindShortcut(action, Name::toggleHistory(), registry, *layout);
    EXPECT_EQ(action.shortcut(), superShiftV);

    registry.setShortcut(Shortcut(Key::k, shiftCommand), Name::toggleHistory());
    EXPECT_EQ(action.shortcut(), superShiftV) << "not before the next turn";
    QCoreApplication::processEvents();
    EXPECT_EQ(action.shortcut(), superShiftK);

    registry.saveShortcut(Shortcut(Key::j, shiftCommand), other);
    QCoreApplication::processEvents();
    EXPECT_EQ(action.shortcut(), superShiftK);

    // Rebound: the first name no longer reaches it, not even through an update already queued.
    registry.setShortcut(std::nullopt, Name::toggleHistory());
    bindShortcut(action, other, registry, *layout);
    QCoreApplication::processEvents();
    EXPECT_EQ(action.shortcut(), QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_J));
    registry.reset({Name::toggleHistory()});
    QCoreApplication::processEvents();
    EXPECT_EQ(action.shortcut(), QKeySequence(Qt::META | Qt::SHIFT | Qt::Key_J));
    EXPECT_EQ(action.children().size(), 1);

    // Unbound: cleared, and no further updates.
    bindShortcut(action, std::nullopt, registry, *layout);
    EXPECT_EQ(action.shortcut(), QKeySequence());
    registry.saveShortcut(Shortcut(Key::b, shiftCommand), other);
    QCoreApplication::processEvents();
    EXPECT_EQ(action.shortcut(), QKeySequence());
    EXPECT_TRUE(action.children().isEmpty());
}

TEST_F(BindingsTest, AButtonLosesItsShortcutWhileARecorderRecordsAndFollowsChangesAtOnce) {
    QPushButton button;
    globalKeyboardShortcut(button, Name::toggleHistory(), registry, *layout);
    EXPECT_EQ(button.shortcut(), superShiftV);

    registry.recorderActiveStatusDidChange().set(true);
    EXPECT_EQ(button.shortcut(), QKeySequence());
    registry.setShortcut(Shortcut(Key::k, shiftCommand), Name::toggleHistory());
    EXPECT_EQ(button.shortcut(), QKeySequence());
    registry.recorderActiveStatusDidChange().set(false);
    EXPECT_EQ(button.shortcut(), superShiftK);

    registry.saveShortcut(Shortcut(Key::j, shiftCommand), other);
    EXPECT_EQ(button.shortcut(), superShiftK);
    registry.setShortcut(std::nullopt, Name::toggleHistory());
    EXPECT_EQ(button.shortcut(), QKeySequence());
}

TEST_F(BindingsTest, HotKeyEventsReachAWidgetOnlyWhileItIsShown) {
    QWidget widget;
    std::vector<EventType> all;
    std::vector<EventType> ups;
    onKeyboardShortcut(widget, Name::toggleHistory(), registry,
                       [&](EventType type) { all.push_back(type); });
    onKeyboardShortcut(
        widget, Name::toggleHistory(), registry, [&](EventType type) { ups.push_back(type); },
        EventType::keyUp);
    backend.pressAndRelease(shiftCommandV);
    EXPECT_TRUE(all.empty());

    widget.show();
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(all, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(ups, std::vector<EventType>{EventType::keyUp});

    widget.hide();
    backend.pressAndRelease(shiftCommandV);
    widget.show();
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(all.size(), 4u);
}

TEST_F(BindingsTest, ARecorderViewShowsItsLabelAsGivenOrLocalisedOrNone) {
    RecorderView bare(services(), Name::toggleHistory());
    EXPECT_EQ(bare.label(), nullptr);

    // A plain text is shown verbatim, even when it is a text key.
    RecorderView plain(QString("toast_copied"), services(), Name::toggleHistory());
    std::unique_ptr<RecorderView> keyed(
        RecorderView::withLabelKey("toast_copied", services(), Name::toggleHistory()));
    EXPECT_EQ(qobject_cast<QLabel*>(plain.label())->text(), "toast_copied");
    EXPECT_EQ(qobject_cast<QLabel*>(keyed->label())->text(), "Copied");

    // Another name: the same control, showing that name's shortcut.
    registry.saveShortcut(Shortcut(Key::j, shiftCommand), other);
    RecorderControl* control = keyed->control();
    keyed->setName(other);
    EXPECT_EQ(keyed->control(), control);
    EXPECT_EQ(control->text(), "Shift+Super+J");
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
