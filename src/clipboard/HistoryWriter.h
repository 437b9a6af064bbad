#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pindrake::clipboard {

// Writes the history folder on a thread of its own, one job at a time. File jobs (images,
// snapshots, removals) run in the order given; a history save runs after every file job given
// before it, so the history never names a file still to be written; of saves that pile up,
// only the newest runs. Destruction finishes the work given (nothing acknowledged is lost).
class HistoryWriter {
  public:
    using Job = std::function<void()>;

    HistoryWriter();
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void writeFile(Job job);
    // Replaces a save that has not started yet.
    void saveHistory(Job save);
    // Waits until everything given so far is written; for quitting and for tests.
    void flush();

  private:
    void run();

    std::mutex mutex_;
    std::condition_variable workArrived_;
    std::condition_variable idle_;
    std::vector<Job> fileJobs_;
    Job pendingSave_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pindrake::clipboard
