#include "platform/linux/JavaScriptCoreWebView.h"

#include <gtest/gtest.h>

#include "ZarezoTestSupport.h"

namespace pindrake::platform {
namespace {

using Evaluation = WebView::Evaluation;

class JavaScriptCoreWebViewTest : public ::testing::Test {
  protected:
    std::optional<std::string> load(const std::string& html) {
        std::optional<std::optional<std::string>> outcome;
        view.loadHTML(html, [&](std::optional<std::string> error) { outcome = error; });
        zarezo::testing::runUntil(main, [&] { return outcome.has_value(); });
        return outcome.value_or("no answer");
    }

    Evaluation evaluate(const std::string& script) {
        std::optional<Evaluation> outcome;
        view.evaluateJavaScript(script, [&](Evaluation e) { outcome = e; });
        zarezo::testing::runUntil(main, [&] { return outcome.has_value(); });
        return outcome.value_or(Evaluation::exception("no answer"));
    }

    ManualScheduler main;
    JavaScriptCoreWebView view{main};
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

TEST_F(JavaScriptCoreWebViewTest, DestroyedViewDropsPendingCompletions) {
    auto doomed = std::make_unique<JavaScriptCoreWebView>(main);
    bool called = false;
    doomed->evaluateJavaScript("1", [&](Evaluation) { called = true; });
    doomed.reset();
    main.runUntilIdle();
    EXPECT_FALSE(called);
}

}  // namespace
}  // namespace pindrake::platform
