#include <gtest/gtest.h>

#include "ConverterTestSupport.h"

// Markdown to HTML, the chat markup, the note markup (from Markdown) and HTML to plain text;
// the HTML-to-Markdown engines are tested with the real engines elsewhere.
namespace pindrake::converters {
namespace {

using clipboard::ClipboardContent;
using clipboard::ContentTag;
using testing::plainTextResult;
using testing::text;

ClipboardContent html(std::string markup) {
    return text(std::move(markup), {ContentTag::html});
}

ClipboardContent markdown(std::string source) {
    return text(std::move(source), {ContentTag::markdown});
}

class MarkupConvertersTest : public testing::RegistryConverterTest {};

TEST_F(MarkupConvertersTest, MarkdownBecomesHtmlWithoutExtensions) {
    EXPECT_EQ(run("markdown.toHTML", markdown("# Title\n\nSome *text*.")),
              text("<h1>Title</h1>\n<p>Some <em>text</em>.</p>\n", {ContentTag::html}));
    EXPECT_EQ(run("markdown.toHTML", markdown("| a | b |\n|---|---|\n| 1 | 2 |")),
              text("<p>| a | b |\n|---|---|\n| 1 | 2 |</p>\n", {ContentTag::html}));
    EXPECT_EQ(run("markdown.toHTML", markdown("<b>raw</b>\n\nx")),
              text("<p><!-- raw HTML omitted -->raw<!-- raw HTML omitted --></p>\n<p>x</p>\n",
                   {ContentTag::html}));
    // Markdown that renders to nothing is not passed off as HTML.
    const auto blank = markdown("  \n\n ");
    EXPECT_EQ(run("markdown.toHTML", blank), blank);
}

TEST_F(MarkupConvertersTest, ChatMarkupFromHtmlAndMarkdown) {
    const std::vector<std::pair<ClipboardContent, std::string>> cases = {
        {html("<p>A <b>bold</b> and <em>italic</em> <del>old</del> word</p>"),
         "A *bold* and _italic_ ~old~ word"},
        {html("<p>See <a class=\"x\" href=\"https://example.com/a?b=1&amp;c=2\">the site</a></p>"),
         "See <https://example.com/a?b=1&c=2|the site>"},
        // The line feeds of the rendered list stay between the bullet lines.
        {markdown("- one\n- two **bold**\n"), "\u2022 one\n\n\u2022 two *bold*"},
        // A rendered code block ends in a line feed, so it is not matched and loses its fence.
        {markdown("## Heading\n\n`code` and\n\n```\nblock\n```"),
         "*Heading*\n\n`code` and\n\nblock"},
        {html("<table><tr><th>a</th><th>b</th></tr><tr><td>1</td><td>2</td></tr></table>"
              "<p>then</p><table><tr><td>x</td><td>y</td></tr></table>"),
         "```\na\tb\n\t1\t2\n```\nthen\nxy"},
        {html("<p>one</p>\n\n\n\n<p>two</p><br><br/><img src=\"a.png\">"), "one\n\ntwo"},
        {html("<blockquote>quoted</blockquote>"), "> quoted>"},
        // Each entity once: "&amp;lt;" is the text "&lt;", not a tag.
        {html("&amp;lt;b&amp;gt; &quot;q&quot; &#39;s&#39; a&nbsp;b"), "&lt;b&gt; \"q\" 's' a b"},
        // A bold element that spans lines is not matched; its tags go with the rest.
        {html("<b>one\ntwo</b>"), "one\ntwo"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(run("text.toSlack", input), plainTextResult(expected)) << *input.plainText;

    const auto onlyTags = html("<div></div>");
    EXPECT_EQ(run("text.toSlack", onlyTags), plainTextResult(""));
    const auto emptyMarkdown = markdown("");
    EXPECT_EQ(run("text.toSlack", emptyMarkdown), emptyMarkdown);
}

TEST_F(MarkupConvertersTest, ChatMarkupOfHugeInputsEndsWithoutCrashing) {
    // Lazy groups over one long line, and many unclosed elements.
    const auto longLine = html("<code>" + std::string(1'000'000, 'x'));
    const auto result = run("text.toSlack", longLine);
    ASSERT_TRUE(result);
    EXPECT_TRUE(*result == longLine || result->plainText == std::string(1'000'000, 'x'))
        << "neither the input nor its rewrite";
    std::string unclosed;
    for (int i = 0; i < 20'000; ++i)
        unclosed += "<b>x<i>y";
    EXPECT_TRUE(run("text.toSlack", html(unclosed)));
}

// The chat markup is made by regular expressions over the whole text: HTML up to 8 MiB is
// rewritten, a byte more comes back as it was.
TEST_F(MarkupConvertersTest, ChatMarkupIsMadeOfHtmlUpTo8MiB) {
    const std::string bold = "<b>x</b>";
    const std::string atCap = bold + std::string(8 * 1024 * 1024 - bold.size(), 'a');
    const auto converted = run("text.toSlack", html(atCap));
    ASSERT_TRUE(converted && converted->plainText);
    EXPECT_EQ(converted->plainText->substr(0, 6), "*x*aaa");
    EXPECT_EQ(converted->plainText->size(), atCap.size() - 5);
    const auto over = html(atCap + "a");
    EXPECT_TRUE(run("text.toSlack", over) == over) << "HTML over 8 MiB was rewritten";
}

TEST_F(MarkupConvertersTest, ChatMarkupThatRunsOutOfTimeGivesTheInputBack) {
    // Each unclosed code element makes the search scan to the end of its line; the search runs
    // out of steps before it reaches the element on the next line, which is closed.
    std::string markup;
    for (int i = 0; i < 8000; ++i)
        markup += "<code>";
    const auto input = html(markup + "\n<code>x</code>");
    const auto result = run("text.toSlack", input);
    EXPECT_TRUE(result == input) << "not the input but "
                                 << (result ? result->plainText->substr(0, 40) : "nothing");
}

TEST_F(MarkupConvertersTest, NoteMarkupKeepsThreeHeadingLevels) {
    EXPECT_EQ(
        run("text.toNotion", markdown("#### four\n##### five\n###### six\n####### seven\n## two\n"
                                      "text #### inside\n####no space")),
        text("### four\n### five\n### six\n####### seven\n## two\ntext #### inside\n"
             "####no space",
             {ContentTag::markdown}));
}

TEST_F(MarkupConvertersTest, PlainTextShowsWhatTheHtmlReads) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<p>A <b>bold</b>\n   word &amp; more</p>", "A bold word & more"},
        {"<h1>Title</h1><p>one<br>two</p><ul><li>first</li><li>second</li></ul>",
         "Title\none\ntwo\n\u2022 first\n\u2022 second"},
        {"<table><tr><td>a</td><td>b</td></tr><tr><td>1</td><td>2</td></tr></table>", "a\tb\n1\t2"},
        {"<pre>  kept\n    as is</pre>", "kept\n    as is"},
        {"<head><title>T</title><style>p{}</style></head><script>x()</script><p>body</p>", "body"},
        {"<p>caf&eacute; &#x1F600;</p>", "caf\u00e9 \U0001F600"},
    };
    for (const auto& [markup, expected] : cases) {
        ClipboardContent input;
        input.html = markup;
        input.plainText = "fallback";
        input.tags = {ContentTag::html};
        EXPECT_EQ(run("plaintext", input), plainTextResult(expected)) << markup;
    }
}

TEST_F(MarkupConvertersTest, PlainTextOfTooDeepHtmlFallsBackToTheText) {
    ClipboardContent input;
    input.html = "";
    for (int i = 0; i < 100'000; ++i)
        *input.html += "<div>";
    input.plainText = "the text";
    input.sourceBundleID = "org.example.browser";
    EXPECT_EQ(run("plaintext", input), plainTextResult("the text"));
    input.plainText.reset();
    EXPECT_EQ(run("plaintext", input), input);
}

// The parser searches the open elements about once per tag: 1,490 open blocks then stray end
// tags cost 1,490 steps a tag, and past 100 million steps the document is not parsed. Mail whose
// paragraphs each leave a font element open nests no deeper than a few levels in the parser.
TEST_F(MarkupConvertersTest, PlainTextWeighsTheParsersSearchesNotTheTagsLeftOpen) {
    const auto strayEndTags = [](int count) {
        std::string markup;
        for (int i = 0; i < 1490; ++i)
            markup += "<div>";
        for (int i = 0; i < count; ++i)
            markup += "</h1>";
        return markup + "words";
    };
    std::string mail = "<html><body>";
    for (int i = 0; i < 1500; ++i)
        mail += "<p><font face=\"Arial\">Line " + std::to_string(i);
    const struct {
        std::string markup;
        std::string expected;
    } cases[] = {
        {strayEndTags(65'000), "words"},     // 97 million steps
        {strayEndTags(70'000), "the text"},  // 104 million steps
        {mail, "Line 0\nLine 1\nLine 2\n"},
    };
    for (const auto& c : cases) {
        ClipboardContent input;
        input.html = c.markup;
        input.plainText = "the text";
        input.tags = {ContentTag::html};
        const auto result = run("plaintext", input);
        ASSERT_TRUE(result && result->plainText) << c.markup.size();
        EXPECT_TRUE(result->plainText->starts_with(c.expected))
            << c.markup.size() << " bytes gave " << result->plainText->substr(0, 40);
    }
}

TEST_F(MarkupConvertersTest, PlainTextOfHtmlThatWouldCostTooMuchFallsBackToTheText) {
    // Formatting elements left open in one paragraph are cloned into each later one: a million
    // elements for 21 KB, where the parser would take hundreds of megabytes.
    std::string reopened = "<p>";
    for (int i = 0; i < 1000; ++i)
        reopened += "<b class=" + std::to_string(i) + ">";
    reopened += "</p>";
    for (int i = 0; i < 1000; ++i)
        reopened += "<p>x</p>";
    std::string oversized = "<p>" + std::string(8 * 1024 * 1024, 'a') + "</p>";
    for (const std::string& markup : {reopened, oversized}) {
        ClipboardContent input;
        input.html = markup;
        input.plainText = "the text";
        input.tags = {ContentTag::html};
        const auto result = run("plaintext", input);
        EXPECT_TRUE(result == plainTextResult("the text"))
            << markup.size() << " bytes gave "
            << (result && result->plainText ? result->plainText->substr(0, 40) : "nothing");
    }

    // Documents that are merely large, or dense in elements, are converted.
    std::string lines;
    for (int i = 0; i < 120'000; ++i)
        lines += "a<br>";
    ClipboardContent dense;
    dense.html = lines;
    dense.plainText = "the text";
    const auto result = run("plaintext", dense);
    ASSERT_TRUE(result && result->plainText);
    EXPECT_EQ(result->plainText->size(), 239'999u);
}

// The parser may allocate 32 MiB and 128 bytes per byte of HTML, 35 MiB here. Each paragraph
// after the first clones the 1,000 bold elements left open, about 370 KB a paragraph: 40
// paragraphs take less than half the budget, 200 about twice as much.
TEST_F(MarkupConvertersTest, PlainTextParserStopsAtItsMemoryBudget) {
    const auto paragraphs = [](int count) {
        std::string markup = "<p>";
        for (int i = 0; i < 1000; ++i)
            markup += "<b class=" + std::to_string(i) + ">";
        markup += "</p>";
        for (int i = 0; i < count; ++i)
            markup += "<p>x</p>";
        ClipboardContent input;
        input.html = markup;
        input.plainText = "the text";
        input.tags = {ContentTag::html};
        return input;
    };
    std::string fortyLines = "x";
    for (int i = 1; i < 40; ++i)
        fortyLines += "\nx";
    EXPECT_EQ(run("plaintext", paragraphs(40)), plainTextResult(fortyLines))
        << "a document within the budget is converted";
    EXPECT_EQ(run("plaintext", paragraphs(200)), plainTextResult("the text"))
        << "a document needing twice the budget gives its own text";

    // The same 200 paragraphs, about 72 MB to parse, with a comment before them that brings the
    // HTML to 240,000 bytes (a budget of 64 MB) or 360,000 bytes (79 MB).
    const auto commentedUpTo = [&](std::size_t bytes) {
        auto input = paragraphs(200);
        const std::string open = "<!--", close = "-->";
        input.html->insert(0, open + std::string(bytes - input.html->size() - open.size() -
                                                     close.size(),
                                                 'c') +
                                  close);
        EXPECT_EQ(input.html->size(), bytes);
        return input;
    };
    std::string twoHundredLines = "x";
    for (int i = 1; i < 200; ++i)
        twoHundredLines += "\nx";
    EXPECT_EQ(run("plaintext", commentedUpTo(240'000)), plainTextResult("the text"))
        << "the budget grows by more than 128 bytes a byte of HTML";
    EXPECT_EQ(run("plaintext", commentedUpTo(360'000)), plainTextResult(twoHundredLines))
        << "the budget grows by less than 128 bytes a byte of HTML";
}

// The engines' page model takes 1.5 to 3 KB a node: HTML whose tree would hold over 200,000
// nodes (formatting left open makes 6 million of 54 KB) or nest over 1,500 deep comes back
// without an engine started.
TEST_F(MarkupConvertersTest, HtmlWhoseTreeWouldOverwhelmTheEnginesComesBack) {
    const auto paragraphs = [](int count) {  // html, head, body and a node for each tag and text
        std::string markup;
        for (int i = 0; i < count; ++i)
            markup += "<p>x</p>";
        return markup;
    };
    const auto nested = [](int levels) {  // inside html and body
        std::string markup;
        for (int i = 0; i < levels; ++i)
            markup += "<div>";
        return markup + "x";
    };
    std::string reopened = "<p>";
    for (int i = 0; i < 1400; ++i)
        reopened += "<b class=" + std::to_string(i) + ">";
    reopened += "</p>" + paragraphs(4500);
    expectEnginesStartedWhereSaid({
        {paragraphs(99'998), true},    // 199,999 nodes
        {paragraphs(100'000), false},  // 200,003 nodes
        {nested(1498), true},          // 1,500 deep
        {nested(1499), false},
        {reopened, false},
    });
}

// A preview superseded before its conversion has started never starts it.
TEST_F(MarkupConvertersTest, AConversionStoppedBeforeItStartsGivesTheInputBack) {
    const auto script = std::make_shared<platform::ScriptedWebView::Script>();
    ConversionServices stopped = harness.services;
    stopped.makeWebView = platform::ScriptedWebView::factory(harness.main, script);
    stopped.stop.cancel();
    const auto input = html("<p>Some <b>bold</b> text</p>");
    for (const char* converter : {"html.toMarkdown", "text.toNotion", "plaintext", "text.toSlack"})
        EXPECT_TRUE(harness.run(harness.named(converter), input, &stopped) == input) << converter;
    EXPECT_EQ(script->viewsCreated, 0);
}

// The conversion keeps the services' time limit: one that has run out starts no engine.
TEST_F(MarkupConvertersTest, AConversionWhoseTimeLimitHasPassedGivesTheInputBack) {
    const auto script = std::make_shared<platform::ScriptedWebView::Script>();
    ConversionServices spent = harness.services;
    spent.makeWebView = platform::ScriptedWebView::factory(harness.main, script);
    spent.markdownTimeLimit = std::chrono::milliseconds(0);
    const auto input = html("<p>Some <b>bold</b> text</p>");
    for (const char* converter : {"html.toMarkdown", "text.toNotion"})
        EXPECT_TRUE(harness.run(harness.named(converter), input, &spent) == input) << converter;
    EXPECT_EQ(script->viewsCreated, 0);
}

// Within 4 MiB, Markdown made of little but line breaks and marks that open elements would take
// the renderer over 600 MB: beyond 1,000,000 of them, neither HTML nor the chat markup is made.
TEST_F(MarkupConvertersTest, MarkdownOfTooManyElementsComesBackUnrendered) {
    const auto atBound = run("markdown.toHTML", markdown(std::string(1'000'000, '.')));
    EXPECT_TRUE(atBound && atBound->plainText && atBound->plainText->starts_with("<p>..."));
    const auto lines = [](std::string_view line) {
        std::string text;
        while (text.size() + line.size() <= 4 * 1024 * 1024)
            text += line;
        return markdown(text);
    };
    for (const auto& over : {markdown(std::string(1'000'001, '.')), lines("a\n"), lines("- a\n"),
                             lines("*a*\n"), lines("> a\n")}) {
        for (const char* converter : {"markdown.toHTML", "text.toSlack"})
            EXPECT_TRUE(run(converter, over) == over)
                << converter << " on " << over.plainText->substr(0, 4);
    }
}

TEST_F(MarkupConvertersTest, InputsBeyondTheEnginesCapsComeBackUnconverted) {
    // Markdown up to 4 MiB is rendered; beyond, neither HTML nor the chat markup is made of it.
    // One paragraph: what is tested is the size, not the renderer's cost per element.
    const std::string atCap(4 * 1024 * 1024, 'a');
    const auto converted = run("markdown.toHTML", markdown(atCap));
    EXPECT_TRUE(converted && converted->plainText &&
                converted->plainText->size() > 4 * 1024 * 1024);
    const auto over = markdown(atCap + "b");
    for (const char* converter : {"markdown.toHTML", "text.toSlack"})
        EXPECT_TRUE(run(converter, over) == over) << converter;

    // HTML up to 2 MiB goes to the engines; beyond, no engine is even started.
    const auto script = std::make_shared<platform::ScriptedWebView::Script>();
    ConversionServices engines = harness.services;
    engines.makeWebView = platform::ScriptedWebView::factory(harness.main, script);
    const std::string html(2 * 1024 * 1024, 'x');
    for (const char* converter : {"html.toMarkdown", "text.toNotion"}) {
        const auto tooLarge = text(html + "x", {ContentTag::html});
        EXPECT_TRUE(harness.run(harness.named(converter), tooLarge, &engines) == tooLarge);
        EXPECT_EQ(script->viewsCreated, 0) << converter;
        harness.run(harness.named(converter), text(html, {ContentTag::html}), &engines);
        EXPECT_GT(script->viewsCreated, 0) << converter;
        script->viewsCreated = 0;
    }
}

}  // namespace
}  // namespace pindrake::converters
