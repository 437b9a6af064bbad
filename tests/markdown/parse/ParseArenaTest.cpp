#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "markdown/parse/ParseArena.h"

namespace pindrake::markdown {
namespace {

std::string bytesAt(const void* piece, std::size_t size) {
    return std::string(static_cast<const char*>(piece), size);
}

// A buffer grown step by step, the way cmark grows its line and text buffers, keeps what it
// held, whether it grows where it stands or has to move behind a newer piece.
TEST(ParseArenaTest, ReallocationKeepsContents) {
    ParseArena arena;
    cmark_mem* mem = arena.allocator();
    auto* buffer = static_cast<char*>(mem->calloc(1, 8));
    std::memcpy(buffer, "abcdefgh", 8);

    auto* grown = static_cast<char*>(mem->realloc(buffer, 64));
    EXPECT_EQ(grown, buffer) << "the newest piece grows where it stands";
    std::memcpy(grown + 8, "ijklmnop", 8);

    auto* other = static_cast<char*>(mem->calloc(1, 16));
    std::memcpy(other, "0123456789abcdef", 16);

    auto* moved = static_cast<char*>(mem->realloc(grown, 200));
    EXPECT_NE(moved, grown) << "a piece with a newer one behind it must move";
    EXPECT_EQ(bytesAt(moved, 16), "abcdefghijklmnop");
    EXPECT_EQ(bytesAt(other, 16), "0123456789abcdef");

    auto* shrunk = static_cast<char*>(mem->realloc(moved, 4));
    EXPECT_EQ(shrunk, moved);
    auto* next = static_cast<char*>(mem->calloc(1, 16));
    EXPECT_EQ(bytesAt(next, 16), std::string(16, '\0')) << "fresh pieces start zeroed";
    auto* regrown = static_cast<char*>(mem->realloc(shrunk, 32));
    EXPECT_NE(regrown, shrunk);
    EXPECT_EQ(bytesAt(regrown, 4), "abcd");

    // Larger than a block: its own block, and the current block goes on being filled.
    auto* large = static_cast<char*>(mem->realloc(nullptr, 1 << 20));
    large[(1 << 20) - 1] = 'z';
    auto* after = static_cast<char*>(mem->realloc(next, 48));
    EXPECT_EQ(bytesAt(after, 16), std::string(16, '\0'));
    EXPECT_EQ(bytesAt(other, 16), "0123456789abcdef");
}

}  // namespace
}  // namespace pindrake::markdown
