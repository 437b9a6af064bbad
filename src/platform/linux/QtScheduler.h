#pragma once

#include "foundation/Scheduler.h"

class QObject;

namespace pindrake {

// The main queue on Qt's event loop: posted events and QTimers on the GUI thread.
class QtScheduler final : public Scheduler {
  public:
    // `context` is an object living on the main thread (usually the application), made here on
    // that thread. Tasks posted from any thread run as long as it lives.
    explicit QtScheduler(QObject* context);
    ~QtScheduler() override { closeLink(); }

    void post(Task task) override;
    TimerHandle postAfter(Duration delay, Task task) override;
    TimerHandle repeatEvery(Duration interval, Task task) override;
    TimePoint now() const override;

  private:
    class Runner;

    QObject* context_;
    Runner* runner_;  // a child of `context_`
};

}  // namespace pindrake
