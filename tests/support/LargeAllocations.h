#pragma once

#include <cstddef>

namespace pindrake::test_support {

// Large enough that no bookkeeping comes near it; far below the contents the tests copy.
inline constexpr std::size_t largeAllocation = 1 << 20;

// Counted by the global operator new that LargeAllocations.cpp puts in the program, which must
// therefore be one of its own.
extern thread_local bool countingLargeAllocations;
extern thread_local int largeAllocationsCounted;
extern thread_local std::size_t largeAllocationBytesCounted;

// Large allocations made on this thread while one is alive.
class LargeAllocationsHere {
  public:
    LargeAllocationsHere() {
        countingLargeAllocations = true;
        largeAllocationsCounted = 0;
        largeAllocationBytesCounted = 0;
    }
    ~LargeAllocationsHere() { countingLargeAllocations = false; }
    LargeAllocationsHere(const LargeAllocationsHere&) = delete;
    LargeAllocationsHere& operator=(const LargeAllocationsHere&) = delete;
    int count() const { return largeAllocationsCounted; }
    // Their sizes added up: at least what they held at once.
    std::size_t bytes() const { return largeAllocationBytesCounted; }

    // Work that is not the main thread's, done on this thread.
    template <class Work>
    void elsewhere(Work&& work) {
        countingLargeAllocations = false;
        work();
        countingLargeAllocations = true;
    }
};

}  // namespace pindrake::test_support
