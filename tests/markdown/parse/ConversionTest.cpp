#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "markdown/parse/Outline.h"
#include "markdown/parse/ParseDocument.h"

namespace pindrake::markdown {
namespace {

using testing::outline;
using testing::rangeList;

struct Case {
    const char* markdown;
    const char* tree;  // outline of the document
    ParseOptions options = {};
};

void expectTrees(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const Document document = parseDocument(c.markdown, c.options);
        EXPECT_EQ(outline(document.raw()), c.tree) << "for: " << c.markdown;
    }
}

// The corpus test compares every GFM construct with cmark's own tree; these are what it cannot
// tell apart: absent against empty fields, and the options.
TEST(ConversionTest, PayloadsBeyondWhatCmarksTreeShows) {
    expectTrees({
        {"", "document"},
        {"0) a\n", "document{orderedList0{listItem{paragraph{text\"a\"}}}}"},
        {"[t](/u \"T\") [e]() [f](<>) [g](/v \"\")",
         "document{paragraph{link(/u|T){text\"t\"} text\" \" link(-|-){text\"e\"} text\" \" "
         "link(-|-){text\"f\"} text\" \" link(/v|-){text\"g\"}}}"},
        {"\"q\" -- ... 'x'",
         "document{paragraph{text\"\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93 "
         "\xE2\x80\xA6 \xE2\x80\x98x\xE2\x80\x99\"}}"},
        {"\"q\" -- ... 'x'", "document{paragraph{text\"\"q\" -- ... 'x'\"}}",
         ParseOptions::disableSmartOpts},
        {"`x` ``y``", "document{paragraph{inlineCode\"x\" text\" \" inlineCode\"y\"}}"},
        {"`x` ``y`` ```z```",
         "document{paragraph{inlineCode\"x\" text\" \" symbolLink\"y\" "
         "text\" \" symbolLink\"z\"}}",
         ParseOptions::parseSymbolLinks},
    });
    // Tight and loose lists differ only in their ranges.
    const Document tight = parseDocument("- a\n- b\n");
    const Document loose = parseDocument("- a\n\n- b\n");
    EXPECT_EQ(outline(tight.raw()), outline(loose.raw()));
    EXPECT_NE(rangeList(tight.raw()), rangeList(loose.raw()));
    // Doxygen commands need directive parsing as well.
    const char* doxygen = "@param x the value\n\\returns y";
    EXPECT_EQ(outline(parseDocument(doxygen, ParseOptions::parseMinimalDoxygen).raw()),
              outline(parseDocument(doxygen).raw()));
}

TEST(ConversionTest, AttributeSpansWrapTheirText) {
    expectTrees({
        {"^[a *b*](k: 1, j: 2)",
         "document{paragraph{inlineAttributes\"k: 1, j: 2\"{text\"a \" emphasis{text\"b\"}}}}"},
        {"^[x] stays", "document{paragraph{text\"^[x] stays\"}}"},
        {"[x ^[y](u)", "document{paragraph{text\"[x \" inlineAttributes\"u\"{text\"y\"}}}"},
        {"^[a [l](/d)](n: (1))",
         "document{paragraph{inlineAttributes\"n: (1)\"{text\"a \" link(/d|-){text\"l\"}}}}"},
        {"^[a](unclosed", "document{paragraph{text\"^[a](unclosed\"}}"},
        {"x^y", "document{paragraph{text\"x^y\"}}"},
    });
}

TEST(ConversionTest, TablesHaveAHeadABodyAndSpans) {
    expectTrees({
        {"| a | b |\n|---|---|\n",
         "document{table(--){tableHead{tableCell1x1{text\"a\"} tableCell1x1{text\"b\"}} "
         "tableBody}}"},
        {"| a | b | c | d |\n|:-:|:--|--:|---|\n",
         "document{table(clr-){tableHead{tableCell1x1{text\"a\"} tableCell1x1{text\"b\"} "
         "tableCell1x1{text\"c\"} tableCell1x1{text\"d\"}} tableBody}}"},
        // two adjacent pipes continue the cell on the left; a blank between them does not
        {"| h | i | j |\n|---|---|---|\n| a || b |\n| a | | b |\n",
         "document{table(---){tableHead{tableCell1x1{text\"h\"} tableCell1x1{text\"i\"} "
         "tableCell1x1{text\"j\"}} tableBody{tableRow{tableCell2x1{text\"a\"} tableCell0x1 "
         "tableCell1x1{text\"b\"}} tableRow{tableCell1x1{text\"a\"} tableCell1x1 "
         "tableCell1x1{text\"b\"}}}}}"},
        // a marker continues the cell above it, through other markers
        {"| h |\n|---|\n| a |\n| ^ |\n| ^ |\n",
         "document{table(-){tableHead{tableCell1x1{text\"h\"}} tableBody{tableRow{"
         "tableCell1x3{text\"a\"}} tableRow{tableCell1x0} tableRow{tableCell1x0}}}}"},
        // in the header a marker keeps its text, and so does one below only markers
        {"| ^ |\n|---|\n| ^ |\n",
         "document{table(-){tableHead{tableCell1x0{text\"^\"}} tableBody{tableRow{"
         "tableCell1x0{text\"^\"}}}}}"},
        // a marker under a filler extends the filler
        {"| h | i |\n|---|---|\n| a ||\n| b | ^ |\n",
         "document{table(--){tableHead{tableCell1x1{text\"h\"} tableCell1x1{text\"i\"}} "
         "tableBody{tableRow{tableCell2x1{text\"a\"} tableCell0x2} tableRow{"
         "tableCell1x1{text\"b\"} tableCell1x0}}}}"},
        // short rows are padded with plain cells, long rows are cut
        {"| h | i |\n|---|---|\n| a |\n| ^ | b | c |\n",
         "document{table(--){tableHead{tableCell1x1{text\"h\"} tableCell1x1{text\"i\"}} "
         "tableBody{tableRow{tableCell1x2{text\"a\"} tableCell1x1} tableRow{tableCell1x0 "
         "tableCell1x1{text\"b\"}}}}}"},
        // a cell spans no further than the last column
        {"| h | i |\n|---|---|\n| a ||||\n| b | c ||\n",
         "document{table(--){tableHead{tableCell1x1{text\"h\"} tableCell1x1{text\"i\"}} "
         "tableBody{tableRow{tableCell2x1{text\"a\"} tableCell0x1} tableRow{"
         "tableCell1x1{text\"b\"} tableCell1x1{text\"c\"}}}}}"},
    });
}

TEST(ConversionTest, SparseTablesKeepEveryRow) {
    std::string table = "|";
    for (int column = 1; column <= 12; ++column)
        table += " h" + std::to_string(column) + " |";
    table += "\n|";
    for (int column = 1; column <= 12; ++column)
        table += "---|";
    for (int row = 1; row <= 60; ++row)
        table += "\n| " + std::to_string(row) + " |";
    const Document document = parseDocument(table);
    ASSERT_EQ(document.raw().childCount(), 1);
    const RawMarkup& body = document.raw().child(0).child(1);
    ASSERT_EQ(body.childCount(), 60);
    EXPECT_EQ(body.child(59).childCount(), 12);
}

// The corpus test pins every range against cmark's; these are what it cannot show, the ticks
// included in a code span's range among them.
TEST(ConversionTest, RangesFollowCmarkWithCodeSpanTicksAndExclusiveEnds) {
    struct RangeCase {
        const char* markdown;
        const char* ranges;
        ParseOptions options = {};
    };
    const RangeCase cases[] = {
        {"`x`", "document 1:1-1:4; paragraph 1:1-1:4; inlineCode 1:1-1:4"},
        {"``x``", "document 1:1-1:6; paragraph 1:1-1:6; symbolLink 1:1-1:6",
         ParseOptions::parseSymbolLinks},
        {"", "document -"},
        {"é *b*",
         "document 1:1-1:7; paragraph 1:1-1:7; text 1:1-1:4; emphasis 1:4-1:7; "
         "text 1:5-1:6"},
        {"| a |\n|---|\n| b |\n| c |\n\n| d |\n|---|\n| e |\n",
         "document 1:1-8:6; table 1:1-4:6; tableHead 1:1-1:6; tableCell 1:2-1:5; text 1:3-1:4; "
         "tableBody 3:1-4:6; tableRow 3:1-3:6; tableCell 3:2-3:5; text 3:3-3:4; "
         "tableRow 4:1-4:6; tableCell 4:2-4:5; text 4:3-4:4; "
         "table 6:1-8:6; tableHead 6:1-6:6; tableCell 6:2-6:5; text 6:3-6:4; "
         "tableBody 8:1-8:6; tableRow 8:1-8:6; tableCell 8:2-8:5; text 8:3-8:4"},
        {"a\r\nb\rc",
         "document 1:1-3:2; paragraph 1:1-3:2; text 1:1-1:2; softBreak -; "
         "text 2:1-2:2; softBreak -; text 3:1-3:2"},
        // a span over lines starts at its opener; line breaks inside move what follows
        {"x ^[a\nb](c: 1) d",
         "document 1:1-2:11; paragraph 1:1-2:11; text 1:1-1:3; inlineAttributes 1:3-2:9; "
         "text 1:5-1:6; softBreak -; text 2:1-2:2; text 2:9-2:11"},
        {"^[a](c:\nz) d",
         "document 1:1-2:5; paragraph 1:1-2:5; inlineAttributes 1:1-2:3; text 1:3-1:4; "
         "text 2:3-2:5"},
        {"- ^[a](c:\n  z) d",
         "document 1:1-2:7; unorderedList 1:1-2:7; listItem 1:1-2:7; paragraph 1:3-2:7; "
         "inlineAttributes 1:3-2:5; text 1:5-1:6; text 2:5-2:7"},
        // inline HTML over lines ends on its last character
        {"x <a\nb> c",
         "document 1:1-2:5; paragraph 1:1-2:5; text 1:1-1:3; inlineHTML 1:3-2:3; text 2:3-2:5"},
        {"> <a\n> b=\"1\">",
         "document 1:1-2:9; blockQuote 1:1-2:9; paragraph 1:3-2:9; inlineHTML 1:3-2:9"},
        // the lines of a paragraph right above a table
        {"p\nq  \n| a |\n|---|\n| b |",
         "document 1:1-5:6; paragraph 1:1-2:4; text 1:1-1:2; softBreak -; text 2:1-2:2; "
         "table 3:1-5:6; tableHead 3:1-3:6; tableCell 3:2-3:5; text 3:3-3:4; "
         "tableBody 5:1-5:6; tableRow 5:1-5:6; tableCell 5:2-5:5; text 5:3-5:4"},
        {"> p\n> | a |\n> |---|",
         "document 1:1-3:8; blockQuote 1:1-3:8; paragraph 1:3-1:4; text 1:3-1:4; "
         "table 2:3-3:8; tableHead 2:3-2:8; tableCell 2:4-2:7; text 2:5-2:6; tableBody -"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rangeList(parseDocument(c.markdown, c.options).raw()), c.ranges)
            << "for: " << c.markdown;
    }
}

TEST(ConversionTest, SourceAndIdentifiers) {
    const Url source = Url::fromString("file:///notes/a.md");
    const Document first = parseDocument("a", source);
    const Document second = parseDocument("a", source);
    ASSERT_TRUE(first.range());
    EXPECT_EQ(first.range()->start().source, source);
    EXPECT_EQ(first.raw().child(0).parsedRange()->end().source, source);
    EXPECT_LT(first.identifier().rootId, second.identifier().rootId);
}

TEST(ConversionTest, FilesAreReadAsUtf8OrByTheirByteOrderMark) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("pindrake-parse-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    struct Case {
        const char* name;
        std::string bytes;
        const char* heading;  // none: the file is refused
    };
    const Case cases[] = {
        {"plain.md", "# \xC3\xA9", "\xC3\xA9"},
        {"bom8.md", "\xEF\xBB\xBF# \xC3\xA9", "\xC3\xA9"},
        {"le16.md", std::string("\xFF\xFE#\0 \0\xE9\0", 8), "\xC3\xA9"},
        {"be16.md", std::string("\xFE\xFF\0#\0 \0\xE9", 8), "\xC3\xA9"},
        // A surrogate without its pair is replaced, not a reason to refuse the file.
        {"lone.md", std::string("\xFF\xFE#\0 \0\0\xD8\x61\0", 10), "\xEF\xBF\xBD\x61"},
        {"odd.md", std::string("\xFF\xFE#", 3), nullptr},
    };
    for (const Case& c : cases) {
        const auto path = folder / c.name;
        std::ofstream(path, std::ios::binary) << c.bytes;
        if (c.heading == nullptr) {
            EXPECT_THROW(parseDocumentFile(path), std::runtime_error) << c.name;
            continue;
        }
        const Document document = parseDocumentFile(path);
        EXPECT_EQ(outline(document.raw()),
                  std::string("document{heading1{text\"") + c.heading + "\"}}")
            << c.name;
        EXPECT_EQ(document.range()->start().source.path(), path.string()) << c.name;
    }
    EXPECT_THROW(parseDocumentFile(folder / "missing.md"), std::filesystem::filesystem_error);
    // What is not a readable regular file is an error with the system's reason, not an empty
    // document.
    const std::pair<std::filesystem::path, std::errc> refused[] = {
        {folder / "missing.md", std::errc::no_such_file_or_directory},
        {folder, std::errc::is_a_directory},
    };
    for (const auto& [path, reason] : refused) {
        try {
            parseDocumentFile(path);
            ADD_FAILURE() << path << " was read";
        } catch (const std::filesystem::filesystem_error& error) {
            EXPECT_EQ(error.code(), std::make_error_code(reason)) << path;
            EXPECT_EQ(error.path1(), path);
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace pindrake::markdown
