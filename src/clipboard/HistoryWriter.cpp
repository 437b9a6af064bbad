#include "clipboard/HistoryWriter.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace pindrake::clipboard {

HistoryWriter::HistoryWriter() : thread_([this] { run(); }) {}

HistoryWriter::~HistoryWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workArrived_.notify_one();
    thread_.join();
}

void HistoryWriter::writeFile(Job job) {
    {
        std::lock_guard lock(mutex_);
        fileJobs_.push_back(std::move(job));
    }
    workArrived_.notify_one();
}

void HistoryWriter::saveHistory(Job save, std::vector<Job> removals) {
    {
        std::lock_guard lock(mutex_);
        pendingSave_ = std::move(save);
        std::move(removals.begin(), removals.end(), std::back_inserter(removalsAfterSave_));
    }
    workArrived_.notify_one();
}

void HistoryWriter::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !busy_ && fileJobs_.empty() && !pendingSave_; });
}

void HistoryWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        workArrived_.wait(lock, [this] { return stopping_ || !fileJobs_.empty() || pendingSave_; });
        if (!fileJobs_.empty()) {
            // Files first: a save given after them names them.
            std::vector<Job> jobs = std::move(fileJobs_);
            fileJobs_.clear();
            busy_ = true;
            lock.unlock();
            for (auto& job : jobs)
                job();
            lock.lock();
        } else if (pendingSave_) {
            Job save = std::exchange(pendingSave_, nullptr);
            std::vector<Job> removals = std::exchange(removalsAfterSave_, {});
            busy_ = true;
            lock.unlock();
            save();
            for (auto& removal : removals)
                removal();
            lock.lock();
        } else if (stopping_) {
            return;
        }
        busy_ = false;
        if (fileJobs_.empty() && !pendingSave_)
            idle_.notify_all();
    }
}

}  // namespace pindrake::clipboard
