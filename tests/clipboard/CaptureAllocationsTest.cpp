// Counts the large allocations the main thread makes while a capture runs. Built as a program of
// its own, since it replaces the global operator new (support/LargeAllocations.cpp).
#include <gtest/gtest.h>

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "support/LargeAllocations.h"
#include "support/MainQueueWaits.h"
#include "support/RepeatedText.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

using platform::PasteboardContents;

// The capture of a copy of many megabytes (a text with its HTML, or a picture) costs the main
// thread no copy of its bytes and no pass over them: the clipboard hands over what it read, the
// checks and everything that reads the content run on the worker, and the history takes the
// content as it is. The same goes for a text that repeats the newest entry, as it is or in
// another Unicode normalisation, which is left out, also after a start, when a worker works out
// the newest entry's identity and the start reads only the beginning of its text.
TEST(CaptureAllocationsTest, TheMainThreadNeverCopiesWhatACopyHolds) {
    const std::size_t size = 8 << 20;
    const std::string text = test_support::repeatedText("copied words ", size);
    const std::string composed = text + "caf\u00e9";
    const std::string decomposed = text + "cafe\u0301";
    const std::string png = std::string(platform::FakeImageCodec::pngSignature) + text;
    const std::vector<std::pair<PasteboardContents, std::size_t>> copies = {
        {{{"public.html", "<p>" + text + "</p>"}, {"public.utf8-plain-text", composed}}, 1},
        {{{"public.utf8-plain-text", decomposed}}, 1},  // the newest entry's text again
        {{{"public.png", png}}, 2},
        {{{"public.utf8-plain-text", composed}}, 3},
        {{{"public.utf8-plain-text", composed}}, 3},
    };

    test_support::TemporaryDirectory folder;
    ManualScheduler main;
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    const platform::ScriptedWorkspace workspace;
    const auto codec = std::make_shared<const platform::FakeImageCodec>();
    std::optional<HistoryStore> store;
    store.emplace(folder.path(), HistoryStore::Services{main, defaults, *codec});
    std::vector<std::function<void()>> checks;
    const auto monitor = ClipboardMonitor::create(
        {main, pasteboard, workspace, codec,
         [&checks](std::function<void()> job) { checks.push_back(std::move(job)); }},
        [&store](ClipboardContent content, const PasteboardContents& offered) {
            store->add(std::move(content), offered);
        });
    for (const auto& [offered, entries] : copies) {
        pasteboard.simulateCopy(offered);
        test_support::LargeAllocationsHere onMain;
        monitor->checkPasteboard();
        ASSERT_EQ(checks.size(), 1u);
        onMain.elsewhere([&] {
            checks.front()();
            checks.clear();
        });
        main.runUntilIdle();
        EXPECT_EQ(onMain.count(), 0) << offered.entries().front().type;
        EXPECT_EQ(store->items()->size(), entries);
    }
    store.reset();
    {
        test_support::LargeAllocationsHere onMain;
        store.emplace(folder.path(), HistoryStore::Services{main, defaults, *codec});
        for (const std::size_t copy : {1, 2}) {  // the newest entry's text again, a picture
            pasteboard.simulateCopy(copies[copy].first);
            monitor->checkPasteboard();
            onMain.elsewhere([&] {
                checks.front()();
                checks.clear();
            });
            main.runUntilIdle();
        }
        ASSERT_TRUE(test_support::runUntil(main, [&] { return store->items()->size() == 4; }));
        EXPECT_EQ(onMain.count(), 0);
    }
    const HistoryList& history = store->items().get();
    const auto whole = [&](std::size_t at) {
        return store->contentReader(history.entries()[at])();
    };
    EXPECT_TRUE(history[0].imageFilename);
    EXPECT_TRUE(whole(1).plainText == composed);
    EXPECT_TRUE(history[2].imageFilename);
    EXPECT_TRUE(whole(3).plainText == composed);
    EXPECT_TRUE(whole(3).html == "<p>" + text + "</p>");
}

// The tests that tag a copied text read it where it lies, whatever they pass over: its trimmed
// part, its lines of base64.
TEST(CaptureAllocationsTest, TheTagChecksReadTheTextWhereItLies) {
    const std::string text = "  " + test_support::repeated("QUJD\n", 2 << 20) + "  ";
    test_support::LargeAllocationsHere counted;
    const ContentTags tags = ClipboardMonitor::detectTags(text);
    EXPECT_EQ(counted.count(), 0);
    EXPECT_TRUE(tags.contains(ContentTag::base64));
}

}  // namespace
}  // namespace pindrake::clipboard
