#include "platform/linux/JavaScriptCoreWebView.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <optional>
#include <set>

#include "support/MainQueueWaits.h"
#include "support/ThreadNames.h"

namespace pindrake::platform {
namespace {

using Evaluation = WebView::Evaluation;

class JavaScriptCoreWebViewTest : public ::testing::Test {
  protected:
    std::optional<std::string> load(const std::string& html) {
        test_support::Delivered<std::optional<std::string>> error;
        view.loadHTML(html, error.completion());
        return error.first(main).value_or("no answer");
    }

    Evaluation evaluate(const std::string& script) {
        test_support::Delivered<Evaluation> outcome;
        view.evaluateJavaScript(script, outcome.completion());
        return outcome.first(main).value_or(Evaluation::exception("no answer"));
    }

    ManualScheduler main;
    // Loading the page DOM script for the first time takes seconds on a loaded machine without a
    // JIT: no result here may depend on it finishing within the product's limit.
    JavaScriptCoreWebView view{main, {}, test_support::limitOutOfReach};
};

TEST_F(JavaScriptCoreWebViewTest, PageOffersItsDomToScripts) {
    EXPECT_EQ(load("<html><body><p id='x'>caf\u00e9 &amp; more</p></body></html>"), std::nullopt);
    EXPECT_EQ(evaluate("document.getElementById('x').textContent").text, "caf\u00e9 & more");
    EXPECT_EQ(evaluate("window === this && typeof DOMParser").text, "function");
}

TEST_F(JavaScriptCoreWebViewTest, LoadingAPageWipesWhatScriptsDefined) {
    evaluate("var before = 1;");
    EXPECT_EQ(evaluate("typeof before").text, "number");
    ASSERT_EQ(load("<p></p>"), std::nullopt);
    EXPECT_EQ(evaluate("typeof before").text, "undefined");
}

TEST_F(JavaScriptCoreWebViewTest, EvaluationGivesStringsOtherValuesOrErrors) {
    EXPECT_EQ(evaluate("'a' + 'b'").text, "ab");
    const auto number = evaluate("42");
    EXPECT_FALSE(number.text || number.error);
    EXPECT_EQ(evaluate("throw new TypeError('no')").error, "TypeError: no");
    EXPECT_EQ(evaluate("function f() { f(); } f()").error,
              "RangeError: Maximum call stack size exceeded.");
}

TEST_F(JavaScriptCoreWebViewTest, ScriptPastTheTimeLimitFailsAndTheViewCarriesOn) {
    // Only a script that never ends meets the view's limit whatever the load: one that ends soon
    // meets it too while the machine starves the view's thread, so it is tried again until a
    // turn lets it through. The first answer includes making the view's engine, which takes
    // seconds on a starved machine: that wait is the longer one.
    JavaScriptCoreWebView limited(main, {}, std::chrono::milliseconds(150));
    std::vector<Evaluation> outcomes;
    limited.evaluateJavaScript("for (;;) {}", [&](Evaluation e) { outcomes.push_back(e); });
    ASSERT_TRUE(test_support::runUntil(
        main, [&] { return outcomes.size() == 1; }, test_support::limitOutOfReach));
    EXPECT_EQ(outcomes[0].error, "JavaScript execution terminated.");
    const auto tries = std::chrono::steady_clock::now() + test_support::mustFinishWithin;
    do {
        outcomes.clear();
        limited.evaluateJavaScript("'still here'", [&](Evaluation e) { outcomes.push_back(e); });
        ASSERT_TRUE(test_support::runUntil(main, [&] { return outcomes.size() == 1; }));
    } while (outcomes[0].error == "JavaScript execution terminated." &&
             std::chrono::steady_clock::now() < tries);
    EXPECT_EQ(outcomes[0].text, "still here");

    // A script's own deadline ends it the same way once it runs. A deadline that comes before
    // the view's worker starts the script stops it from starting: it is tried again, twice as
    // far off each time.
    for (auto allowance = std::chrono::milliseconds(150);; allowance *= 2) {
        outcomes.clear();
        const ScriptLimits due{{}, std::chrono::steady_clock::now() + allowance};
        view.evaluateJavaScript(
            "for (;;) {}", [&](Evaluation e) { outcomes.push_back(e); }, due);
        ASSERT_TRUE(test_support::runUntil(main, [&] { return outcomes.size() == 1; }));
        if (outcomes[0].error != "the script was stopped before it started" ||
            allowance > test_support::mustFinishWithin)
            break;
    }
    EXPECT_EQ(outcomes[0].error, "JavaScript execution terminated.");
}

// A caller's stop token and deadline end its script long before the view's own limit: one
// reached already keeps the script from starting, one reached while it runs ends it, and the
// view carries on.
TEST_F(JavaScriptCoreWebViewTest, AScriptEndsByItsCallersStopTokenOrDeadline) {
    // The engine's own helper threads take the name of the thread that first runs a script.
    ASSERT_EQ(evaluate("'warm'").text, "warm");
    const auto webViewThreadsBefore = test_support::threadsNamed("web-view");
    JavaScriptCoreWebView patient(main, {}, std::chrono::hours(1));
    const auto endless = [&](ScriptLimits limits) {
        auto outcome = std::make_shared<std::optional<Evaluation>>();
        patient.evaluateJavaScript(
            "for (;;) {}", [outcome](Evaluation e) { *outcome = std::move(e); },
            std::move(limits));
        return outcome;
    };
    const auto answered = [&](const auto& outcome) {
        return test_support::runUntil(main, [&] { return outcome->has_value(); });
    };
    const CancellationToken cancelled;
    cancelled.cancel();
    for (const ScriptLimits& reached :
         {ScriptLimits{cancelled, std::chrono::steady_clock::time_point::max()},
          ScriptLimits{{}, std::chrono::steady_clock::now()}}) {
        const auto outcome = endless(reached);
        ASSERT_TRUE(answered(outcome)) << "a limit reached already is ignored";
        EXPECT_EQ((*outcome)->error, "the script was stopped before it started");
    }

    // The stop comes once the view's worker is seen running the script, so it ends a script in
    // progress.
    const CancellationToken stop;
    const auto stopped = endless(ScriptLimits{stop, std::chrono::steady_clock::time_point::max()});
    const auto worker = test_support::threadsNamedSince("web-view", webViewThreadsBefore);
    ASSERT_EQ(worker.size(), 1u) << "new web-view threads";
    ASSERT_TRUE(test_support::threadSpins(*worker.begin(), std::chrono::milliseconds(200)));
    stop.cancel();
    ASSERT_TRUE(answered(stopped)) << "the stop token is ignored";
    EXPECT_EQ((*stopped)->error, "JavaScript execution terminated.");

    // Whether the script has started when its deadline comes is up to the worker: either way it
    // ends with the exception of a limit, as only the deadline can end it.
    const std::set<std::string> endedByALimit = {"JavaScript execution terminated.",
                                                 "the script was stopped before it started"};

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    const auto due = endless(ScriptLimits{{}, deadline});
    ASSERT_TRUE(answered(due)) << "the deadline is ignored";
    EXPECT_TRUE(endedByALimit.contains((*due)->error.value_or("no exception")));

    test_support::Delivered<Evaluation> after;
    patient.evaluateJavaScript("'still here'", after.completion());
    EXPECT_EQ(after.first(main).value_or(Evaluation::otherValue()).text, "still here");
}

// The main thread never waits for a busy script: destruction stops it, and its thread ends
// on its own soon after.
TEST_F(JavaScriptCoreWebViewTest, DestroyingABusyViewNeitherWaitsNorLeavesItRunning) {
    // The engine starts helper threads of its own once per process, from the thread that first
    // runs a script, and they take that thread's name: a script run before the count keeps them
    // from being taken for the busy view's worker.
    ASSERT_EQ(evaluate("'warm'").text, "warm");
    const auto webViewThreadsBefore = test_support::threadsNamed("web-view");
    auto busy = std::make_unique<JavaScriptCoreWebView>(main, std::filesystem::path(),
                                                        std::chrono::seconds(60));
    bool called = false;
    busy->evaluateJavaScript("for (;;) {}", [&](Evaluation) { called = true; });
    // The view's one worker runs the endless script: its processor time keeps growing, well
    // past what making a context costs.
    const auto busyThreads = test_support::threadsNamedSince("web-view", webViewThreadsBefore);
    ASSERT_EQ(busyThreads.size(), 1u) << "new web-view threads";
    ASSERT_TRUE(test_support::threadSpins(*busyThreads.begin(), std::chrono::milliseconds(200)));
    const auto blocked = test_support::timeBlocked([&] { busy.reset(); });
    EXPECT_LT(blocked.count(), test_support::neverWaitsMs) << "ms on the destroying thread";
    std::cout << "[ measured ] destroying a view running a 60 s script blocked for "
              << blocked.count() << " ms\n";
    EXPECT_TRUE(test_support::threadsEnd(busyThreads));
    main.runUntilIdle();
    EXPECT_FALSE(called);
}

TEST_F(JavaScriptCoreWebViewTest, DestroyedViewDropsPendingCompletions) {
    auto doomed = std::make_unique<JavaScriptCoreWebView>(main);
    bool called = false;
    doomed->evaluateJavaScript("1", [&](Evaluation) { called = true; });
    doomed.reset();
    main.runUntilIdle();
    EXPECT_FALSE(called);
}

// The worker has answered and its answer waits for the main queue when the view goes: the
// completion, whose owner expects the view gone, stays dropped.
TEST_F(JavaScriptCoreWebViewTest, ViewGoneAfterItsWorkerAnsweredDropsTheAnswer) {
    auto doomed = std::make_unique<JavaScriptCoreWebView>(main);
    bool called = false;
    doomed->evaluateJavaScript("1", [&](Evaluation) { called = true; });
    ASSERT_TRUE(main.waitForPost(test_support::mustFinishWithin));
    doomed.reset();
    main.runUntilIdle();
    EXPECT_FALSE(called);
}

}  // namespace
}  // namespace pindrake::platform
