#include "foundation/BackgroundTask.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace pindrake {

struct WorkQueue::Impl {
    std::string name;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    std::vector<std::thread> threads;

    void runWorker() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping || !jobs.empty(); });
                if (stopping)
                    return;
                job = std::move(jobs.front());
                jobs.pop_front();
            }
            job();
        }
    }
};

WorkQueue::WorkQueue(std::string name, std::size_t threads) : impl_(std::make_unique<Impl>()) {
    impl_->name = std::move(name);
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i) {
        impl_->threads.emplace_back([impl = impl_.get()] { impl->runWorker(); });
    }
}

WorkQueue::~WorkQueue() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
        impl_->jobs.clear();
    }
    impl_->wake.notify_all();
    for (auto& thread : impl_->threads)
        thread.join();
}

void WorkQueue::async(std::function<void()> job) {
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->stopping)
            return;
        impl_->jobs.push_back(std::move(job));
    }
    impl_->wake.notify_one();
}

const std::string& WorkQueue::name() const {
    return impl_->name;
}

WorkQueue& sharedWorkPool() {
    // Two threads: enough to keep a slow conversion from delaying an icon decode, few enough
    // not to compete with the UI on a small machine.
    static WorkQueue pool("pindrake.background", 2);
    return pool;
}

}  // namespace pindrake
