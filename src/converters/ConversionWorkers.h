#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clipboard/ClipboardContent.h"
#include "converters/ConversionBudget.h"
#include "converters/ConversionLimits.h"
#include "foundation/BackgroundTask.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"

namespace pindrake::converters {

// The worker threads conversions run on. Going away never waits for a job in progress, and
// recalls the completions and deadlines of every job it started: a recognition or a model's answer
// still running at quit then neither delivers its result nor posts into a main queue that may be
// gone. The jobs therefore own what they use.
class ConversionWorkers {
  public:
    ConversionWorkers(const std::string& name, std::size_t threads) : queue_(name, threads) {}
    ~ConversionWorkers() {
        for (const auto& timer : deadlineTimers_)
            timer->cancel();
        completions_.dropAll();
        checks_.dropAll();
    }
    ConversionWorkers(const ConversionWorkers&) = delete;
    ConversionWorkers& operator=(const ConversionWorkers&) = delete;

    // Main queue. Runs `work` on a worker and hands its result to `done` on `main`.
    void run(Scheduler& main, std::function<clipboard::ClipboardContent()> work,
             std::function<void(clipboard::ClipboardContent)> done) {
        runInBackground<clipboard::ClipboardContent>(
            queue_, main, completions_,
            [work = std::move(work)](const CancellationToken&) { return work(); }, std::move(done));
    }

    // The result of a transform; nothing to give the input back unconverted.
    using Transform = std::function<std::optional<clipboard::ClipboardContent>(
        const clipboard::ClipboardContent&, const ConversionBudget&)>;

    // How long a transform still reading the input at the deadline or a stop is given to let go
    // of it: the input is then handed back as it is, or, from a transform that keeps reading,
    // as a copy made off the main queue.
    static constexpr std::chrono::milliseconds letGoWithin{200};

    // Main queue. Converts `input` with `transform` on a worker, within `limits`, and hands the
    // result to `done` on `main`. At the deadline, and when `stop` is cancelled, the input is
    // given back without waiting for the worker, whatever the transform is doing (the deadline
    // also says so in the log), and the transform's budget stops; its result is then dropped.
    void convert(Scheduler& main, std::string converterId, clipboard::ClipboardContent input,
                 const ConversionLimits& limits, CancellationToken stop, Transform transform,
                 std::function<void(clipboard::ClipboardContent)> done);

    // Main queue. Runs `check` on a worker and hands its answer to `done` on `main`.
    void check(Scheduler& main, std::function<bool()> check, std::function<void(bool)> done) {
        runInBackground<bool>(
            queue_, main, checks_,
            [check = std::move(check)](const CancellationToken&) { return check(); },
            std::move(done));
    }

  private:
    WorkQueue queue_;
    PendingCompletions<clipboard::ClipboardContent> completions_;
    PendingCompletions<bool> checks_;
    // Of the conversions that have not answered yet.
    std::vector<std::shared_ptr<TimerHandle>> deadlineTimers_;
};

}  // namespace pindrake::converters
