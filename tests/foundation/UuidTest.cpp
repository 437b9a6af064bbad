#include "foundation/Uuid.h"

#include <gtest/gtest.h>

#include <set>

namespace pindrake {
namespace {

// Made ids are upper-case version 4 and unique; read ids of any case come out in that form, and
// nothing else is read as an id (they name files).
TEST(Uuid, MadeAndReadIdsAreUpperCaseAndNothingElseIsAnId) {
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const auto id = makeUuid();
        ASSERT_EQ(canonicalUuid(id), id);
        EXPECT_EQ(id[14], '4');
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);

    const std::string upper = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
    EXPECT_EQ(canonicalUuid("6f9619ff-8b86-d011-b42d-00c04fc964ff"), upper);
    const std::string bad[] = {"../../etc/passwd",
                               "",
                               "6F9619FF8B86D011B42D00C04FC964FF",
                               upper.substr(0, 35),
                               upper.substr(0, 35) + "G",
                               "6F9619FF+" + upper.substr(9),
                               upper + '\0'};
    for (const auto& text : bad)
        EXPECT_EQ(canonicalUuid(text), std::nullopt) << text;
}

}  // namespace
}  // namespace pindrake
