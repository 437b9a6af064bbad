#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTest>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "EnglishTexts.h"
#include "app/ShellFixture.h"
#include "app/views/HistoryPanelView.h"
#include "app/views/MenuHotKeys.h"
#include "app/views/PreviewPane.h"
#include "app/views/QtApplicationShell.h"
#include "app/views/QtPanelWindow.h"
#include "app/views/RowIcons.h"
#include "app/views/SearchField.h"
#include "app/views/SettingsWindow.h"
#include "app/views/TrayIcon.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/widgets/WidgetTestSupport.h"
#include "support/OtherXClient.h"
#include "support/QtEventLoop.h"

// The panel window on a real display: the desktop shows around and between its cards, and what
// the user types reaches it whatever menus of the app (the tray's among them) opened before or
// meanwhile.
namespace pindrake::app::views {
namespace {

using namespace std::chrono_literals;

const QColor backdropColour(255, 0, 255);

// Another client standing in for a compositor: it owns the screen's compositing selection.
class CompositorStandIn {
  public:
    CompositorStandIn() : connection_(xcb_connect(nullptr, nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char name[] = "_NET_WM_CM_S0";
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
            xcb_intern_atom_reply(connection_,
                                  xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr),
            &std::free);
        xcb_set_selection_owner(connection_, window_, atom->atom, XCB_CURRENT_TIME);
        xcb_aux_sync();
    }
    ~CompositorStandIn() { xcb_disconnect(connection_); }

  private:
    void xcb_aux_sync() {
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    xcb_connection_t* connection_;
    xcb_window_t window_ = 0;
};

// Generous (and scaled by the waits): the window manager and the server answer within
// milliseconds.
const int settleMs = 10000;

class PanelWindowX11Test : public test::ShellFixture {
  protected:
    PanelWindowX11Test() {
        useEnglishTexts();
        backdrop.setAutoFillBackground(true);
        QPalette colours = backdrop.palette();
        colours.setColor(QPalette::Window, backdropColour);
        backdrop.setPalette(colours);
        backdrop.setGeometry(QGuiApplication::primaryScreen()->geometry());
        backdrop.showFullScreen();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&backdrop, test_support::scaledMs(5000)));
    }

    // Shows the panel the way the application does: the shell asks, the real window shows.
    void showPanel(std::function<void()> onResignKey = {}) {
        launch();
        makePanel();
        panel->create({200, 100, HistoryPanelView::panelWidth, HistoryPanelView::panelHeight},
                      std::move(onResignKey));
        panel->buildContent();
        panel->makeKeyAndOrderFront();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel->window(), test_support::scaledMs(5000)));
    }
    // The real window, its view made for the delegate's panel.
    void makePanel() {
        panel = std::make_unique<QtPanelWindow>(
            [this](QWidget* frame) -> QWidget* {
                auto* view = new HistoryPanelView(
                    {delegate->panelController()->shared_from_this(), delegate->historyStore(),
                     icons, [] { return TimePoint(); }, [] { return Duration(400ms); }},
                    frame);
                keepWindowShaped(*panel, *view);
                return view;
            },
            [](QWidget* content) -> QWidget* {
                return &static_cast<HistoryPanelView*>(content)->searchField();
            });
    }
    HistoryPanelView& view() { return *static_cast<HistoryPanelView*>(panel->content()); }
    bool isShowing() const { return delegate->panelController()->isShowing(); }
    HistoryViewModel& model() { return delegate->viewModel(); }
    // Whether the condition comes to hold, the application's queued work running meanwhile.
    bool eventually(const std::function<bool()>& condition) {
        return test_support::qWaitFor(
            [&] {
                main.runUntilIdle();
                return condition();
            },
            settleMs);
    }

    // Whether the point of the panel comes to show the desktop (or not) within a while.
    bool settles(QPoint inPanel, bool showsDesktop) {
        const QPoint at = panel->window()->mapToGlobal(inPanel);
        return test_support::qWaitFor(
            [&] {
                const QColor seen = QGuiApplication::primaryScreen()
                                        ->grabWindow(0, at.x(), at.y(), 1, 1)
                                        .toImage()
                                        .pixelColor(0, 0);
                return (seen == backdropColour) == showsDesktop;
            },
            3000);
    }
    bool showsDesktopAt(QPoint inPanel) { return settles(inPanel, true); }
    bool showsPanelAt(QPoint inPanel) { return settles(inPanel, false); }

    QWidget backdrop;
    RowIcons icons;
    test::FakeConverter asIs{"paste.asis"};
    test::FakeConverter upper{"text.upper"};
    std::unique_ptr<QtPanelWindow> panel;
};

TEST_F(PanelWindowX11Test, WithoutACompositorTheWindowIsCutToItsRoundedCards) {
    showPanel();
    ASSERT_FALSE(panel->isTranslucent());
    const int column = HistoryPanelView::columnWidth;
    // Empty history: one short card; beside and below it, and at its corners, the desktop.
    EXPECT_TRUE(showsPanelAt({column / 2, 20}));
    EXPECT_TRUE(showsDesktopAt({column + column / 2, 250})) << "the empty converter column";
    EXPECT_TRUE(showsDesktopAt({column / 2, 400})) << "below the short history column";
    EXPECT_TRUE(showsDesktopAt({0, 0})) << "outside the rounded corner";

    copyAll({"alpha", "beta"});
    view().refresh();
    EXPECT_TRUE(showsPanelAt({column / 2, 400})) << "the column grew with its list";
    EXPECT_TRUE(showsPanelAt({column + column / 2, 250})) << "the preview card";
    EXPECT_TRUE(showsDesktopAt({column + HistoryPanelView::columnSpacing / 2, 250}))
        << "the gap between the columns";
}

TEST_F(PanelWindowX11Test, WithACompositorTheWindowHasAnAlphaChannelAndNoCut) {
    CompositorStandIn compositor;
    showPanel();
    EXPECT_TRUE(panel->isTranslucent());
    auto* connection = xcb_connect(nullptr, nullptr);
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(
            connection,
            xcb_get_geometry(connection, static_cast<xcb_window_t>(panel->window()->winId())),
            nullptr),
        &std::free);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->depth, 32);
    xcb_disconnect(connection);
    EXPECT_TRUE(panel->window()->mask().isEmpty());
}

// What waits for the panel's next frame runs with that frame on the screen: the first one as
// the window shows, and a next one even when nothing in the window changed.
TEST_F(PanelWindowX11Test, WhatWaitsForTheNextFrameRunsWithTheFrameOnScreen) {
    launch();
    makePanel();
    panel->create({200, 100, HistoryPanelView::panelWidth, HistoryPanelView::panelHeight}, {});
    panel->buildContent();
    std::vector<QColor> seen;
    const auto lookAtTheCard = [&] {
        const QPoint inCard =
            panel->window()->mapToGlobal(QPoint(HistoryPanelView::columnWidth / 2, 20));
        seen.push_back(QGuiApplication::primaryScreen()
                           ->grabWindow(0, inCard.x(), inCard.y(), 1, 1)
                           .toImage()
                           .pixelColor(0, 0));
    };
    panel->makeKeyAndOrderFront();
    panel->afterNextFrame(lookAtTheCard);
    ASSERT_TRUE(test_support::qWaitFor([&] { return seen.size() == 1; }, settleMs));
    EXPECT_NE(seen[0], backdropColour) << "ran before the first frame was on the screen";
    panel->afterNextFrame(lookAtTheCard);
    ASSERT_TRUE(test_support::qWaitFor([&] { return seen.size() == 2; }, settleMs))
        << "no frame came for a window that did not change";
    EXPECT_NE(seen[1], backdropColour);
}

void xdotool(const std::string& arguments) {
    ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0) << arguments;
}

// A popup menu of the app, such as the tray's, open and holding the keyboard.
void openMenu(QMenu& menu, pindrake::test_support::OtherClient& other) {
    menu.popup(QPoint(700, 600));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu, test_support::scaledMs(5000)));
    ASSERT_TRUE(test_support::qWaitFor([&] { return !other.canGrabKeyboard(); }, settleMs))
        << "the menu never took the keyboard";
}

TEST_F(PanelWindowX11Test, TheKeyboardStaysWithThePanelAcrossTheAppsMenus) {
    pindrake::test_support::OtherClient other;
    const auto typedReachesTheField = [&](const char* text, const QString& expected) {
        xdotool(std::string("type ") + text);
        return test_support::qWaitFor([&] { return view().searchField().text() == expected; },
                                      settleMs);
    };
    QMenu menu;
    menu.addAction(QStringLiteral("Item"));

    // The hot key with a menu open: the user then presses Escape, as they would to close the
    // menu, and types.
    openMenu(menu, other);
    showPanel();
    EXPECT_FALSE(menu.isVisible()) << "an open menu takes every key typed in the app";
    ASSERT_TRUE(test_support::qWaitFor([&] { return !other.canGrabKeyboard(); }, settleMs));
    xdotool("key Escape");
    ASSERT_TRUE(test_support::qWaitFor([&] { return !menu.isVisible(); }, settleMs));
    QGuiApplication::sync();  // a grab the menu ended is gone before xdotool types
    EXPECT_TRUE(typedReachesTheField("xyz", QStringLiteral("xyz")))
        << "the panel lost the keyboard with the menu";

    // A menu opened over the shown panel (the search field's own, say) and closed again.
    openMenu(menu, other);
    menu.hide();
    QGuiApplication::sync();
    ASSERT_TRUE(test_support::qWaitFor([&] { return !other.canGrabKeyboard(); }, settleMs))
        << "the panel did not take the keyboard back";
    EXPECT_TRUE(typedReachesTheField("w", QStringLiteral("xyzw")));
}

// Return on a converter whose preview is still to come waits for it with the panel open, and
// shows that it converts; what is typed meanwhile does not reach the search field. Escape calls
// the paste off.
TEST_F(PanelWindowX11Test, APasteWaitingForItsConversionShowsItAndKeepsTypedKeysOut) {
    offeredConverters = {&asIs, &upper};
    showPanel();
    copy("entry");
    model().selectConverter(1);  // its preview runs and never ends
    ASSERT_TRUE(eventually([&] { return upper.calls == 1; }));
    EXPECT_TRUE(
        eventually([&] { return view().previewPane().content() == PreviewPane::Content::text; }));
    xdotool("key Return");
    EXPECT_TRUE(eventually([&] {
        return view().previewPane().content() == PreviewPane::Content::converting;
    })) << "no sign of the conversion the paste waits for";
    xdotool("type abc");
    xdotool("key Escape");
    EXPECT_TRUE(eventually([&] { return !model().isConverterMenuOpen.get(); }));
    EXPECT_EQ(view().searchField().text(), QString());
    EXPECT_EQ(model().query.get(), "");
    EXPECT_TRUE(panel->window()->isVisible());
    EXPECT_EQ(upper.calls, 1);
    EXPECT_EQ(keys.pasteCount(), 0);
}

TEST_F(PanelWindowX11Test, APanelThatCannotHaveTheKeyboardResigns) {
    platform::XcbConnection holder;
    const auto held = platform::xcbReply(
        xcb_grab_keyboard_reply(holder.get(),
                                xcb_grab_keyboard(holder.get(), 0, holder.root(), XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr));
    ASSERT_TRUE(held && held->status == XCB_GRAB_STATUS_SUCCESS);
    int resigned = 0;
    showPanel([&] { ++resigned; });
    EXPECT_TRUE(test_support::qWaitFor([&] { return resigned == 1; }, settleMs));
    EXPECT_FALSE(panel->hasGrabs());
}

// The grab hands the keys to whichever window of ours has the focus. The hot key over a window
// of ours shows the panel with the keys, and closing it gives them back; Settings and About from
// the tray close a shown panel and open on top with the keys.
TEST_F(PanelWindowX11Test, ThePanelAndOurOtherWindowsNeverShareTheKeyboard) {
    pindrake::test_support::OtherClient other;
    QPointer<QLineEdit> settings;
    QtApplicationShell windows(
        [&]() -> QWidget* {
            settings = new QLineEdit;
            return settings;
        },
        {});
    makePanel();
    delegate = makeDelegate(*panel, windows);
    delegate->applicationDidFinishLaunching();
    MenuBarMenu menu(main, *delegate, windows);
    const auto hasTheKeys = [&](const QWidget* window) {
        return eventually([&] { return window && other.inputFocus() == window->winId(); });
    };
    const auto newestAbout = [] {
        QPointer<QMessageBox> newest;
        for (auto* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                newest = box;
        }
        return newest;
    };

    windows.showAbout();
    const QPointer<QMessageBox> about = newestAbout();
    ASSERT_TRUE(hasTheKeys(about));
    int aboutShortcutsRun = 0;
    QObject::connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+K")), about),
                     &QShortcut::activated, [&] { ++aboutShortcutsRun; });
    delegate->togglePanel();
    ASSERT_TRUE(eventually([&] { return !other.canGrabKeyboard(); }));
    // About has the focus again, under the grab: the keys come through it.
    xdotool("windowfocus --sync " + std::to_string(backdrop.winId()));
    xdotool("windowfocus --sync " + std::to_string(about->winId()));
    ASSERT_TRUE(eventually([&] { return QApplication::activeWindow() == about; }));
    xdotool("key ctrl+shift+k");
    xdotool("type abc");
    EXPECT_TRUE(eventually([&] { return view().searchField().text() == "abc"; }))
        << "the keys went to About, under the panel";
    EXPECT_EQ(aboutShortcutsRun, 0) << "a shortcut of About ran while the panel had the keys";
    xdotool("key Escape");
    EXPECT_TRUE(eventually([&] { return !isShowing(); }));
    ASSERT_TRUE(about && about->isVisible()) << "Escape closed About, not the panel";
    QGuiApplication::sync();
    xdotool("key Escape");
    EXPECT_TRUE(eventually([&] { return !about; })) << "About did not get the keys back";

    for (const std::string item : {"about_pindrake", "settings_ellipsis"}) {
        SCOPED_TRACE(item);
        delegate->togglePanel();
        ASSERT_TRUE(eventually([&] { return !other.canGrabKeyboard(); }));
        for (const auto& entry : menu.entries()) {
            if (entry.titleKey == item)
                entry.action();
        }
        EXPECT_TRUE(eventually([&] { return !isShowing(); }));
        const QWidget* opened = settings.data();
        if (item == "about_pindrake")
            opened = newestAbout().data();
        EXPECT_TRUE(hasTheKeys(opened));
        // This window manager keeps a dialog above every other window, with the focus.
        while (QWidget* box = newestAbout())
            box->close();
    }
    xdotool("type typed");
    EXPECT_TRUE(eventually([&] { return settings && settings->text() == "typed"; }));
}

// Showing the panel over Settings' alert, which runs a loop of its own, closes both; closing the
// panel gives the keys to the program the user came from, not to a window that is gone. About
// chosen again raises the open box.
TEST_F(PanelWindowX11Test, ThePanelClosesSettingsOverItsAlertAndHandsTheKeysBackToAWindowThere) {
    namespace recorder = GlobalShortcuts::test_support;
    pindrake::test_support::OtherClient other;
    platform::XcbConnection program;
    const xcb_window_t programWindow = xcb_generate_id(program.get());
    xcb_create_window(program.get(), XCB_COPY_FROM_PARENT, programWindow, program.root(), 0, 0, 300,
                      200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    program.succeeded(xcb_map_window_checked(program.get(), programWindow));
    ASSERT_TRUE(eventually([&] { return other.inputFocus() == programWindow; }));
    const auto keyCodes = platform::XkbKeyboardLayout::forDisplay();
    int beeps = 0;
    QtApplicationShell windows(
        [&]() -> QWidget* {
            return new SettingsWindow({delegate->historyStore(), defaults, loginItems, keys,
                                       recorder::recorderServices(shortcuts, *keyCodes, beeps)});
        },
        {});
    makePanel();
    delegate = makeDelegate(*panel, windows);
    delegate->applicationDidFinishLaunching();
    windows.openSettingsWindow();
    QWidget* settings = windows.settingsWindow();
    ASSERT_TRUE(eventually([&] { return settings->isActiveWindow(); }));

    hotKeys.reserveForSystem(recorder::shiftCommandK);
    settings->findChild<GlobalShortcuts::RecorderControl*>()->setFocus(Qt::MouseFocusReason);
    // The alert's loop may come to the window's deletion before it returns: the window and the
    // box in it must outlive the loop.
    const recorder::AlertAnswerer showPanel(*settings, [&](QMessageBox&) {
        delegate->togglePanel();
        QCoreApplication::sendPostedEvents(settings, QEvent::DeferredDelete);
    });
    recorder::press(Qt::Key_K, Qt::ShiftModifier | Qt::MetaModifier, recorder::scanCode::k);
    EXPECT_TRUE(eventually([&] { return !windows.settingsWindow() && !other.canGrabKeyboard(); }));
    // This window manager never gives the panel the focus; others do if it offers to take it.
    const auto protocols = program.property(static_cast<xcb_window_t>(panel->window()->winId()),
                                            program.atom("WM_PROTOCOLS"), XCB_ATOM_ATOM);
    const auto takeFocus = program.atom("WM_TAKE_FOCUS");
    for (std::size_t at = 0; protocols && at + sizeof takeFocus <= protocols->size();
         at += sizeof takeFocus)
        EXPECT_NE(std::memcmp(protocols->data() + at, &takeFocus, sizeof takeFocus), 0);
    xdotool("key Escape");
    EXPECT_TRUE(eventually([&] { return !isShowing() && other.inputFocus() == programWindow; }));

    windows.showAbout();
    windows.showAbout();
    int aboutBoxes = 0;
    for (auto* window : QApplication::topLevelWidgets())
        aboutBoxes += qobject_cast<QMessageBox*>(window) && window->isVisible() && window->close();
    EXPECT_EQ(aboutBoxes, 1);
}

// The tray menu holds the keyboard while open: the keys it shows beside its items choose them.
TEST_F(PanelWindowX11Test, TheKeysTheTrayMenuShowsChooseTheirItems) {
    launch();
    MenuBarMenu entries(main, *delegate, shell);
    const auto layout = platform::XkbKeyboardLayout::forDisplay();
    const auto menuKeys = routeMenuKeysToHotKeys(shortcuts, *layout);  // as in the app
    TrayIcon tray(entries, *layout, QIcon());
    pindrake::test_support::OtherClient other;
    const auto logged = [&](const std::string& event) {
        const auto names = log.names();
        return std::find(names.begin(), names.end(), event) != names.end();
    };
    const auto happened = [&](const std::string& event) {
        return test_support::qWaitFor(
            [&] {
                main.runUntilIdle();
                return logged(event);
            },
            settleMs);
    };

    openMenu(tray.menu(), other);
    xdotool("key ctrl+shift+q");  // not the key shown: the menu stays, Quit does not run
    xdotool("key ctrl+comma");
    ASSERT_TRUE(happened("open settings"));
    EXPECT_FALSE(logged("terminate"));
    EXPECT_FALSE(tray.menu().isVisible());

    openMenu(tray.menu(), other);
    xdotool("key ctrl+q");
    EXPECT_TRUE(happened("terminate"));
    EXPECT_FALSE(tray.menu().isVisible());
}

}  // namespace
}  // namespace pindrake::app::views
