#include "markdown/tree/FreshStack.h"

#include <pthread.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <system_error>

namespace pindrake::markdown::detail {

namespace {

// Room left below the point where a visit moves on, for the frames a visitor's own operations
// put between two nested visits. Small stacks keep a quarter of their size instead.
constexpr std::size_t headroom = 256 * 1024;
// Each helper stack holds some hundred thousand levels; only the pages used are committed.
constexpr std::size_t freshStackBytes = 64 * 1024 * 1024;

struct StackFloor {
    std::uintptr_t address = 0;  // moving on below this; 0 when the stack is unknown
    bool measured = false;
};
thread_local StackFloor stackFloor;

std::uintptr_t measureFloor() noexcept {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return 0;
    void* lowest = nullptr;
    std::size_t size = 0;
    int status = pthread_attr_getstack(&attributes, &lowest, &size);
    pthread_attr_destroy(&attributes);
    if (status != 0)
        return 0;
    return reinterpret_cast<std::uintptr_t>(lowest) + std::min(headroom, size / 4);
}

struct Call {
    void (*body)(void*);
    void* context;
    std::exception_ptr failure;
};

void* runCall(void* argument) {
    auto* call = static_cast<Call*>(argument);
    try {
        call->body(call->context);
    } catch (...) {
        call->failure = std::current_exception();
    }
    return nullptr;
}

}  // namespace

bool FreshStack::isNeeded() noexcept {
    if (!stackFloor.measured) [[unlikely]] {
        stackFloor.address = measureFloor();
        stackFloor.measured = true;
    }
    // Stacks grow downwards on every platform this runs on.
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < stackFloor.address;
}

void FreshStack::run(void (*body)(void*), void* context) {
    Call call{body, context, nullptr};
    pthread_attr_t attributes;
    int status = pthread_attr_init(&attributes);
    if (status == 0) {
        status = pthread_attr_setstacksize(&attributes, freshStackBytes);
        pthread_t helper;
        if (status == 0)
            status = pthread_create(&helper, &attributes, runCall, &call);
        pthread_attr_destroy(&attributes);
        if (status == 0)
            pthread_join(helper, nullptr);
    }
    if (status != 0) {
        throw std::system_error(status, std::generic_category(),
                                "no thread to continue a deeply nested markdown visit on");
    }
    if (call.failure)
        std::rethrow_exception(call.failure);
}

}  // namespace pindrake::markdown::detail
