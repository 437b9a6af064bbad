#include "converters/ConversionHelpers.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <system_error>

#include "converters/HelperProcess.h"
#include "converters/HelperProtocol.h"
#include "foundation/Log.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* programName = "pindrake-conversion-helper";

// How often the conversion's stop is looked at while it works.
constexpr std::chrono::milliseconds watchInterval{2};

// Whether a conversion that ended so leaves its helper fit for the next one.
bool leavesHelperFit(HelperEnding ending) {
    return ending == HelperEnding::converted || ending == HelperEnding::givenBack;
}

const char* describe(HelperEnding ending) {
    switch (ending) {
        case HelperEnding::deadline:
            return "ended at the deadline";
        case HelperEnding::memoryCap:
            return "ended at the memory cap";
        case HelperEnding::resultCap:
            return "ended: its result was over the cap";
        case HelperEnding::crashed:
            return "ended by itself";
        case HelperEnding::malformed:
            return "ended: it answered no reply";
        case HelperEnding::unavailable:
            return "could not be started";
        default:
            return nullptr;
    }
}

// One conversion's talk with its helper: the request written and the reply read as the socket
// takes and gives them, while the deadline and the stop are watched. The helper holds its memory
// cap itself, and says so when it ends at it.
class Exchange {
  public:
    Exchange(HelperProcess& helper, std::size_t resultBytes, Clock::time_point deadline)
        : helper_(helper), deadline_(deadline), reply_(resultBytes) {}

    // Writes the request's pieces, which must outlive the call, and reads the reply.
    HelperEnding run(const std::vector<std::string_view>& pieces, const CancellationToken& stop,
                     const CancellationToken& closing) {
        for (;;) {
            if (stop.isCancelled() || closing.isCancelled())
                return HelperEnding::stopped;
            const auto now = Clock::now();
            if (now >= deadline_)
                return HelperEnding::deadline;

            const bool writing = piece_ < pieces.size();
            pollfd ready{helper_.socket(), static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
            const auto wait = std::min<Clock::duration>(watchInterval, deadline_ - now);
            const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
            if (::poll(&ready, 1, static_cast<int>(waitMs)) <= 0)
                continue;
            if (writing && (ready.revents & POLLOUT) && !write(pieces))
                return HelperEnding::crashed;
            if (ready.revents & (POLLIN | POLLHUP | POLLERR)) {
                if (auto ending = read())
                    return *ending;
            }
        }
    }

    // Once a converted content has come, that content.
    std::optional<ClipboardContent> converted() { return reply_.take(); }

  private:
    // False once the helper has gone.
    bool write(const std::vector<std::string_view>& pieces) {
        const std::string_view piece = pieces[piece_].substr(offset_);
        const auto sent =
            ::send(helper_.socket(), piece.data(), piece.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0)
            return errno == EAGAIN || errno == EINTR;
        offset_ += static_cast<std::size_t>(sent);
        if (offset_ == pieces[piece_].size()) {
            ++piece_;
            offset_ = 0;
        }
        return true;
    }

    // Nothing while the reply is incomplete.
    std::optional<HelperEnding> read() {
        using State = helper_protocol::ReplyReader::State;
        const auto [at, room] = reply_.space();
        const auto got = ::recv(helper_.socket(), at, room, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return std::nullopt;
        if (got <= 0)
            return HelperEnding::crashed;
        switch (reply_.received(static_cast<std::size_t>(got))) {
            case State::incomplete:
                return std::nullopt;
            case State::complete:
                return reply_.hasResult() ? HelperEnding::converted : HelperEnding::givenBack;
            case State::malformed:
                return HelperEnding::malformed;
            case State::tooLarge:
                return HelperEnding::resultCap;
            case State::overMemory:
                return HelperEnding::memoryCap;
        }
        return HelperEnding::malformed;
    }

    HelperProcess& helper_;
    Clock::time_point deadline_;
    helper_protocol::ReplyReader reply_;
    std::size_t piece_ = 0;
    std::size_t offset_ = 0;
};

}  // namespace

// What the conversions share with the threads that run them, which may outlive the object.
struct ConversionHelpers::Pool : std::enable_shared_from_this<Pool> {
    std::filesystem::path program;
    HelperLimits limits;
    CancellationToken closing;
    std::mutex mutex;
    bool warm = false;
    // The one helper kept at rest, if any.
    std::unique_ptr<HelperProcess> waiting;
    // Whether the helper waiting replaces one that died at rest, and has served no conversion
    // since: one that dies too is not replaced, so a helper that cannot stay up starts no loop.
    bool replacingDeadAtRest = false;
    // Threads that live as long as the pool: a helper ends with the thread that started it.
    WorkQueue threads{"conversion-helpers", 2};

    std::unique_ptr<HelperProcess> start() {
        return HelperProcess::start(program, limits.memoryBytes, [weak = weak_from_this()] {
            if (auto pool = weak.lock())
                pool->dropIfGone();
        });
    }

    // A helper that died at rest was collected already; it is let go at once rather than
    // found gone by the next conversion, and another waits in its place.
    void dropIfGone() {
        std::unique_ptr<HelperProcess> gone;
        bool replace = false;
        {
            std::lock_guard lock(mutex);
            if (!waiting || waiting->isAtRest())
                return;
            gone = std::move(waiting);
            replace = !std::exchange(replacingDeadAtRest, true);
        }
        log::warning(replace ? "The conversion helper kept at rest ended by itself; another is "
                               "started in its place"
                             : "The conversion helper kept at rest ended by itself again; the "
                               "next conversion starts its own");
        if (replace)
            threads.async([pool = shared_from_this()] { pool->warmUp(); });
    }

    // A helper at rest: the one waiting, unless it has gone meanwhile, or a new one.
    std::unique_ptr<HelperProcess> take() {
        std::unique_ptr<HelperProcess> helper;
        {
            std::lock_guard lock(mutex);
            helper = std::move(waiting);
        }
        if (helper && helper->isAtRest())
            return helper;
        helper.reset();
        return start();
    }

    // After a conversion it finished: kept at rest if one is wanted, else ended.
    void putBack(std::unique_ptr<HelperProcess> helper, bool served) {
        std::lock_guard lock(mutex);
        if (served)
            replacingDeadAtRest = false;
        if (warm && !waiting && !closing.isCancelled())
            waiting = std::move(helper);
    }

    void warmUp() {
        {
            std::lock_guard lock(mutex);
            if (!warm || waiting || closing.isCancelled())
                return;
        }
        putBack(start(), false);
    }

    // The input is moved into a result that gives it back: the app holds no second copy. A
    // helper that did not finish its conversion is ended, never used again, and collected
    // after the result is handed back.
    HelperResult convert(const std::string& converterId, ClipboardContent input,
                         const CancellationToken& stop, Clock::time_point deadline) {
        if (stop.isCancelled())
            return {std::move(input), HelperEnding::stopped};
        // Asked for long ago on a busy machine: no helper is started for a conversion past it.
        if (Clock::now() >= deadline)
            return report(converterId, {std::move(input), HelperEnding::deadline});
        auto helper = take();
        if (!helper)
            return report(converterId, {std::move(input), HelperEnding::unavailable});
        Exchange exchange(*helper, limits.resultBytes, deadline);
        const auto request = helper_protocol::request(converterId, input);
        const auto ending = exchange.run(request.pieces(), stop, closing);
        auto converted = ending == HelperEnding::converted ? exchange.converted() : std::nullopt;
        HelperResult result{converted ? std::move(*converted) : std::move(input), ending};
        if (leavesHelperFit(ending))
            putBack(std::move(helper), true);
        else
            helper->end();
        return report(converterId, std::move(result));
    }

    // Nothing is given back silently.
    static HelperResult report(const std::string& converterId, HelperResult result) {
        if (const char* how = describe(result.ending)) {
            log::warning("The conversion helper running " + converterId + " " + how +
                         "; the entry comes back unconverted");
        }
        return result;
    }
};

ConversionHelpers::ConversionHelpers(std::filesystem::path program, HelperLimits limits)
    : pool_(std::make_shared<Pool>()) {
    pool_->program = std::move(program);
    pool_->limits = limits;
}

ConversionHelpers::~ConversionHelpers() {
    pool_->closing.cancel();
    // Conversions not begun are dropped; the threads end once the ones begun have stopped.
    pool_->threads.finish({});
    completions_.dropAll();
    std::unique_ptr<HelperProcess> waiting;
    {
        std::lock_guard lock(pool_->mutex);
        waiting = std::move(pool_->waiting);
    }
}

std::filesystem::path ConversionHelpers::installedProgram() {
    std::error_code error;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    // Installed in the prefix's libexec, from where it finds the resources as the app does.
    const auto installed = folder / ".." / "libexec" / programName;
    // In the build tree, the helper is built beside the app.
    return std::filesystem::exists(installed, error) ? installed.lexically_normal()
                                                     : folder / programName;
}

void ConversionHelpers::keepWarm() {
    {
        std::lock_guard lock(pool_->mutex);
        pool_->warm = true;
    }
    pool_->threads.async([pool = pool_] { pool->warmUp(); });
}

void ConversionHelpers::letGo() {
    std::unique_ptr<HelperProcess> waiting;
    {
        std::lock_guard lock(pool_->mutex);
        pool_->warm = false;
        // The next show keeps a helper afresh: one that dies at rest then is replaced again.
        pool_->replacingDeadAtRest = false;
        waiting = std::move(pool_->waiting);
    }
}

std::optional<pid_t> ConversionHelpers::waitingHelper() const {
    std::lock_guard lock(pool_->mutex);
    return pool_->waiting ? std::optional(pool_->waiting->pid()) : std::nullopt;
}

bool ConversionHelpers::keepsWarm() const {
    std::lock_guard lock(pool_->mutex);
    return pool_->warm;
}

void ConversionHelpers::run(Scheduler& main, std::string converterId, ClipboardContent input,
                            CancellationToken stop, std::function<void(HelperResult)> done) {
    const auto deadline = Clock::now() + pool_->limits.deadline;
    pool_->threads.async([pool = pool_, completion = completions_.add(main, std::move(done)),
                          converterId = std::move(converterId), input = std::move(input),
                          stop = std::move(stop), deadline]() mutable {
        auto result = pool->convert(converterId, std::move(input), stop, deadline);
        const bool helperEnded = !leavesHelperFit(result.ending);
        completion->settle(std::move(result));
        // A helper ended by its conversion is replaced while the panel may need one. One kept
        // is not: the next conversion may have taken it already, and a second would start.
        if (helperEnded)
            pool->warmUp();
    });
}

}  // namespace pindrake::converters
