#include "conversion-helper/MemoryCap.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>

#include "converters/HelperProtocol.h"

namespace pindrake::conversion_helper {
namespace {

// Processor time between looks. The kernel counts it at its clock ticks, so a look comes at the
// first tick after this much.
constexpr suseconds_t lookEveryMicroseconds = 1'000;

// Set up once, before the first look; the handler's own after that.
struct Watch {
    int memoryFile = -1;
    int socket = -1;
    std::size_t pageBytes = 0;
};
Watch watch;
// Made before the first look.
CapProjection* projection = nullptr;
// Two threads can take the signal at once: one looks, the other lets it pass.
std::atomic_flag looking = ATOMIC_FLAG_INIT;

double processorMicroseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// The second figure of statm, the resident set in pages. Parsed by hand: only what is safe in a
// signal handler is called.
std::size_t residentBytes() {
    char text[128];
    const auto got = ::pread(watch.memoryFile, text, sizeof text, 0);
    std::size_t field = 0, pages = 0;
    for (ssize_t i = 0; i < got && field < 2; ++i) {
        if (text[i] == ' ')
            ++field;
        else if (field == 1 && text[i] >= '0' && text[i] <= '9')
            pages = pages * 10 + static_cast<std::size_t>(text[i] - '0');
    }
    return pages * watch.pageBytes;
}

// The handler of every look.
void look(int) {
    if (looking.test_and_set())
        return;
    const int savedErrno = errno;
    if (projection->wouldPass(residentBytes(), processorMicroseconds())) {
        // Within a reply being written, the word only cuts it short, as the ending would.
        const char word = converters::helper_protocol::endedAtMemoryCap;
        ::send(watch.socket, &word, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        // The system call itself, not the library's wrapper: an instrumented build's runtime
        // would run its own ending first, up to a second, while the other threads grow on.
        ::syscall(SYS_exit_group, 3);
    }
    errno = savedErrno;
    looking.clear();
}

}  // namespace

CapProjection::CapProjection(std::size_t capBytes, std::size_t resident,
                             double processorMicroseconds)
    : capBytes_(static_cast<double>(capBytes)),
      windowResident_(static_cast<double>(resident)),
      windowStart_(processorMicroseconds) {}

bool CapProjection::wouldPass(std::size_t resident, double processorMicroseconds) {
    const double now = processorMicroseconds;
    const double bytes = static_cast<double>(resident);
    if (now - windowStart_ >= windowMicroseconds) {
        const double grown = std::max(bytes - windowResident_, 0.0);
        pace_ = std::max(grown / (now - windowStart_), pace_ / 2);
        windowResident_ = bytes;
        windowStart_ = now;
    }
    return bytes + 2 * pace_ * lookaheadMicroseconds + capBytes_ / 64 > capBytes_;
}

bool holdMemoryCap(std::size_t capBytes, int socket) {
    watch.memoryFile = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    watch.socket = socket;
    watch.pageBytes = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    if (watch.memoryFile < 0)
        return false;
    static CapProjection made(capBytes, residentBytes(), processorMicroseconds());
    projection = &made;
    struct sigaction action{};
    action.sa_handler = look;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    const itimerval every{{0, lookEveryMicroseconds}, {0, lookEveryMicroseconds}};
    return ::sigaction(SIGPROF, &action, nullptr) == 0 &&
           ::setitimer(ITIMER_PROF, &every, nullptr) == 0;
}

}  // namespace pindrake::conversion_helper
