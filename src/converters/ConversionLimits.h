#pragma once

#include <chrono>
#include <cstddef>

namespace pindrake::converters {

// What one conversion may take, whichever converter runs it and wherever it runs. The deadline
// counts from the moment the conversion is asked for; the memory is what a helper process may
// hold; the result is the size of the converted text, refused before it is made. The result cap
// lets a 20 MB JSON document be prettified (50 MB).
struct ConversionLimits {
    std::chrono::milliseconds deadline{10'000};
    std::size_t memoryBytes = 600'000'000;
    std::size_t resultBytes = std::size_t{64} << 20;
};

}  // namespace pindrake::converters
