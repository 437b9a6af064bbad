#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/linux/QtScheduler.h"
#include "platform/linux/XcbHotKeyBackend.h"
#include "shortcuts/ModuleText.h"
#include "shortcuts/widgets/RecorderControl.h"
#include "shortcuts/widgets/WidgetTestSupport.h"
#include "support/OtherXClient.h"
#include "support/QtEventLoop.h"

// The recorder on a real display, with real hot keys, typed into by xdotool.
namespace pindrake::GlobalShortcuts {
namespace {

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

TEST(RecorderOnX11, RecordsWhatIsTypedEvenTheCurrentHotKeyWhichWorksAgainAfterwards) {
    QtScheduler mainQueue(qApp);
    auto backend = platform::XcbHotKeyBackend::connect(mainQueue);
    ASSERT_TRUE(backend) << "no X display";
    auto layout = platform::XkbKeyboardLayout::forDisplay();
    platform::InMemoryDefaults defaults;
    Registry registry(defaults, *backend, *layout);
    const Name& toggle = Name::toggleHistory();
    registry.declare(toggle);
    int toggled = 0;
    registry.onKeyUp(toggle, [&] { ++toggled; });
    int beeps = 0;

    QWidget window;
    auto* field = new QLineEdit;
    auto* control =
        new RecorderControl(test_support::recorderServices(registry, *layout, beeps), toggle, {});
    auto* column = new QVBoxLayout(&window);
    column->addWidget(field);
    column->addWidget(control);
    ASSERT_TRUE(test_support::showActive(window));

    xdotool("key shift+super+v");
    EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return toggled == 1; }));

    // The hot key's own combination reaches the recorder: it is stored again.
    control->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(control->isRecording());
    xdotool("key shift+super+v");
    EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return !control->isRecording(); }));
    EXPECT_EQ(registry.getShortcut(toggle), Shortcut(9, 768));
    EXPECT_EQ(toggled, 1) << "recording runs no action";
    xdotool("key shift+super+v");
    EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return toggled == 2; }));

    // A bare letter beeps and leaves it recording; a new combination is stored and works.
    control->setFocus(Qt::MouseFocusReason);
    xdotool("key a");
    EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return beeps == 1; }));
    EXPECT_TRUE(control->isRecording());
    EXPECT_EQ(field->text(), "");
    xdotool("key shift+super+k");
    EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return !control->isRecording(); }));
    EXPECT_EQ(registry.getShortcut(toggle), Shortcut(40, 768));
    EXPECT_EQ(control->text(), "Shift+Super+K");
    xdotool("key shift+super+k");
    EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return toggled == 3; }));
}

// The recorder in a window of its own over real hot keys, typed into by xdotool.
class RecorderWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        backend = platform::XcbHotKeyBackend::connect(mainQueue);
        ASSERT_TRUE(backend) << "no X display";
        registry = std::make_unique<Registry>(defaults, *backend, *layout);
        registry->declare(Name::toggleHistory());
        control = new RecorderControl(test_support::recorderServices(*registry, *layout, beeps),
                                      Name::toggleHistory(), {});
        auto* column = new QVBoxLayout(&window);
        column->addWidget(new QLineEdit);
        column->addWidget(control);
        ASSERT_TRUE(test_support::showActive(window));
    }
    std::optional<Shortcut> stored() const { return registry->getShortcut(Name::toggleHistory()); }

    QtScheduler mainQueue{qApp};
    std::unique_ptr<platform::XcbHotKeyBackend> backend;
    std::unique_ptr<platform::XkbKeyboardLayout> layout = platform::XkbKeyboardLayout::forDisplay();
    platform::InMemoryDefaults defaults;
    std::unique_ptr<Registry> registry;
    int beeps = 0;
    QWidget window;
    RecorderControl* control = nullptr;
};

TEST_F(RecorderWindow, AClickOnTheClearButtonClearsTheShortcutAndRecords) {
    QWidget* clearButton = nullptr;
    for (QObject* object : control->actions().front()->associatedObjects()) {
        if (object != control)
            clearButton = qobject_cast<QWidget*>(object);
    }
    ASSERT_NE(clearButton, nullptr);
    ASSERT_TRUE(clearButton->isVisible());
    const QPoint centre = clearButton->mapToGlobal(clearButton->rect().center());
    xdotool("mousemove --sync " + std::to_string(centre.x()) + " " + std::to_string(centre.y()) +
            " click 1");
    EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return !stored(); }))
        << "the click was swallowed";
    EXPECT_TRUE(control->isRecording());
    EXPECT_EQ(control->text(), "");
}

TEST_F(RecorderWindow, ACombinationAnotherProgramGrabsReachesTheRecorderWhichReportsIt) {
    pindrake::test_support::OtherClient other;
    constexpr xcb_keycode_t keycodeK = 45;
    const std::uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    ASSERT_TRUE(other.grab(keycodeK, controlAlt));
    QString alert;
    test_support::AlertAnswerer answering(window, [&](QMessageBox& box) {
        alert = box.text();
        box.reject();
    });

    control->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(control->isRecording());
    xdotool("key ctrl+alt+k");
    EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return !alert.isEmpty(); }))
        << "the other program's grab took the combination";
    EXPECT_EQ(alert.toStdString(), moduleText("keyboard_shortcut_used_by_system"));
    EXPECT_EQ(stored(), Shortcut(9, 768));
    other.ungrab(keycodeK, controlAlt);
}

TEST_F(RecorderWindow, TheJapaneseKeysOfAJapaneseKeyboardAreRecordedAndWorkAsHotKeys) {
    ASSERT_EQ(std::system("setxkbmap -model jp106 -layout jp"), 0);
    struct UsKeyboardAgain {
        ~UsKeyboardAgain() { std::system("setxkbmap -model pc105 -layout us"); }
    } restore;
    int toggled = 0;
    registry->onKeyUp(Name::toggleHistory(), [&] { ++toggled; });
    pindrake::test_support::OtherClient keyboard;
    // Evdev key codes: left Control, left Alt, and the keys of a jp106 keyboard.
    constexpr xcb_keycode_t controlL = 37;
    constexpr xcb_keycode_t altL = 64;
    const struct {
        const char* key;
        xcb_keycode_t keycode;
        int keyCode;
    } rows[] = {{"Yen", 132, 93}, {"Ro", 97, 94}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        control->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(control->isRecording());
        keyboard.type({controlL, altL, row.keycode});
        EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return !control->isRecording(); }));
        EXPECT_EQ(beeps, 0);
        EXPECT_EQ(stored(),
                  Shortcut(Key(row.keyCode), ModifierFlag::control | ModifierFlag::option));
        const int before = toggled;
        keyboard.type({controlL, altL, row.keycode});
        EXPECT_TRUE(::pindrake::test_support::qWaitFor([&] { return toggled == before + 1; }));
    }
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
