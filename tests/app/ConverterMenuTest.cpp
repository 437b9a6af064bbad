#include "ViewModelFixture.h"

namespace pindrake::app::test {
namespace {

class ConverterMenuTest : public ViewModelFixture {
  protected:
    void SetUp() override {
        copyAll({"plain text", R"({"k": [1, 2]})"});
        vm = makeViewModel();
    }
    // Highlights ai.summarize on the entry at `position`, from a closed menu.
    void highlightSummary(int position) {
        vm->closeConverterMenu();
        vm->selectedIndex = position;
        const auto& candidates = vm->converterCandidates.get();
        const auto at = std::find(candidates.begin(), candidates.end(), &summarize);
        ASSERT_NE(at, candidates.end());
        vm->selectConverter(static_cast<int>(at - candidates.begin()));
    }
    std::string summaryKey(int position) const {
        return HistoryViewModel::aiKey((*vm->filteredItems.get())[position], summarize);
    }
};

TEST_F(ConverterMenuTest, MovesInTheMenuWrapAndRestartThePreview) {
    vm->openConverterMenu();  // JSON entry: as is, prettify, summarize, translate
    vm->moveSelectionDown();
    main.runUntilIdle();  // its input is read on the worker
    EXPECT_EQ(prettify.calls, 1);
    EXPECT_FALSE(vm->convertedPreviewText.get());
    vm->moveSelectionUp();  // back to "as is": the running preview is dropped
    prettify.finish("stale");
    EXPECT_FALSE(vm->convertedPreviewText.get());

    vm->moveSelectionDown();
    main.runUntilIdle();
    prettify.finish("pretty");
    EXPECT_EQ(vm->convertedPreviewText.get(), "pretty");
    EXPECT_FALSE(vm->isConvertingPreview.get());

    vm->selectConverter(3);
    vm->moveSelectionDown();
    EXPECT_EQ(vm->selectedConverterIndex.get(), 0);
    EXPECT_EQ(vm->selectedIndex.get(), 0);
    EXPECT_TRUE(vm->scrollToSelection);

    vm->closeConverterMenu();
    EXPECT_FALSE(vm->isConverterMenuOpen.get());
    EXPECT_EQ(vm->selectedConverterIndex.get(), 0);
    EXPECT_FALSE(vm->convertedPreviewText.get());
    EXPECT_FALSE(vm->isConvertingPreview.get());
}

// Closing the panel stops its preview conversion, and none starts after it: no conversion
// helper works for a closed panel.
TEST_F(ConverterMenuTest, ClosingThePanelStopsThePreviewAndStartsNoOther) {
    vm->openConverterMenu();  // JSON entry: as is, prettify, summarize, translate
    vm->moveSelectionDown();  // prettify
    main.runUntilIdle();      // its input is read: it runs
    vm->moveSelectionUp();
    vm->moveSelectionDown();  // waits for the first to answer
    vm->panelDidHide();
    ASSERT_EQ(prettify.stops.size(), 1u);
    EXPECT_TRUE(prettify.stops[0].isCancelled());
    prettify.finish("stale");
    main.runUntilIdle();
    EXPECT_EQ(prettify.calls, 1);
}

// However fast the highlight moves, one preview conversion runs at a time: the superseded one is
// told to stop, and only the newest starts, once it has answered. One superseded while its input
// is read never starts.
TEST_F(ConverterMenuTest, QuickMovesRunOnePreviewAtATime) {
    vm->openConverterMenu();  // JSON entry: as is, prettify, summarize, translate
    vm->moveSelectionDown();  // prettify
    main.runUntilIdle();      // its input is read: it runs
    for (int move = 0; move < 3; ++move) {
        vm->moveSelectionUp();    // as is
        vm->moveSelectionDown();  // prettify
    }
    main.runUntilIdle();
    EXPECT_EQ(prettify.calls, 1);
    ASSERT_EQ(prettify.stops.size(), 1u);
    EXPECT_TRUE(prettify.stops[0].isCancelled());
    prettify.finish("stale");
    main.runUntilIdle();
    EXPECT_EQ(prettify.calls, 2);
    EXPECT_FALSE(prettify.stops[1].isCancelled());
    EXPECT_FALSE(vm->convertedPreviewText.get());
    prettify.finish("pretty");
    EXPECT_EQ(vm->convertedPreviewText.get(), "pretty");

    vm->moveSelectionUp();
    vm->moveSelectionDown();
    vm->moveSelectionUp();  // before its input was read
    main.runUntilIdle();
    EXPECT_EQ(prettify.calls, 2);

    // Left for a converter without a preview, nothing starts when the stopped one answers.
    vm->moveSelectionDown();
    main.runUntilIdle();
    vm->moveSelectionUp();
    vm->moveSelectionDown();
    vm->moveSelectionUp();
    prettify.finish("stale");
    main.runUntilIdle();
    EXPECT_EQ(prettify.calls, 3);
    EXPECT_FALSE(vm->convertedPreviewText.get());
}

TEST_F(ConverterMenuTest, OpensOnTheSelectedEntryAndKeepsItWhileTheSelectionMovesUnderIt) {
    vm->openConverterMenu();  // on the JSON entry, with "as is" and no preview
    EXPECT_TRUE(vm->isConverterMenuOpen.get());
    EXPECT_EQ(vm->selectedConverterIndex.get(), 0);
    EXPECT_FALSE(vm->convertedPreviewText.get());
    EXPECT_EQ(asIs.calls, 0);
    vm->query = "plain";  // the selection now shows another entry
    EXPECT_EQ(vm->converterCandidates->size(), 4u);
    EXPECT_EQ(vm->actionItem()->plainText, R"({"k": [1, 2]})");

    vm->closeConverterMenu();
    EXPECT_EQ(vm->converterCandidates->size(), 3u);
    EXPECT_EQ(vm->actionItem()->plainText, "plain text");
    vm->openConverterMenu();
    EXPECT_EQ(vm->converterTargetItem()->plainText, "plain text");

    vm->query = "nothing matches";
    vm->closeConverterMenu();
    vm->openConverterMenu();
    EXPECT_FALSE(vm->isConverterMenuOpen.get());
}

TEST_F(ConverterMenuTest, AnAIConversionStartsAfterHalfASecondIsSharedAndCachedFor300Seconds) {
    highlightSummary(0);
    EXPECT_TRUE(vm->isConvertingPreview.get());
    EXPECT_TRUE(vm->aiLoadingKeys->contains(summaryKey(0)));
    main.advance(std::chrono::milliseconds(490));
    EXPECT_EQ(summarize.calls, 0);
    main.advance(std::chrono::milliseconds(10));
    ASSERT_EQ(summarize.calls, 1);
    vm->moveSelectionUp();    // away to prettify; the AI conversion goes on
    vm->moveSelectionDown();  // back: polls instead of converting again
    EXPECT_TRUE(vm->isConvertingPreview.get());
    main.advance(std::chrono::milliseconds(1200));
    summarize.finish("shared");
    EXPECT_EQ(summarize.calls, 1);
    EXPECT_TRUE(vm->aiLoadingKeys->empty());
    main.advance(std::chrono::milliseconds(500));
    EXPECT_EQ(vm->convertedPreviewText.get(), "shared");
    EXPECT_FALSE(vm->isConvertingPreview.get());

    // Stored 0.5 s ago: shown at once until 300 s after storing, converted again from then.
    main.advance(std::chrono::seconds(300) - std::chrono::milliseconds(600));
    highlightSummary(0);
    EXPECT_EQ(vm->convertedPreviewText.get(), "shared");
    EXPECT_FALSE(vm->isConvertingPreview.get());
    main.advance(std::chrono::milliseconds(100));
    highlightSummary(0);
    EXPECT_TRUE(vm->isConvertingPreview.get());
    main.advance(std::chrono::milliseconds(500));
    EXPECT_EQ(summarize.calls, 2);
    summarize.finish("short");
    EXPECT_EQ(vm->convertedPreviewText.get(), "short") << "a result in view is shown at once";
    EXPECT_FALSE(vm->isConvertingPreview.get());
}

TEST_F(ConverterMenuTest, AFailedAIConversionIsShownButNotKeptALateResultIsKeptButNotShown) {
    highlightSummary(1);
    main.advance(std::chrono::milliseconds(500));
    summarize.finish(std::nullopt);  // hands its input back
    EXPECT_EQ(vm->convertedPreviewText.get(), "plain text");
    EXPECT_FALSE(vm->isConvertingPreview.get());
    EXPECT_EQ(vm->aiResultCacheSize(), 0u);

    highlightSummary(1);
    main.advance(std::chrono::milliseconds(500));
    EXPECT_EQ(summarize.calls, 2);
    vm->closeConverterMenu();
    summarize.finish("late");
    EXPECT_FALSE(vm->convertedPreviewText.get());
    EXPECT_EQ(vm->aiResultCacheSize(), 1u);
    highlightSummary(1);
    EXPECT_EQ(vm->convertedPreviewText.get(), "late");
}

// A result arriving while the same converter is highlighted on another entry belongs to the
// entry it was started for: it is kept, not shown as the other entry's preview.
TEST_F(ConverterMenuTest, ALateAIResultIsNotShownForAnotherEntry) {
    highlightSummary(0);
    main.advance(std::chrono::milliseconds(500));
    highlightSummary(1);
    summarize.finish("about the first entry");
    EXPECT_FALSE(vm->convertedPreviewText.get());
    EXPECT_TRUE(vm->isConvertingPreview.get());
    EXPECT_EQ(vm->aiResultCacheSize(), 1u);
}

TEST_F(ConverterMenuTest, APollGivesUpAfterSixtyChecks) {
    highlightSummary(0);
    main.advance(std::chrono::milliseconds(500));
    vm->moveSelectionDown();
    vm->moveSelectionUp();  // polls the conversion that never ends
    main.advance(std::chrono::milliseconds(500) * 59);
    EXPECT_TRUE(vm->isConvertingPreview.get());
    main.advance(std::chrono::milliseconds(500));
    EXPECT_FALSE(vm->isConvertingPreview.get());
    EXPECT_EQ(summarize.calls, 1);
}

TEST_F(ConverterMenuTest, TheCacheDropsExpiredResultsOnceItReaches51) {
    struct Row {
        int expiredBefore;
        int validBefore;
        std::size_t sizeAfterOneMore;
    };
    const std::vector<Row> rows = {
        {0, 50, 51},  // nothing expired: nothing dropped, the cache may grow past 50
        {50, 0, 1},
        {49, 0, 50},  // below the threshold expired entries stay
        {30, 20, 21},
    };
    for (int i = 0; i < 51; ++i)
        copy("entry " + std::to_string(i));
    for (const auto& row : rows) {
        vm = makeViewModel();
        int position = 0;
        auto produce = [&](int count) {
            for (int i = 0; i < count; ++i) {
                highlightSummary(position++);
                main.advance(std::chrono::milliseconds(500));
                summarize.finish("result");
            }
        };
        produce(row.expiredBefore);
        // The newest expired result expires the very moment the one more is stored, when no
        // valid ones come in between.
        main.advance(std::chrono::seconds(300) - std::chrono::milliseconds(500));
        produce(row.validBefore);
        const std::size_t before = vm->aiResultCacheSize();
        produce(1);
        EXPECT_EQ(before, static_cast<std::size_t>(row.expiredBefore + row.validBefore));
        EXPECT_EQ(vm->aiResultCacheSize(), row.sizeAfterOneMore) << row.expiredBefore;
    }
}

}  // namespace
}  // namespace pindrake::app::test
