// The global operator new of the programs that count large allocations.
#include "support/LargeAllocations.h"

#include <cstdlib>
#include <new>

namespace pindrake::test_support {

thread_local bool countingLargeAllocations = false;
thread_local int largeAllocationsCounted = 0;
thread_local std::size_t largeAllocationBytesCounted = 0;

}  // namespace pindrake::test_support

namespace {

void* allocate(std::size_t size) {
    using namespace pindrake::test_support;
    if (countingLargeAllocations && size >= largeAllocation) {
        ++largeAllocationsCounted;
        largeAllocationBytesCounted += size;
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

// Every form that pairs with `free`, so that no allocation is released by another allocator.
void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
    return operator new(size, nothrow);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
