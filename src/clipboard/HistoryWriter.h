#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pindrake::clipboard {

// Writes the history folder on a thread of its own, one job at a time. File jobs (images,
// snapshots) run in the order given; a history save runs after every file job given before it,
// so the history never names a file still to be written; of saves that pile up, only the newest
// runs. Files of entries a save drops are removed only after it, so a kill in between never
// leaves a history naming files that are gone. Destruction finishes the work given (nothing
// acknowledged is lost).
class HistoryWriter {
  public:
    using Job = std::function<void()>;

    HistoryWriter();
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void writeFile(Job job);
    // Replaces a save that has not started yet. `removals` (of files the saved list no longer
    // names) run after this save or after the one replacing it.
    void saveHistory(Job save, std::vector<Job> removals = {});
    // Waits until everything given so far is written; for quitting and for tests.
    void flush();

  private:
    void run();

    std::mutex mutex_;
    std::condition_variable workArrived_;
    std::condition_variable idle_;
    std::vector<Job> fileJobs_;
    Job pendingSave_;
    std::vector<Job> removalsAfterSave_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pindrake::clipboard
