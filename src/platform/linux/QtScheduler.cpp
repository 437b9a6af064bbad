#include "platform/linux/QtScheduler.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <limits>

#include "foundation/BootClock.h"

namespace pindrake {
namespace {

int toMilliseconds(Duration d) {
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(d).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, std::numeric_limits<int>::max()));
}

}  // namespace

QtScheduler::QtScheduler(QObject* context) : context_(context) {}

void QtScheduler::post(Task task) {
    QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
}

TimerHandle QtScheduler::postAfter(Duration delay, Task task) {
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    QTimer::singleShot(toMilliseconds(delay), context_, [cancelled, task = std::move(task)] {
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
