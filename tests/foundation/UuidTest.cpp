#include "foundation/Uuid.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace pindrake {
namespace {

TEST(Uuid, UpperCaseVersionFourAndUnique) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const auto id = makeUuid();
        ASSERT_TRUE(isUuid(id)) << id;
        EXPECT_EQ(id[14], '4');
        for (char c : id)
            EXPECT_FALSE(std::islower(static_cast<unsigned char>(c))) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
    EXPECT_FALSE(isUuid("../../etc/passwd"));
    EXPECT_FALSE(isUuid(""));
}

}  // namespace
}  // namespace pindrake
