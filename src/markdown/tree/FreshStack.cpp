#include "markdown/tree/FreshStack.h"

#include <pthread.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <system_error>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PINDRAKE_FRESH_STACK_ASAN 1
#endif
#if __has_feature(thread_sanitizer)
#define PINDRAKE_FRESH_STACK_TSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PINDRAKE_FRESH_STACK_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__)
#define PINDRAKE_FRESH_STACK_TSAN 1
#endif
#if defined(PINDRAKE_FRESH_STACK_ASAN)
#include <sanitizer/common_interface_defs.h>
#endif
#if defined(PINDRAKE_FRESH_STACK_TSAN)
#include <sanitizer/tsan_interface.h>
#endif

namespace pindrake::markdown::detail {

namespace {

// Room left below the point where a visit moves on, for the frames a visitor's own operations
// put between two nested visits. Small stacks keep a quarter of their size instead.
constexpr std::size_t headroom = 256 * 1024;
// Each fresh stack holds some hundred thousand levels; only the pages used are committed.
constexpr std::size_t freshStackBytes = 64 * 1024 * 1024;

std::uintptr_t floorOf(std::uintptr_t lowest, std::size_t size) noexcept {
    return lowest + std::min(headroom, size / 4);
}

std::uintptr_t measureNativeFloor() noexcept {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return 0;
    void* lowest = nullptr;
    std::size_t size = 0;
    int status = pthread_attr_getstack(&attributes, &lowest, &size);
    pthread_attr_destroy(&attributes);
    if (status != 0)
        return 0;
    return floorOf(reinterpret_cast<std::uintptr_t>(lowest), size);
}

// One fresh stack, mapped on first need with a guard page below it and kept for the thread's
// later moves, so a wide node whose children all start near the end of the stack pays for a
// context switch per child, not for a new stack.
class FreshRegion {
  public:
    FreshRegion() {
        void* mapped = mmap(nullptr, freshStackBytes, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::system_error(errno, std::generic_category(), "no fresh stack");
        memory_ = static_cast<std::byte*>(mapped);
        const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        mprotect(memory_, page, PROT_NONE);
        usable_ = memory_ + page;
        usableBytes_ = freshStackBytes - page;
    }
    FreshRegion(const FreshRegion&) = delete;
    FreshRegion& operator=(const FreshRegion&) = delete;
    ~FreshRegion() { munmap(memory_, freshStackBytes); }

    void* lowest() const noexcept { return usable_; }
    std::size_t size() const noexcept { return usableBytes_; }
    std::uintptr_t floor() const noexcept {
        return floorOf(reinterpret_cast<std::uintptr_t>(usable_), usableBytes_);
    }

  private:
    std::byte* memory_ = nullptr;
    std::byte* usable_ = nullptr;
    std::size_t usableBytes_ = 0;
};

// The stacks of one thread: its own, and the fresh ones it has moved to, innermost last.
struct ThreadStacks {
    std::uintptr_t floor = 0;  // moving on below this; 0 when the stack is unknown
    bool measured = false;
    std::size_t inUse = 0;  // fresh regions the current visit runs on or below
    std::vector<std::unique_ptr<FreshRegion>> regions;
};
thread_local ThreadStacks threadStacks;

// What runs on a fresh stack, and the way back.
struct Call {
    void (*body)(void*);
    void* context;
    std::exception_ptr failure;
    ucontext_t* caller;
#if defined(PINDRAKE_FRESH_STACK_ASAN)
    const void* callerLowest = nullptr;
    std::size_t callerSize = 0;
#endif
#if defined(PINDRAKE_FRESH_STACK_TSAN)
    void* callerFiber = nullptr;
#endif
};
thread_local Call* startingCall = nullptr;

void runStartingCall() {
    Call* call = startingCall;
#if defined(PINDRAKE_FRESH_STACK_ASAN)
    __sanitizer_finish_switch_fiber(nullptr, &call->callerLowest, &call->callerSize);
#endif
    try {
        call->body(call->context);
    } catch (...) {
        call->failure = std::current_exception();
    }
#if defined(PINDRAKE_FRESH_STACK_ASAN)
    // This stack's frames end here: nothing of them needs keeping.
    __sanitizer_start_switch_fiber(nullptr, call->callerLowest, call->callerSize);
#endif
#if defined(PINDRAKE_FRESH_STACK_TSAN)
    __tsan_switch_to_fiber(call->callerFiber, 0);
#endif
    // Straight back, without leaving this function: its frame ends with this stack's use.
    setcontext(call->caller);
}

}  // namespace

bool FreshStack::isNeeded() noexcept {
    ThreadStacks& stacks = threadStacks;
    if (!stacks.measured) [[unlikely]] {
        stacks.floor = measureNativeFloor();
        stacks.measured = true;
    }
    // Stacks grow downwards on every platform this runs on.
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < stacks.floor;
}

void FreshStack::run(void (*body)(void*), void* context) {
    ThreadStacks& stacks = threadStacks;
    if (stacks.inUse == stacks.regions.size())
        stacks.regions.push_back(std::make_unique<FreshRegion>());
    const FreshRegion& region = *stacks.regions[stacks.inUse];

    ucontext_t caller;
    ucontext_t fresh;
    Call call{body, context, nullptr, &caller};
    if (getcontext(&fresh) != 0)
        throw std::system_error(errno, std::generic_category(), "no context for a fresh stack");
    fresh.uc_stack.ss_sp = region.lowest();
    fresh.uc_stack.ss_size = region.size();
    fresh.uc_link = nullptr;
    makecontext(&fresh, runStartingCall, 0);

    const std::uintptr_t callerFloor = stacks.floor;
    stacks.floor = region.floor();
    ++stacks.inUse;
    startingCall = &call;
#if defined(PINDRAKE_FRESH_STACK_TSAN)
    // A fiber per move: the sanitizer's record of the calls on it ends with the move.
    void* fiber = __tsan_create_fiber(0);
    call.callerFiber = __tsan_get_current_fiber();
    __tsan_switch_to_fiber(fiber, 0);
#endif
#if defined(PINDRAKE_FRESH_STACK_ASAN)
    void* fakeStack = nullptr;
    __sanitizer_start_switch_fiber(&fakeStack, region.lowest(), region.size());
#endif
    const int switched = swapcontext(&caller, &fresh);
#if defined(PINDRAKE_FRESH_STACK_ASAN)
    __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#endif
#if defined(PINDRAKE_FRESH_STACK_TSAN)
    __tsan_destroy_fiber(fiber);
#endif
    --stacks.inUse;
    stacks.floor = callerFloor;
    if (switched != 0)
        throw std::system_error(errno, std::generic_category(), "no switch to a fresh stack");
    if (call.failure)
        std::rethrow_exception(call.failure);
}

}  // namespace pindrake::markdown::detail
