#include "foundation/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace pindrake::unicode {
namespace {

const std::string kFamily =
    "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";  // ZWJ
const std::string kFlagJapan = "\xF0\x9F\x87\xAF\xF0\x9F\x87\xB5";  // regional indicators
const std::string kEAcuteDecomposed = "e\xCC\x81";
const std::string kEAcuteComposed = "\xC3\xA9";
const std::string kReplacement = "\xEF\xBF\xBD";

TEST(Unicode, GraphemesAreCountedAndCutAsWholeCharacters) {
    const std::pair<std::string, std::size_t> counts[] = {
        {"", 0},
        {"abc", 3},
        {"a\r\nb", 3},
        {kEAcuteDecomposed + "x", 2},
        {kFamily, 1},
        {kFlagJapan + kFlagJapan, 2},
        {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", 1},  // thumbs up + skin tone
        {"\xE6\x97\xA5\xE6\x9C\xAC", 2},
    };
    for (const auto& [text, count] : counts)
        EXPECT_EQ(graphemeCount(text), count) << text;

    EXPECT_EQ(graphemePrefix(kFamily + "abc", 2), kFamily + "a");
    EXPECT_EQ(graphemePrefix(kEAcuteDecomposed + kEAcuteDecomposed, 1), kEAcuteDecomposed);
    EXPECT_EQ(graphemePrefix(kFlagJapan + kFlagJapan, 1), kFlagJapan);
    EXPECT_EQ(graphemePrefix("ab", 5), "ab");
    EXPECT_EQ(graphemePrefix("ab", 0), "");
}

TEST(Unicode, InvalidUtf8BecomesReplacementCharactersValidTextRoundTripsAndNfcComposes) {
    const std::string bad = std::string("a\xFF") + "b\xC3";  // stray byte, truncated sequence
    EXPECT_FALSE(isValidUtf8(bad));
    EXPECT_EQ(sanitizedUtf8(bad), "a" + kReplacement + "b" + kReplacement);
    EXPECT_EQ(toUtf16(bad), u"a\uFFFDb\uFFFD");
    EXPECT_EQ(graphemeCount(bad), 4u);
    EXPECT_EQ(nfc(bad), sanitizedUtf8(bad));
    // An overlong encoding of '/' must not come back as '/'.
    EXPECT_EQ(toUtf16("\xC0\xAF").find(u'/'), std::u16string::npos);
    const std::u16string lone = {u'a', static_cast<char16_t>(0xD800), u'b'};
    EXPECT_EQ(toUtf8(lone), "a" + kReplacement + "b");

    const std::string text = "x" + kFamily + kEAcuteComposed + "\xE6\x97\xA5";
    EXPECT_EQ(toUtf8(toUtf16(text)), text);
    EXPECT_EQ(nfc(kEAcuteDecomposed), kEAcuteComposed);
    EXPECT_EQ(nfc("plain"), "plain");
    EXPECT_EQ(nfc("\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB"), "\xED\x95\x9C");  // Hangul jamo
}

TEST(Unicode, TrimmingRemovesUnicodeWhiteSpaceAndLineBreaksOnly) {
    EXPECT_EQ(trimmed(" \t\r\n hello world \n"), "hello world");
    EXPECT_EQ(trimmed("\xC2\xA0\xE3\x80\x80x\xE2\x80\xA8"), "x");  // NBSP, ideographic space, LS
    EXPECT_EQ(trimmed("\xE2\x80\x8Bx"), "\xE2\x80\x8Bx") << "zero-width space is not white space";
    EXPECT_TRUE(isBlank("  \n\xC2\xA0"));
    EXPECT_FALSE(isBlank(" . "));
    EXPECT_EQ(trimmed("\xFF "), kReplacement) << "invalid bytes are content, not space";
}

// Search compares folded texts: a query is found in a text exactly when its folding is found in
// the text's folding.
TEST(Unicode, CaseFoldingFindsQueriesWhateverTheirCase) {
    const struct {
        std::string text;
        std::string part;
        bool contained;
    } cases[] = {
        {"Hello World", "WORLD", true},
        {"Straße", "STRASSE", true},
        {"\xCE\xA3\xCE\x99\xCE\xA3", "\xCF\x83\xCE\xB9", true},  // Greek
        {"anything", "", true},
        {"abc", "abd", false},
        {"", "a", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(caseFolded(c.text).find(caseFolded(c.part)) != std::string::npos, c.contained)
            << c.text << " " << c.part;
}

}  // namespace
}  // namespace pindrake::unicode
