#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <vector>

#include "shortcuts/ModuleText.h"
#include "shortcuts/widgets/RecorderControl.h"
#include "shortcuts/widgets/WidgetTestSupport.h"

namespace pindrake::GlobalShortcuts {
namespace {

using namespace test_support;

const Shortcut shiftCommandVShortcut(Key::v, ModifierFlag::shift | ModifierFlag::command);
const Shortcut shiftCommandKShortcut(Key::k, ModifierFlag::shift | ModifierFlag::command);
const auto superShift = Qt::MetaModifier | Qt::ShiftModifier;

// A window with a field before the recorder, and a label to click on.
class RecorderControlTest : public ::testing::Test, protected ShortcutsFixture {
  protected:
    RecorderControlTest() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(control);
        layout->addWidget(after);
        layout->addWidget(label);
        EXPECT_TRUE(showActive(window));
        QCoreApplication::processEvents();
    }

    std::optional<Shortcut> stored() const { return registry.getShortcut(Name::toggleHistory()); }

    void startRecording() {
        control->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(control->isRecording());
        ASSERT_TRUE(registry.isPausedForRecording());
        ASSERT_FALSE(hotKeyWorks());
    }

    QWidget window;
    QLineEdit* before = new QLineEdit;
    std::vector<std::optional<Shortcut>> changes;
    RecorderControl* control = new RecorderControl(
        services(), Name::toggleHistory(),
        [this](const std::optional<Shortcut>& shortcut) { changes.push_back(shortcut); });
    QLineEdit* after = new QLineEdit;
    QLabel* label = new QLabel("elsewhere");
};

TEST_F(RecorderControlTest, ShowsTheStoredShortcutWithoutStartingToRecord) {
    EXPECT_EQ(control->text(), "Shift+Super+V");
    // Shown and activated, the window focuses its first field, never the recorder.
    EXPECT_TRUE(before->hasFocus());
    EXPECT_FALSE(control->isRecording());
    EXPECT_TRUE(hotKeyWorks());

    // Also where it is the window's only field: it can be focused from the next turn on.
    QWidget alone;
    auto* only = new RecorderControl(services(), Name::toggleHistory(), {}, &alone);
    ASSERT_TRUE(showActive(alone));
    EXPECT_FALSE(only->isRecording());
    EXPECT_TRUE(hotKeyWorks());
    QCoreApplication::processEvents();
    QTest::mouseClick(only, Qt::LeftButton);
    EXPECT_TRUE(only->isRecording());
}

TEST_F(RecorderControlTest, TypingShiftSuperKRecordsStoresAndRegistersIt) {
    startRecording();
    // Clicks inside the control keep it recording.
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(control, Qt::RightButton, {}, QPoint(5, 5));
    // The modifiers go down first, each a key press of its own that records nothing.
    press(Qt::Key_Shift, Qt::ShiftModifier, scanCode::leftShift);
    press(Qt::Key_Meta, superShift, scanCode::leftSuper);
    EXPECT_TRUE(control->isRecording());
    press(Qt::Key_K, superShift, scanCode::k);
    EXPECT_EQ(stored(), shiftCommandKShortcut);
    EXPECT_EQ(control->text(), "Shift+Super+K");
    EXPECT_EQ(changes, std::vector<std::optional<Shortcut>>{shiftCommandKShortcut});
    EXPECT_FALSE(control->isRecording());
    EXPECT_FALSE(control->hasFocus());
    EXPECT_TRUE(backend.isHeld(shiftCommandK));
    EXPECT_FALSE(backend.isHeld(shiftCommandV));
    EXPECT_EQ(beeps, 0);
}

TEST_F(RecorderControlTest, KeysThatRefuseClearOrCancelKeepOrChangeTheShortcutAsTheyShould) {
    const struct {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        quint32 scanCode;
        std::optional<Shortcut> stored;
        int beeps;
        bool stillRecording;
    } rows[] = {
        {"bare letter", Qt::Key_A, Qt::NoModifier, scanCode::a, shiftCommandVShortcut, 1, true},
        {"escape", Qt::Key_Escape, Qt::NoModifier, scanCode::escape, shiftCommandVShortcut, 0,
         false},
        {"backspace", Qt::Key_Backspace, Qt::NoModifier, scanCode::backspace, std::nullopt, 0,
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        registry.reset({Name::toggleHistory()});
        beeps = 0;
        startRecording();
        press(row.key, row.modifiers, row.scanCode);
        EXPECT_EQ(stored(), row.stored);
        EXPECT_EQ(beeps, row.beeps);
        EXPECT_EQ(control->isRecording(), row.stillRecording);
        EXPECT_EQ(control->text(), row.stored ? "Shift+Super+V" : "");
        control->clearFocus();
    }
}

TEST_F(RecorderControlTest, HotKeysResumeOnEveryWayOutOfARecording) {
    QWidget otherWindow;
    const struct {
        const char* way;
        std::function<void()> leave;
    } rows[] = {
        {"accepted", [] { press(Qt::Key_K, superShift, scanCode::k); }},
        {"escape", [] { press(Qt::Key_Escape, Qt::NoModifier, scanCode::escape); }},
        {"tab",
         [this] {
             press(Qt::Key_Tab, Qt::NoModifier, scanCode::tab);
             EXPECT_TRUE(after->hasFocus());
         }},
        {"focus elsewhere", [this] { after->setFocus(Qt::MouseFocusReason); }},
        {"click outside", [this] { QTest::mouseClick(label, Qt::LeftButton); }},
        {"window deactivated", [&] { ASSERT_TRUE(showActive(otherWindow)); }},
        {"hidden", [this] { control->hide(); }},
        {"moved to another window", [&] { control->setParent(&otherWindow); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.way);
        std::vector<bool> statuses;
        auto watching = registry.recorderActiveStatusDidChange().observeForView(
            [&](bool active) { statuses.push_back(active); });
        registry.reset({Name::toggleHistory()});
        startRecording();
        row.leave();
        EXPECT_FALSE(control->isRecording());
        EXPECT_FALSE(registry.isPausedForRecording());
        EXPECT_EQ(statuses, (std::vector<bool>{true, false}));
        EXPECT_EQ(control->placeholderText(), "Record Shortcut");
        const int before = toggled;
        backend.pressAndRelease({static_cast<std::uint32_t>(stored()->carbonKeyCode),
                                 static_cast<std::uint32_t>(stored()->carbonModifiers)});
        EXPECT_EQ(toggled, before + 1);

        // Back to the recording window for the next way out.
        otherWindow.hide();
        control->setParent(&window);
        window.layout()->addWidget(control);
        control->show();
        ASSERT_TRUE(showActive(window));
        QCoreApplication::processEvents();
    }
}

TEST_F(RecorderControlTest, TheWindowsOwnShortcutsDoNotFireWhileRecording) {
    int quits = 0;
    auto* quit = new QAction(&window);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    window.addAction(quit);
    QObject::connect(quit, &QAction::triggered, [&] { ++quits; });
    QTest::keyClick(before, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(quits, 1);

    startRecording();
    QTest::keyClick(control, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(control->isRecording());
}

TEST_F(RecorderControlTest, ASystemConflictAsksWindowModallyAndStoresOnlyWhenForced) {
    backend.reserveForSystem(shiftCommandK);
    for (const char* answer : {"OK", "Use Anyway"}) {
        SCOPED_TRACE(answer);
        QString message;
        bool windowModal = false;
        bool recordingDuringAlert = true;
        AlertAnswerer answering(window, [&](QMessageBox& box) {
            message = box.text();
            windowModal = box.windowModality() == Qt::WindowModal;
            recordingDuringAlert = control->isRecording() || registry.isPausedForRecording();
            clickButton(box, answer);
        });
        startRecording();
        press(Qt::Key_K, superShift, scanCode::k);
        EXPECT_EQ(message.toStdString(), moduleText("keyboard_shortcut_used_by_system"));
        EXPECT_TRUE(windowModal);
        EXPECT_FALSE(recordingDuringAlert);
        const bool forced = std::string(answer) == "Use Anyway";
        EXPECT_EQ(stored(), forced ? shiftCommandKShortcut : shiftCommandVShortcut);
        // Back in its window, a control that stored nothing records again.
        ASSERT_TRUE(showActive(window));
        EXPECT_EQ(control->isRecording(), !forced);
        control->clearFocus();
    }
}

TEST_F(RecorderControlTest, TheClearButtonClearsAndStartsRecording) {
    const auto actions = control->actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_TRUE(actions.front()->isVisible());
    actions.front()->trigger();
    EXPECT_EQ(stored(), std::nullopt);
    EXPECT_FALSE(actions.front()->isVisible());
    EXPECT_TRUE(control->isRecording());
    EXPECT_EQ(changes, std::vector<std::optional<Shortcut>>{std::nullopt});
}

TEST_F(RecorderControlTest, ReturnOrEscapeInTheConflictAlertKeepsTheOldShortcut) {
    backend.reserveForSystem(shiftCommandK);
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        SCOPED_TRACE(key);
        bool answered = false;
        AlertAnswerer answering(window, [&](QMessageBox& box) {
            answered = true;
            QTest::keyClick(&box, key);
        });
        startRecording();
        press(Qt::Key_K, superShift, scanCode::k);
        EXPECT_TRUE(answered);
        EXPECT_EQ(stored(), shiftCommandVShortcut);
        ASSERT_TRUE(showActive(window));
        control->clearFocus();
    }
}

TEST_F(RecorderControlTest, AnEmptyRecorderShowsItsPromptWhileRecording) {
    registry.setShortcut(std::nullopt, Name::toggleHistory());
    startRecording();
    ASSERT_EQ(control->text(), "");
    ASSERT_EQ(control->placeholderText().toStdString(), moduleText("press_shortcut"));
    const QImage withPrompt = control->grab().toImage();
    control->setPlaceholderText(QString());
    const QImage blank = control->grab().toImage();
    int differing = 0;
    for (int y = 0; y < blank.height(); ++y) {
        for (int x = 0; x < blank.width(); ++x)
            differing += withPrompt.pixel(x, y) != blank.pixel(x, y);
    }
    EXPECT_GT(differing, 20) << "nothing drawn for the prompt";
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
