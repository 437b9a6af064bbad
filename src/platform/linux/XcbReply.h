#pragma once

#include <cstdlib>
#include <memory>

namespace pindrake::platform {

// xcb hands out replies, events and errors as malloc'ed blocks for the caller to free.
struct XcbFree {
    void operator()(void* block) const { std::free(block); }
};

template <class T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// Takes ownership of what an xcb call returned (null stays null).
template <class T>
XcbReply<T> xcbReply(T* block) {
    return XcbReply<T>(block);
}

}  // namespace pindrake::platform
