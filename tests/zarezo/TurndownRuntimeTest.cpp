#include "zarezo/TurndownRuntime.h"

#include <gtest/gtest.h>

#include "ZarezoTestSupport.h"
#include "platform/fake/ScriptedWebView.h"
#include "zarezo/TurndownScript.h"
#include "zarezo/Zarezo.h"

namespace pindrake::zarezo {
namespace {

using platform::ScriptedWebView;
using Evaluation = platform::WebView::Evaluation;

constexpr std::string_view libraryText = "/* turndown library */";

class TurndownRuntimeTest : public ::testing::Test {
  protected:
    TurndownRuntimeTest() {
        libraryFound = folder.write("turndown.min.js", libraryText);
        // A page where the library, once evaluated, answers like the real one.
        script->answer = [this](const std::string& text) {
            if (text == libraryText) {
                libraryLoaded = libraryWorks;
                return Evaluation::otherValue();
            }
            if (text == turndown_script::availabilityCheck)
                return Evaluation::string(libraryLoaded ? "function" : "undefined");
            if (text.starts_with("(function() {"))
                return conversionAnswer;
            return Evaluation::string("{}");
        };
    }

    std::unique_ptr<TurndownRuntime> makeRuntime() {
        return std::make_unique<TurndownRuntime>(
            main, ScriptedWebView::factory(main, script),
            [this](std::string_view, std::string_view) { return libraryFound; }, seconds(5));
    }

    int librariesEvaluated() const {
        return int(std::count(script->evaluatedScripts.begin(), script->evaluatedScripts.end(),
                              std::string(libraryText)));
    }

    const MarkdownResult converted = std::string("# Markdown");
    ManualScheduler main;
    testing::TemporaryFolder folder;
    std::optional<std::filesystem::path> libraryFound;
    std::shared_ptr<ScriptedWebView::Script> script = std::make_shared<ScriptedWebView::Script>();
    bool libraryWorks = true;
    bool libraryLoaded = false;
    Evaluation conversionAnswer = Evaluation::string("# Markdown");
};

TEST_F(TurndownRuntimeTest, LibraryWaitsForThePageLoadWhichTimesOutAsLoadingFailure) {
    script->holdLoads = true;
    auto runtime = makeRuntime();
    std::vector<MarkdownResult> outcomes;
    runtime->convert("<p>x</p>", ZarezoOptions(), testing::appendTo(outcomes));
    main.advance(seconds(4.9));
    EXPECT_TRUE(outcomes.empty());
    main.advance(seconds(0.2));
    EXPECT_EQ(outcomes, std::vector<MarkdownResult>{ZarezoError::libraryLoadingFailed(
                            "the page did not finish loading within 5 s")});
    EXPECT_EQ(librariesEvaluated(), 0) << "evaluated before the page had loaded";

    // A late load of the abandoned page changes nothing; the next conversion starts afresh and
    // goes on as soon as its slow page has loaded.
    script->finishHeldLoads();
    outcomes.clear();
    runtime->convert("<p>x</p>", ZarezoOptions(), testing::appendTo(outcomes));
    main.advance(seconds(4.9));
    EXPECT_EQ(librariesEvaluated(), 0);
    script->finishHeldLoads();
    main.advance(seconds(10));  // the cancelled time-out must not fire later
    ASSERT_TRUE(testing::runUntil(main, [&] { return !outcomes.empty(); }));
    EXPECT_EQ(outcomes, std::vector<MarkdownResult>{converted});
    EXPECT_EQ(script->viewsCreated, 2);
}

TEST_F(TurndownRuntimeTest, FailedPageLoadOrMissingLibraryIsReported) {
    script->loadError = "no page";
    EXPECT_EQ(testing::convertAndWait(main, *makeRuntime()),
              MarkdownResult(ZarezoError::libraryLoadingFailed("no page")));
    script->loadError.reset();
    libraryFound = std::nullopt;
    EXPECT_EQ(testing::convertAndWait(main, *makeRuntime()),
              MarkdownResult(ZarezoError::libraryNotFound("turndown.min.js")));
    EXPECT_TRUE(script->evaluatedScripts.empty());
}

TEST_F(TurndownRuntimeTest, LibraryWithoutTheServiceRebuildsOnceThenFailsInTheScript) {
    libraryWorks = false;
    conversionAnswer = Evaluation::exception("Error: TurndownService is not available");
    auto runtime = makeRuntime();
    EXPECT_EQ(testing::convertAndWait(main, *runtime),
              MarkdownResult(ZarezoError::jsException("Error: TurndownService is not available")));
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
        EXPECT_EQ(testing::convertAndWait(main, *runtime, c.html), c.expected) << c.html;
    }
}

TEST_F(TurndownRuntimeTest, OverlappingAndLaterConversionsShareOneLoadedView) {
    auto runtime = makeRuntime();
    std::vector<MarkdownResult> outcomes;
    for (int i = 0; i < 3; ++i)
        runtime->convert("<p>x</p>", ZarezoOptions(), testing::appendTo(outcomes));
    ASSERT_TRUE(testing::runUntil(main, [&] { return outcomes.size() == 3; }));
    EXPECT_EQ(outcomes, std::vector<MarkdownResult>(3, converted));
    EXPECT_EQ(testing::convertAndWait(main, *runtime), converted);
    EXPECT_EQ(script->viewsCreated, 1);
    EXPECT_EQ(librariesEvaluated(), 1);
}

// Which engine converts is decided by the HTML, never by the load: a page that loads slowly on
// a busy machine still gives Turndown's Markdown, not the other engine's.
TEST_F(TurndownRuntimeTest, ASlowPageLoadWithinTheConversionsLimitKeepsTurndown) {
    script->answer = [](const std::string& text) {
        if (text == turndown_script::availabilityCheck)
            return Evaluation::string("function");
        if (text.starts_with("(function() {"))
            return Evaluation::string("# Markdown");
        return Evaluation::otherValue();
    };
    script->holdLoads = true;
    Zarezo zarezo(main, ScriptedWebView::factory(main, script), std::chrono::minutes(1));
    std::vector<MarkdownResult> outcomes;
    zarezo.convertToMarkdown("<p>x</p>", ZarezoOptions(), testing::appendTo(outcomes));
    ASSERT_TRUE(testing::runUntil(main, [&] { return script->viewsCreated == 1; }));
    main.advance(seconds(20));
    script->finishHeldLoads();
    ASSERT_TRUE(testing::runUntil(main, [&] { return !outcomes.empty(); }));
    EXPECT_EQ(outcomes, std::vector<MarkdownResult>{converted});
}

}  // namespace
}  // namespace pindrake::zarezo
