#include "converters/ConversionWorkers.h"

#include <mutex>
#include <optional>

#include "foundation/Log.h"

namespace pindrake::converters {

using clipboard::ClipboardContent;

namespace {

// One conversion, between its worker's job and its deadline: whichever comes first takes the
// input, so that it is never copied and never given twice. It owns its completion: the deadline
// that finds the conversion alive can always give the input back, even when the job finishes
// and goes in between.
struct Conversion {
    enum class Stage { waiting, running, finished };

    std::mutex mutex;
    Stage stage = Stage::waiting;
    std::optional<ClipboardContent> input;
    CancellationToken ended;
    std::shared_ptr<PendingCompletion<ClipboardContent>> completion;
};

}  // namespace

void ConversionWorkers::convert(Scheduler& main, std::string converterId, ClipboardContent input,
                                const ConversionLimits& limits, CancellationToken stop,
                                Transform transform, std::function<void(ClipboardContent)> done) {
    auto conversion = std::make_shared<Conversion>();
    conversion->input = std::move(input);
    // Cancelled once the conversion has answered, or its deadline has come.
    auto deadlineTimer = std::make_shared<TimerHandle>();
    conversion->completion =
        completions_.add(main, [deadlineTimer, done = std::move(done)](ClipboardContent result) {
            deadlineTimer->cancel();
            done(std::move(result));
        });
    ConversionBudget budget(converterId, limits.resultBytes, std::move(stop), conversion->ended);

    // Holds nothing of the conversion: once its job has gone, the deadline finds nothing to do.
    *deadlineTimer = main.postAfter(limits.deadline, [deadlineTimer,
                                                      weakConversion = std::weak_ptr(conversion),
                                                      converterId, deadline = limits.deadline] {
        deadlineTimer->cancel();
        const auto conversion = weakConversion.lock();
        if (!conversion)
            return;
        std::optional<ClipboardContent> waiting;
        {
            std::lock_guard lock(conversion->mutex);
            if (conversion->stage == Conversion::Stage::finished)
                return;
            conversion->ended.cancel();
            if (conversion->stage == Conversion::Stage::waiting) {
                waiting = std::move(conversion->input);
                conversion->stage = Conversion::Stage::finished;
            }
        }
        log::warning(converterId + " was still converting at its deadline of " +
                     std::to_string(deadline.count()) + " ms; the entry comes back unconverted");
        if (waiting)
            conversion->completion->settle(std::move(*waiting));
    });

    std::erase_if(deadlineTimers_, [](const auto& timer) { return timer->isCancelled(); });
    deadlineTimers_.push_back(std::move(deadlineTimer));
    queue_.async([conversion, budget = std::move(budget), transform = std::move(transform)] {
        ClipboardContent input;
        {
            std::lock_guard lock(conversion->mutex);
            if (conversion->stage != Conversion::Stage::waiting)
                return;
            conversion->stage = Conversion::Stage::running;
            input = std::move(*conversion->input);
        }
        std::optional<ClipboardContent> result;
        if (!budget.isStopped())
            result = transform(input, budget);
        {
            std::lock_guard lock(conversion->mutex);
            conversion->stage = Conversion::Stage::finished;
        }
        conversion->completion->settle(result && !budget.isStopped() ? std::move(*result)
                                                                     : std::move(input));
    });
}

}  // namespace pindrake::converters
