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
#include "shortcuts/widgets/RecorderControl.h"
#include "shortcuts/widgets/WidgetTestSupport.h"

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
    EXPECT_TRUE(QTest::qWaitFor([&] { return toggled == 1; }));

    // The hot key's own combination reaches the recorder: it is stored again.
    control->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(control->isRecording());
    xdotool("key shift+super+v");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !control->isRecording(); }));
    EXPECT_EQ(registry.getShortcut(toggle), Shortcut(9, 768));
    EXPECT_EQ(toggled, 1) << "recording runs no action";
    xdotool("key shift+super+v");
    EXPECT_TRUE(QTest::qWaitFor([&] { return toggled == 2; }));

    // A bare letter beeps and leaves it recording; a new combination is stored and works.
    control->setFocus(Qt::MouseFocusReason);
    xdotool("key a");
    EXPECT_TRUE(QTest::qWaitFor([&] { return beeps == 1; }));
    EXPECT_TRUE(control->isRecording());
    EXPECT_EQ(field->text(), "");
    xdotool("key shift+super+k");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !control->isRecording(); }));
    EXPECT_EQ(registry.getShortcut(toggle), Shortcut(40, 768));
    EXPECT_EQ(control->text(), "Shift+Super+K");
    xdotool("key shift+super+k");
    EXPECT_TRUE(QTest::qWaitFor([&] { return toggled == 3; }));
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
