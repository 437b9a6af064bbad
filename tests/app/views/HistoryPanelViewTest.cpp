#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTest>

#include "app/ShellFixture.h"
#include "EnglishTexts.h"
#include "app/views/ConverterMenuView.h"
#include "app/views/HistoryList.h"
#include "app/views/HistoryPanelView.h"
#include "app/views/PanelParts.h"
#include "app/views/PreviewPane.h"
#include "app/views/RowIcons.h"
#include "app/views/SearchField.h"
#include "foundation/Localization.h"

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

    void launchWithConverters() {
        delegate = std::make_unique<AppDelegate>(
            AppDelegate::Services{
                main, defaults, pasteboard, workspace, codec, keys, loginItems, updater, shortcuts,
                window, shell, conversion.services,
                [this](const clipboard::ContentTags&, const std::set<std::string>&, bool, bool) {
                    return converters::ConverterList{&asIs, &upper};
                }},
            folder.path());
        delegate->applicationDidFinishLaunching();
    }

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
    HistoryViewModel& model() { return delegate->viewModel(); }
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

TEST_F(HistoryPanelViewTest, EmptyHistorySaysSoWithoutHintsOrConverterColumn) {
    launch();
    auto& panel = showPanel();
    EXPECT_EQ(panel.listAreaState(), ListAreaState::noClipboardHistory);
    EXPECT_TRUE(panel.shownHints().empty());
    EXPECT_FALSE(panel.isConverterCardShown());
}

TEST_F(HistoryPanelViewTest, AQueryThatMatchesNothingSaysSoAndHidesTheHints) {
    launch();
    copy("alpha");
    auto& panel = showPanel();
    EXPECT_EQ(panel.listAreaState(), ListAreaState::list);
    EXPECT_EQ(panel.shownHints().size(), 3u);
    QTest::keyClicks(&panel.searchField(), "zzz");
    panel.refresh();
    EXPECT_EQ(model().query.get(), "zzz");
    EXPECT_EQ(panel.listAreaState(), ListAreaState::noMatchingHistory);
    EXPECT_TRUE(panel.shownHints().empty());
}

TEST_F(HistoryPanelViewTest, ArrowsMoveTheSelectionAndRightOpensTheMenuWhichDimsTheHistory) {
    launchWithConverters();
    copy("one");
    copy("two");
    copy("three");
    auto& panel = showPanel();
    EXPECT_EQ(panel.historyList().selectedRow(), 0);
    EXPECT_TRUE(panel.isConverterDimmed());
    type(Qt::Key_Down);
    EXPECT_EQ(model().selectedIndex.get(), 1);
    EXPECT_EQ(panel.historyList().selectedRow(), 1);
    EXPECT_FALSE(model().scrollToSelection) << "the list consumed the scroll request";
    type(Qt::Key_Up);
    type(Qt::Key_Up);
    EXPECT_EQ(model().selectedIndex.get(), 2) << "wraps around";

    type(Qt::Key_Right);
    EXPECT_TRUE(model().isConverterMenuOpen.get());
    EXPECT_TRUE(panel.isHistoryDimmed());
    EXPECT_FALSE(panel.isConverterDimmed());
    EXPECT_EQ(panel.shownHints(), (std::vector<QString>{text("hint_back"), text("hint_close")}));
    EXPECT_EQ(panel.converterMenu().highlightedRow(), 0);
    type(Qt::Key_Down);
    EXPECT_EQ(panel.converterMenu().highlightedRow(), 1);
    EXPECT_EQ(model().selectedIndex.get(), 2) << "Down moves in the menu now";

    type(Qt::Key_Escape);
    EXPECT_FALSE(model().isConverterMenuOpen.get()) << "the first Escape closes the menu only";
    EXPECT_TRUE(delegate->panelController()->isShowing());
    EXPECT_EQ(panel.converterMenu().highlightedRow(), 0) << "unfocused: the first row";
    type(Qt::Key_Escape);
    EXPECT_FALSE(delegate->panelController()->isShowing());
}

TEST_F(HistoryPanelViewTest, ThePreviewShowsTheSelectedTextCutToFiveHundredCharacters) {
    launch();
    copy(std::string(501, 'x'));
    copy("short");
    auto& panel = showPanel();
    EXPECT_EQ(panel.previewPane().content(), PreviewPane::Content::text);
    EXPECT_EQ(panel.previewPane().shownText(), QStringLiteral("short"));
    type(Qt::Key_Down);
    EXPECT_EQ(panel.previewPane().shownText(),
              QString(500, QLatin1Char('x')) + QStringLiteral("…"));
}

TEST_F(HistoryPanelViewTest, CopyAndDeleteConfirmOnlyWhatHappened) {
    launch();
    copy("keep");
    copy("drop");
    auto& panel = showPanel();
    type(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(panel.toastText(), text("toast_copied"));
    type(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(panel.toastText(), text("toast_deleted"));
    EXPECT_EQ(delegate->historyStore().items()->size(), 1u);
    EXPECT_EQ(delegate->historyStore().items()->front().plainText, "keep");

    type(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_TRUE(delegate->historyStore().items()->empty());
    // A delete in an empty list deletes nothing: the toast still shows the last real one.
    panel.showToast(QStringLiteral("marker"));
    type(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(panel.toastText(), QStringLiteral("marker"));
}

TEST_F(HistoryPanelViewTest, SelectingPartOfTheQueryCopiesItAsUsual) {
    launch();
    copy("entry");
    auto& panel = showPanel();
    QTest::keyClicks(&panel.searchField(), "ent");
    panel.searchField().selectAll();
    const auto before = pasteboard.changeCount();
    type(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(panel.toastText(), std::nullopt);
    EXPECT_EQ(pasteboard.changeCount(), before) << "the entry was not copied";
}

TEST_F(HistoryPanelViewTest, ANewToastReplacesTheTextAtOnceAndRestartsItsTime) {
    launch();
    auto& panel = showPanel();
    panel.showToast(QStringLiteral("first"));
    QTest::qWait(1000);
    panel.showToast(QStringLiteral("second"));
    EXPECT_EQ(panel.toastText(), QStringLiteral("second"));
    QTest::qWait(600);
    EXPECT_EQ(panel.toastText(), QStringLiteral("second")) << "hidden on the first one's time";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.toastText(); }, 1500));
}

TEST_F(HistoryPanelViewTest, ARefusedPasteShowsTheToastOnceAndClearsTheFlag) {
    launch();
    copy("text");
    keys.trusted = false;
    auto& panel = showPanel();
    EXPECT_EQ(panel.toastText(), std::nullopt);
    type(Qt::Key_Return);
    EXPECT_FALSE(model().accessibilityDenied.get());
    EXPECT_EQ(panel.toastText(), text("toast_accessibility_required"));
    EXPECT_TRUE(delegate->panelController()->isShowing()) << "the panel stays open";
}

TEST_F(HistoryPanelViewTest, ADoubleClickOnARowPastesItAndClickingTwoRowsOnlySelects) {
    launchWithConverters();
    copy("first");
    copy("second");
    auto& panel = showPanel();
    panel.handleRowClick(1);
    clock += 100ms;
    panel.handleRowClick(0);
    EXPECT_EQ(model().selectedIndex.get(), 0);
    EXPECT_TRUE(delegate->panelController()->isShowing());
    clock += 500ms;
    panel.handleRowClick(1);
    clock += 500ms;
    panel.handleRowClick(1);
    EXPECT_TRUE(delegate->panelController()->isShowing()) << "the interval had passed";
    clock += 100ms;
    panel.handleRowClick(1);
    EXPECT_FALSE(delegate->panelController()->isShowing());
    main.advance(HistoryViewModel::pasteDelay);
    EXPECT_EQ(keys.pasteCount(), 1);
    ASSERT_NE(pasteboard.contents().data("public.utf8-plain-text"), nullptr);
    EXPECT_EQ(*pasteboard.contents().data("public.utf8-plain-text"), "first");
}

TEST_F(HistoryPanelViewTest, ClicksOnTheDimLayersSwitchColumns) {
    launchWithConverters();
    copy("text");
    auto& panel = showPanel();
    panel.handleConverterClick(1);
    panel.refresh();
    EXPECT_TRUE(model().isConverterMenuOpen.get());
    EXPECT_EQ(panel.converterMenu().highlightedRow(), 1);
    EXPECT_TRUE(panel.isHistoryDimmed());
}

TEST_F(HistoryPanelViewTest, TheVeilLeavingAColumnFadesOutAndTakesNoClicksMeanwhile) {
    launchWithConverters();
    copy("text");
    auto& panel = showPanel();
    type(Qt::Key_Right);
    ASSERT_TRUE(model().isConverterMenuOpen.get());
    DimLayer* leaving = nullptr;
    for (auto* dim : panel.findChildren<DimLayer*>()) {
        if (!dim->isDimmed())
            leaving = dim;
    }
    ASSERT_NE(leaving, nullptr);
    EXPECT_FALSE(leaving->isHidden()) << "fades out rather than vanishing";
    EXPECT_TRUE(leaving->testAttribute(Qt::WA_TransparentForMouseEvents));
    QTest::qWait(DimLayer::fadeMilliseconds + 150);
    EXPECT_TRUE(leaving->isHidden());
    EXPECT_TRUE(panel.isHistoryDimmed());
}

TEST_F(HistoryPanelViewTest, TheHotKeyTypedIntoThePanelHidesItInsteadOfTyping) {
    launch();
    copy("text");
    auto& panel = showPanel();
    type(Qt::Key_V, Qt::ShiftModifier);
    EXPECT_EQ(model().query.get(), "v");
    EXPECT_TRUE(delegate->panelController()->isShowing());
    type(Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier);
    EXPECT_FALSE(delegate->panelController()->isShowing());
    EXPECT_EQ(panel.searchField().text(), "v") << "the hot key typed nothing";
}

TEST_F(HistoryPanelViewTest, KeyMovesScrollToTheSelectionClicksDoNotAndANewListStartsAtTheTop) {
    launch();
    for (int i = 0; i < 40; ++i)
        copy("entry " + std::to_string(i));
    auto& panel = showPanel();
    panel.resize(panel.size());
    panel.show();
    auto& list = panel.historyList();
    auto* bar = list.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const auto rowIsVisible = [&](int row) {
        return list.viewport()->rect().contains(list.visualRect(list.model()->index(row, 0)));
    };

    type(Qt::Key_Up);
    EXPECT_EQ(model().selectedIndex.get(), 39);
    EXPECT_EQ(bar->value(), 0) << "the move eases in rather than jumping";
    EXPECT_TRUE(QTest::qWaitFor([&] { return rowIsVisible(39); }, 1000));

    const int scrolled = bar->value();
    panel.handleRowClick(35);
    panel.refresh();
    QTest::qWait(200);
    EXPECT_EQ(model().selectedIndex.get(), 35);
    EXPECT_EQ(bar->value(), scrolled) << "a click selects without scrolling";

    QTest::keyClicks(&panel.searchField(), "entry 1");
    panel.refresh();
    EXPECT_EQ(bar->value(), 0) << "a new list starts at the top";
}

QPalette schemePalette(bool dark) {
    QPalette palette = QApplication::palette();
    if (dark) {
        palette.setColor(QPalette::Window, QColor(40, 40, 44));
        palette.setColor(QPalette::Base, QColor(30, 30, 34));
        palette.setColor(QPalette::Text, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::white);
        palette.setColor(QPalette::PlaceholderText, QColor(160, 160, 160));
    }
    return palette;
}

// Middle of the row's left padding, where only the highlight is painted.
int rowLightness(HistoryPanelView& panel, int row) {
    const QImage image = panel.grab().toImage();
    auto& list = panel.historyList();
    const QRect rect = list.visualRect(list.model()->index(row, 0));
    const QPoint at = list.viewport()->mapTo(&panel, QPoint(rect.left() + 9, rect.center().y()));
    return image.pixelColor(at).lightness();
}

void save(HistoryPanelView& panel, const char* name) {
    QDir().mkpath(QStringLiteral(PINDRAKE_SCREENSHOTS));
    panel.grab().save(QStringLiteral(PINDRAKE_SCREENSHOTS "/%1.png").arg(QLatin1String(name)));
}

TEST_F(HistoryPanelViewTest,
       TheSelectedRowIsDarkerOnLightAndLighterOnDarkAndWeakerWithTheMenuOpen) {
    launchWithConverters();
    for (const bool dark : {false, true}) {
        view.reset();
        auto& empty = showPanel();
        empty.setPalette(schemePalette(dark));
        save(empty, dark ? "widget-panel-empty-dark" : "widget-panel-empty-light");
        delegate->panelController()->hidePanel(false);
        main.runUntilIdle();
    }
    copy("first");
    copy("{\"json\": true}");
    for (const bool dark : {false, true}) {
        view.reset();
        auto& panel = showPanel();
        panel.setPalette(schemePalette(dark));
        panel.refresh();
        const int selected = rowLightness(panel, 0);
        const int plain = rowLightness(panel, 1);
        if (dark)
            EXPECT_GT(selected, plain + 20) << "white at 0.15 on dark";
        else
            EXPECT_LT(selected, plain - 10) << "black at 0.08 on light";
        save(panel, dark ? "widget-panel-filled-dark" : "widget-panel-filled-light");

        type(Qt::Key_Right);
        save(panel, dark ? "widget-converter-menu-dark" : "widget-converter-menu-light");
        type(Qt::Key_Escape);
        // Compared with the dim layer lifted: the weaker highlight of an unfocused list.
        model().openConverterMenu();
        panel.refresh();
        for (auto* dim : panel.findChildren<DimLayer*>())
            dim->hide();
        const int unfocused = rowLightness(panel, 0);
        EXPECT_LT(std::abs(unfocused - plain), std::abs(selected - plain))
            << (dark ? "dark" : "light");
        EXPECT_NE(unfocused, plain) << (dark ? "dark" : "light");
        model().closeConverterMenu();
        delegate->panelController()->hidePanel(false);
        main.runUntilIdle();
    }
}

}  // namespace
}  // namespace pindrake::app::views
