#include "clipboard/TextIdentity.h"

#include <gtest/gtest.h>

#include "support/Growth.h"
#include "support/RepeatedText.h"

namespace pindrake::clipboard {
namespace {

using test_support::repeated;

// Canonically equivalent texts are one text; within a run of up to 30 marks any order of marks
// of different classes is the same, as NFC alone says. A longer run is cut by the stream-safe
// form, yet the same text copied again is still the same, and a text holding a combining grapheme
// joiner or a line break where the cut falls is another text.
TEST(TextIdentityTest, EquivalentTextsAreOneAndOthersAreNot) {
    const std::string thirtyMarks = repeated("\u0301\u0323", 15);
    const std::string longRun = "a" + repeated("\u0301\u0323", 40) + "b";
    const std::vector<std::pair<std::string, std::string>> same = {
        {"caf\u00E9", "cafe\u0301"},
        {"\uD55C", "\u1112\u1161\u11AB"},  // a Hangul syllable and its letters
        {"a\u0301\u0323", "a\u0323\u0301"},
        {"\u1EA1\u0301", "a\u0323\u0301"},
        {"a" + thirtyMarks, "a" + repeated("\u0323", 15) + repeated("\u0301", 15)},
        {longRun, std::string(longRun)},
        {"\u00E9" + repeated("\u0301", 30), "e" + repeated("\u0301", 31)},
        {"plain", "plain"},
    };
    for (const auto& [one, other] : same)
        EXPECT_EQ(textIdentity(one), textIdentity(other)) << one;
    const std::vector<std::pair<std::string, std::string>> different = {
        {"a\u0301", "a\u0300"}, {"\uFB01", "fi"}, {"a", "A"}, {"plain", "plain "}, {"", " "},
        {"e" + repeated("\u0301", 31), "e" + repeated("\u0301", 30) + "\u034F\u0301"},
        {"e" + repeated("\u0301", 31), "e" + repeated("\u0301", 30) + "\n\u0301"},
        {"e" + repeated("\u0301", 60),
         "e" + repeated("\u0301", 30) + "\u034F" + repeated("\u0301", 30)},
    };
    for (const auto& [one, other] : different)
        EXPECT_NE(textIdentity(one), textIdentity(other)) << one;
}

// Every byte counts, wherever it is: texts of one length that differ in a single byte, at each
// place of the last words of a long text, never share an identity.
TEST(TextIdentityTest, TextsOfOneLengthDifferingLateAreDifferent) {
    const std::string base = repeated("0123456789abcdef", 64) + "tail";
    const auto baseIdentity = textIdentity(base);
    for (std::size_t at = base.size() - 40; at < base.size(); ++at) {
        std::string changed = base;
        changed[at] = '#';
        EXPECT_NE(textIdentity(changed), baseIdentity) << "byte " << at;
    }
}

// A long run of combining marks that must be reordered, or of characters whose decomposition
// is all marks, costs time in proportion to its length, as ordinary text does.
TEST(TextIdentityTest, CostGrowsLinearlyWithRunsOfMarks) {
    for (const char* marks : {"\u0301\u0323", "\u0F73", "\u0344\u0323"}) {
        const std::string small = "a" + repeated(marks, 2'000);
        const std::string large = "a" + repeated(marks, 32'000);
        const double grew =
            test_support::growth([&] { textIdentity(small); }, [&] { textIdentity(large); }, 3);
        EXPECT_LT(grew, 16 * 4) << "quadratic is about 256 times; marks " << marks;
    }
}

}  // namespace
}  // namespace pindrake::clipboard
