#include "platform/linux/QtScheduler.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <limits>
#include <mutex>

#include "foundation/BootClock.h"

namespace pindrake {
namespace {

int toMilliseconds(Duration d) {
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(d).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, std::numeric_limits<int>::max()));
}

}  // namespace

// Runs the posted tasks on its thread, in the order they were posted. A task reaches it through
// a lock of ours: Qt's event only wakes the thread, and the locks of Qt's own queue are out of
// ThreadSanitizer's sight (Qt is not built with it), while the task carries what the posting
// thread wrote.
class QtScheduler::Runner final : public QObject {
  public:
    using QObject::QObject;

    void post(Task task) {
        auto* wake = new QEvent(wakeType());  // made before the lock, so handed over by it too
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        QCoreApplication::postEvent(this, wake);
    }

  protected:
    bool event(QEvent* event) override {
        // Taken before the event is read: a wake event was made on the posting thread.
        std::unique_lock lock(mutex_);
        if (event->type() != wakeType()) {
            lock.unlock();
            return QObject::event(event);
        }
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        return true;
    }

  private:
    static QEvent::Type wakeType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    std::mutex mutex_;
    std::deque<Task> tasks_;  // one per wake event on its way
};

QtScheduler::QtScheduler(QObject* context) : context_(context), runner_(new Runner(context)) {}

void QtScheduler::post(Task task) {
    runner_->post(std::move(task));
}

TimerHandle QtScheduler::postAfter(Duration delay, Task task) {
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    // Precise: a coarse timer, Qt's choice for seconds, may run a twentieth of its time early,
    // and a deadline would then cut work short.
    QTimer::singleShot(toMilliseconds(delay), Qt::PreciseTimer, context_,
                       [cancelled, task = std::move(task)] {
                           if (!cancelled->load())
                               task();
                       });
    return TimerHandle(cancelled);
}

TimerHandle QtScheduler::repeatEvery(Duration interval, Task task) {
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    auto* timer = new QTimer(context_);
    timer->setInterval(toMilliseconds(interval));
    QObject::connect(timer, &QTimer::timeout, timer, [timer, cancelled, task = std::move(task)] {
        if (cancelled->load()) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        task();
    });
    timer->start();
    return TimerHandle(cancelled);
}

TimePoint QtScheduler::now() const {
    return bootClockNow();
}

}  // namespace pindrake
