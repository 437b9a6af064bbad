#include "zarezo/HTMLToMdRuntime.h"

#include <gtest/gtest.h>

#include <iostream>

#include "ZarezoTestSupport.h"
#include "support/ThreadNames.h"

namespace pindrake::zarezo {
namespace {

class HTMLToMdRuntimeTest : public ::testing::Test {
  protected:
    std::unique_ptr<HTMLToMdRuntime> makeRuntime(
        std::chrono::milliseconds timeLimit = test_support::limitOutOfReach) {
        return std::make_unique<HTMLToMdRuntime>(
            main,
            // By value: the worker may still run after the fixture has gone.
            [path = folder.path() / "html-to-md.min.js"](std::string_view, std::string_view) {
                return std::filesystem::exists(path) ? std::optional(path) : std::nullopt;
            },
            timeLimit);
    }

    void installLibrary(std::string_view text) { folder.write("html-to-md.min.js", text); }

    std::optional<MarkdownResult> convert(HTMLToMdRuntime& runtime, std::string html = "<p>x</p>") {
        return testing::convertAndWait(main, runtime, std::move(html));
    }

    ManualScheduler main;
    testing::TemporaryFolder folder;
};

TEST_F(HTMLToMdRuntimeTest, LibraryStaysUnloadedUntilAWorkingOneIsInstalled) {
    auto runtime = makeRuntime();
    EXPECT_EQ(convert(*runtime), MarkdownResult(ZarezoError::libraryNotFound("html-to-md.min.js")));

    installLibrary("function html2md() { return '\xFF'; }");  // not UTF-8
    auto outcome = convert(*runtime);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(std::get<ZarezoError>(*outcome).kind(), ZarezoError::Kind::libraryLoadingFailed);

    installLibrary("var somethingElse = 1;");
    const MarkdownResult unavailable =
        ZarezoError::libraryLoadingFailed("html-to-md not available in JSContext");
    EXPECT_EQ(convert(*runtime), unavailable);
    EXPECT_EQ(convert(*runtime), unavailable);

    installLibrary("function html2md(html) { return 'md:' + html; }");
    EXPECT_EQ(convert(*runtime), MarkdownResult(std::string("md:<p>x</p>")));

    // Anything but a string is a conversion failure.
    for (const char* value : {"null", "undefined", "42", "({})", "(function () { throw 1; })()"}) {
        installLibrary(std::string("function html2md() { return ") + value + "; }");
        EXPECT_EQ(convert(*makeRuntime()), MarkdownResult(ZarezoError::conversionFailed()))
            << value;
    }
}

TEST_F(HTMLToMdRuntimeTest, ConversionsStartedTogetherShareOneLoad) {
    installLibrary("var calls = 0; function html2md() { calls += 1; return 'call ' + calls; }");
    auto runtime = makeRuntime();
    std::vector<MarkdownResult> outcomes;
    runtime->convert("<p>a</p>", ZarezoOptions(), testing::appendTo(outcomes));
    runtime->convert("<p>b</p>", ZarezoOptions(), testing::appendTo(outcomes));
    ASSERT_TRUE(testing::runUntil(main, [&] { return outcomes.size() == 2; }));
    EXPECT_EQ(outcomes,
              (std::vector<MarkdownResult>{std::string("call 1"), std::string("call 2")}));
}

TEST_F(HTMLToMdRuntimeTest, ConversionPastTheTimeLimitFailsAndTheNextOneRuns) {
    installLibrary("function html2md(html) { while (html === 'nested') {} return 'md:' + html; }");
    auto runtime = makeRuntime(std::chrono::milliseconds(150));
    EXPECT_EQ(convert(*runtime, "nested"), MarkdownResult(ZarezoError::conversionFailed()));
    EXPECT_EQ(convert(*runtime), MarkdownResult(std::string("md:<p>x</p>")));
}

// The library's time and memory grow faster than its input: HTML up to 512 KiB reaches it, a
// byte more fails at once.
TEST_F(HTMLToMdRuntimeTest, HtmlUpTo512KiBIsConvertedAndAByteMoreIsInvalidInput) {
    installLibrary("function html2md(html) { return 'length ' + html.length; }");
    auto runtime = makeRuntime();
    const std::string atCap(512 * 1024, 'x');
    EXPECT_EQ(convert(*runtime, atCap), MarkdownResult(std::string("length 524288")));
    const auto over = convert(*runtime, atCap + "x");
    ASSERT_TRUE(over);
    ASSERT_TRUE(std::holds_alternative<ZarezoError>(*over)) << ::testing::PrintToString(*over);
    EXPECT_EQ(std::get<ZarezoError>(*over).kind(), ZarezoError::Kind::invalidInput);
}

// The worker starts with the first conversion; destroying a busy runtime stops the script,
// answers the running conversion and every waiting one, and lets the worker end on its own.
TEST_F(HTMLToMdRuntimeTest, WorkerStartsOnFirstUseAndABusyOneIsLeftWithoutWaiting) {
    installLibrary("function html2md(html) { for (;;) {} }");
    const auto workersBefore = test_support::threadsNamed("html-to-md");
    auto runtime = makeRuntime(std::chrono::minutes(1));
    EXPECT_TRUE(test_support::threadsNamedSince("html-to-md", workersBefore).empty());
    std::vector<MarkdownResult> outcomes;
    for (int i = 0; i < 20; ++i)
        runtime->convert("<p>x</p>", ZarezoOptions(), testing::appendTo(outcomes));
    const auto worker = test_support::threadsNamedSince("html-to-md", workersBefore);
    ASSERT_EQ(worker.size(), 1u);
    // The script is spinning.
    ASSERT_TRUE(test_support::threadSpins(*worker.begin(), std::chrono::milliseconds(200)));
    const auto blocked = test_support::timeBlocked([&] { runtime.reset(); });
    EXPECT_LT(blocked.count(), test_support::neverWaitsMs) << "ms on the destroying thread";
    std::cout << "[ measured ] destroying html-to-md running a 60 s script blocked for "
              << blocked.count() << " ms\n";
    main.runUntilIdle();
    EXPECT_EQ(outcomes, std::vector<MarkdownResult>(20, ZarezoError::jsContextCreationFailed()));
    EXPECT_TRUE(test_support::threadsEnd(worker));
}

// A conversion its worker has finished, but whose result still waits for the main queue when
// the runtime goes, fails like the ones in progress: its owner has gone.
TEST_F(HTMLToMdRuntimeTest, ResultStillQueuedWhenTheRuntimeGoesFails) {
    installLibrary("function html2md(html) { return 'md:' + html; }");
    auto runtime = makeRuntime();
    std::vector<MarkdownResult> outcomes;
    runtime->convert("<p>x</p>", ZarezoOptions(), testing::appendTo(outcomes));
    ASSERT_TRUE(main.waitForPost(test_support::mustFinishWithin));
    runtime.reset();
    main.runUntilIdle();
    EXPECT_EQ(outcomes, std::vector<MarkdownResult>{ZarezoError::jsContextCreationFailed()});
}

// The real library on a large input: the main queue only starts the work and takes the result.
// One flat run of paragraphs keeps the library's own time small while the input stays large.
// How long the library takes depends on the machine (minutes on a loaded one without a JIT), so
// the time limit is out of the way: this is about the main queue, not about the limit.
TEST(HTMLToMdLargeInputTest, LargeInputNeverBlocksTheMainQueue) {
    std::string html;
    while (html.size() < (1 << 17))
        html += "<p>lorem ipsum dolor sit amet, consectetur adipiscing elit <b>bold</b></p>\n";
    ManualScheduler main;
    HTMLToMdRuntime runtime(main, standardLibraryLocator(), std::chrono::hours(1));
    test_support::Delivered<MarkdownResult> outcome;
    runtime.convert(html, ZarezoOptions(), outcome.completion());
    // Work done inside the call, or on the main queue, would leave no turns to count.
    int mainTurns = 0;
    const auto giveUp = std::chrono::steady_clock::now() + test_support::mustFinishWithin;
    while (outcome.all().empty() && std::chrono::steady_clock::now() < giveUp) {
        main.post([&] { ++mainTurns; });
        main.runUntilIdle();
        if (outcome.all().empty())
            main.waitForPost(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(outcome.all().size(), 1u)
        << "no answer within " << test_support::mustFinishWithin.count() << " ms";
    const MarkdownResult& result = outcome.all().front();
    ASSERT_TRUE(std::holds_alternative<std::string>(result)) << ::testing::PrintToString(result);
    EXPECT_NE(std::get<std::string>(result).find("**bold**"), std::string::npos);
    EXPECT_GT(mainTurns, 5) << "the main queue stood still during the conversion";
}

}  // namespace
}  // namespace pindrake::zarezo
