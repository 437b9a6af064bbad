#pragma once

#include <atomic>
#include <future>

namespace pindrake::test_support {

// One call into a service, held on its worker until the test releases it, for tests of jobs
// that are still running when whoever started them goes. The service calls `hold` inside the
// call and `noteDestroyed` in its destructor.
struct HeldCall {
    std::promise<void> started;
    std::future<void> hasStarted = started.get_future();
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> inUse{false};
    std::promise<bool> destroyed;
    // True when the service was destroyed while the call was in it.
    std::future<bool> destroyedInUse = destroyed.get_future();

    void hold() {
        inUse = true;
        started.set_value();
        released.wait();
        inUse = false;
    }
    void noteDestroyed() { destroyed.set_value(inUse); }
};

}  // namespace pindrake::test_support
