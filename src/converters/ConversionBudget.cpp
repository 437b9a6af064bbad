#include "converters/ConversionBudget.h"

#include "foundation/Log.h"

namespace pindrake::converters {

ConversionBudget::ConversionBudget(std::string converterId, std::size_t resultBytes,
                                   CancellationToken stopped)
    : converterId_(std::move(converterId)),
      resultBytes_(resultBytes),
      stopped_(std::move(stopped)) {}

bool ConversionBudget::admits(std::size_t bytes) const {
    if (bytes <= resultBytes_)
        return true;
    log::warning("The result of " + converterId_ + " would take " + std::to_string(bytes) +
                 " bytes, over the cap of " + std::to_string(resultBytes_) +
                 "; the entry comes back unconverted");
    return false;
}

}  // namespace pindrake::converters
