#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace pindrake::platform {

// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl+C in the terminal) end the application the
// way its Quit item does. The handler itself only writes a byte to a pipe; the event loop reads
// it and calls `onSignal` on the main thread, where saving is safe. A second quit signal, of
// whatever kind, ends the process at once, for when quitting itself is stuck. One object at a
// time.
class QuitSignals {
  public:
    explicit QuitSignals(std::function<void()> onSignal);
    // Gives the signals their default handling back.
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

  private:
    void drain();

    std::function<void()> onSignal_;
    int readEnd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace pindrake::platform
