#include "foundation/BackgroundTask.h"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace pindrake {

// Shared by the threads, so that it outlives the queue object while they finish.
struct WorkQueue::Impl {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    std::function<void()> last;
    bool stopping = false;

    void runWorker() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping || !jobs.empty(); });
                if (stopping) {
                    job = std::exchange(last, {});
                    lock.unlock();
                    if (job)
                        job();
                    return;
                }
                job = std::move(jobs.front());
                jobs.pop_front();
            }
            job();
        }
    }
};

namespace {

// The system keeps 15 bytes of a thread's name: a reverse-domain name keeps its last parts.
std::string threadNameFor(std::string name) {
    constexpr std::size_t kept = 15;
    while (name.size() > kept && name.find('.') != std::string::npos)
        name.erase(0, name.find('.') + 1);
    return name.substr(0, kept);
}

}  // namespace

WorkQueue::WorkQueue(const std::string& name, std::size_t threads)
    : impl_(std::make_shared<Impl>()) {
    const std::string threadName = threadNameFor(name);
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i) {
        std::thread thread([impl = impl_] { impl->runWorker(); });
        pthread_setname_np(thread.native_handle(), threadName.c_str());
        thread.detach();
    }
}

WorkQueue::~WorkQueue() {
    finish({});
}

void WorkQueue::finish(std::function<void()> last) {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(impl_->mutex);
        if (impl_->stopping)
            return;
        impl_->stopping = true;
        impl_->last = std::move(last);
        dropped.swap(impl_->jobs);
    }
    impl_->wake.notify_all();
    // The dropped jobs are destroyed here, outside the lock: their captures may post.
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

}  // namespace pindrake
