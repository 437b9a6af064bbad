#include <gtest/gtest.h>

#include <cstdint>

#include "foundation/OptionSet.h"

namespace pindrake {
namespace {

struct Flags : OptionSet<Flags, std::uint8_t> {
    static const Flags a;
    static const Flags b;
    static const Flags high;
};
inline constexpr Flags Flags::a{1};
inline constexpr Flags Flags::b{2};
inline constexpr Flags Flags::high{0x80};

TEST(OptionSetTest, CombinesAndTestsFlags) {
    const Flags ab = Flags::a | Flags::b;
    const std::pair<Flags, int> cases[] = {
        {ab, 3},
        {ab & Flags::b, 2},
        {(ab | Flags::high) - ab, 0x80},
        {Flags::a - Flags::b, 1},
        {Flags::a - Flags::a, 0},
        {Flags{}, 0},
    };
    for (const auto& [set, raw] : cases)
        EXPECT_EQ(set.rawValue, raw) << raw;

    EXPECT_TRUE(ab.contains(Flags::a) && ab.contains(Flags{}));
    EXPECT_FALSE(Flags::a.contains(ab)) << "every flag of the member must be set";
    EXPECT_TRUE(Flags{}.isEmpty() && !Flags::high.isEmpty());
    EXPECT_TRUE(ab == (Flags::b | Flags::a) && ab != Flags::a);
    Flags grown = Flags::a;
    grown |= Flags::high;
    EXPECT_EQ(grown.rawValue, 0x81);
}

}  // namespace
}  // namespace pindrake
