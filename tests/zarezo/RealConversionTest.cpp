#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <optional>

#include "ZarezoTestSupport.h"
#include "platform/linux/JavaScriptCoreWebView.h"
#include "zarezo/TurndownRuntime.h"
#include "zarezo/Zarezo.h"

// Both engines with the bundled libraries, as the application runs them: no display needed.
namespace pindrake::zarezo {
namespace {

using platform::JavaScriptCoreWebView;

const std::string sampleHtml =
    "<h1>Title</h1>\n<p>Hello <b>bold</b> <del>gone</del> &amp; caf\u00e9</p>"
    "<ul><li>one</li><li>two</li></ul><pre><code>* not a bullet\n</code></pre>"
    "<script>alert(1)</script>";

class RealConversionTest : public ::testing::Test {
  protected:
    MarkdownResult convert(Zarezo& zarezo, const std::string& html, ConversionEngine engine) {
        ZarezoOptions options;
        options.engine = engine;
        auto outcome = testing::convertAndWait(main, [&](MarkdownCompletion done) {
            zarezo.convertToMarkdown(html, options, std::move(done));
        });
        EXPECT_TRUE(outcome) << "no answer";
        return outcome.value_or(ZarezoError::conversionFailed());
    }

    ManualScheduler main;
};

using test_support::limitOutOfReach;

TEST_F(RealConversionTest, EachEngineConvertsWithItsBundledLibrary) {
    Zarezo zarezo(main, JavaScriptCoreWebView::factory(main, limitOutOfReach), limitOutOfReach);
    // Turndown keeps <del> as HTML; both drop the script and leave code alone.
    EXPECT_EQ(convert(zarezo, sampleHtml, ConversionEngine::turndown),
              MarkdownResult("# Title\n\nHello **bold** <del>gone</del> & caf\u00e9\n\n"
                             "- one\n- two\n\n```\n* not a bullet\n```"));
    EXPECT_EQ(convert(zarezo, sampleHtml, ConversionEngine::htmlToMd),
              MarkdownResult("# Title\n\nHello **bold** ~~gone~~ & caf\u00e9\n\n"
                             "- one\n- two\n\n```\n* not a bullet\n```"));
}

TEST_F(RealConversionTest, DeeplyNestedInputNeverCrashesTurndown) {
    std::string html;
    for (int i = 0; i < 5000; ++i)
        html += "<div><b>";
    html += "deep";
    // The page and the library load first, with nothing to hurry them: a load cut short would
    // fail differently from the conversion.
    TurndownRuntime turndown(main, JavaScriptCoreWebView::factory(main, limitOutOfReach));
    const auto loaded = testing::convertAndWait(main, turndown);
    ASSERT_TRUE(loaded && std::holds_alternative<std::string>(*loaded));
    // A stack overflow would come early; the deadline only keeps the run short (without a JIT the
    // run to the overflow takes far longer). Whichever ends the script, the answer is the same.
    const platform::ScriptLimits shortRun{
        {},
        std::chrono::steady_clock::now() +
            std::chrono::milliseconds(static_cast<long>(2000 * test_support::sanitizerSlowdown))};
    const auto outcome = testing::convertAndWait(main, [&](MarkdownCompletion done) {
        turndown.convert(html, ZarezoOptions(), shortRun, std::move(done));
    });
    ASSERT_TRUE(outcome);
    if (auto* markdown = std::get_if<std::string>(&*outcome)) {
        EXPECT_NE(markdown->find("deep"), std::string::npos);
    } else {
        EXPECT_EQ(std::get<ZarezoError>(*outcome).kind(), ZarezoError::Kind::jsException);
    }
}

// A web view whose page script cannot be read fails every load, saying so; Turndown cannot run
// in it, and the conversion falls back to html-to-md.
TEST_F(RealConversionTest, UnreadablePageScriptFailsTheLoadAndHtmlToMdConverts) {
    testing::TemporaryFolder folder;
    const auto missing = folder.path() / "page-dom.js";  // never written
    JavaScriptCoreWebView view(main, missing);
    std::optional<std::optional<std::string>> loaded;
    view.loadHTML("<p>x</p>", [&](std::optional<std::string> error) { loaded = error; });
    ASSERT_TRUE(testing::runUntil(main, [&] { return loaded.has_value(); }));
    ASSERT_TRUE(*loaded) << "the load succeeded";
    EXPECT_NE((*loaded)->find(missing.string()), std::string::npos) << **loaded;

    Zarezo zarezo(
        main,
        [&] { return std::make_unique<JavaScriptCoreWebView>(main, missing, limitOutOfReach); },
        limitOutOfReach);
    EXPECT_EQ(convert(zarezo, sampleHtml, ConversionEngine::turndown),
              MarkdownResult("# Title\n\nHello **bold** ~~gone~~ & caf\u00e9\n\n"
                             "- one\n- two\n\n```\n* not a bullet\n```"));
}

// A page whose load never ends is abandoned at the time-out; replacing its view for the next
// conversion, and tearing everything down, must not wait for the script still spinning.
TEST_F(RealConversionTest, AbandonedPageLoadHoldsUpNothing) {
    testing::TemporaryFolder folder;
    folder.write("page-dom.js", "for (;;) {}");
    auto turndown = std::make_unique<TurndownRuntime>(main, [&] {
        return std::make_unique<JavaScriptCoreWebView>(main, folder.path() / "page-dom.js",
                                                       std::chrono::minutes(1));
    });
    const auto convertUntilTimeOut = [&] {
        // A late answer from a run that gave up must not land in the next one.
        test_support::Delivered<MarkdownResult> outcome;
        const auto blocked = test_support::timeBlocked(
            [&] { turndown->convert("<p>x</p>", ZarezoOptions(), outcome.completion()); });
        for (int i = 0; i < 200 && outcome.all().empty(); ++i) {
            main.waitForPost(std::chrono::milliseconds(20));
            main.runUntilIdle();
            main.advance(std::chrono::seconds(1));
        }
        EXPECT_TRUE(!outcome.all().empty() &&
                    std::holds_alternative<ZarezoError>(outcome.all().front()));
        return blocked;
    };
    convertUntilTimeOut();
    const auto replacing = convertUntilTimeOut();
    const auto tearingDown = test_support::timeBlocked([&] { turndown.reset(); });
    EXPECT_LT(replacing.count(), test_support::neverWaitsMs) << "ms";
    EXPECT_LT(tearingDown.count(), test_support::neverWaitsMs) << "ms";
    std::cout << "[ measured ] after an abandoned load: convert() " << replacing.count()
              << " ms, teardown " << tearingDown.count() << " ms\n";
}

}  // namespace
}  // namespace pindrake::zarezo
