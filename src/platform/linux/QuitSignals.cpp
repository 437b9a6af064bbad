#include "platform/linux/QuitSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>

#include "foundation/Log.h"

namespace pindrake::platform {

namespace {

constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, which may run on any thread at any moment.
volatile sig_atomic_t writeEnd = -1;

void wakeEventLoop(int signalNumber) {
    const int savedErrno = errno;
    // The quit this signal starts may get stuck: a second quit signal of any kind then ends the
    // process at once. SA_RESETHAND has given this kind its default back; the others follow.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    for (const int other : quitSignals) {
        if (other != signalNumber)
            ::sigaction(other, &defaultAction, nullptr);
    }
    const char byte = static_cast<char>(signalNumber);
    // Non-blocking: with the pipe full, a wake-up is already pending.
    [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        log::warning("Signals cannot end the application cleanly: no pipe");
        return;
    }
    readEnd_ = ends[0];
    writeEnd = ends[1];
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });

    struct sigaction action {};
    action.sa_handler = &wakeEventLoop;
    // The other quit signals wait while the handler runs, so that they meet their default.
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : quitSignals)
        sigaddset(&action.sa_mask, signalNumber);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signalNumber : quitSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    if (readEnd_ < 0)
        return;
    for (const int signalNumber : quitSignals)
        ::signal(signalNumber, SIG_DFL);
    notifier_.reset();
    ::close(writeEnd);
    writeEnd = -1;
    ::close(readEnd_);
}

void QuitSignals::drain() {
    char bytes[16];
    bool received = false;
    while (::read(readEnd_, bytes, sizeof bytes) > 0)
        received = true;
    if (received)
        onSignal_();
}

}  // namespace pindrake::platform
