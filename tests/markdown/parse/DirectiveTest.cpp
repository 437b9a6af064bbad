#include <gtest/gtest.h>

#include <string>

#include "markdown/parse/BlockDirectiveParser.h"
#include "markdown/parse/Outline.h"
#include "markdown/parse/ParseContainerDescription.h"
#include "markdown/parse/ParseDocument.h"
#include "support/Growth.h"

namespace pindrake::markdown {
namespace {

using testing::outline;
using testing::rangeList;

constexpr ParseOptions directives = ParseOptions::parseBlockDirectives;
const ParseOptions doxygen = directives | ParseOptions::parseMinimalDoxygen;

struct Case {
    const char* markdown;
    const char* tree;
    const char* ranges;  // nullptr when the case is about the shape only
    ParseOptions options = directives;
};

void expectDocuments(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const Document document = parseDocument(c.markdown, c.options);
        EXPECT_EQ(outline(document.raw()), c.tree) << "for: " << c.markdown;
        if (c.ranges != nullptr) {
            EXPECT_EQ(rangeList(document.raw()), c.ranges) << "for: " << c.markdown;
        }
    }
}

TEST(DirectiveTest, DirectivesOpenTakeArgumentsAndClose) {
    expectDocuments({
        {"", "document", "document 1:1-1:1"},
        {"@Intro {\nHello\n}", "document{blockDirective@Intro(){paragraph{text\"Hello\"}}}",
         "document 1:1-3:2; blockDirective 1:1-3:2; paragraph 2:1-2:6; text 2:1-2:6"},
        // a closing brace at the end of a line keeps the content's columns, in bytes
        {"@Intro { word }", "document{blockDirective@Intro(){paragraph{text\"word\"}}}",
         "document 1:1-1:16; blockDirective 1:1-1:16; paragraph 1:10-1:14; text 1:10-1:14"},
        {"@Intro\n{ word }", "document{blockDirective@Intro(){paragraph{text\"word\"}}}",
         "document 1:1-2:9; blockDirective 1:1-2:9; paragraph 2:3-2:7; text 2:3-2:7"},
        {"@d {\n  \xC3\xA9 }", "document{blockDirective@d(){paragraph{text\"\xC3\xA9\"}}}",
         "document 1:1-2:7; blockDirective 1:1-2:7; paragraph 2:3-2:5; text 2:3-2:5"},
        {"@d {\n  x }   ", "document{blockDirective@d(){paragraph{text\"x\"}}}",
         "document 1:1-2:9; blockDirective 1:1-2:9; paragraph 2:3-2:4; text 2:3-2:4"},
        // inside an open line run a trailing brace is text
        {"@d {\ntext\nmore }\n}\nafter",
         "document{blockDirective@d(){paragraph{text\"text\" softBreak text\"more }\"}} "
         "paragraph{text\"after\"}}",
         "document 1:1-5:6; blockDirective 1:1-4:2; paragraph 2:1-3:7; text 2:1-2:5; "
         "softBreak -; text 3:1-3:7; paragraph 5:1-5:6; text 5:1-5:6"},
        {"@A {\n@B {\ntext\n}\n}",
         "document{blockDirective@A(){blockDirective@B(){paragraph{text\"text\"}}}}",
         "document 1:1-5:2; blockDirective 1:1-5:2; blockDirective 2:1-4:2; paragraph 3:1-3:5; "
         "text 3:1-3:5"},
        {"@dir\ntext", "document{blockDirective@dir() paragraph{text\"text\"}}", nullptr},
        {"@dir more words", "document{blockDirective@dir()}", nullptr},
        {"@ x\n@(y", "document{paragraph{text\"@ x\" softBreak text\"@(y\"}}", nullptr},
        {"}\nx", "document{paragraph{text\"}\" softBreak text\"x\"}}", nullptr},
        {"@d {\n@e\n}   tail\nz",
         "document{blockDirective@d(){blockDirective@e()} paragraph{text\"z\"}}", nullptr},
        {"@d {\nnever closed\n\nstill inside",
         "document{blockDirective@d(){paragraph{text\"never closed\"} "
         "paragraph{text\"still inside\"}}}",
         "document 1:1-4:13; blockDirective 1:1-1:5; paragraph 2:1-2:13; text 2:1-2:13; "
         "paragraph 4:1-4:13; text 4:1-4:13"},
        // indented code and fences are never directive syntax
        {"    @d {", "document{codeBlock(-)\"@d {\n\"}", nullptr},
        {"@d {\n```\n}\n```\n}", "document{blockDirective@d(){codeBlock(-)\"}\n\"}}", nullptr},
    });
}

TEST(DirectiveTest, FencedCodeInContainersIsNoDirectiveSyntax) {
    // Which lines are fenced code is cmark-gfm's reading of the containers: a fence opened on
    // an item's marker line holds the item's lines, closes with a closing fence of its own kind
    // and length or with its container, and then directives are read again.
    expectDocuments({
        {"- ```\n  @code\n  ```", "document{unorderedList{listItem{codeBlock(-)\"@code\n\"}}}",
         nullptr},
        {"1. ~~~\n   @code\n\n   ~~~",
         "document{orderedList1{listItem{codeBlock(-)\"@code\n\n\"}}}", nullptr},
        {"> - ```\n>   x\n- 1. ```\n     @code",
         "document{blockQuote{unorderedList{listItem{codeBlock(-)\"x\n\"}}} "
         "unorderedList{listItem{orderedList1{listItem{codeBlock(-)\"@code\n\"}}}}}",
         nullptr},
        {"@d {\n- ```\n  }\n  ```\n}",
         "document{blockDirective@d(){unorderedList{listItem{codeBlock(-)\"}\n\"}}}}", nullptr},
        {"- ```\n  @param x y", "document{unorderedList{listItem{codeBlock(-)\"@param x y\n\"}}}",
         nullptr, doxygen},
        // fences that do not close: another kind, shorter, indented as code
        {"~~~\n```\n@code", "document{codeBlock(-)\"```\n@code\n\"}", nullptr},
        {"````\n```\n@code", "document{codeBlock(-)\"```\n@code\n\"}", nullptr},
        {"```\n    ```\n@code", "document{codeBlock(-)\"    ```\n@code\n\"}", nullptr},
        // closed by the item's own fence or by the end of the quote, the code gives way
        {"- ```\n  x\n  ```\n@d",
         "document{unorderedList{listItem{codeBlock(-)\"x\n\"}} blockDirective@d()}", nullptr},
        {"> ~~~\n@d", "document{blockQuote{codeBlock(-)\"\"} blockDirective@d()}", nullptr},
        // right after a line asked about inside the item's fence, the item and its fence end
        {"- ```\n  @code\n@d",
         "document{unorderedList{listItem{codeBlock(-)\"@code\n\"}} blockDirective@d()}", nullptr},
        // a Doxygen command's body holds its fences as a line run does
        {"\\note x\n```\n@param p d\n@a\n```",
         "document{doxygenNote{paragraph{text\"x\"} codeBlock(-)\"@param p d\n@a\n\"}}", nullptr,
         doxygen},
    });
}

TEST(DirectiveTest, ArgumentTextRunsToTheUnquotedParenthesis) {
    expectDocuments({
        {"@dir(a: \"x)\" , b\\) c) {\n}", "document{blockDirective@dir([a: \"x)\" , b\\) c])}",
         "document 1:1-2:2; blockDirective 1:1-2:2"},
        {"@dir(\n  a: 1,\n  b: 2\n)", "document{blockDirective@dir([  a: 1,][  b: 2])}",
         "document 1:1-4:2; blockDirective 1:1-4:2"},
        {"@d(\n\nafter", "document{blockDirective@d() paragraph{text\"after\"}}",
         "document 1:1-3:6; blockDirective 1:1-1:4; paragraph 3:1-3:6; text 3:1-3:6"},
        {"@d(\n   \n)", "document{blockDirective@d([   ])}", nullptr},
        {"@d(a\n@e\nz", "document{blockDirective@d([a]) blockDirective@e() paragraph{text\"z\"}}",
         "document 1:1-3:2; blockDirective 1:1-1:5; blockDirective 2:1-2:3; paragraph 3:1-3:2; "
         "text 3:1-3:2"},
    });
}

TEST(DirectiveTest, ArgumentSegmentsSpanTheirLineFromItsStart) {
    const Document document = parseDocument("@dir(x: 1)\n  @e(\n  y: 2)", directives);
    const auto& first = document.raw().child(0).payload<payload::BlockDirective>();
    ASSERT_EQ(first.arguments.segments.size(), 1u);
    EXPECT_EQ(first.arguments.segments[0].untrimmedText, "@dir(x: 1");
    EXPECT_EQ(first.arguments.segments[0].trimmedText(), "x: 1");
    EXPECT_EQ(first.nameLocation, (SourceLocation{1, 2, {}}));
    const auto& second = document.raw().child(1).payload<payload::BlockDirective>();
    ASSERT_EQ(second.arguments.segments.size(), 1u);
    EXPECT_EQ(second.arguments.segments[0].untrimmedText, "  y: 2");
    EXPECT_EQ(second.arguments.segments[0].parseIndex, 0u);
    EXPECT_EQ(second.arguments.segments[0].range->start(), (SourceLocation{3, 1, {}}));
}

TEST(DirectiveTest, DoxygenCommandsNeedTheirOption) {
    expectDocuments({
        {"@param x the value\nmore\n\n\\RETURNS y",
         "document{doxygenParam\"x\"{paragraph{text\"the value\" softBreak text\"more\"}} "
         "doxygenReturns{paragraph{text\"y\"}}}",
         "document 1:1-4:11; doxygenParam 1:1-2:5; paragraph 1:10-2:5; text 1:10-1:19; "
         "softBreak -; text 2:1-2:5; doxygenReturns 4:1-4:11; paragraph 4:10-4:11; "
         "text 4:10-4:11",
         doxygen},
        {"@BRIEF a\n@note b",
         "document{doxygenAbstract{paragraph{text\"a\"}} "
         "doxygenNote{paragraph{text\"b\"}}}",
         nullptr, doxygen},
        {"@param", "document{blockDirective@param()}", nullptr, doxygen},
        {"@param x the value", "document{blockDirective@param()}", nullptr, directives},
        {"@d {\n@param x y\n}", "document{blockDirective@d(){blockDirective@param()}}", nullptr,
         doxygen},
    });
}

TEST(DirectiveTest, CarriageReturnsEndLinesAsInThePlainRoute) {
    expectDocuments({
        {"a\r\nb\r\n@x {\r\n",
         "document{paragraph{text\"a\" softBreak text\"b\"} blockDirective@x()}",
         "document 1:1-3:5; paragraph 1:1-2:2; text 1:1-1:2; softBreak -; text 2:1-2:2; "
         "blockDirective 3:1-3:5"},
        {"@Note {\r\nImportant text\r\n}\r\n@Tip\r\n",
         "document{blockDirective@Note(){paragraph{text\"Important text\"}} blockDirective@Tip()}",
         "document 1:1-4:5; blockDirective 1:1-3:2; paragraph 2:1-2:15; text 2:1-2:15; "
         "blockDirective 4:1-4:5"},
        {"@d(a: 1,\r\nb: 2)\r{\rx }",
         "document{blockDirective@d([a: 1,][b: 2]){paragraph{text\"x\"}}}",
         "document 1:1-4:4; blockDirective 1:1-4:4; paragraph 4:1-4:2; text 4:1-4:2"},
        {"@d {\n  a\rb\n}",
         "document{blockDirective@d(){paragraph{text\"a\" softBreak "
         "text\"b\"}}}",
         "document 1:1-4:2; blockDirective 1:1-4:2; paragraph 2:3-3:2; text 2:3-2:4; "
         "softBreak -; text 3:1-3:2"},
    });
}

TEST(DirectiveTest, PlainTextParsesAsWithoutDirectives) {
    const char* texts[] = {"# Title\n\n- a\n- b\n\n| x |\n|---|\n| y |\n", "a `b` ^[c](d)\n"};
    for (const char* text : texts) {
        const Document plain = parseDocument(text);
        const Document routed = parseDocument(text, directives);
        EXPECT_EQ(outline(routed.raw()), outline(plain.raw())) << text;
        EXPECT_EQ(rangeList(routed.raw()), rangeList(plain.raw())) << text;
    }
}

TEST(DirectiveTest, FinishedDocumentsKeepTheirRanges) {
    // Interior nodes of a finished tree hold a single reference, as fresh ones do.
    for (const ParseOptions options : {ParseOptions(), directives, doxygen}) {
        const Document document = parseDocument("@dir {\n  a *b*\n}\n\nc\n", options);
        const RawMarkup& root = document.raw();
        ASSERT_GT(root.childCount(), 0);
        const RawMarkup& last = root.child(root.childCount() - 1);
        ASSERT_GT(last.childCount(), 0);
        for (const RawMarkup* node :
             {&root, &root.child(0), &root.child(0).child(0), &last, &last.child(0)}) {
            EXPECT_DEATH(FreshNodeRange::rewrite(*node, std::nullopt), "fresh from the parser")
                << outline(*node);
        }
    }
}

TEST(DirectiveTest, ContainersDescribeThemselvesIndented) {
    struct Case {
        const char* text;
        ParseOptions options;
        const char* description;
    };
    const Case cases[] = {
        {"@Intro(x: 1) {\nHello\n}", directives,
         "* Root Document\n"
         "    * Block directive 'Intro'\n"
         "      Arguments Text:\n"
         "        \"x: 1\"\n"
         "        * Line Run\n"
         "            \"Hello\""},
        {"@d\n@param x say \"hi\"\\\n", doxygen,
         "* Root Document\n"
         "    * Block directive 'd'\n"
         "    * Doxygen command 'param' Argument: 'x'\n"
         "        \"say \\\"hi\\\"\\\\\"\n"
         "    * Line Run\n"
         "        \"\""},
    };
    for (const Case& c : cases) {
        const ParseContainerStack stack(c.text, {}, c.options);
        EXPECT_EQ(containerDescription(stack.containers()), c.description) << c.text;
    }
}

TEST(DirectiveTest, LongArgumentListsCostAboutWhatPlainLinesCost) {
    std::string lines;
    for (int i = 0; i < 20000; ++i)
        lines += "a: 1,\n";
    const std::string arguments = "@d(\n" + lines + ")";
    const Document document = parseDocument(arguments, directives);
    ASSERT_EQ(document.raw().childCount(), 1);
    EXPECT_EQ(document.raw().child(0).payload<payload::BlockDirective>().arguments.segments.size(),
              20000u);
    // Work per line that grew with the lines before it would make this hundreds of times
    // slower than the same lines as a paragraph.
    const std::string paragraph = "dd(\n" + lines + ")";
    EXPECT_LT(test_support::growth([&] { parseDocument(paragraph, directives); },
                                   [&] { parseDocument(arguments, directives); }),
              20);
}

TEST(DirectiveTest, DeepNestingCostsNoRecursion) {
    std::string text;
    for (int i = 0; i < 50000; ++i)
        text += "@d {\n";
    text += "x\n";
    const Document document = parseDocument(text, directives);
    const RawMarkup* node = &document.raw();
    int depth = 0;
    while (node->childCount() > 0) {
        node = &node->child(0);
        ++depth;
    }
    EXPECT_EQ(depth, 50000 + 2);
}

}  // namespace
}  // namespace pindrake::markdown
