#pragma once

#include <cstdint>

namespace pindrake::markdown::testing {

// Bytes allocated through operator new and not yet freed, by this test program as a whole.
std::int64_t liveHeapBytes() noexcept;

}  // namespace pindrake::markdown::testing
