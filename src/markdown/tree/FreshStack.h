#pragma once

#include <optional>
#include <type_traits>
#include <utility>

namespace pindrake::markdown::detail {

// Visiting a tree recurses once per level of nesting, in the library's own walks and in every
// visitor built on them, and the nesting comes from input text: a clipboard of 200,000 ">"
// parses into quotes that deep. When the calling thread's stack runs low, the visit moves to a
// large fresh stack of the same thread and carries on there, so nesting is bounded by memory
// rather than by the stack. The fresh stack is kept for the thread's later moves: the children
// of a wide node that sits where the stack runs low each cost a context switch, no more. The
// visitor sees no difference.
class FreshStack {
  public:
    // Whether the current thread's stack is close enough to its end to move on.
    static bool isNeeded() noexcept;

    // Runs the body on a fresh stack and returns its result or rethrows what it threw. Throws
    // std::system_error when no fresh stack can be mapped.
    template <class Body>
    static std::invoke_result_t<Body&> call(Body&& body) {
        using Result = std::invoke_result_t<Body&>;
        if constexpr (std::is_void_v<Result>) {
            run([](void* context) { (*static_cast<std::remove_reference_t<Body>*>(context))(); },
                &body);
        } else {
            std::optional<Result> result;
            auto produce = [&] { result.emplace(body()); };
            run([](void* context) { (*static_cast<decltype(produce)*>(context))(); }, &produce);
            return std::move(*result);
        }
    }

  private:
    static void run(void (*body)(void*), void* context);
};

}  // namespace pindrake::markdown::detail
