#include "clipboard/LargeTextSearch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <utility>

#include "clipboard/FoldedTextScan.h"
#include "foundation/ManualScheduler.h"
#include "foundation/Unicode.h"
#include "support/RepeatedText.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

// Whatever pieces a text comes in, the scan finds what the matcher finds in the whole text:
// across piece ends, within characters cut between pieces and within what folding expands.
TEST(FoldedTextScanTest, FindsInPiecesWhatTheWholeTextHolds) {
    struct Row {
        std::string text;
        std::string query;
        bool holds;
    };
    const std::vector<Row> rows = {
        {"an ordinary Tailword here", "TAILWORD", true},
        {"Die Stra\xC3\x9F"
         "e",
         "STRASSE", true},  // ß folds to ss
        {"o\xEF\xAC\x83"
         "ce",
         "fic", true},                                         // the ffi ligature folds to ffi
        {"xx\xC3\x89T\xC3\x89yy", "\xC3\xA9t\xC3\xA9", true},  // ÉTÉ
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE", "\xE8\xAA\x9E\xE3\x81\xAE", true},
        {"ab\xC3"
         "cd",
         "b\xEF\xBF\xBD"
         "c",
         true},  // a broken character reads as U+FFFD
        {"ab\xC3"
         "cd",
         "bc", false},
        {"aaaaaaaaab", "aab", true},
        {"aaaaaaaaaa", "aab", false},
        {"Tailwor d", "tailword", false},
    };
    for (const auto& row : rows) {
        const std::string folded = unicode::caseFolded(row.query);
        ASSERT_EQ(holdsFolded(unicode::caseFolded(row.text), folded), row.holds) << row.text;
        for (std::size_t piece = 1; piece <= row.text.size(); ++piece) {
            for (std::size_t first = 0; first <= row.text.size(); ++first) {
                FoldedTextScan scan(folded);
                scan.feed(std::string_view(row.text).substr(0, first));
                for (std::size_t at = first; at < row.text.size(); at += piece)
                    scan.feed(std::string_view(row.text).substr(at, piece));
                EXPECT_EQ(scan.finish(), row.holds)
                    << row.text << " in pieces of " << piece << " after " << first;
            }
        }
    }
}

// Texts of a few megabytes kept apart, searched by jobs the test runs when it chooses.
class LargeTextSearchTest : public ::testing::Test {
  protected:
    // An entry whose text is kept apart: written to its file unless `inMemoryOnly`.
    HistoryList::Entry entry(std::string id, std::string text, bool inMemoryOnly = false) {
        auto write = texts->keep(id, TextField::plainText, text);
        if (!inMemoryOnly)
            write();
        ClipboardItem item;
        item.id = std::move(id);
        item.plainText = LargeTexts::isLarge(text) ? text.substr(0, LargeTexts::keptBytes) : text;
        item.plainTextIsStart = LargeTexts::isLarge(text);
        return std::make_shared<const ClipboardItem>(std::move(item));
    }
    // Starts a search with nothing found at once; returns what is known to hold the query.
    std::vector<std::string> start(const std::string& query) {
        std::vector<std::string> ids;
        for (const auto& item : search.start(query, history, HistoryList(),
                                             [this](const auto& e) { found.push_back(e->id); }))
            ids.push_back(item.id);
        return ids;
    }
    // Does what the worker would, with the main queue's turns between its slices.
    int runJobs() {
        int ran = 0;
        while (!jobs.empty()) {
            for (auto& job : std::exchange(jobs, {})) {
                job();
                ++ran;
            }
            main.runUntilIdle();
        }
        return ran;
    }

    const test_support::TemporaryDirectory folder;
    ManualScheduler main;
    std::shared_ptr<LargeTexts> texts = std::make_shared<LargeTexts>(folder.path());
    std::vector<std::function<void()>> jobs;
    LargeTextSearch search{main, texts,
                           [this](std::function<void()> job) { jobs.push_back(std::move(job)); }};
    HistoryList history;
    std::vector<std::string> found;
};

TEST_F(LargeTextSearchTest, FindsAWordAnywhereInTheWholeTextInHistoryOrder) {
    const std::string filler = test_support::repeatedText("filler ", 3 << 20);
    const std::size_t pieceEnd = LargeTextSearch::pieceBytes;
    std::string straddling = filler;
    straddling.replace(pieceEnd - 4, 8, "Tailword");
    history = HistoryList(std::vector<HistoryList::Entry>{
        entry("AT-END", filler + " TAILWORD"),
        entry("NOWHERE", filler),
        entry("ACROSS-A-PIECE", straddling),
        entry("NOT-WRITTEN-YET", filler + " tailword", true),
        entry("FILE-GONE", filler + " tailword"),
        entry("FILE-GROWN", filler),
        entry("FILE-DAMAGED", filler + " tailwork"),
    });
    std::filesystem::remove(texts->path("FILE-GONE", TextField::plainText));
    // A file that no longer holds what the history recorded is not the entry's text.
    std::ofstream(texts->path("FILE-GROWN", TextField::plainText), std::ios::app) << " tailword";
    test_support::writeFile(texts->path("FILE-DAMAGED", TextField::plainText),
                            filler + " tailword");

    EXPECT_TRUE(start("tailword").empty());
    EXPECT_TRUE(found.empty()) << "nothing is read until the worker runs";
    EXPECT_GT(runJobs(), 1) << "a slice at a time";
    EXPECT_EQ(found, (std::vector<std::string>{"AT-END", "ACROSS-A-PIECE", "NOT-WRITTEN-YET"}));
    EXPECT_FALSE(search.isSearching());
}

// What a search learnt carries over only as far as it holds: an entry that holds "tailwo" may
// lack "tailwox", and one that lacks "tailwox" may hold "tailwo".
TEST_F(LargeTextSearchTest, WhatIsKnownOfAnEntryHoldsForLongerOrShorterQueriesOnly) {
    const std::string filler = test_support::repeatedText("filler ", 100'000);
    history = HistoryList(
        std::vector<HistoryList::Entry>{entry("A", filler + "tailword"), entry("B", filler)});
    struct Row {
        std::string query;
        std::vector<std::string> knownAtOnce;
        std::vector<std::string> foundLater;
    };
    const std::vector<Row> rows = {
        {"tailwo", {}, {"A"}}, {"tailwox", {}, {}},  // A is searched again, B is known to lack it
        {"tailwo", {}, {"A"}},  // A lacks "tailwox", which says nothing of "tailwo"
        {"ailw", {"A"}, {}},   {"tailwox", {}, {}}, {"zz", {}, {}}, {"tailword", {}, {"A"}},
    };
    for (const auto& row : rows) {
        found.clear();
        EXPECT_EQ(start(row.query), row.knownAtOnce) << row.query;
        runJobs();
        EXPECT_EQ(found, row.foundLater) << row.query;
    }
}

// A slice its worker read before the search was called off, or replaced by another query, is
// never taken: what it learnt was learnt for the old query, and its callback is gone.
TEST_F(LargeTextSearchTest, ASliceReadBeforeItsSearchWasCalledOffIsNeverTaken) {
    const std::string filler = test_support::repeatedText("filler ", 100'000);
    history = HistoryList(std::vector<HistoryList::Entry>{entry("A", filler + "tailword")});
    for (const bool replaced : {true, false}) {
        start("tailword");
        for (auto& job : std::exchange(jobs, {}))
            job();  // its slice is read and on its way to the main queue
        replaced ? void(start("zz")) : search.cancel();
        main.runUntilIdle();
        runJobs();
        EXPECT_TRUE(found.empty()) << replaced;
        EXPECT_TRUE(start("zz").empty()) << replaced;
        runJobs();
        EXPECT_TRUE(found.empty()) << replaced;
    }
}

}  // namespace
}  // namespace pindrake::clipboard
