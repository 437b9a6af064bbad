#include "converters/ConversionWorkers.h"

#include <mutex>
#include <thread>

#include "foundation/Log.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;

namespace {

// One conversion, between its worker's job, its deadline and its stop. The conversion keeps its
// input while the transform reads it, so that the deadline and the stop can give it back without
// the worker: whichever answers first settles the completion. The input is copied only for a
// transform that goes on reading it once told to stop.
struct Conversion {
    std::mutex mutex;
    // Until it is given back; shared with the transform while it reads.
    std::shared_ptr<ClipboardContent> input;
    bool reading = false;
    // Settled, or about to be: a later answer is dropped.
    bool answered = false;
    // The transform's budget: stopped at the deadline, at a stop, or once the input went back.
    CancellationToken ended;
    std::shared_ptr<PendingCompletion<ClipboardContent>> completion;
    CancellationToken::Subscription stopped;
};

// Gives back the input of a transform that kept reading it past `letGoWithin`: as a copy, made
// on a thread of its own, since copying a large entry takes a while and every worker may be busy.
void giveBackCopy(const std::weak_ptr<Conversion>& weakConversion, const std::string& converterId) {
    const auto conversion = weakConversion.lock();
    if (!conversion)
        return;
    std::shared_ptr<const ClipboardContent> input;
    {
        std::lock_guard lock(conversion->mutex);
        input = std::move(conversion->input);
    }
    if (!input || conversion->completion->isFinished())
        return;
    log::warning(converterId +
                 " went on reading the entry after it was stopped; the entry comes "
                 "back as a copy");
    std::thread([input = std::move(input), completion = conversion->completion] {
        completion->settle(ClipboardContent(*input));
    }).detach();
}

// Main queue. Gives the input back for the conversion unless it has answered: at once when no
// transform reads it, else once the transform lets go of it. False when it had answered.
bool answerWithInput(Scheduler& main, const std::weak_ptr<Conversion>& weakConversion,
                     const std::string& converterId) {
    const auto conversion = weakConversion.lock();
    if (!conversion)
        return false;
    std::shared_ptr<ClipboardContent> input;
    {
        std::lock_guard lock(conversion->mutex);
        if (conversion->answered)
            return false;
        conversion->answered = true;
        conversion->ended.cancel();
        if (!conversion->reading)
            input = std::move(conversion->input);
    }
    if (input) {
        conversion->completion->settle(std::move(*input));
    } else {
        main.postAfter(ConversionWorkers::letGoWithin, [weakConversion, converterId] {
            giveBackCopy(weakConversion, converterId);
        });
    }
    return true;
}

}  // namespace

void ConversionWorkers::convert(Scheduler& main, std::string converterId, ClipboardContent input,
                                const ConversionLimits& limits, CancellationToken stop,
                                Transform transform, std::function<void(ClipboardContent)> done) {
    auto conversion = std::make_shared<Conversion>();
    conversion->input = std::make_shared<ClipboardContent>(std::move(input));
    // Cancelled once the conversion has answered, or its deadline has come.
    auto deadlineTimer = std::make_shared<TimerHandle>();
    conversion->completion =
        completions_.add(main, [deadlineTimer, done = std::move(done)](ClipboardContent result) {
            deadlineTimer->cancel();
            done(std::move(result));
        });
    ConversionBudget budget(converterId, limits.resultBytes, conversion->ended);

    // These hold nothing of the conversion: once its job has gone, they find nothing to do.
    const std::weak_ptr<Conversion> weakConversion = conversion;
    *deadlineTimer = main.postAfter(limits.deadline, [&main, deadlineTimer, weakConversion,
                                                      converterId, deadline = limits.deadline] {
        deadlineTimer->cancel();
        if (answerWithInput(main, weakConversion, converterId)) {
            log::warning(converterId + " was still converting at its deadline of " +
                         std::to_string(deadline.count()) +
                         " ms; the entry comes back unconverted");
        }
    });
    // A stop may come from any thread: the transform sees it at once, and it is answered on the
    // main queue.
    conversion->stopped = stop.whenCancelled(
        [ended = conversion->ended, link = main.link(), &main, weakConversion, converterId] {
            ended.cancel();
            link->post([&main, weakConversion, converterId] {
                answerWithInput(main, weakConversion, converterId);
            });
        });

    std::erase_if(deadlineTimers_, [](const auto& timer) { return timer->isCancelled(); });
    deadlineTimers_.push_back(std::move(deadlineTimer));
    queue_.async([conversion, budget = std::move(budget), transform = std::move(transform)] {
        std::shared_ptr<const ClipboardContent> input;
        {
            std::lock_guard lock(conversion->mutex);
            if (conversion->answered)
                return;
            conversion->reading = true;
            input = conversion->input;
        }
        auto result = budget.isStopped() ? std::nullopt : transform(*input, budget);
        std::shared_ptr<ClipboardContent> unread;
        bool answers = false;
        {
            std::lock_guard lock(conversion->mutex);
            conversion->reading = false;
            answers = !std::exchange(conversion->answered, true);
            // Gone when it was given back as a copy.
            unread = std::move(conversion->input);
        }
        input.reset();
        if (answers && result && !budget.isStopped())
            conversion->completion->settle(std::move(*result));
        else if (unread)
            conversion->completion->settle(std::move(*unread));
    });
}

}  // namespace pindrake::converters
