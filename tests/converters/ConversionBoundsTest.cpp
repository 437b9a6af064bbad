#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "converters/HtmlText.h"
#include "converters/ParserLoad.h"
#include "support/Growth.h"
#include "support/RepeatedText.h"

// Every conversion is bounded by what its engine would do with the input, not only by the
// input's size, and what no engine could convert comes back as it was.
namespace pindrake::converters {
namespace {

using clipboard::ClipboardContent;
using clipboard::ContentTag;
using testing::text;
using test_support::repeated;

class ConversionBoundsTest : public testing::RegistryConverterTest {};

// Tags that never end: the check before parsing once looked for a '>' from each of them.
TEST_F(ConversionBoundsTest, TheParsersCheckIsLinearAndStops) {
    const std::string small = repeated("<p", 64 * 1024);
    const std::string large = repeated("<p", 256 * 1024);
    const CancellationToken go;
    ASSERT_TRUE(parserCanTake(small, go));
    const double growth = test_support::growth([&] { (void)parserCanTake(small, go); },
                                               [&] { (void)parserCanTake(large, go); }, 3);
    EXPECT_LT(growth, 8) << "four times the tags";

    CancellationToken stopped;
    stopped.cancel();
    EXPECT_FALSE(parserCanTake("<p>x</p>", stopped));
    // The parse polls the token as well: a text without tags passes the check unpolled.
    for (const char* html : {"<p>x</p>", "x without a tag"}) {
        EXPECT_TRUE(textFromHtml(html, go)) << html;
        EXPECT_EQ(textFromHtml(html, stopped), std::nullopt) << html;
    }
}

// Within 4 MiB, a million line ends (of any kind; a carriage return and a line feed together are
// one) and marks that open elements take the renderer up to 512 MB.
TEST_F(ConversionBoundsTest, MarkdownIsWeighedByTheLinesAndElementsItOpens) {
    const auto markdown = [](std::string source) {
        return text(std::move(source), {ContentTag::markdown});
    };
    // A code block: one element, however many lines.
    const auto withinBound = markdown("```\r\n" + repeated("a\r\n", 999'990) + "```");
    const auto converted = run("markdown.toHTML", withinBound);
    EXPECT_TRUE(converted && converted->plainText && converted->plainText->starts_with("<pre>"));
    for (const auto& over : {markdown(repeated("a\r", 1'000'001)),
                             markdown(repeated(repeated("- ", 30) + "a\n", 32'259)),
                             markdown(repeated("*a* ", 500'001))}) {
        for (const char* converter : {"markdown.toHTML", "text.toSlack"})
            EXPECT_TRUE(run(converter, over) == over)
                << converter << " on " << over.plainText->substr(0, 4);
    }
}

// The engines build each element's Markdown from copies of its children's: text deep in the
// tree, and deep list items whose lines are indented once per level, are copied level by level.
TEST_F(ConversionBoundsTest, HtmlIsWeighedByWhatTheEnginesCopy) {
    const std::string openBlocks = repeated("<div>", 1490);
    expectEnginesStartedWhereSaid({
        {openBlocks + std::string(30'000, 'x'), true},
        {openBlocks + std::string(1 << 20, 'x'), false},
        {repeated(repeated("<ul><li>x", 745) + repeated("</ul>", 745), 48), false},
        {"<ul>" + repeated("<li>a", 149'837), false},
        // 200 levels of list items: the indents of the text's lines weigh more than the text.
        {repeated("<ul><li>", 200) + std::string(100'000, 'x'), false},
    });
}

// The headings are rewritten over the whole text at once: beyond 8 MiB it comes back.
TEST_F(ConversionBoundsTest, NoteMarkupOfMarkdownHasASizeCap) {
    const std::string atCap = "#### a\n" + std::string((8 << 20) - 7, 'x');
    const auto converted = run("text.toNotion", text(atCap, {ContentTag::markdown}));
    EXPECT_TRUE(converted && converted->plainText && converted->plainText->starts_with("### a\n"));
    const auto over = text(atCap + "x", {ContentTag::markdown});
    EXPECT_TRUE(run("text.toNotion", over) == over);
}

// A page that shows no text has no plain text of its own: the entry's text is used, or the entry
// comes back.
TEST_F(ConversionBoundsTest, PlainTextOfAPageWithoutTextIsNoConversion) {
    ClipboardContent input;
    input.html = repeated("</b>", 200'000);
    input.plainText = "the text";
    input.tags = {ContentTag::html};
    EXPECT_EQ(run("plaintext", input), testing::plainTextResult("the text"));
    input.plainText.reset();
    EXPECT_TRUE(run("plaintext", input) == input);
}

}  // namespace
}  // namespace pindrake::converters
