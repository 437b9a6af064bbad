#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <sys/types.h>

#include "clipboard/ClipboardContent.h"
#include "converters/ConversionLimits.h"
#include "foundation/BackgroundTask.h"
#include "foundation/PendingCompletion.h"
#include "foundation/Scheduler.h"

namespace pindrake::converters {

// What one conversion in a helper may take: the limits of every conversion. The deadline covers
// everything the helper does for it; the memory is the helper's resident set.
using HelperLimits = ConversionLimits;

// How a conversion in a helper ended. Every ending but `converted` gives the entry back.
enum class HelperEnding {
    converted,
    givenBack,    // the converter could not convert it
    deadline,     // the helper was ended at the deadline
    memoryCap,    // the helper ended itself at the memory cap
    resultCap,    // the helper was ended as its reply announced a result over the cap
    stopped,      // the conversion was no longer wanted, and the helper was ended
    crashed,      // the helper ended by itself, in a crash, an abort or an exit
    malformed,    // the helper answered something else than a reply, and was ended
    unavailable,  // no helper could be started
};

struct HelperResult {
    // The converted content, or the entry as it was given.
    clipboard::ClipboardContent content;
    HelperEnding ending;
};

// Runs the conversions whose engines' cost no check can predict in helper processes the app
// can end, and holds their limits: the deadline, the memory cap and the result's size. Conversions
// run at most two at a time, each in a helper of its own, talked to from threads of this object;
// the main queue never waits on a helper. A helper that fails is ended, and the next conversion
// starts a new one. Between conversions, one helper is kept running while `keepWarm` holds (one
// that dies at rest is replaced), and none otherwise: an idle app runs no helper.
class ConversionHelpers {
  public:
    explicit ConversionHelpers(std::filesystem::path program, HelperLimits limits = {});
    // Ends every helper, the ones still converting included, without waiting for any.
    ~ConversionHelpers();
    ConversionHelpers(const ConversionHelpers&) = delete;
    ConversionHelpers& operator=(const ConversionHelpers&) = delete;

    // The helper program installed beside the running app.
    static std::filesystem::path installedProgram();

    // Main queue. From now on a helper waits, started at once, for the next conversion.
    void keepWarm();
    // Main queue. The helper waiting is ended, and no other is kept.
    void letGo();
    // Main queue. Whether a helper is kept for the next conversion, from `keepWarm` to `letGo`.
    bool keepsWarm() const;
    // Any thread. The process of the helper kept at rest for the next conversion, if any.
    std::optional<pid_t> waitingHelper() const;

    // Main queue. Converts `input` with the converter `converterId` in a helper; `done` runs on
    // `main`, once, unless this object has gone by then. A cancelled `stop` ends the conversion
    // within milliseconds, wherever it is, giving the input back.
    void run(Scheduler& main, std::string converterId, clipboard::ClipboardContent input,
             CancellationToken stop, std::function<void(HelperResult)> done);

  private:
    struct Pool;

    std::shared_ptr<Pool> pool_;
    PendingCompletions<HelperResult> completions_;
};

}  // namespace pindrake::converters
