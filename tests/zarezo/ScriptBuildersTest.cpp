#include <gtest/gtest.h>

#include "platform/javascript/JavaScriptContext.h"
#include "zarezo/HtmlToMdScript.h"
#include "zarezo/TurndownScript.h"

namespace pindrake::zarezo {
namespace {

// Texts that would end or bend a quoted script string if they were not escaped.
const std::string trickyHtml =
    "<p title=\"a 'b'\">back\\slash \\` `tick` ${notATemplate} $ \\n</p>\n\ttab "
    "\xE2\x80\xA8 line separator \xF0\x9F\x98\x80 \u00A0 </script>";

std::unique_ptr<platform::JavaScriptContext> contextWith(std::string_view library) {
    auto context = platform::JavaScriptContext::create();
    EXPECT_TRUE(context);
    const auto loaded = context->evaluate(library);
    EXPECT_FALSE(loaded.exception) << *loaded.exception;
    return context;
}

// Stands in for the Turndown library: records how it was configured and echoes the HTML.
constexpr std::string_view turndownStub = R"(
    var window = this;
    var calls = [];
    function TurndownService(options) { calls.push(['new', options]); }
    TurndownService.prototype.keep = function (tags) { calls.push(['keep', tags]); };
    TurndownService.prototype.remove = function (tags) { calls.push(['remove', tags]); };
    TurndownService.prototype.turndown = function (html) { return html; };
)";

TEST(TurndownScriptTest, HtmlArrivesByteForByte) {
    auto context = contextWith(turndownStub);
    // A double-quoted string keeps carriage returns too, alone or before a line feed.
    const std::string html = trickyHtml + "\r\nCR LF, lone \r CR";
    const auto result =
        context->evaluate(turndown_script::makeConversionScript(html, ZarezoOptions()));
    ASSERT_FALSE(result.exception) << *result.exception;
    EXPECT_EQ(result.text, html);
}

TEST(TurndownScriptTest, OptionsAndRulesReachTheService) {
    auto context = contextWith(turndownStub);
    const ZarezoOptions options(ConversionEngine::turndown, ZarezoHeadingStyle::setext, "*'\"",
                                ZarezoCodeBlockStyle::indented, {"kbd", "x');evil('"},
                                {"nav", "a\"b"}, {"ignored"});
    const auto run = context->evaluate(turndown_script::makeConversionScript("<p>x</p>", options));
    ASSERT_FALSE(run.exception) << *run.exception;
    const auto calls = context->evaluate("JSON.stringify(calls)");
    EXPECT_EQ(calls.text,
              R"([["new",{"headingStyle":"setext","hr":"---","bulletListMarker":"*'\"",)"
              R"("codeBlockStyle":"indented","fence":"```","emDelimiter":"_",)"
              R"("strongDelimiter":"**","linkStyle":"inlined","linkReferenceStyle":"full"}],)"
              R"(["keep",["del","ins","sup","sub"]],["remove",["script","style"]],)"
              R"(["keep",["kbd"]],["keep",["x');evil('"]],["remove",["nav","a\"b"]]])");
}

// Stands in for html-to-md: echoes the HTML and keeps the options it was given.
constexpr std::string_view htmlToMdStub = R"(
    var lastOptions;
    function html2md(html, options) { lastOptions = options; return html; }
)";

TEST(HtmlToMdScriptTest, HtmlArrivesByteForByteButForLineEndingsAndInvalidUtf8) {
    // A template literal turns CR LF and a lone CR into LF, as an HTML parser does anyway; invalid
    // UTF-8 becomes replacement characters, never an empty string.
    auto context = contextWith(htmlToMdStub);
    const auto result = context->evaluate(html_to_md_script::makeConversionScript(
        trickyHtml + "a\r\nb\rc\xFF" + "d\xC3", ZarezoOptions()));
    ASSERT_FALSE(result.exception) << *result.exception;
    EXPECT_EQ(result.text, trickyHtml + "a\nb\nc\uFFFDd\uFFFD");
}

TEST(HtmlToMdScriptTest, OptionsCarryOnlyWhatDiffersFromTheDefaults) {
    auto context = contextWith(htmlToMdStub);
    struct Case {
        ZarezoOptions options;
        const char* expected;
    };
    const Case cases[] = {
        {ZarezoOptions(), "{}"},
        {ZarezoOptions(ConversionEngine::htmlToMd, ZarezoHeadingStyle::setext, "--",
                       ZarezoCodeBlockStyle::indented, {"a"}, {"b`${c}"}, {"d", "e"}),
         R"({"skipTags":["a"],"ignoreTags":["b`${c}"],"emptyTags":["d","e"],"bulletMarker":"--"})"},
    };
    for (const auto& c : cases) {
        const auto run =
            context->evaluate(html_to_md_script::makeConversionScript("<p>x</p>", c.options));
        ASSERT_FALSE(run.exception) << *run.exception;
        EXPECT_EQ(context->evaluate("JSON.stringify(lastOptions)").text, c.expected);
    }
}

}  // namespace
}  // namespace pindrake::zarezo
