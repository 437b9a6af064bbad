#include "zarezo/TurndownRuntime.h"

#include <gtest/gtest.h>

#include "ZarezoTestSupport.h"
#include "platform/fake/ScriptedWebView.h"
#include "zarezo/TurndownScript.h"

namespace pindrake::zarezo {
namespace {

using platform::ScriptedWebView;
using Evaluation = platform::WebView::Evaluation;

constexpr std::string_view libraryText = "/* turndown library */";

bool isConversion(const std::string& script) {
    return script.starts_with("(function() {");
}

class TurndownRuntimeTest : public ::testing::Test {
  protected:
    TurndownRuntimeTest() {
        libraryPath = folder.write("turndown.min.js", libraryText);
        libraryFound = libraryPath;
        // A page where the library, once evaluated, answers like the real one.
        script->answer = [this](const std::string& text) {
            if (text == libraryText) {
                libraryLoaded = true;
                return Evaluation::otherValue();
            }
            if (text == turndown_script::availabilityCheck) {
                return Evaluation::string(libraryLoaded ? "function" : "undefined");
            }
            if (isConversion(text))
                return conversionAnswer;
            return Evaluation::string("{}");
        };
    }

    std::unique_ptr<TurndownRuntime> makeRuntime() {
        return std::make_unique<TurndownRuntime>(
            main, ScriptedWebView::factory(main, script),
            [this](std::string_view, std::string_view) { return libraryFound; }, seconds(5));
    }

    std::optional<MarkdownResult> convert(TurndownRuntime& runtime, std::string html = "<p>x</p>") {
        return testing::convertAndWait(main, [&](MarkdownCompletion done) {
            runtime.convert(std::move(html), ZarezoOptions(), std::move(done));
        });
    }

    int librariesEvaluated() const {
        return int(std::count(script->evaluatedScripts.begin(), script->evaluatedScripts.end(),
                              std::string(libraryText)));
    }

    ManualScheduler main;
    testing::TemporaryFolder folder;
    std::filesystem::path libraryPath;
    std::optional<std::filesystem::path> libraryFound;
    std::shared_ptr<ScriptedWebView::Script> script = std::make_shared<ScriptedWebView::Script>();
    bool libraryLoaded = false;
    Evaluation conversionAnswer = Evaluation::string("# Markdown");
};

TEST_F(TurndownRuntimeTest, FirstConversionLoadsThenChecksThenConverts) {
    auto runtime = makeRuntime();
    EXPECT_EQ(convert(*runtime), MarkdownResult(std::string("# Markdown")));
    ASSERT_EQ(script->loadedPages.size(), 1u);
    EXPECT_EQ(script->loadedPages[0], "<html><head></head><body></body></html>");
    ASSERT_EQ(script->evaluatedScripts.size(), 4u);
    EXPECT_EQ(script->evaluatedScripts[0], libraryText);
    EXPECT_EQ(script->evaluatedScripts[1], turndown_script::globalScopeCheck);
    EXPECT_EQ(script->evaluatedScripts[2], turndown_script::availabilityCheck);
    EXPECT_TRUE(isConversion(script->evaluatedScripts[3]));

    // Loaded once: the next conversion only checks and converts.
    EXPECT_EQ(convert(*runtime), MarkdownResult(std::string("# Markdown")));
    EXPECT_EQ(script->viewsCreated, 1);
    EXPECT_EQ(librariesEvaluated(), 1);
}

TEST_F(TurndownRuntimeTest, LibraryWaitsForTheSlowPageToFinishLoading) {
    script->holdLoads = true;
    auto runtime = makeRuntime();
    std::optional<MarkdownResult> outcome;
    runtime->convert("<p>x</p>", ZarezoOptions(), [&](MarkdownResult r) { outcome = r; });
    main.advance(seconds(4.9));
    EXPECT_EQ(librariesEvaluated(), 0) << "evaluated before the page had loaded";
    script->finishHeldLoads();
    main.runUntilIdle();
    EXPECT_EQ(librariesEvaluated(), 1);
    EXPECT_EQ(outcome, MarkdownResult(std::string("# Markdown")));
    main.advance(seconds(10));  // the cancelled time-out must not fire later
    EXPECT_EQ(outcome, MarkdownResult(std::string("# Markdown")));
}

TEST_F(TurndownRuntimeTest, PageThatNeverLoadsTimesOutAsLoadingFailure) {
    script->holdLoads = true;
    auto runtime = makeRuntime();
    std::optional<MarkdownResult> outcome;
    runtime->convert("<p>x</p>", ZarezoOptions(), [&](MarkdownResult r) { outcome = r; });
    main.advance(seconds(4.9));
    EXPECT_FALSE(outcome);
    main.advance(seconds(0.2));
    ASSERT_TRUE(outcome);
    const auto& error = std::get<ZarezoError>(*outcome);
    EXPECT_EQ(error.kind(), ZarezoError::Kind::libraryLoadingFailed);
    EXPECT_EQ(error.detail(), "the page did not finish loading within 5 s");
    EXPECT_EQ(librariesEvaluated(), 0);

    // A late load of the abandoned page changes nothing; the next conversion starts afresh.
    script->holdLoads = false;
    script->finishHeldLoads();
    EXPECT_EQ(convert(*runtime), MarkdownResult(std::string("# Markdown")));
    EXPECT_EQ(script->viewsCreated, 2);
}

TEST_F(TurndownRuntimeTest, FailedPageLoadIsALoadingFailure) {
    script->loadError = "no page";
    auto runtime = makeRuntime();
    EXPECT_EQ(convert(*runtime), MarkdownResult(ZarezoError::libraryLoadingFailed("no page")));
}

TEST_F(TurndownRuntimeTest, MissingLibraryIsNotFoundInALaterTurn) {
    libraryFound = std::nullopt;
    auto runtime = makeRuntime();
    std::optional<MarkdownResult> outcome;
    runtime->convert("<p>x</p>", ZarezoOptions(), [&](MarkdownResult r) { outcome = r; });
    EXPECT_FALSE(outcome) << "answered before convert returned";
    main.runUntilIdle();
    EXPECT_EQ(outcome, MarkdownResult(ZarezoError::libraryNotFound("turndown.min.js")));
    EXPECT_TRUE(script->evaluatedScripts.empty());
}

TEST_F(TurndownRuntimeTest, LibraryWithoutTheServiceRebuildsOnceThenFailsInTheScript) {
    script->answer = [](const std::string& text) {
        if (text == turndown_script::availabilityCheck)
            return Evaluation::string("undefined");
        if (isConversion(text)) {
            return Evaluation::exception(
                "Error: Conversion failed: TurndownService is not available");
        }
        return Evaluation::otherValue();
    };
    auto runtime = makeRuntime();
    EXPECT_EQ(convert(*runtime),
              MarkdownResult(ZarezoError::jsException(
                  "Error: Conversion failed: TurndownService is not available")));
    EXPECT_EQ(script->viewsCreated, 2);
    EXPECT_EQ(librariesEvaluated(), 2);
}

TEST_F(TurndownRuntimeTest, ResultsThatAreNoMarkdownBecomeScriptErrors) {
    struct Case {
        Evaluation answer;
        std::string html;
        MarkdownResult expected;
    };
    const Case cases[] = {
        {Evaluation::otherValue(), "<p>x</p>",
         ZarezoError::jsException("Failed to convert HTML to Markdown")},
        {Evaluation::string(""), "<p>x</p>",
         ZarezoError::jsException("Conversion produced empty result")},
        {Evaluation::exception("SyntaxError: bad"), "<p>x</p>",
         ZarezoError::jsException("SyntaxError: bad")},
        {Evaluation::string("  \n"), "<p>x</p>", std::string("  \n")},
        {Evaluation::string(""), " \u00A0", std::string("")},
    };
    auto runtime = makeRuntime();
    for (const auto& c : cases) {
        conversionAnswer = c.answer;
        EXPECT_EQ(convert(*runtime, c.html), c.expected) << c.html;
    }
}

TEST_F(TurndownRuntimeTest, OverlappingConversionsRunOneAfterTheOther) {
    auto runtime = makeRuntime();
    std::vector<MarkdownResult> outcomes;
    for (int i = 0; i < 3; ++i) {
        runtime->convert("<p>x</p>", ZarezoOptions(),
                         [&](MarkdownResult r) { outcomes.push_back(r); });
    }
    ASSERT_TRUE(testing::runUntil(main, [&] { return outcomes.size() == 3; }));
    for (const auto& outcome : outcomes)
        EXPECT_EQ(outcome, MarkdownResult("# Markdown"));
    EXPECT_EQ(script->viewsCreated, 1);
}

}  // namespace
}  // namespace pindrake::zarezo
