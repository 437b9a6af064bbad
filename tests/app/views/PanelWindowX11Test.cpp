#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

#include "EnglishTexts.h"
#include "app/ShellFixture.h"
#include "app/views/HistoryPanelView.h"
#include "app/views/QtPanelWindow.h"
#include "app/views/RowIcons.h"
#include "app/views/SearchField.h"

// The panel window's shape on a real display: the desktop shows around and between its cards.
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
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&backdrop));
    }

    // Shows the panel the way the application does: the shell asks, the real window shows.
    void showPanel() {
        launch();
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
        panel->create({200, 100, HistoryPanelView::panelWidth, HistoryPanelView::panelHeight}, {});
        panel->buildContent();
        panel->makeKeyAndOrderFront();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel->window()));
    }
    HistoryPanelView& view() { return *static_cast<HistoryPanelView*>(panel->content()); }

    // Whether the point of the panel comes to show the desktop (or not) within a while.
    bool settles(QPoint inPanel, bool showsDesktop) {
        const QPoint at = panel->window()->mapToGlobal(inPanel);
        return QTest::qWaitFor(
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

}  // namespace
}  // namespace pindrake::app::views
