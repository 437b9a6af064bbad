#include "zarezo/ConversionRuntime.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "ZarezoTestSupport.h"
#include "platform/fake/ScriptedWebView.h"
#include "zarezo/TurndownScript.h"
#include "zarezo/Zarezo.h"

namespace pindrake::zarezo {
namespace {

struct EngineCall {
    std::string html;
    ZarezoOptions options;
    platform::ScriptLimits limits;
};

// An engine that answers every conversion with the same scripted outcome, in a later turn.
class ScriptedEngine final : public MarkdownEngine {
  public:
    ScriptedEngine(Scheduler& main, MarkdownResult answer, std::vector<EngineCall>& calls)
        : main_(main), answer_(std::move(answer)), calls_(calls) {}

    using MarkdownEngine::convert;
    void convert(std::string html, const ZarezoOptions& options, platform::ScriptLimits limits,
                 MarkdownCompletion done) override {
        calls_.push_back({std::move(html), options, std::move(limits)});
        main_.post([this, done = std::move(done), answer = answer_] {
            done(answer);
            if (afterAnswering)
                afterAnswering();
        });
    }

    // Runs in the turn the engine answers in, once the answer is given.
    std::function<void()> afterAnswering;

  private:
    Scheduler& main_;
    MarkdownResult answer_;
    std::vector<EngineCall>& calls_;
};

// How long after `moment` the script is due, in whole milliseconds.
std::int64_t msFrom(std::chrono::steady_clock::time_point moment,
                    const platform::ScriptLimits& limits) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(limits.deadline - moment).count();
}

ZarezoOptions optionsFor(ConversionEngine engine) {
    return ZarezoOptions(engine, ZarezoHeadingStyle::setext, "+", ZarezoCodeBlockStyle::indented,
                         {"kbd"}, {"nav"}, {"span"});
}

class ConversionRuntimeTest : public ::testing::Test {
  protected:
    std::shared_ptr<ConversionRuntime> makeRuntime(MarkdownResult turndownAnswer,
                                                   MarkdownResult htmlToMdAnswer) {
        turndownCalls.clear();
        htmlToMdCalls.clear();
        return std::make_shared<ConversionRuntime>(
            main, std::make_unique<ScriptedEngine>(main, std::move(turndownAnswer), turndownCalls),
            std::make_unique<ScriptedEngine>(main, std::move(htmlToMdAnswer), htmlToMdCalls));
    }

    ManualScheduler main;
    std::vector<EngineCall> turndownCalls;
    std::vector<EngineCall> htmlToMdCalls;
};

// Each engine is asked at most once, with the HTML untrimmed and the caller's options but for
// the engine; its Markdown gets the caller's bullet marker outside code.
TEST_F(ConversionRuntimeTest, ChoosesTheEngineFallsBackOnceAndPostProcesses) {
    using enum ConversionEngine;
    const MarkdownResult notFound = ZarezoError::libraryNotFound("html-to-md.min.js");
    const MarkdownResult emptyResult = ZarezoError::emptyResult();
    const struct {
        MarkdownResult turndownAnswer, htmlToMdAnswer;
        ConversionEngine engine;
        MarkdownResult expected;
        std::vector<EngineCall>::size_type turndownAsked, htmlToMdAsked;
    } cases[] = {
        {std::string("* from turndown"), {}, turndown, std::string("+ from turndown"), 1, 0},
        {{}, std::string("* from html-to-md"), htmlToMd, std::string("+ from html-to-md"), 0, 1},
        {ZarezoError::jsException("boom"), std::string("* one\n```\n* code\n```\n"), turndown,
         std::string("+ one\n```\n* code\n```\n"), 1, 1},
        // Errors of html-to-md reach the caller unchanged.
        {emptyResult, notFound, turndown, notFound, 1, 1},
        {emptyResult, notFound, htmlToMd, notFound, 0, 1},
    };
    const std::string html = "  <ul><li>x</li></ul>\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.expected));
        auto runtime = makeRuntime(c.turndownAnswer, c.htmlToMdAnswer);
        EXPECT_EQ(testing::convertAndWait(main, *runtime, html, optionsFor(c.engine)), c.expected);
        ASSERT_EQ(turndownCalls.size(), c.turndownAsked);
        ASSERT_EQ(htmlToMdCalls.size(), c.htmlToMdAsked);
        for (const auto& [calls, engine] :
             {std::pair{&turndownCalls, turndown}, std::pair{&htmlToMdCalls, htmlToMd}}) {
            for (const EngineCall& call : *calls) {
                EXPECT_EQ(call.html, html);
                EXPECT_EQ(call.options, optionsFor(engine));
            }
        }
    }

    // Blank input fails without touching an engine.
    auto runtime = makeRuntime(std::string("t"), std::string("h"));
    for (const char* blank : {"", " \t\r\n ", "\u00A0 \u00A0", "\u3000\u2028"}) {
        for (auto engine : {turndown, htmlToMd}) {
            EXPECT_EQ(testing::convertAndWait(main, *runtime, blank, optionsFor(engine)),
                      emptyResult)
                << "input " << ::testing::PrintToString(blank);
        }
    }
    EXPECT_TRUE(turndownCalls.empty());
    EXPECT_TRUE(htmlToMdCalls.empty());
}

// Nothing made from something, or the HTML given back as it came, is no conversion: Turndown's
// falls back, html-to-md's fails. Text without a tag may read the same as Markdown.
TEST_F(ConversionRuntimeTest, BlankOrUnchangedMarkdownIsTheEnginesFailure) {
    const std::string page = "<html><frameset><frame src=\"a.html\"></frameset></html>";
    const MarkdownResult empty = ZarezoError::emptyResult();
    const MarkdownResult unconverted = ZarezoError::conversionFailed();
    const struct {
        std::string html;
        MarkdownResult turndownAnswer, htmlToMdAnswer, expected;
        std::size_t htmlToMdAsked;
    } cases[] = {
        {page, std::string(), std::string("* from html-to-md"), std::string("- from html-to-md"),
         1},
        {page, std::string(" \n"), std::string(), empty, 1},
        {page, page, "\n" + page + "\n", unconverted, 1},
        {"just words", std::string("just words"), std::string("unused"), std::string("just words"),
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.html);
        auto runtime = makeRuntime(c.turndownAnswer, c.htmlToMdAnswer);
        EXPECT_EQ(testing::convertAndWait(main, *runtime, c.html, ZarezoOptions()), c.expected);
        EXPECT_EQ(htmlToMdCalls.size(), c.htmlToMdAsked);
    }
}

// Markdown that shows no text once its tags, comments and declarations are taken out is no
// conversion of the page, whatever engine made it: the page's markup handed back, whole or in
// part, is not pasted as Markdown.
TEST_F(ConversionRuntimeTest, MarkdownOfNothingButMarkupIsTheEnginesFailure) {
    const MarkdownResult unconverted = ZarezoError::conversionFailed();
    const MarkdownResult thrown = ZarezoError::jsException("TypeError");
    const struct {
        std::string html;
        std::string htmlToMdAnswer;
        bool converted;
    } cases[] = {
        {"<html><head><title>T</title></head><frameset><frame src=\"a.html\"></frameset></html>",
         "<frameset><frame src=\"a.html\"></frameset>", false},
        {"<div><div></h1></p></b></h1></p></b>", "<div></h1></p></h1></p></b>", false},
        {"<!-- a note -->", "<!-- a note -->", false},
        {"<!DOCTYPE html>", "<!DOCTYPE html>\n", false},
        {"<?xml version=\"1.0\"?><p>", "<?xml version=\"1.0\"?>", false},
        {"<p>x", "<!-- left open > -- x", false},
        {"<p><sup>2</sup></p>", "<sup>2</sup>", true},
        {"<p>a &lt; b</p>", "a < b", true},
        {"<p>&lt;b</p>", "<b", true},
        {"<!-- a > b --><p>c</p>", "<!-- a > b -->c", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.htmlToMdAnswer);
        auto runtime = makeRuntime(thrown, c.htmlToMdAnswer);
        EXPECT_EQ(testing::convertAndWait(main, *runtime, c.html, ZarezoOptions()),
                  c.converted ? MarkdownResult(c.htmlToMdAnswer) : unconverted);
        // Turndown's answer is judged the same way, and falls back.
        runtime = makeRuntime(c.htmlToMdAnswer, thrown);
        EXPECT_EQ(testing::convertAndWait(main, *runtime, c.html, ZarezoOptions()),
                  c.converted ? MarkdownResult(c.htmlToMdAnswer) : thrown);
    }
}

// Checking and rewriting a result takes time with its size: it is not done in the turn the
// engine answers in.
TEST_F(ConversionRuntimeTest, ResultIsRewrittenOffTheMainQueue) {
    std::string markdown;
    while (markdown.size() < (1 << 20))
        markdown += "* item\n";
    std::vector<EngineCall> calls;
    auto turndown = std::make_unique<ScriptedEngine>(main, markdown, calls);
    std::optional<MarkdownResult> outcome;
    std::optional<bool> answeredInTheEnginesTurn;
    turndown->afterAnswering = [&] { answeredInTheEnginesTurn = outcome.has_value(); };
    auto runtime = std::make_shared<ConversionRuntime>(
        main, std::move(turndown),
        std::make_unique<ScriptedEngine>(main, std::string("unused"), calls));
    runtime->convert("<ul><li>item</li></ul>", ZarezoOptions(),
                     [&](MarkdownResult result) { outcome = std::move(result); });
    ASSERT_TRUE(testing::runUntil(main, [&] { return outcome.has_value(); }));
    EXPECT_EQ(answeredInTheEnginesTurn, false);
    ASSERT_TRUE(std::holds_alternative<std::string>(*outcome));
    EXPECT_TRUE(std::get<std::string>(*outcome).starts_with("- item\n- item\n"));
}

TEST_F(ConversionRuntimeTest, ConversionOutlivesTheCallersHandle) {
    auto runtime = makeRuntime(std::string("done"), std::string("unused"));
    std::optional<MarkdownResult> outcome;
    runtime->convert("<p>x</p>", ZarezoOptions::defaults(),
                     [&outcome](MarkdownResult result) { outcome = std::move(result); });
    std::weak_ptr<ConversionRuntime> weak = runtime;
    runtime.reset();
    EXPECT_FALSE(weak.expired());
    ASSERT_TRUE(testing::runUntil(main, [&] { return outcome.has_value(); }));
    EXPECT_EQ(outcome, MarkdownResult(std::string("done")));
    EXPECT_TRUE(weak.expired());
}

// A conversion, the fallback included, is due ten seconds after it started and stops when its
// caller's token is cancelled: each engine is handed that one deadline and that token.
TEST_F(ConversionRuntimeTest, EveryEngineRunsByTheConversionsTenSecondsAndStopToken) {
    auto runtime = makeRuntime(ZarezoError::jsException("boom"), std::string("from html-to-md"));
    const CancellationToken stop;
    std::chrono::steady_clock::time_point started, returned;
    const auto outcome = testing::convertAndWait(main, [&](MarkdownCompletion done) {
        started = std::chrono::steady_clock::now();
        runtime->convert("<p>x</p>", ZarezoOptions(), std::move(done), stop);
        returned = std::chrono::steady_clock::now();
    });
    EXPECT_EQ(outcome, MarkdownResult(std::string("from html-to-md")));
    ASSERT_EQ(turndownCalls.size(), 1u);
    ASSERT_EQ(htmlToMdCalls.size(), 1u);
    for (const auto* call : {&turndownCalls[0], &htmlToMdCalls[0]}) {
        EXPECT_GE(msFrom(started, call->limits), 10'000);
        EXPECT_LE(msFrom(returned, call->limits), 10'000);
        EXPECT_FALSE(call->limits.stop.isCancelled());
    }
    stop.cancel();
    EXPECT_TRUE(turndownCalls[0].limits.stop.isCancelled());
    EXPECT_TRUE(htmlToMdCalls[0].limits.stop.isCancelled()) << "the fallback ignores the caller";
}

// The same ten seconds through the library's entry point, down to the web view's script. The
// view answers however long the page load and the script's building took on a busy machine.
TEST(ZarezoTest, TheConversionScriptIsDueTenSecondsAfterTheConversionStarted) {
    ManualScheduler main;
    const auto script = std::make_shared<platform::ScriptedWebView::Script>();
    script->stopsLateScripts = false;
    script->answer = [](const std::string& text) {
        if (text == turndown_script::availabilityCheck)
            return platform::WebView::Evaluation::string("function");
        return platform::WebView::Evaluation::string("converted");
    };
    Zarezo zarezo(main, platform::ScriptedWebView::factory(main, script));
    const CancellationToken stop;
    std::chrono::steady_clock::time_point started, returned;
    const auto outcome = testing::convertAndWait(main, [&](MarkdownCompletion done) {
        started = std::chrono::steady_clock::now();
        zarezo.convertToMarkdown("<p>x</p>", ZarezoOptions(), std::move(done), stop);
        returned = std::chrono::steady_clock::now();
    });
    EXPECT_EQ(outcome, MarkdownResult(std::string("converted")));
    ASSERT_FALSE(script->evaluatedLimits.empty());
    const platform::ScriptLimits& conversion = script->evaluatedLimits.back();
    EXPECT_GE(msFrom(started, conversion), 10'000);
    EXPECT_LE(msFrom(returned, conversion), 10'000);
    stop.cancel();
    EXPECT_TRUE(conversion.stop.isCancelled());
}

}  // namespace
}  // namespace pindrake::zarezo
