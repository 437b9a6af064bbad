#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "clipboard/HistoryWriter.h"
#include "support/Eventually.h"

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

// Whether the thread sleeps, waiting for something (the state `ps` shows as S).
bool isAsleep(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The state follows the name, which is in parentheses and may hold spaces.
    const auto nameEnd = line.rfind(')');
    return nameEnd != std::string::npos && line.compare(nameEnd, 3, ") S") == 0;
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

    // Quitting while the disk is slow: the writer is told to go with a file still queued, and
    // the disk catches up only once the destruction waits for it.
    auto hold = startSlowSave(*writer, journal);
    writer->writeFile([&] { journal.note("queued at the end"); });
    auto releaseLater = std::async(std::launch::async, [&hold, destroying = gettid()] {
        EXPECT_TRUE(test_support::eventually([&] { return isAsleep(destroying); }));
        hold.set_value();
    });
    writer.reset();
    EXPECT_EQ(journal.entries.back(), "queued at the end");
}

}  // namespace
}  // namespace pindrake::clipboard
