#include <gtest/gtest.h>

#include <unordered_set>

#include "markdown/tree/Replacement.h"
#include "markdown/tree/SourceRange.h"

namespace pindrake::markdown {
namespace {

SourceLocation at(std::int64_t line, std::int64_t column, Url source = {}) {
    return {line, column, std::move(source)};
}

TEST(SourceLocationTest, DescriptionShowsTheDecodedPathOnlyForFiles) {
    EXPECT_EQ(at(2, 3, Url::fromFilePath("/my docs/ä.md")).description(), "/my docs/ä.md:2:3");
    EXPECT_EQ(at(12, 5, Url::fromString("https://example.org")).description(), "12:5");
}

TEST(SourceLocationTest, OrderIgnoresTheSourceWhileEqualityAndHashDoNot) {
    EXPECT_LT(at(2, 10), at(3, 1));
    EXPECT_FALSE(at(3, 4) < at(3, 1));

    SourceLocation a = at(3, 4, Url::fromFilePath("/a.md"));
    SourceLocation b = at(3, 4, Url::fromFilePath("/b.md"));
    EXPECT_NE(a, b);
    EXPECT_FALSE(a < b || b < a);
    std::unordered_set<SourceLocation> set{at(3, 4), a};
    EXPECT_EQ(set.size(), 2u);
    EXPECT_TRUE(set.contains(at(3, 4, Url::fromFilePath("/a.md"))));
    EXPECT_FALSE(set.contains(b));
}

TEST(SourceRangeTest, DiagnosticDescriptionAndFixit) {
    EXPECT_EQ(SourceRange(at(3, 1), at(3, 1)).diagnosticDescription(true), "3:1");
    Url a = Url::fromFilePath("/a.md");
    // Equal line and column in two sources are two locations.
    EXPECT_EQ(
        SourceRange(at(3, 1, a), at(3, 1, Url::fromFilePath("/b.md"))).diagnosticDescription(false),
        "3:1-3:1");
    // The path appears once, in front, and only when asked for.
    EXPECT_EQ(SourceRange(at(3, 1, a), at(4, 2, a)).diagnosticDescription(true), "/a.md:3:1-4:2");
    EXPECT_EQ((Replacement{SourceRange(at(3, 1), at(3, 9)), "x"}).description(),
              "3:1-3:9: fixit: x");
}

TEST(SourceRangeTest, BoundsKeepTheirOrder) {
    SourceRange range(at(2, 1), at(4, 1));
    range.setEnd(at(3, 7));
    EXPECT_EQ(range, SourceRange(at(2, 1), at(3, 7)));
    EXPECT_DEATH(range.setStart(at(4, 2)), "must not end before it starts");
    EXPECT_DEATH(SourceRange(at(5, 2), at(5, 1)), "must not end before it starts");
    EXPECT_FALSE(SourceRange::make(at(5, 2), at(5, 1)).has_value());
    EXPECT_TRUE(SourceRange::make(at(5, 2), at(5, 2)).has_value());
}

TEST(UrlTest, PathIsDecodedAndCopiesCompareEqual) {
    Url file = Url::fromFilePath("/tmp/a b%.md");
    EXPECT_EQ(file.text(), "file:///tmp/a%20b%25.md");
    EXPECT_EQ(file.path(), "/tmp/a b%.md");
    EXPECT_EQ(Url::fromString("https://host/x/y?q#f").path(), "/x/y");
    EXPECT_EQ(Url(file), Url::fromString("file:///tmp/a%20b%25.md"));
    EXPECT_NE(Url(), file);
}

}  // namespace
}  // namespace pindrake::markdown
