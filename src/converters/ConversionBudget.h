#pragma once

#include <cstddef>
#include <string>

#include "converters/ConversionLimits.h"
#include "foundation/CancellationToken.h"

namespace pindrake::converters {

// What a conversion in the app may still do: the size its result may have, and whether it is
// still wanted. Work asks before it makes its result and between pieces of every pass over the
// entry, so that a result over the cap is never held and a worker told to stop is soon free.
class ConversionBudget {
  public:
    // `stopped` is cancelled once the result is no longer wanted or the deadline has come.
    explicit ConversionBudget(std::string converterId = "a conversion",
                              std::size_t resultBytes = ConversionLimits{}.resultBytes,
                              CancellationToken stopped = {});

    // Whether a result of `bytes` may be made; a refusal is logged with its reason.
    bool admits(std::size_t bytes) const;
    std::size_t resultBytes() const { return resultBytes_; }
    // No longer wanted, or past the deadline: the work's result would be dropped.
    bool isStopped() const { return stopped_.isCancelled(); }
    // The same, looked at only once per stretch of `position`s, for loops over every byte.
    bool isStoppedAt(std::size_t position) const { return stopped_.isCancelledAt(position); }
    // For the passes that know no budget, only whether to go on.
    const CancellationToken& stopToken() const { return stopped_; }

  private:
    std::string converterId_;
    std::size_t resultBytes_;
    CancellationToken stopped_;
};

}  // namespace pindrake::converters
