#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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
// removed files. A writer that goes finishes everything it was given first.
TEST(HistoryWriterTest, WritesFilesFirstThenOnlyTheNewestOfPiledUpSavesThenRemovals) {
    Journal journal;
    auto writer = std::make_unique<HistoryWriter>();
    auto release = startSlowSave(*writer, journal);
    writer->writeFile([&] { journal.note("image of 2"); });
    writer->saveHistory([&] { journal.note("save 2"); }, {[&] { journal.note("remove A"); }});
    writer->writeFile([&] { journal.note("snapshot of 3"); });
    writer->saveHistory([&] { journal.note("save 3"); }, {[&] { journal.note("remove B"); }});
    release.set_value();
    writer->flush();
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"save 1", "image of 2", "snapshot of 3",
                                                         "save 3", "remove A", "remove B"}));

    // Quitting while the disk is slow: the writer is told to go with a file still queued.
    auto hold = startSlowSave(*writer, journal);
    writer->writeFile([&] { journal.note("queued at the end"); });
    auto releaseLater = std::async(std::launch::async, [&hold] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        hold.set_value();
    });
    writer.reset();
    EXPECT_EQ(journal.entries.back(), "queued at the end");
}

}  // namespace
}  // namespace pindrake::clipboard
