#include "zarezo/ConversionRuntime.h"

#include <gtest/gtest.h>

#include <vector>

#include "ZarezoTestSupport.h"

namespace pindrake::zarezo {
namespace {

using testing::convertAndWait;

// An engine that answers every conversion with the same scripted outcome.
class ScriptedEngine final : public MarkdownEngine {
  public:
    struct Call {
        std::string html;
        ZarezoOptions options;
    };

    ScriptedEngine(Scheduler& main, MarkdownResult answer, std::vector<Call>& calls)
        : main_(main), answer_(std::move(answer)), calls_(calls) {}

    void convert(std::string html, const ZarezoOptions& options, MarkdownCompletion done) override {
        calls_.push_back({std::move(html), options});
        main_.post([done = std::move(done), answer = answer_] { done(answer); });
    }

  private:
    Scheduler& main_;
    MarkdownResult answer_;
    std::vector<ScriptedEngine::Call>& calls_;
};

class ConversionRuntimeTest : public ::testing::Test {
  protected:
    std::shared_ptr<ConversionRuntime> makeRuntime(MarkdownResult turndownAnswer,
                                                   MarkdownResult htmlToMdAnswer) {
        return std::make_shared<ConversionRuntime>(
            main, std::make_unique<ScriptedEngine>(main, std::move(turndownAnswer), turndownCalls),
            std::make_unique<ScriptedEngine>(main, std::move(htmlToMdAnswer), htmlToMdCalls));
    }

    MarkdownResult convert(ConversionRuntime& runtime, std::string html,
                           const ZarezoOptions& options) {
        auto outcome = convertAndWait(main, [&](MarkdownCompletion done) {
            runtime.convert(std::move(html), options, std::move(done));
        });
        EXPECT_TRUE(outcome.has_value());
        return outcome.value_or(ZarezoError::conversionFailed());
    }

    ManualScheduler main;
    std::vector<ScriptedEngine::Call> turndownCalls;
    std::vector<ScriptedEngine::Call> htmlToMdCalls;
};

TEST_F(ConversionRuntimeTest, BlankInputFailsWithoutTouchingAnEngine) {
    auto runtime = makeRuntime(std::string("t"), std::string("h"));
    for (const char* blank : {"", " \t\r\n ", "\u00A0 \u00A0", "\u3000\u2028"}) {
        for (auto engine : {ConversionEngine::turndown, ConversionEngine::htmlToMd}) {
            ZarezoOptions options;
            options.engine = engine;
            EXPECT_EQ(convert(*runtime, blank, options), MarkdownResult(ZarezoError::emptyResult()))
                << "input " << ::testing::PrintToString(blank);
        }
    }
    EXPECT_TRUE(turndownCalls.empty());
    EXPECT_TRUE(htmlToMdCalls.empty());
}

TEST_F(ConversionRuntimeTest, EachEngineGetsTheUntrimmedHtmlAndTheOptions) {
    auto runtime = makeRuntime(std::string("* from turndown"), std::string("* from html-to-md"));
    const ZarezoOptions options(ConversionEngine::turndown, ZarezoHeadingStyle::setext, "+",
                                ZarezoCodeBlockStyle::indented, {"kbd"}, {"nav"}, {"span"});
    EXPECT_EQ(convert(*runtime, "  <p>x</p>\n", options), MarkdownResult("+ from turndown"));
    ASSERT_EQ(turndownCalls.size(), 1u);
    EXPECT_EQ(turndownCalls[0].html, "  <p>x</p>\n");
    EXPECT_EQ(turndownCalls[0].options, options);
    EXPECT_TRUE(htmlToMdCalls.empty());

    ZarezoOptions htmlToMd = options;
    htmlToMd.engine = ConversionEngine::htmlToMd;
    EXPECT_EQ(convert(*runtime, " <b>y</b>", htmlToMd), MarkdownResult("+ from html-to-md"));
    ASSERT_EQ(htmlToMdCalls.size(), 1u);
    EXPECT_EQ(htmlToMdCalls[0].html, " <b>y</b>");
    EXPECT_EQ(htmlToMdCalls[0].options, htmlToMd);
    EXPECT_EQ(turndownCalls.size(), 1u);
}

TEST_F(ConversionRuntimeTest, TurndownFailureFallsBackAndTheFallbackIsPostProcessed) {
    auto runtime =
        makeRuntime(ZarezoError::jsException("boom"), std::string("* one\n```\n* code\n```\n"));
    const ZarezoOptions options(ConversionEngine::turndown, ZarezoHeadingStyle::atx, "-",
                                ZarezoCodeBlockStyle::fenced, {"a"}, {"b"}, {"c"});
    EXPECT_EQ(convert(*runtime, "<ul><li>one</li></ul>", options),
              MarkdownResult("- one\n```\n* code\n```\n"));
    ASSERT_EQ(htmlToMdCalls.size(), 1u);
    EXPECT_EQ(htmlToMdCalls[0].html, "<ul><li>one</li></ul>");
    ZarezoOptions expected = options;
    expected.engine = ConversionEngine::htmlToMd;
    EXPECT_EQ(htmlToMdCalls[0].options, expected);
}

TEST_F(ConversionRuntimeTest, HtmlToMdErrorsReachTheCallerUnchanged) {
    const auto notFound = ZarezoError::libraryNotFound("html-to-md.min.js");
    auto runtime = makeRuntime(ZarezoError::emptyResult(), notFound);
    EXPECT_EQ(convert(*runtime, "<p>x</p>", ZarezoOptions::defaults()), MarkdownResult(notFound));
    ZarezoOptions direct;
    direct.engine = ConversionEngine::htmlToMd;
    EXPECT_EQ(convert(*runtime, "<p>x</p>", direct), MarkdownResult(notFound));
}

TEST_F(ConversionRuntimeTest, ConversionOutlivesTheCallersHandle) {
    auto runtime = makeRuntime(std::string("done"), std::string("unused"));
    std::optional<MarkdownResult> outcome;
    runtime->convert("<p>x</p>", ZarezoOptions::defaults(),
                     [&outcome](MarkdownResult result) { outcome = std::move(result); });
    std::weak_ptr<ConversionRuntime> weak = runtime;
    runtime.reset();
    EXPECT_FALSE(weak.expired());
    main.runUntilIdle();
    EXPECT_EQ(outcome, MarkdownResult(std::string("done")));
    EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace pindrake::zarezo
