#include "ViewModelFixture.h"
#include "clipboard/LargeTextSearch.h"
#include "support/Eventually.h"
#include "support/RepeatedText.h"

namespace pindrake::app::test {
namespace {

using HistoryViewModelTest = ViewModelFixture;

TEST_F(HistoryViewModelTest, StartsWithTheWholeHistoryAndTheFirstEntrysCandidatesOrWithNothing) {
    vm = makeViewModel();
    EXPECT_TRUE(vm->filteredItems.get()->empty());
    EXPECT_TRUE(vm->converterCandidates->empty());
    vm->moveSelectionDown();
    vm->moveSelectionUp();
    EXPECT_EQ(vm->selectedIndex.get(), 0) << "moves in an empty list do nothing";
    EXPECT_FALSE(vm->scrollToSelection);

    copyAll({"plain", R"({"a": 1})"});
    vm = makeViewModel();
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{R"({"a": 1})", "plain"}));
    EXPECT_EQ(vm->selectedIndex.get(), 0);
    EXPECT_EQ(candidateIds(), (std::vector<std::string>{"paste.asis", "json.prettify",
                                                        "ai.summarize", "ai.translate"}));
}

TEST_F(HistoryViewModelTest, EveryQueryEditFiltersAtOnceAndSelectsTheFirstMatch) {
    copyAll({"apple pie", "banana", "Apple juice", "cherry"});
    vm = makeViewModel();
    vm->selectedIndex = 2;

    struct Row {
        std::string query;
        std::vector<std::string> shown;
    };
    const std::vector<Row> rows = {
        {"a", {"Apple juice", "banana", "apple pie"}},
        {"APPLE", {"Apple juice", "apple pie"}},
        {" ", {"Apple juice", "apple pie"}},  // spaces are searched, not ignored
        {"zzz", {}},
        {"", {"cherry", "Apple juice", "banana", "apple pie"}},
    };
    for (const auto& row : rows) {
        vm->query = row.query;
        EXPECT_EQ(shownTexts(), row.shown) << row.query;
        EXPECT_EQ(vm->selectedIndex.get(), 0) << row.query;
        EXPECT_EQ(vm->converterCandidates->empty(), row.shown.empty()) << row.query;
    }
}

TEST_F(HistoryViewModelTest, MovesWrapAroundAndAskToScroll) {
    copyAll({"1", "2", "3", "4", "5"});
    vm = makeViewModel();
    struct Row {
        bool down;
        int expected;
    };
    // From 0: up wraps to the last, down from the last wraps to the first.
    const std::vector<Row> rows = {{false, 4}, {true, 0}, {true, 1}, {false, 0}};
    for (const auto& row : rows) {
        vm->scrollToSelection = false;
        row.down ? vm->moveSelectionDown() : vm->moveSelectionUp();
        EXPECT_EQ(vm->selectedIndex.get(), row.expected);
        EXPECT_TRUE(vm->scrollToSelection);
    }
}

// A copy may land seconds after it was made, while the user has chosen an entry: the list is
// refiltered with it, and the selection stays on the chosen entry, which is what Return pastes.
TEST_F(HistoryViewModelTest, AChangeToTheHistoryWhileOpenRefiltersAndKeepsTheSelectionOnItsEntry) {
    copyAll({"alpha one", "beta", "alpha two"});
    vm = makeViewModel();
    const auto selectedText = [this] { return vm->actionItem()->plainText.value_or("?"); };
    vm->selectedIndex = 1;
    copy("gamma");
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"gamma", "alpha two", "beta", "alpha one"}));
    EXPECT_EQ(vm->selectedIndex.get(), 2);
    EXPECT_EQ(selectedText(), "beta");

    vm->query = "alpha";
    vm->selectedIndex = 1;
    copy("alpha three");
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"alpha three", "alpha two", "alpha one"}));
    EXPECT_EQ(selectedText(), "alpha one");
    copy("delta");  // no match: the list stays as it was
    EXPECT_EQ(shownTexts().size(), 3u);
    EXPECT_EQ(selectedText(), "alpha one");

    // The entry removed from elsewhere: the selection stays put, on the entry in its place.
    vm->selectedIndex = 1;
    store.remove(*vm->actionItem());
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"alpha three", "alpha one"}));
    EXPECT_EQ(vm->selectedIndex.get(), 1);
    store.remove(*vm->actionItem());
    EXPECT_EQ(vm->selectedIndex.get(), 0) << "the last one left";
    EXPECT_EQ(selectedText(), "alpha three");

    vm->query = "zzz";
    copy("zzz top");
    EXPECT_EQ(vm->selectedIndex.get(), 0) << "nothing was chosen: the first match is";
    EXPECT_EQ(selectedText(), "zzz top");
}

TEST_F(HistoryViewModelTest, CandidatesAreAskedForOnlyWhenTheEntrysKindsDiffer) {
    copyAll({R"({"b": 2})", "second plain", "first plain"});
    vm = makeViewModel();
    const int initial = candidateCalls;
    vm->selectedIndex = 1;  // same kinds and types as the first
    EXPECT_EQ(candidateCalls, initial);
    vm->selectedIndex = 2;  // JSON
    EXPECT_EQ(candidateCalls, initial + 1);
    EXPECT_EQ(candidateIds()[1], "json.prettify");
    vm->selectedIndex = 2;
    EXPECT_EQ(candidateCalls, initial + 1);
}

TEST_F(HistoryViewModelTest, ResetForShowClosesTheMenuClearsTheQueryAndKeepsTheAICache) {
    copyAll({"older", "newest"});
    vm = makeViewModel();
    vm->selectedIndex = 1;
    vm->selectConverter(1);  // ai.summarize on "older"
    main.advance(std::chrono::milliseconds(500));
    summarize.finish("summary");
    vm->query = "old";

    const int callsBefore = candidateCalls;
    vm->resetForShow();
    EXPECT_FALSE(vm->isConverterMenuOpen.get());
    EXPECT_EQ(vm->query.get(), "");
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"newest", "older"}));
    EXPECT_EQ(vm->selectedIndex.get(), 0);
    EXPECT_EQ(vm->selectedConverterIndex.get(), 0);
    EXPECT_FALSE(vm->convertedPreviewText.get());
    EXPECT_FALSE(vm->converterTargetItem());
    // The key was forgotten, so the first entry's candidates are asked for again.
    EXPECT_GT(candidateCalls, callsBefore);
    EXPECT_EQ(candidateIds().size(), 3u);

    vm->selectedIndex = 1;
    vm->selectConverter(1);
    EXPECT_EQ(vm->convertedPreviewText.get(), "summary");
    EXPECT_EQ(summarize.calls, 1);
}

// Entries of a few megabytes, which the history keeps apart, among small ones. Each text begins
// with a label the tests tell it by.
class LargeEntrySearchTest : public ViewModelFixture {
  protected:
    void SetUp() override {
        const std::string filler = test_support::repeatedText("filler ", 2 << 20);
        std::string across = "big2 " + filler + " small";
        across.replace(clipboard::LargeTextSearch::pieceBytes - 5, 12, "Acrossword!!");
        copyAll({"alpha small", "big1 " + filler + " Tailword oldword", "beta small", across,
                 "gamma tailword small", "big3 " + filler + " newword"});
    }
    std::vector<std::string> shownLabels() const {
        std::vector<std::string> labels;
        for (const auto& text : shownTexts())
            labels.push_back(text.substr(0, text.find(' ')));
        return labels;
    }
    std::string selectedLabel() const {
        const auto* item = vm->actionItem();
        return item ? item->plainText->substr(0, item->plainText->find(' ')) : "none";
    }
    // Does what the worker would, with the main queue's turns between its slices.
    void runReads() {
        while (!reads.empty()) {
            for (auto& read : std::exchange(reads, {}))
                read();
            main.runUntilIdle();
        }
    }
    void holdReads() {
        entryReads = [this](std::function<void()> job) { reads.push_back(std::move(job)); };
    }

    std::vector<std::function<void()>> reads;
};

// Typing shows at once what the entries keep and the titles hold; an entry that holds the query
// further on joins where the history has it once its text is searched, and the selection stays
// on the entry the user is on.
TEST_F(LargeEntrySearchTest, AnEntryJoinsWhenItsWholeTextHoldsTheQuery) {
    vm = makeViewModel();
    struct Row {
        std::string query;
        std::vector<std::string> atOnce;
        std::vector<std::string> later;
        std::string selectedLater;
    };
    const std::vector<Row> rows = {
        {"TAILWORD", {"gamma"}, {"gamma", "big1"}, "gamma"},
        {"acrossword", {}, {"big2"}, "big2"},
        {"small", {"gamma", "beta", "alpha"}, {"gamma", "big2", "beta", "alpha"}, "alpha"},
        {"big", {"big3", "big2", "big1"}, {"big3", "big2", "big1"}, "big1"},
        {"nowhere", {}, {}, "none"},
    };
    for (const auto& row : rows) {
        vm->query = row.query;
        EXPECT_EQ(shownLabels(), row.atOnce) << row.query;
        vm->selectedIndex = std::max(static_cast<int>(row.atOnce.size()) - 1, 0);
        main.runUntilIdle();
        EXPECT_EQ(shownLabels(), row.later) << row.query;
        EXPECT_EQ(selectedLabel(), row.selectedLater) << row.query;
    }
}

// What a search finds after a newer keystroke, a change to the history, the panel's hide or the
// model's end never joins.
TEST_F(LargeEntrySearchTest, ASupersededSearchNeverJoins) {
    holdReads();
    vm = makeViewModel();
    vm->query = "oldword";
    vm->query = "newword";
    runReads();
    EXPECT_EQ(shownLabels(), (std::vector<std::string>{"big3"}));

    vm->query = "oldword";
    store.remove(*store.items().get().entries()[4]);  // big1, which holds it
    runReads();
    EXPECT_TRUE(shownLabels().empty());

    vm->query = "acrossword";
    vm->panelDidHide();
    runReads();
    EXPECT_TRUE(shownLabels().empty());

    vm->query = "newword";
    vm.reset();
    runReads();
    EXPECT_TRUE(reads.empty());
}

// The search runs on a worker thread while the main queue goes on.
TEST_F(LargeEntrySearchTest, AWorkerThreadFindsTheWholeText) {
    auto queue = std::make_shared<WorkQueue>("history-search", 1);
    entryReads = [queue](std::function<void()> job) { queue->async(std::move(job)); };
    vm = makeViewModel();
    vm->query = "newword";
    EXPECT_TRUE(test_support::eventually([this] {
        main.runUntilIdle();
        return shownLabels() == std::vector<std::string>{"big3"};
    }));
}

}  // namespace
}  // namespace pindrake::app::test
