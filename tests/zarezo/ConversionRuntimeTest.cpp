#include "zarezo/ConversionRuntime.h"

#include <gtest/gtest.h>

#include <vector>

#include "ZarezoTestSupport.h"

namespace pindrake::zarezo {
namespace {

struct EngineCall {
    std::string html;
    ZarezoOptions options;
};

// An engine that answers every conversion with the same scripted outcome, in a later turn.
class ScriptedEngine final : public MarkdownEngine {
  public:
    ScriptedEngine(Scheduler& main, MarkdownResult answer, std::vector<EngineCall>& calls)
        : main_(main), answer_(std::move(answer)), calls_(calls) {}

    void convert(std::string html, const ZarezoOptions& options, MarkdownCompletion done) override {
        calls_.push_back({std::move(html), options});
        main_.post([done = std::move(done), answer = answer_] { done(answer); });
    }

  private:
    Scheduler& main_;
    MarkdownResult answer_;
    std::vector<EngineCall>& calls_;
};

ZarezoOptions optionsFor(ConversionEngine engine) {
    return ZarezoOptions(engine, ZarezoHeadingStyle::setext, "+", ZarezoCodeBlockStyle::indented,
                         {"kbd"}, {"nav"}, {"span"});
}

class ConversionRuntimeTest : public ::testing::Test {
  protected:
    std::shared_ptr<ConversionRuntime> makeRuntime(MarkdownResult turndownAnswer,
                                                   MarkdownResult htmlToMdAnswer) {
        return std::make_shared<ConversionRuntime>(
            main, std::make_unique<ScriptedEngine>(main, std::move(turndownAnswer), turndownCalls),
            std::make_unique<ScriptedEngine>(main, std::move(htmlToMdAnswer), htmlToMdCalls));
    }

    MarkdownResult convert(ConversionRuntime& runtime, std::string html, ConversionEngine engine) {
        return testing::convertAndWait(main,
                                       [&](MarkdownCompletion done) {
                                           runtime.convert(std::move(html), optionsFor(engine),
                                                           std::move(done));
                                       })
            .value_or(ZarezoError::jsException("no answer"));
    }

    // The engine was asked exactly once, with the HTML as given and the caller's options.
    static void expectOneCall(const std::vector<EngineCall>& calls, const std::string& html,
                              ConversionEngine engine) {
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].html, html);
        EXPECT_EQ(calls[0].options, optionsFor(engine));
    }

    ManualScheduler main;
    std::vector<EngineCall> turndownCalls;
    std::vector<EngineCall> htmlToMdCalls;
};

TEST_F(ConversionRuntimeTest, BlankInputFailsWithoutTouchingAnEngine) {
    auto runtime = makeRuntime(std::string("t"), std::string("h"));
    for (const char* blank : {"", " \t\r\n ", "\u00A0 \u00A0", "\u3000\u2028"}) {
        for (auto engine : {ConversionEngine::turndown, ConversionEngine::htmlToMd}) {
            EXPECT_EQ(convert(*runtime, blank, engine), MarkdownResult(ZarezoError::emptyResult()))
                << "input " << ::testing::PrintToString(blank);
        }
    }
    EXPECT_TRUE(turndownCalls.empty());
    EXPECT_TRUE(htmlToMdCalls.empty());
}

TEST_F(ConversionRuntimeTest, EachEngineGetsTheUntrimmedHtmlAndTheOptions) {
    auto runtime = makeRuntime(std::string("* from turndown"), std::string("* from html-to-md"));
    EXPECT_EQ(convert(*runtime, "  <p>x</p>\n", ConversionEngine::turndown),
              MarkdownResult("+ from turndown"));
    EXPECT_EQ(convert(*runtime, " <b>y</b>", ConversionEngine::htmlToMd),
              MarkdownResult("+ from html-to-md"));
    expectOneCall(turndownCalls, "  <p>x</p>\n", ConversionEngine::turndown);
    expectOneCall(htmlToMdCalls, " <b>y</b>", ConversionEngine::htmlToMd);
}

TEST_F(ConversionRuntimeTest, TurndownFailureFallsBackAndTheFallbackIsPostProcessed) {
    auto runtime =
        makeRuntime(ZarezoError::jsException("boom"), std::string("* one\n```\n* code\n```\n"));
    EXPECT_EQ(convert(*runtime, "<ul><li>one</li></ul>", ConversionEngine::turndown),
              MarkdownResult("+ one\n```\n* code\n```\n"));
    expectOneCall(htmlToMdCalls, "<ul><li>one</li></ul>", ConversionEngine::htmlToMd);
}

TEST_F(ConversionRuntimeTest, HtmlToMdErrorsReachTheCallerUnchanged) {
    const MarkdownResult notFound = ZarezoError::libraryNotFound("html-to-md.min.js");
    auto runtime = makeRuntime(ZarezoError::emptyResult(), notFound);
    for (auto engine : {ConversionEngine::turndown, ConversionEngine::htmlToMd})
        EXPECT_EQ(convert(*runtime, "<p>x</p>", engine), notFound);
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
