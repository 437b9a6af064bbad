#include "LiveHeapBytes.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PINDRAKE_SANITIZER_HEAP 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PINDRAKE_SANITIZER_HEAP 1
#endif

#if defined(PINDRAKE_SANITIZER_HEAP)

// The sanitizers own the heap and count what is live.
#include <sanitizer/allocator_interface.h>

namespace pindrake::markdown::testing {

std::int64_t liveHeapBytes() noexcept {
    return static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
}

}  // namespace pindrake::markdown::testing

#else

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Counts what operator new hands out, so tests can tell whether a tree version was released.
namespace {
std::atomic<std::int64_t> liveBytes{0};
}

void* operator new(std::size_t size) {
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr)
        throw std::bad_alloc();
    liveBytes.fetch_add(static_cast<std::int64_t>(malloc_usable_size(memory)),
                        std::memory_order_relaxed);
    return memory;
}

void operator delete(void* memory) noexcept {
    if (memory == nullptr)
        return;
    liveBytes.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(memory)),
                        std::memory_order_relaxed);
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    operator delete(memory);
}

namespace pindrake::markdown::testing {

std::int64_t liveHeapBytes() noexcept {
    return liveBytes.load(std::memory_order_relaxed);
}

}  // namespace pindrake::markdown::testing

#endif
