#include "ViewModelFixture.h"
#include "foundation/Uuid.h"

namespace pindrake::app::test {
namespace {

using namespace std::chrono_literals;

class PanelActionsTest : public ViewModelFixture {
  protected:
    void SetUp() override {
        copyAll({"third", R"({"x": 1})", "first"});
        vm = makeViewModel();
        log.clear();
        pasteStart = main.now();
    }
    void paste() {
        vm->pasteSelected(monitor, editor, [this] { log.add("dismiss"); });
    }
    Duration sincePaste(const std::string& event) const {
        const auto at = log.timeOf(event);
        return at ? *at - pasteStart : Duration(-1);
    }

    TimePoint pasteStart;
};

TEST_F(PanelActionsTest, PasteActivatesDismissesAndPastesTheSnapshotAfterTheDelay) {
    pasteboard.simulateCopy({{"public.utf8-plain-text", "unrelated"}});
    main.advance(clipboard::ClipboardMonitor::pollInterval);
    vm->selectedIndex = 3;  // "third", below "unrelated", "first" and the JSON entry
    pasteStart = main.now();
    log.clear();
    paste();
    main.advance(1s);

    EXPECT_EQ(log.names(),
              (std::vector<std::string>{"activate Editor", "dismiss", "ctrl+v third"}));
    EXPECT_EQ(sincePaste("dismiss"), Duration(0));
    EXPECT_EQ(sincePaste("ctrl+v third"), Duration(std::chrono::milliseconds(200)));
    // The whole snapshot came back, private types included.
    EXPECT_TRUE(pasteboard.contents().contains("text/x-origin"));
    EXPECT_FALSE(monitor->isPaused());
    EXPECT_EQ(monitor->lastChangeCount(), pasteboard.changeCount());
    main.advance(2s);
    EXPECT_EQ(store.items()->size(), 4u);
}

TEST_F(PanelActionsTest, PasteOfAShownPreviewPastesItsTextWithoutConvertingAgain) {
    vm->selectedIndex = 1;
    vm->selectConverter(1);
    main.runUntilIdle();  // its input is read on the worker
    prettify.finish("{\n  \"x\" : 1\n}");
    paste();
    main.advance(1s);
    EXPECT_EQ(prettify.calls, 1);
    EXPECT_EQ(log.names(),
              (std::vector<std::string>{"activate Editor", "dismiss", "ctrl+v {\n  \"x\" : 1\n}"}));
    EXPECT_EQ(pasteboard.contents().entries().size(), 1u);  // text only
}

TEST_F(PanelActionsTest, PasteWithoutAPreviewConvertsFirstWithThePanelOpen) {
    vm->selectConverter(1);  // ai.summarize on "first": its preview is still loading
    paste();
    EXPECT_TRUE(vm->isConvertingForPaste.get());
    main.advance(3s);
    EXPECT_TRUE(log.names().empty());
    ASSERT_EQ(summarize.pending.size(), 2u);  // the preview's own, and the paste's

    summarize.pending.pop_back();  // the preview's never ends
    const TimePoint converted = main.now();
    summarize.finish("gist");
    main.advance(1s);
    EXPECT_EQ(log.names(), (std::vector<std::string>{"activate Editor", "dismiss", "ctrl+v gist"}));
    EXPECT_EQ(*log.timeOf("ctrl+v gist") - converted, Duration(std::chrono::milliseconds(200)));
    EXPECT_FALSE(vm->isConvertingForPaste.get());
}

// Return while the preview of the highlighted converter is still to come (running, or waiting
// for a superseded one to answer) pastes that conversion's result: the same conversion never
// runs twice at once. A move of the highlight calls the paste off with the preview.
TEST_F(PanelActionsTest, APasteTakesOverThePreviewStillToComeAndStopsWithIt) {
    struct Row {
        const char* name;
        bool superseded;
        bool movedAway;
        int expectedCalls;
        int expectedPastes;
    };
    for (const Row& row : {Row{"running", false, false, 1, 1}, Row{"waiting", true, false, 2, 1},
                           Row{"moved away", false, true, 1, 0}}) {
        vm->resetForShow();
        keys.pastes.clear();
        prettify.calls = 0;
        vm->selectedIndex = 1;
        vm->selectConverter(1);  // prettify on the JSON entry
        main.runUntilIdle();     // its input is read: it runs
        if (row.superseded) {
            vm->moveSelectionDown();
            vm->moveSelectionUp();
        }
        paste();
        EXPECT_TRUE(vm->isConvertingForPaste.get()) << row.name;
        if (row.movedAway)
            vm->moveSelectionDown();
        while (!prettify.pending.empty()) {
            prettify.finish("pretty");
            main.runUntilIdle();
        }
        main.advance(1s);
        EXPECT_EQ(prettify.calls, row.expectedCalls) << row.name;
        EXPECT_EQ(keys.pasteCount(), row.expectedPastes) << row.name;
        EXPECT_FALSE(vm->isConvertingForPaste.get()) << row.name;
    }
    EXPECT_EQ(clipboardText(), "pretty");
}

TEST_F(PanelActionsTest, AConvertingPasteRunsOnceAndIsCalledOffByEscapeHideShowOrAnotherHighlight) {
    struct Row {
        const char* name;
        std::function<void(HistoryViewModel&)> interrupt;
        int expectedPastes;
    };
    const std::vector<Row> rows = {
        {"second Return", [this](HistoryViewModel&) { paste(); }, 1},
        {"Escape", [](HistoryViewModel& m) { m.closeConverterMenu(); }, 0},
        {"hide", [](HistoryViewModel& m) { m.panelDidHide(); }, 0},
        {"new show", [](HistoryViewModel& m) { m.resetForShow(); }, 0},
        {"another highlight", [](HistoryViewModel& m) { m.moveSelectionUp(); }, 0},
    };
    for (const auto& row : rows) {
        vm->resetForShow();
        keys.pastes.clear();
        summarize.pending.clear();
        vm->selectedIndex = 1;
        vm->selectConverter(2);  // ai.summarize on the JSON entry
        paste();
        row.interrupt(*vm);
        main.runUntilIdle();  // the paste's input is read on the worker
        while (!summarize.pending.empty())
            summarize.finish("done");
        main.advance(1s);
        EXPECT_EQ(keys.pasteCount(), row.expectedPastes) << row.name;
    }
}

// The panel shows again while a paste waits for the application in front or reads its entry: the
// paste is called off, or its key would type into the panel. Only the next choice is pasted.
TEST_F(PanelActionsTest, ANewShowCallsOffAPasteThatHasNotWrittenYet) {
    std::vector<std::function<void()>> heldReads;
    pasteReads = [&](std::function<void()> read) { heldReads.push_back(std::move(read)); };
    // Pastes the entry, shows the panel again after `showAfter` unless it is none, then lets the
    // entry's read end.
    const auto pasteAndShow = [&](int index, std::optional<Duration> showAfter) {
        vm->selectedIndex = index;
        paste();
        main.advance(showAfter.value_or(1s));
        if (showAfter)
            vm->resetForShow();
        for (const auto& read : std::exchange(heldReads, {}))
            read();
        main.advance(1s);
    };
    for (const Duration showAfter : {Duration(100ms), Duration(300ms)}) {
        const std::string before = clipboardText();
        pasteAndShow(2, showAfter);  // "third"
        EXPECT_EQ(keys.pasteCount(), 0);
        EXPECT_EQ(clipboardText(), before);
        EXPECT_FALSE(monitor->isPaused());
        pasteAndShow(1, std::nullopt);  // the JSON entry
        EXPECT_EQ(std::exchange(keys.pastes, {}).size(), 1u);
        EXPECT_EQ(clipboardText(), R"({"x": 1})");
    }
    EXPECT_EQ(store.items()->size(), 3u);
}

TEST_F(PanelActionsTest, PasteUsesTheMenusEntryEvenWhenTheSelectionMovedUnderIt) {
    vm->selectedIndex = 2;
    vm->openConverterMenu();  // on "third"
    vm->query = "first";      // the selection now shows "first"
    paste();
    main.advance(1s);
    EXPECT_EQ(log.names().back(), "ctrl+v third");
}

TEST_F(PanelActionsTest, PasteIsRefusedWithoutKeyInjectionAndDoesNothingOnAnEmptyList) {
    keys.trusted = false;
    paste();
    main.advance(1s);
    EXPECT_TRUE(vm->accessibilityDenied.get());
    EXPECT_TRUE(log.names().empty());

    keys.trusted = true;
    vm->query = "no such entry";
    paste();
    main.advance(1s);
    EXPECT_TRUE(log.names().empty());

    // With no application to go back to, it still dismisses and pastes.
    vm->query = "";
    vm->pasteSelected(monitor, std::nullopt, [this] { log.add("dismiss"); });
    main.advance(1s);
    EXPECT_EQ(log.names(), (std::vector<std::string>{"dismiss", "ctrl+v first"}));
}

TEST_F(PanelActionsTest, CopyPausesTheMonitorAndResumesItAfterTheDelayWithoutANewEntry) {
    vm->selectedIndex = 2;
    vm->selectConverter(1);  // the highlighted converter plays no part
    EXPECT_TRUE(copySelected());
    EXPECT_EQ(clipboardText(), "third");
    EXPECT_TRUE(monitor->isPaused());
    main.advance(199ms);
    EXPECT_TRUE(monitor->isPaused());
    main.advance(1ms);
    EXPECT_FALSE(monitor->isPaused());
    main.advance(2s);
    EXPECT_EQ(store.items()->size(), 3u);
    EXPECT_TRUE(log.names().empty());
    EXPECT_TRUE(vm->isConverterMenuOpen.get());
}

TEST_F(PanelActionsTest, CopyFallsBackToTheStoredTextAndReportsWhenItCopiedNothing) {
    const auto& entry = (*vm->filteredItems.get())[0];
    std::filesystem::remove(store.directory() / (entry.id + ".pboard"));
    EXPECT_TRUE(copySelected());
    EXPECT_EQ(pasteboard.contents().entries().size(), 1u);
    EXPECT_EQ(clipboardText(), "first");

    // An entry with neither snapshot nor stored content leaves the clipboard alone.
    clipboard::ClipboardItem empty;
    empty.id = makeUuid();
    store.items() = clipboard::HistoryList(std::vector<clipboard::ClipboardItem>{empty});
    main.advance(1s);
    const auto changes = pasteboard.changeCount();
    EXPECT_FALSE(copySelected());
    EXPECT_EQ(pasteboard.changeCount(), changes);
    EXPECT_FALSE(monitor->isPaused());

    vm->query = "no such entry";
    EXPECT_FALSE(copySelected());
}

TEST_F(PanelActionsTest, DeleteKeepsThePositionAlsoUnderAQuery) {
    struct Row {
        std::vector<std::string> copied;
        std::string query;
        int selected;
        std::vector<std::string> remaining;
        int selectedAfter;
    };
    const std::vector<std::string> five = {"e0", "e1", "e2", "e3", "e4"};
    const std::vector<Row> rows = {
        {five, "", 1, {"e4", "e2", "e1", "e0"}, 1},
        {five, "", 4, {"e4", "e3", "e2", "e1"}, 3},
        {{"e0", "x1", "e2", "x3", "e4"}, "e", 1, {"e4", "e0"}, 1},
        {{"e0", "x1", "e2", "x3", "e4"}, "e", 2, {"e4", "e2"}, 1},
    };
    for (const auto& row : rows) {
        store.clearAll();
        for (const auto& text : row.copied)
            copy(text);
        vm->query = row.query;
        vm->selectedIndex = row.selected;
        EXPECT_TRUE(vm->deleteSelected());
        EXPECT_EQ(shownTexts(), row.remaining) << row.selected;
        EXPECT_EQ(vm->selectedIndex.get(), row.selectedAfter) << row.selected;
        EXPECT_EQ(vm->query.get(), row.query);
        EXPECT_EQ(store.items()->size(), 4u);
    }
    store.clearAll();
    vm->query = "";
    copy("only");
    EXPECT_TRUE(vm->deleteSelected());
    EXPECT_TRUE(vm->filteredItems.get()->empty());
    EXPECT_EQ(vm->selectedIndex.get(), 0);
    EXPECT_FALSE(vm->deleteSelected());
}

}  // namespace
}  // namespace pindrake::app::test
