#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "ConverterTestSupport.h"
#include "clipboard/Base64.h"
#include "converters/HtmlEntities.h"
#include "converters/HtmlText.h"
#include "converters/JsonLayout.h"
#include "converters/ParserLoad.h"
#include "converters/PercentCoding.h"
#include "foundation/Unicode.h"
#include "support/Eventually.h"
#include "support/Growth.h"
#include "support/MainQueueWaits.h"
#include "support/RepeatedText.h"

// Every conversion is bounded by what its engine would do with the input, not only by the
// input's size, and what no engine could convert comes back as it was.
namespace pindrake::converters {
namespace {

using clipboard::ClipboardContent;
using clipboard::ContentTag;
using test_support::repeated;
using testing::text;

class ConversionBoundsTest : public testing::RegistryConverterTest {
  protected:
    // The services with a result cap of `bytes`.
    ConversionServices cappedAt(std::size_t bytes) const {
        ConversionServices capped = harness.services;
        capped.limits.resultBytes = bytes;
        return capped;
    }
};

// Work that ends only when its conversion is no longer wanted, seen through its budget, or, as a
// pass that never looks at its budget, once the test has ended; then it answers anyway.
class EndlessConverter final : public TransformingConverter {
  public:
    explicit EndlessConverter(bool looks)
        : TransformingConverter("test.endless", "", {}), looks_(looks) {}
    ~EndlessConverter() override { release(); }
    void release() const {
        released_->store(true);
        released_->notify_all();
    }
    std::string_view titleKey() const override { return "converter_paste_as_is"; }
    std::optional<ClipboardContent> transform(const ClipboardContent&,
                                              const ConversionBudget& budget) const override {
        // Its own: the job outlives the converter.
        const auto released = released_;
        const bool looks = looks_;
        started = true;
        while (looks && !budget.isStopped())
            std::this_thread::yield();
        if (!looks)
            released->wait(false);
        return testing::plainTextResult("too late");
    }
    mutable std::atomic<bool> started = false;

  private:
    bool looks_;
    std::shared_ptr<std::atomic<bool>> released_ = std::make_shared<std::atomic<bool>>(false);
};

// Tags that never end: the check before parsing once looked for a '>' from each of them.
TEST_F(ConversionBoundsTest, TheParsersCheckIsLinearAndStops) {
    const std::string small = repeated("<p", 64 * 1024);
    const std::string large = repeated("<p", 256 * 1024);
    const CancellationToken go;
    ASSERT_TRUE(parserCanTake(small, go));
    const double growth = test_support::growth([&] { (void)parserCanTake(small, go); },
                                               [&] { (void)parserCanTake(large, go); }, 3);
    EXPECT_LT(growth, 8) << "four times the tags";

    CancellationToken stopped;
    stopped.cancel();
    EXPECT_FALSE(parserCanTake("<p>x</p>", stopped));
    // The parse polls the token as well: a text without tags passes the check unpolled.
    for (const char* html : {"<p>x</p>", "x without a tag"}) {
        EXPECT_TRUE(textFromHtml(html, go)) << html;
        EXPECT_EQ(textFromHtml(html, stopped), std::nullopt) << html;
    }
}

// Within 4 MiB, a million line ends (of any kind; a carriage return and a line feed together are
// one) and marks that open elements take the renderer up to 512 MB.
TEST_F(ConversionBoundsTest, MarkdownIsWeighedByTheLinesAndElementsItOpens) {
    const auto markdown = [](std::string source) {
        return text(std::move(source), {ContentTag::markdown});
    };
    // A code block: one element, however many lines.
    const auto withinBound = markdown("```\r\n" + repeated("a\r\n", 999'990) + "```");
    const auto converted = run("markdown.toHTML", withinBound);
    EXPECT_TRUE(converted && converted->plainText && converted->plainText->starts_with("<pre>"));
    for (const auto& over : {markdown(repeated("a\r", 1'000'001)),
                             markdown(repeated(repeated("- ", 30) + "a\n", 32'259)),
                             markdown(repeated("*a* ", 500'001))}) {
        for (const char* converter : {"markdown.toHTML", "text.toSlack"})
            EXPECT_TRUE(run(converter, over) == over)
                << converter << " on " << over.plainText->substr(0, 4);
    }
}

// The engines build each element's Markdown from copies of its children's: text deep in the
// tree, and deep list items whose lines are indented once per level, are copied level by level.
TEST_F(ConversionBoundsTest, HtmlIsWeighedByWhatTheEnginesCopy) {
    const std::string openBlocks = repeated("<div>", 1490);
    expectEnginesStartedWhereSaid({
        {openBlocks + std::string(30'000, 'x'), true},
        {openBlocks + std::string(1 << 20, 'x'), false},
        {repeated(repeated("<ul><li>x", 745) + repeated("</ul>", 745), 48), false},
        {"<ul>" + repeated("<li>a", 149'837), false},
        // 200 levels of list items: the indents of the text's lines weigh more than the text.
        {repeated("<ul><li>", 200) + std::string(100'000, 'x'), false},
    });
}

// The headings are rewritten over the whole text at once: beyond 8 MiB it comes back.
TEST_F(ConversionBoundsTest, NoteMarkupOfMarkdownHasASizeCap) {
    const std::string atCap = "#### a\n" + std::string((8 << 20) - 7, 'x');
    const auto converted = run("text.toNotion", text(atCap, {ContentTag::markdown}));
    EXPECT_TRUE(converted && converted->plainText && converted->plainText->starts_with("### a\n"));
    const auto over = text(atCap + "x", {ContentTag::markdown});
    EXPECT_TRUE(run("text.toNotion", over) == over);
}

// A page that shows no text has no plain text of its own: the entry's text is used, or the entry
// comes back.
TEST_F(ConversionBoundsTest, PlainTextOfAPageWithoutTextIsNoConversion) {
    ClipboardContent input;
    input.html = repeated("</b>", 200'000);
    input.plainText = "the text";
    input.tags = {ContentTag::html};
    EXPECT_EQ(run("plaintext", input), testing::plainTextResult("the text"));
    input.plainText.reset();
    EXPECT_TRUE(run("plaintext", input) == input);
}

// Every converter that runs in the app measures its result before making it: a result the size
// of the cap converts, one a byte over gives the entry back, saying why.
TEST_F(ConversionBoundsTest, AppConvertersRefuseAResultOverTheCapFromItsSize) {
    const std::pair<const char*, std::string> cases[] = {
        {"json.prettify", R"( {"z": {"b": [1, {"y": 2, "x": [3]}], "a": "\\"}, "\u0061": [[]]} )"},
        {"json.minify", R"( {"z": {"b": [1, {"y": 2, "x": [3]}], "a": "\\"}, "\u0061": [[]]} )"},
        {"base64.encode", "thirteen byte"},
        {"base64.decode", " aGVsbG8= \n"},
        {"url.encode", "a b/\u00fc?"},
        {"url.decode", "a%20b%C3%BC"},
        {"fullwidth.toFull", "Ab 1\u3042"},
        {"fullwidth.toHalf", "\uFF21\uFF42\u3000\uFF11\u3042"},
        {"html.escape", R"(<a href="x">&'</a>)"},
        {"html.unescape", "&lt;p&gt; &amp;amp; &#39; &unknown;"},
        {"filepath", "/tmp/a b"},
        {"filename", "/tmp/dir/name.txt/"},
    };
    for (const auto& [converter, source] : cases) {
        const auto input = text(source);
        const auto converted = run(converter, input);
        ASSERT_TRUE(converted && converted->plainText && converted != input) << converter;
        const std::size_t size = converted->plainText->size();
        const auto atCap = cappedAt(size);
        EXPECT_EQ(harness.run(harness.named(converter), input, &atCap), converted) << converter;
        const auto belowCap = cappedAt(size - 1);
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(harness.run(harness.named(converter), input, &belowCap) == input) << converter;
        const std::string logged = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(logged.find(std::string(converter) + " would take " + std::to_string(size) +
                              " bytes, over the cap"),
                  std::string::npos)
            << logged;
    }
}

// What a converter refuses comes back as it was given, not as a copy: an entry of hundreds of
// megabytes is never held twice.
TEST_F(ConversionBoundsTest, ARefusedEntryComesBackItself) {
    const auto belowCap = cappedAt(1);
    for (const char* converter : {"json.prettify", "unix.toDate", "base64.decode", "html.escape"}) {
        ClipboardContent entry = text(std::string(1 << 20, 'x'));
        const char* const entryBytes = entry.plainText->data();
        test_support::Delivered<ClipboardContent> back;
        harness.named(converter).convert(std::move(entry), belowCap, back.completion());
        ASSERT_TRUE(back.first(harness.main)) << converter;
        EXPECT_EQ(back.all()[0].plainText->data(), entryBytes) << converter;
    }
}

// A worker told to stop is soon free: every pass over the entry looks at its budget once per
// stretch at least, so that, stopped, it takes no longer over a text 32 times as long.
TEST_F(ConversionBoundsTest, EveryPassOverTheEntryStopsWithItsBudget) {
    CancellationToken stop;
    stop.cancel();
    const ConversionBudget stopped("a pass", std::size_t{1} << 40, stop);
    struct Pass {
        const char* what;
        std::function<std::string(std::size_t)> text;
        // Whether the pass gave an answer.
        std::function<bool(std::string_view)> run;
    };
    const auto repeatedUnit = [](std::string unit) {
        return [unit](std::size_t bytes) { return repeated(unit, bytes / unit.size()); };
    };
    const Pass passes[] = {
        {"a piece-wise replacement's measure", repeatedUnit("&"),
         [&](std::string_view t) { return entities::escaped(t, stopped).has_value(); }},
        {"the entity decoding's measure", repeatedUnit("&"),
         [&](std::string_view t) { return entities::unescaped(t, stopped).has_value(); }},
        {"the percent escapes' count", repeatedUnit("%"),
         [&](std::string_view t) { return percent::decoded(t, stopped).has_value(); }},
        {"the JSON check of values",
         [](std::size_t bytes) { return '[' + repeated("1,", bytes / 2) + "1]"; },
         [&](std::string_view t) { return json::minified(t, stopped).has_value(); }},
        {"the JSON check of a string",
         [](std::size_t bytes) { return "[\"" + std::string(bytes, 'a') + "\"]"; },
         [&](std::string_view t) { return json::prettified(t, stopped).has_value(); }},
        {"the base64 check", repeatedUnit("QUFB"),
         [&](std::string_view t) { return clipboard::base64::decode(t, stop).has_value(); }},
        {"the base64 encoding", repeatedUnit("abc"),
         [&](std::string_view t) { return clipboard::base64::encode(t, stop).has_value(); }},
        {"the trimming", repeatedUnit(" "),
         [&](std::string_view t) { return unicode::trimmedView(t, stop).has_value(); }},
        {"the UTF-8 check", repeatedUnit("\u00e9"),
         [&](std::string_view t) { return unicode::isValidUtf8(t, stop); }},
    };
    for (const auto& pass : passes) {
        const std::string small = pass.text(1 << 20);
        const std::string large = pass.text(32 << 20);
        EXPECT_FALSE(pass.run(large)) << pass.what;
        const double growth =
            test_support::growth([&] { (void)pass.run(small); }, [&] { (void)pass.run(large); }, 3);
        EXPECT_LT(growth, 8) << pass.what << " over 32 times the text";
    }
}

// Ten seconds after it was asked for, or once it is stopped, a conversion gives the entry back,
// whatever its transform is doing: waiting for the worker, running a pass that looks at its
// budget or one that never does. A transform that lets go of the entry gives back the entry
// itself; one that keeps reading it, a copy. The late answer is dropped. The worker, freed, takes
// the next waiting job while its deadline comes: each entry still comes back, whichever of the
// two takes it.
TEST_F(ConversionBoundsTest, TheEntryComesBackAtTheDeadlineOrStopWhateverTheTransformDoes) {
    for (const bool byDeadline : {true, false}) {
        for (const bool looks : {true, false}) {
            SCOPED_TRACE(std::string(byDeadline ? "deadline, " : "stop, ") +
                         (looks ? "a pass that looks" : "a pass that never looks"));
            testing::ConverterHarness own;
            ConversionServices services = own.services;
            services.stop = CancellationToken();
            const EndlessConverter endless(looks);
            test_support::Delivered<ClipboardContent> running;
            ::testing::internal::CaptureStderr();
            ClipboardContent entry = text(std::string(1 << 20, 'r'));
            const char* const entryBytes = entry.plainText->data();
            endless.convert(std::move(entry), services, running.completion());
            // The harness has one worker: these wait behind the first.
            std::vector<test_support::Delivered<ClipboardContent>> waiting(40);
            for (std::size_t i = 0; i < waiting.size(); ++i)
                endless.convert(text(std::to_string(i)), services, waiting[i].completion());
            ASSERT_TRUE(test_support::eventually([&endless] { return endless.started.load(); }));

            if (byDeadline) {
                own.main.advance(std::chrono::milliseconds(9'999));
                own.main.runUntilIdle();
                EXPECT_TRUE(running.all().empty() && waiting.back().all().empty());
                own.main.advance(std::chrono::milliseconds(1));
            } else {
                services.stop.cancel();
                own.main.runUntilIdle();
            }
            if (!looks)
                own.main.advance(ConversionWorkers::letGoWithin);
            const auto back = running.first(own.main);
            ASSERT_TRUE(back && back->plainText == std::string(1 << 20, 'r'));
            EXPECT_EQ(running.all()[0].plainText->data() == entryBytes, looks)
                << "the entry itself";
            EXPECT_TRUE(test_support::runUntil(own.main, [&waiting] {
                return std::ranges::none_of(waiting,
                                            [](const auto& one) { return one.all().empty(); });
            }));
            for (std::size_t i = 0; i < waiting.size(); ++i)
                EXPECT_TRUE(waiting[i].all().size() == 1 &&
                            waiting[i].all()[0] == text(std::to_string(i)))
                    << i;
            const std::string logged = ::testing::internal::GetCapturedStderr();
            EXPECT_EQ(
                logged.find("test.endless was still converting at its deadline of 10000 ms") !=
                    std::string::npos,
                byDeadline)
                << logged;
            EXPECT_EQ(logged.find("test.endless went on reading the entry after it was stopped") !=
                          std::string::npos,
                      !looks)
                << logged;
            endless.release();
            // The late answer would have come by the time the worker has taken a later job.
            EXPECT_TRUE(own.run(own.named("html.escape"), text("&")));
            EXPECT_EQ(running.all().size(), 1u);
        }
    }
}

}  // namespace
}  // namespace pindrake::converters
