#pragma once

#include "foundation/Scheduler.h"

class QObject;

namespace pindrake {

// The main queue on Qt's event loop: queued invocations and QTimers on the GUI thread.
class QtScheduler final : public Scheduler {
  public:
    // `context` is an object living on the main thread (usually the application).
    explicit QtScheduler(QObject* context);

    void post(Task task) override;
    TimerHandle postAfter(Duration delay, Task task) override;
    TimerHandle repeatEvery(Duration interval, Task task) override;
    TimePoint now() const override;

  private:
    QObject* context_;
};

}  // namespace pindrake
