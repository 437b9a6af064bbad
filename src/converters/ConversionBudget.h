#pragma once

#include <cstddef>
#include <string>

#include "converters/ConversionLimits.h"
#include "foundation/BackgroundTask.h"

namespace pindrake::converters {

// What a conversion in the app may still do: the size its result may have, and whether it is
// still wanted. Work asks before it makes its result and between pieces of a long pass, so that a
// result over the cap is never held and a conversion past its deadline stops soon.
class ConversionBudget {
  public:
    explicit ConversionBudget(std::string converterId = "a conversion",
                              std::size_t resultBytes = ConversionLimits{}.resultBytes,
                              CancellationToken stop = {}, CancellationToken ended = {});

    // Whether a result of `bytes` may be made; a refusal is logged with its reason.
    bool admits(std::size_t bytes) const;
    // No longer wanted, or past the deadline: the work's result would be dropped.
    bool isStopped() const { return stop_.isCancelled() || ended_.isCancelled(); }
    // The same, looked at only once per stretch of `position`s, for loops over every byte.
    bool isStoppedAt(std::size_t position) const { return position % stretch == 0 && isStopped(); }

  private:
    static constexpr std::size_t stretch = std::size_t{1} << 16;

    std::string converterId_;
    std::size_t resultBytes_;
    CancellationToken stop_;
    CancellationToken ended_;
};

}  // namespace pindrake::converters
