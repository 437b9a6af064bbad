#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "clipboard/HistoryWriter.h"

namespace pindrake::clipboard {
namespace {

// Records the order in which jobs ran, from the writer's thread.
struct Journal {
    void note(std::string what) {
        std::lock_guard lock(mutex);
        entries.push_back(std::move(what));
    }
    std::mutex mutex;
    std::vector<std::string> entries;
};

// Starts "save 1", which holds the writer (a slow disk) until the returned promise is kept:
// everything given meanwhile piles up.
std::promise<void> startSlowSave(HistoryWriter& writer, Journal& journal) {
    std::promise<void> release;
    auto started = std::make_shared<std::promise<void>>();
    auto isRunning = started->get_future();
    writer.saveHistory([&journal, started, released = release.get_future().share()] {
        journal.note("save 1");
        started->set_value();
        released.wait();
    });
    isRunning.wait();
    return release;
}

// Of saves that piled up only the newest is written, after every file given before it; the
// removals each save allows come after it, so a kill in between never leaves a history naming
// removed files.
TEST(HistoryWriterTest, WritesFilesFirstThenOnlyTheNewestOfPiledUpSavesThenRemovals) {
    Journal journal;
    HistoryWriter writer;
    auto release = startSlowSave(writer, journal);
    writer.writeFile([&] { journal.note("image of 2"); });
    writer.saveHistory([&] { journal.note("save 2"); }, {[&] { journal.note("remove A"); }});
    writer.writeFile([&] { journal.note("snapshot of 3"); });
    writer.saveHistory([&] { journal.note("save 3"); }, {[&] { journal.note("remove B"); }});
    release.set_value();
    writer.flush();
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"save 1", "image of 2", "snapshot of 3",
                                                         "save 3", "remove A", "remove B"}));
}

TEST(HistoryWriterTest, FinishesEverythingGivenBeforeItGoes) {
    Journal journal;
    {
        HistoryWriter writer;
        for (int i = 0; i < 50; ++i)
            writer.writeFile([&, i] { journal.note(std::to_string(i)); });
        writer.saveHistory([&] { journal.note("save"); });
    }
    ASSERT_EQ(journal.entries.size(), 51u);
    EXPECT_EQ(journal.entries.front(), "0");
    EXPECT_EQ(journal.entries.back(), "save");
}

}  // namespace
}  // namespace pindrake::clipboard
