#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QVariantAnimation>

#include "EnglishTexts.h"
#include "app/ShellFixture.h"
#include "app/views/ConverterMenuView.h"
#include "app/views/HistoryList.h"
#include "app/views/HistoryPanelView.h"
#include "app/views/PanelParts.h"
#include "app/views/PreviewPane.h"
#include "app/views/RowIcons.h"
#include "app/views/SearchField.h"
#include "foundation/Localization.h"

#include "support/QtEventLoop.h"

// The panel's view on the offscreen platform, over the whole application on fakes.
namespace pindrake::app::views {
namespace {

using namespace std::chrono_literals;

QString text(std::string_view key) {
    return QString::fromStdString(localized(key));
}

class HistoryPanelViewTest : public test::ShellFixture {
  protected:
    HistoryPanelViewTest() { useEnglishTexts(); }

    // Shows the panel and builds its view the way the panel window does for each show.
    HistoryPanelView& showPanel() {
        pressHotKey();
        main.runUntilIdle();
        view = std::make_unique<HistoryPanelView>(HistoryPanelView::Services{
            delegate->panelController()->shared_from_this(), delegate->historyStore(), icons,
            [this] { return clock; }, [] { return Duration(400ms); },
            [](const QKeyEvent& event) {
                return event.key() == Qt::Key_V &&
                       event.modifiers() == (Qt::ShiftModifier | Qt::MetaModifier);
            }});
        view->refresh();
        return *view;
    }
    HistoryPanelView& launchAndShow(std::initializer_list<std::string> copied) {
        launch();
        copyAll(copied);
        return showPanel();
    }
    void hidePanel() {
        delegate->panelController()->hidePanel(false);
        main.runUntilIdle();
    }
    bool isShowing() { return delegate->panelController()->isShowing(); }
    HistoryViewModel& model() { return delegate->viewModel(); }
    // A list longer than the panel shows, on screen.
    HistoryPanelView& showFortyEntries() {
        launch();
        for (int i = 0; i < 40; ++i)
            copy("entry " + std::to_string(i));
        auto& panel = showPanel();
        panel.show();
        return panel;
    }
    bool rowIsVisible(int row) {
        const auto& list = view->historyList();
        return list.viewport()->rect().contains(list.visualRect(list.model()->index(row, 0)));
    }
    void type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view->searchField(), key, modifiers);
        view->refresh();
    }

    test::FakeConverter asIs{"paste.asis"};
    test::FakeConverter upper{"text.upper"};
    RowIcons icons;
    TimePoint clock{std::chrono::seconds(1000)};
    std::unique_ptr<HistoryPanelView> view;
};

TEST_F(HistoryPanelViewTest, TheListAreaSaysWhenTheHistoryIsEmptyOrNothingMatches) {
    auto& panel = launchAndShow({});
    EXPECT_EQ(panel.listAreaState(), ListAreaState::noClipboardHistory);
    EXPECT_TRUE(panel.shownHints().empty());
    EXPECT_FALSE(panel.isConverterCardShown());

    copy("alpha");
    panel.refresh();
    EXPECT_EQ(panel.listAreaState(), ListAreaState::list);
    EXPECT_EQ(panel.shownHints().size(), 3u);
    QTest::keyClicks(&panel.searchField(), "zzz");
    panel.refresh();
    EXPECT_EQ(model().query.get(), "zzz");
    EXPECT_EQ(panel.listAreaState(), ListAreaState::noMatchingHistory);
    EXPECT_TRUE(panel.shownHints().empty());

    // Beyond what an entry keeps of a large text, the whole text is searched on a worker: only
    // once it is done does the list area say that nothing matches.
    copy(std::string(100'000, 'a') + " tailword");
    for (const auto& [query, after] : {std::pair("tailwork", ListAreaState::noMatchingHistory),
                                       std::pair("tailword", ListAreaState::list)}) {
        model().query = query;
        panel.refresh();
        EXPECT_EQ(panel.listAreaState(), ListAreaState::nothing) << query;
        main.runUntilIdle();
        panel.refresh();
        EXPECT_EQ(panel.listAreaState(), after) << query;
    }
}

TEST_F(HistoryPanelViewTest, ArrowsMoveTheSelectionRightOpensTheMenuEscapeClosesItTheHotKeyHides) {
    offeredConverters = {&asIs, &upper};
    auto& panel = launchAndShow({std::string(501, 'x'), "two", "three"});
    EXPECT_EQ(panel.historyList().selectedRow(), 0);
    EXPECT_TRUE(panel.isConverterDimmed());
    type(Qt::Key_Down);
    EXPECT_EQ(model().selectedIndex.get(), 1);
    EXPECT_EQ(panel.historyList().selectedRow(), 1);
    EXPECT_FALSE(model().scrollToSelection) << "the list consumed the scroll request";
    EXPECT_EQ(panel.previewPane().content(), PreviewPane::Content::text);
    EXPECT_EQ(panel.previewPane().shownText(), QStringLiteral("two"));
    type(Qt::Key_Down);
    EXPECT_EQ(panel.previewPane().shownText(),
              QString(500, QLatin1Char('x')) + QStringLiteral("…"));

    type(Qt::Key_Right);
    EXPECT_TRUE(model().isConverterMenuOpen.get());
    EXPECT_TRUE(panel.isHistoryDimmed());
    EXPECT_FALSE(panel.isConverterDimmed());
    // The veil leaving the converter column fades out, taking no clicks meanwhile.
    DimLayer* leaving = nullptr;
    for (auto* dim : panel.findChildren<DimLayer*>())
        leaving = dim->isDimmed() ? leaving : dim;
    ASSERT_NE(leaving, nullptr);
    EXPECT_FALSE(leaving->isHidden());
    EXPECT_TRUE(leaving->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(test_support::qWaitFor([&] { return leaving->isHidden(); }));
    EXPECT_EQ(panel.shownHints(), (std::vector<QString>{text("hint_back"), text("hint_close")}));
    EXPECT_EQ(panel.converterMenu().highlightedRow(), 0);
    type(Qt::Key_Down);
    EXPECT_EQ(panel.converterMenu().highlightedRow(), 1);
    EXPECT_EQ(model().selectedIndex.get(), 2) << "Down moves in the menu now";

    type(Qt::Key_Escape);
    EXPECT_FALSE(model().isConverterMenuOpen.get()) << "the first Escape closes the menu only";
    EXPECT_TRUE(isShowing());
    EXPECT_EQ(panel.converterMenu().highlightedRow(), 0) << "unfocused: the first row";

    // The hot key typed while the panel holds the keyboard hides it and types nothing.
    type(Qt::Key_V, Qt::ShiftModifier);
    EXPECT_EQ(model().query.get(), "v");
    type(Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier);
    EXPECT_FALSE(isShowing());
    EXPECT_EQ(panel.searchField().text(), "v");
}

TEST_F(HistoryPanelViewTest, ASecondEscapeWithTheMenuClosedHidesThePanel) {
    offeredConverters = {&asIs, &upper};
    launchAndShow({"one", "two"});
    type(Qt::Key_Right);
    type(Qt::Key_Escape);
    EXPECT_FALSE(model().isConverterMenuOpen.get());
    EXPECT_TRUE(isShowing());
    type(Qt::Key_Escape);
    EXPECT_FALSE(isShowing());
}

TEST_F(HistoryPanelViewTest, ToastsConfirmOnlyWhatHappened) {
    auto& panel = launchAndShow({"keep", "drop"});
    type(Qt::Key_C, Qt::ControlModifier);
    main.runUntilIdle();  // the entry is read, then written
    EXPECT_EQ(panel.toastText(), text("toast_copied"));
    type(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(panel.toastText(), text("toast_deleted"));
    ASSERT_EQ(delegate->historyStore().items()->size(), 1u);
    EXPECT_EQ(delegate->historyStore().items()->front().plainText, "keep");

    type(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_TRUE(delegate->historyStore().items()->empty());
    panel.showToast(QStringLiteral("marker"));
    type(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(panel.toastText(), QStringLiteral("marker")) << "deleted nothing, said Deleted";
    type(Qt::Key_C, Qt::ControlModifier);
    main.runUntilIdle();
    EXPECT_EQ(panel.toastText(), QStringLiteral("marker")) << "copied nothing, said Copied";

    // A refused paste says why, once, and leaves the panel open.
    main.advance(1s);
    copy("text");
    keys.trusted = false;
    panel.refresh();
    type(Qt::Key_Return);
    EXPECT_FALSE(model().accessibilityDenied.get());
    EXPECT_EQ(panel.toastText(), text("toast_accessibility_required"));
    EXPECT_TRUE(isShowing());
}

TEST_F(HistoryPanelViewTest, ANewToastReplacesTheTextAtOnceAndRestartsItsTime) {
    auto& panel = launchAndShow({});
    const auto* hideTimer = panel.findChild<QTimer*>(QStringLiteral("toastHideTimer"));
    ASSERT_NE(hideTimer, nullptr);
    panel.showToast(QStringLiteral("first"));
    EXPECT_EQ(hideTimer->interval(), 1200);
    ASSERT_TRUE(test_support::qWaitFor([&] { return hideTimer->remainingTime() < 1100; }, 10'000));
    const int leftOfFirst = hideTimer->remainingTime();
    panel.showToast(QStringLiteral("second"));
    EXPECT_EQ(panel.toastText(), QStringLiteral("second"));
    // Its own time starts afresh: more is left than the first one had left, however slow the
    // machine was in between.
    EXPECT_GT(hideTimer->remainingTime(), leftOfFirst) << "hidden on the first one's time";
    EXPECT_TRUE(test_support::qWaitFor([&] { return !panel.toastText(); }, 10'000));
}

TEST_F(HistoryPanelViewTest, LeftClicksSelectAndADoubleClickOnOneRowPastesIt) {
    offeredConverters = {&asIs, &upper};
    auto& panel = launchAndShow({"first", "second"});
    panel.show();
    const auto click = [](QAbstractItemView& list, int row, Qt::MouseButton button) {
        const QPoint at = list.visualRect(list.model()->index(row, 0)).center();
        QTest::mouseClick(list.viewport(), button, {}, at);
    };
    auto& list = panel.historyList();

    click(panel.converterMenu(), 1, Qt::LeftButton);
    panel.refresh();
    EXPECT_TRUE(model().isConverterMenuOpen.get());
    EXPECT_EQ(panel.converterMenu().highlightedRow(), 1);
    model().closeConverterMenu();

    click(list, 1, Qt::RightButton);
    click(list, 1, Qt::RightButton);
    EXPECT_EQ(model().selectedIndex.get(), 0) << "other buttons do nothing";
    EXPECT_TRUE(isShowing());
    click(list, 1, Qt::LeftButton);
    clock += 100ms;
    click(list, 0, Qt::LeftButton);
    EXPECT_EQ(model().selectedIndex.get(), 0);
    EXPECT_TRUE(isShowing()) << "two rows";
    clock += 500ms;
    click(list, 1, Qt::LeftButton);
    clock += 100ms;
    click(list, 1, Qt::LeftButton);
    EXPECT_FALSE(isShowing());
    main.advance(199ms);
    EXPECT_EQ(keys.pasteCount(), 0);
    main.advance(1ms);
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_EQ(clipboardText(), "first");
}

TEST_F(HistoryPanelViewTest, KeyMovesScrollOnlyToShowTheSelectionClicksDoNotANewListStartsAtTop) {
    auto& panel = showFortyEntries();
    auto& list = panel.historyList();
    auto* bar = list.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);

    type(Qt::Key_Up);
    EXPECT_EQ(model().selectedIndex.get(), 39);
    EXPECT_EQ(bar->value(), 0) << "the move eases in rather than jumping";
    EXPECT_TRUE(test_support::qWaitFor([&] { return rowIsVisible(39); }, 1000));
    type(Qt::Key_Down);
    ASSERT_TRUE(test_support::qWaitFor([&] { return rowIsVisible(0); }, 1000));
    // About 15 rows fit: 8 Downs from the top scroll none away.
    for (int downs = 0; downs < 8; ++downs)
        type(Qt::Key_Down);

    // The first row not wholly in view, which a move to it would scroll to.
    int partlyShown = 0;
    while (rowIsVisible(partlyShown))
        ++partlyShown;
    panel.handleRowClick(partlyShown);
    panel.refresh();
    // Animations all step on the same ticks: once one started after the click and running
    // longer than the list's eases has ended, a scroll the click set off would have moved.
    QVariantAnimation later;
    later.setDuration(200);
    later.setStartValue(0);
    later.setEndValue(1);
    later.start();
    ASSERT_TRUE(
        test_support::qWaitFor([&] { return later.state() == QAbstractAnimation::Stopped; }));
    EXPECT_EQ(model().selectedIndex.get(), partlyShown);
    EXPECT_EQ(bar->value(), 0) << "the Downs or the click scrolled";

    QTest::keyClicks(&panel.searchField(), "entry 1");
    panel.refresh();
    EXPECT_EQ(bar->value(), 0) << "a new list starts at the top";
}

TEST_F(HistoryPanelViewTest, EveryKeyCapIsOneSizeAndSitsInsideItsBar) {
    offeredConverters = {&asIs, &upper};
    auto& panel = launchAndShow({"first"});
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, test_support::scaledMs(5000)));
    const auto caps = panel.findChildren<QLabel*>(QStringLiteral("keyCap"));
    ASSERT_EQ(caps.size(), 4) << "three in the hints bar, Return on the converter card";
    for (const QLabel* cap : caps) {
        EXPECT_EQ(cap->height(), caps.front()->height()) << cap->text().toStdString();
        const QWidget* bar = cap->parentWidget()->parentWidget();
        EXPECT_LE(cap->height() + 2 * 8, bar->height()) << cap->text().toStdString();
    }
}

TEST_F(HistoryPanelViewTest, ScrollBarsAreThinOverlaysThatShowOnlyWhileTheListScrolls) {
    launch();
    for (int i = 0; i < 40; ++i)
        copy("entry " + std::to_string(i));
    auto& panel = showPanel();
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, test_support::scaledMs(5000)));
    auto& list = panel.historyList();
    const auto shownBars = [&] {
        std::vector<QScrollBar*> bars;
        for (auto* bar : list.findChildren<QScrollBar*>()) {
            if (bar->isVisible())
                bars.push_back(bar);
        }
        return bars;
    };
    EXPECT_EQ(list.viewport()->width(), list.width()) << "the rows keep the whole width";
    EXPECT_TRUE(shownBars().empty()) << "at rest";

    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum() / 2);
    const auto bars = shownBars();
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_LE(bars.front()->width(), 8);
    EXPECT_GE(bars.front()->x(), list.width() - 10) << "over the right edge";
    EXPECT_EQ(list.viewport()->width(), list.width());
    // Dragging it scrolls the list.
    bars.front()->setValue(0);
    EXPECT_EQ(list.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(test_support::qWaitFor([&] { return shownBars().empty(); }, 5000)) << "gone again";
}

// Middle of the row's left padding, where only the highlight is painted.
int rowLightness(HistoryPanelView& panel, int row) {
    const QImage image = panel.grab().toImage();
    auto& list = panel.historyList();
    const QRect rect = list.visualRect(list.model()->index(row, 0));
    const QPoint at = list.viewport()->mapTo(&panel, QPoint(rect.left() + 9, rect.center().y()));
    return image.pixelColor(at).lightness();
}

TEST_F(HistoryPanelViewTest,
       TheSelectedRowIsDarkerOnLightAndLighterOnDarkAndWeakerWithTheMenuOpen) {
    offeredConverters = {&asIs, &upper};
    launch();
    QDir().mkpath(QStringLiteral(PINDRAKE_SCREENSHOTS));
    const auto showIn = [&](bool dark) -> HistoryPanelView& {
        view.reset();
        auto& panel = showPanel();
        QPalette palette = QApplication::palette();
        if (dark) {
            palette.setColor(QPalette::Window, QColor(40, 40, 44));
            palette.setColor(QPalette::Base, QColor(30, 30, 34));
            palette.setColor(QPalette::Text, Qt::white);
            palette.setColor(QPalette::WindowText, Qt::white);
            palette.setColor(QPalette::PlaceholderText, QColor(160, 160, 160));
        }
        panel.setPalette(palette);
        panel.refresh();
        return panel;
    };
    const auto save = [](HistoryPanelView& panel, const char* name, bool dark) {
        panel.grab().save(QStringLiteral(PINDRAKE_SCREENSHOTS "/widget-%1-%2.png")
                              .arg(QLatin1String(name), QLatin1String(dark ? "dark" : "light")));
    };
    for (const bool dark : {false, true}) {
        save(showIn(dark), "panel-empty", dark);
        hidePanel();
    }
    copy("first");
    copy("{\"json\": true}");
    for (const bool dark : {false, true}) {
        auto& panel = showIn(dark);
        const int selected = rowLightness(panel, 0);
        const int plain = rowLightness(panel, 1);
        if (dark)
            EXPECT_GT(selected, plain + 20) << "white at 0.15 on dark";
        else
            EXPECT_LT(selected, plain - 10) << "black at 0.08 on light";
        save(panel, "panel-filled", dark);
        type(Qt::Key_Right);
        save(panel, "converter-menu", dark);
        type(Qt::Key_Escape);
        // Compared with the dim layer lifted: the weaker highlight of an unfocused list.
        model().openConverterMenu();
        panel.refresh();
        for (auto* dim : panel.findChildren<DimLayer*>())
            dim->hide();
        const int unfocused = rowLightness(panel, 0);
        EXPECT_LT(std::abs(unfocused - plain), std::abs(selected - plain)) << dark;
        EXPECT_NE(unfocused, plain) << dark;
        model().closeConverterMenu();
        hidePanel();
    }
}

// A copy that lands while the panel is open puts a row above the chosen one: the highlight
// moves down with its entry, which stays in view, and Return pastes it.
TEST_F(HistoryPanelViewTest, ACopyLandingWhileOpenLeavesTheChosenRowHighlightedInViewAndPasted) {
    offeredConverters = {&asIs, &upper};
    auto& panel = showFortyEntries();
    auto& list = panel.historyList();
    type(Qt::Key_Up);
    ASSERT_TRUE(test_support::qWaitFor([&] { return rowIsVisible(39); }, 1000));

    copy("late copy");
    panel.refresh();
    ASSERT_EQ(list.model()->rowCount(), 41);
    EXPECT_EQ(list.selectedRow(), 40);
    EXPECT_EQ(list.listModel().item(40)->plainText, "entry 0");
    EXPECT_TRUE(rowIsVisible(40));
    EXPECT_NE(rowLightness(panel, 40), rowLightness(panel, 39)) << "the highlight is on it";

    type(Qt::Key_Return);
    main.advance(HistoryViewModel::pasteDelay);
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_EQ(clipboardText(), "entry 0");
}

}  // namespace
}  // namespace pindrake::app::views
