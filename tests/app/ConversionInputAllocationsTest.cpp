// Counts the large allocations the main thread makes while a conversion of a large entry starts
// or a search looks through it.
// Built as a program of its own, since it replaces the global operator new
// (support/LargeAllocations.cpp).
#include <utility>

#include "ViewModelFixture.h"
#include "support/LargeAllocations.h"
#include "support/RepeatedText.h"

namespace pindrake::app::test {
namespace {

// A JSON text of 16 MB: the menu offers as is, prettify, summarize and translate for it.
class ConversionInputAllocationsTest : public ViewModelFixture {
  protected:
    void SetUp() override {
        copyAll({text});
        entryReads = [this](std::function<void()> job) { reads.push_back(std::move(job)); };
        vm = makeViewModel();
        onMain.emplace();
    }
    // Does what the worker would: the reads handed to it, uncounted.
    void runReads() {
        onMain->elsewhere([this] {
            for (const auto& read : std::exchange(reads, {}))
                read();
        });
    }
    // The same, with the main queue's turns between the reads until none is left.
    void runReadsToTheEnd() {
        while (!reads.empty()) {
            runReads();
            main.runUntilIdle();
        }
    }
    // The converter got the entry's text as its input.
    static bool gotTheText(const FakeConverter& converter, const std::string& text) {
        return converter.calls == 1 && converter.pending.front().first.plainText == text;
    }

    const std::string text = '[' + test_support::repeatedText("1, ", 16 << 20) + "1]";
    std::vector<std::function<void()>> reads;
    // Counts from the end of the set-up.
    std::optional<test_support::LargeAllocationsHere> onMain;
};

// Starting a conversion of an entry of many megabytes costs the main thread no copy of its text,
// whichever way it starts: the entry's content is read on the worker, and the converter gets it
// as read there, in a later turn.
TEST_F(ConversionInputAllocationsTest, APreviewCopiesNothingOnTheMainThread) {
    vm->selectConverter(1);  // prettify, opening the menu on the entry
    main.runUntilIdle();
    EXPECT_EQ(prettify.calls, 0);  // its input is being read
    runReads();
    main.runUntilIdle();
    EXPECT_EQ(onMain->count(), 0);
    EXPECT_TRUE(gotTheText(prettify, text));
}

TEST_F(ConversionInputAllocationsTest, AnAIPreviewCopiesNothingOnTheMainThread) {
    vm->selectConverter(2);  // summarize
    main.advance(std::chrono::milliseconds(500));
    EXPECT_EQ(summarize.calls, 0);
    runReads();
    main.runUntilIdle();
    EXPECT_EQ(onMain->count(), 0);
    EXPECT_TRUE(gotTheText(summarize, text));
}

TEST_F(ConversionInputAllocationsTest, APasteThatConvertsCopiesNothingOnTheMainThread) {
    vm->selectConverter(2);  // summarize, whose preview starts later: the paste converts itself
    vm->pasteSelected(monitor, editor, [] {});
    runReads();
    main.runUntilIdle();
    EXPECT_EQ(onMain->count(), 0);
    ASSERT_EQ(summarize.calls, 1);
    EXPECT_TRUE(gotTheText(summarize, text));
}

// The text's end, far beyond what the entry keeps, is searched on the worker alone.
TEST_F(ConversionInputAllocationsTest, ASearchReadsNothingOnTheMainThread) {
    vm->query = "1]";
    EXPECT_TRUE(vm->filteredItems.get()->empty());
    runReadsToTheEnd();
    EXPECT_EQ(onMain->count(), 0);
    EXPECT_EQ(vm->filteredItems.get()->size(), 1u);
}

}  // namespace
}  // namespace pindrake::app::test
