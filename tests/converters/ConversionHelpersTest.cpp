#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "clipboard/ClipboardContent.h"
#include "converters/ConversionHelpers.h"
#include "converters/Converters.h"
#include "converters/HelperProcess.h"
#include "converters/HelperProtocol.h"
#include "foundation/Files.h"
#include "foundation/Resources.h"
#include "support/HeldCall.h"
#include "support/MainQueueWaits.h"
#include "support/RepeatedText.h"
#include "support/TestFiles.h"

// The contract of the conversion helpers, with the real helper program and its engines: whatever
// an engine does with an entry, the app gets the entry back within the limits it gave, and the
// next conversion works. What ended a conversion is told by how it ended, never by the clock.
namespace pindrake::converters {
namespace {

using clipboard::ClipboardContent;
using clipboard::ContentTag;
using test_support::repeated;

ClipboardContent entry(std::string text, ContentTag tag) {
    ClipboardContent content;
    (tag == ContentTag::html ? content.html : content.plainText) = std::move(text);
    content.tags = {tag};
    return content;
}

// Small enough to be reached long before the work below would end, large enough for any helper
// to convert a few words, sanitizer builds included.
const auto shortDeadline = std::chrono::milliseconds(test_support::scaledMs(1'000));
constexpr std::size_t smallMemoryCap = 150'000'000;
// The test's own safety net on every wait below: each waits for an event that the helper's work
// or the product's own limits bring about, and this only keeps a broken build from hanging. On a
// busy machine a helper grows and converts slowly.
const auto safetyNet = 4 * test_support::mustFinishWithin;
const HelperLimits outOfReach{test_support::limitOutOfReach, std::size_t{64} << 30,
                              std::size_t{1} << 30};

// Every reference repeats the link's long target: hundreds of megabytes of HTML.
std::string growingLinks() {
    return "[x]: /" + std::string(20'000, 'u') + "\n\n" + repeated("[x] ", 30'000);
}

// Whether `event` came about within the safety net; the failure names it.
::testing::AssertionResult comes(const std::string& event, const std::function<bool()>& holds) {
    if (test_support::eventually(holds, safetyNet))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "no " << event << " within the safety net of " << safetyNet.count() / 1000 << " s";
}

// The helpers this process started: their parent is this process.
std::vector<pid_t> runningHelpers() {
    std::vector<pid_t> helpers;
    for (const auto& process : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(process.path() / "stat");
        std::string pid, name, state;
        pid_t parent = 0;
        if (stat >> pid >> name >> state >> parent && parent == ::getpid() &&
            name == "(pindrake-conver)") {
            helpers.push_back(std::stoi(pid));
        }
    }
    return helpers;
}

bool isRunning(pid_t helper) {
    const auto helpers = runningHelpers();
    return std::find(helpers.begin(), helpers.end(), helper) != helpers.end();
}

// The most the process has held so far, as the kernel counts it for the program it runs now:
// not what it shared with this process before it started the helper program. Nothing once it
// has ended.
std::size_t peakResidentBytes(pid_t process) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    std::string field;
    std::size_t kilobytes = 0;
    while (status >> field) {
        if (field == "VmHWM:" && status >> kilobytes)
            return kilobytes * 1024;
    }
    return 0;
}

// The process descriptors this process holds open, of its helpers running or collected.
std::size_t openProcessDescriptors() {
    std::size_t open = 0;
    for (const auto& descriptor : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(descriptor.path(), error).string();
        open += target.find("pidfd") != std::string::npos;
    }
    return open;
}

// Bytes the process has read, through read() on its socket among others.
std::size_t bytesRead(pid_t process) {
    std::ifstream io("/proc/" + std::to_string(process) + "/io");
    std::string field;
    std::size_t value = 0;
    while (io >> field >> value) {
        if (field == "rchar:")
            return value;
    }
    return 0;
}

// The helper program, started only once the test opens a gate.
struct GatedHelper {
    GatedHelper() {
        std::ofstream(program) << "#!/bin/sh\nwhile [ ! -e '" << gate.string()
                               << "' ]; do sleep 0.01; done\nexec '" PINDRAKE_CONVERSION_HELPER
                                  "' \"$@\"\n";
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    }
    void open() const { std::ofstream{gate}; }

    test_support::TemporaryDirectory folder;
    std::filesystem::path gate = folder.path() / "open";
    std::filesystem::path program = folder.path() / "gated-helper";
};

// Holds the thread that collects ended helpers for as long as it lives: a helper that ends
// meanwhile stays uncollected.
struct HeldReaper {
    HeldReaper() {
        holder = HelperProcess::start(PINDRAKE_CONVERSION_HELPER, outOfReach.memoryBytes,
                                      [call = call] { call->hold(); });
        if (holder)
            holder->end();
        EXPECT_TRUE(holder && call->hasStarted.wait_for(safetyNet) == std::future_status::ready)
            << "the reaper did not collect the helper that holds it";
    }
    ~HeldReaper() { call->release.set_value(); }

    std::shared_ptr<test_support::HeldCall> call = std::make_shared<test_support::HeldCall>();
    std::unique_ptr<HelperProcess> holder;
};

// A main queue that runs `onPost` on the posting thread as work is handed to it: the thread
// that hands a conversion's result on is held there, after it put its helper back or not.
class WatchedQueue final : public Scheduler {
  public:
    WatchedQueue(ManualScheduler& main, std::function<void()> onPost)
        : main_(main), onPost_(std::move(onPost)) {}
    ~WatchedQueue() override { closeLink(); }

    void post(Task task) override {
        main_.post(std::move(task));
        onPost_();
    }
    TimerHandle postAfter(Duration delay, Task task) override {
        return main_.postAfter(delay, std::move(task));
    }
    TimerHandle repeatEvery(Duration interval, Task task) override {
        return main_.repeatEvery(interval, std::move(task));
    }
    TimePoint now() const override { return main_.now(); }

  private:
    ManualScheduler& main_;
    std::function<void()> onPost_;
};

class ConversionHelpersTest : public ::testing::Test {
  protected:
    // Runs the main queue until `delivered` has an answer, looking at `meanwhile` as it waits.
    template <typename Outcome>
    ::testing::AssertionResult answered(
        const test_support::Delivered<Outcome>& delivered, const std::string& what,
        const std::function<void()>& meanwhile = [] {}) {
        return comes("answer " + what, [&] {
            main.runUntilIdle();
            meanwhile();
            return !delivered.all().empty();
        });
    }
    // The answer of a conversion; with `watched`, the most that helper held while it ran.
    HelperResult run(const std::shared_ptr<ConversionHelpers>& helpers, const char* converter,
                     const ClipboardContent& input, pid_t watched = 0,
                     std::size_t* peak = nullptr) {
        test_support::Delivered<HelperResult> result;
        helpers->run(main, converter, input, {}, result.completion());
        EXPECT_TRUE(answered(result, std::string("from the helper running ") + converter, [&] {
            if (peak)
                *peak = std::max(*peak, peakResidentBytes(watched));
        }));
        return result.all().empty() ? HelperResult{{}, HelperEnding::unavailable}
                                    : result.all().front();
    }
    // The helper kept at rest, once the pool has stored it.
    static pid_t waitingHelper(const ConversionHelpers& helpers) {
        EXPECT_TRUE(
            comes("helper kept at rest", [&] { return helpers.waitingHelper().has_value(); }))
            << "; helpers running: " << ::testing::PrintToString(runningHelpers());
        return helpers.waitingHelper().value_or(0);
    }
    // A helper that did not finish its conversion is collected and never used again: the one
    // kept warm after it is another.
    static void expectEndedAndReplaced(const ConversionHelpers& helpers, pid_t ended) {
        EXPECT_TRUE(comes("collection of the ended helper " + std::to_string(ended),
                          [&] { return !isRunning(ended); }));
        EXPECT_TRUE(comes("other helper kept in place of " + std::to_string(ended), [&] {
            const auto waiting = helpers.waitingHelper();
            return waiting && *waiting != ended;
        }));
    }
    // The next conversion gets a working helper, asked for as the app asks: through the
    // registry's converter.
    void expectTheNextConverts(const std::shared_ptr<ConversionHelpers>& helpers) {
        ConversionServices services{main, workers, nullptr, nullptr, {}, "en_US", {}};
        services.helpers = helpers;
        test_support::Delivered<ClipboardContent> result;
        for (const Converter* converter : Converters::textConverters()) {
            if (converter->id() == "markdown.toHTML")
                converter->convert(entry("*next*", ContentTag::markdown), services,
                                   result.completion());
        }
        ASSERT_TRUE(answered(result, "to the next conversion"));
        EXPECT_EQ(result.all().front().plainText, "<p><em>next</em></p>\n");
    }

    ManualScheduler main;
    ConversionWorkers workers{"helpers.test", 1};
};

// From the table of inputs that beat every check of their shape: each runs into a limit, and the
// entry comes back as it was.
TEST_F(ConversionHelpersTest, EachLimitEndsTheHelperAndTheEntryComesBack) {
    std::string attributes = "<p";
    for (int i = 0; i < 80'000; ++i)
        attributes += " a" + std::to_string(i);
    const std::string links = growingLinks();
    const std::string quotedLines =
        repeated("<blockquote>", 200) + "<pre>" + repeated("line\n", 15'000) + "</pre>";
    struct Case {
        const char* converter;
        ClipboardContent input;
        HelperLimits limits;
        HelperEnding ending;
    };
    const HelperLimits deadline{shortDeadline, outOfReach.memoryBytes, outOfReach.resultBytes};
    const HelperLimits memory{std::chrono::hours(1), smallMemoryCap, outOfReach.resultBytes};
    const Case cases[] = {
        {"markdown.toHTML", entry(links, ContentTag::markdown), memory, HelperEnding::memoryCap},
        {"text.toSlack", entry(links, ContentTag::markdown), memory, HelperEnding::memoryCap},
        // JavaScriptCore: every line of the code block is written with every quote's prefix.
        {"html.toMarkdown", entry(quotedLines, ContentTag::html), memory, HelperEnding::memoryCap},
        // cmark-gfm, quadratic in the images' brackets.
        {"markdown.toHTML", entry(repeated("![[]()", 199'000), ContentTag::markdown), deadline,
         HelperEnding::deadline},
        // The engine answers soon; the list-marker rewrite after it does not.
        {"html.toMarkdown", entry("<p>x" + repeated("&lt;?", 160'000), ContentTag::html), deadline,
         HelperEnding::deadline},
        // Turndown fails on a frame set; html-to-md, which takes over, is quadratic in the depth.
        {"html.toMarkdown",
         entry("<frameset></frameset>" +
                   repeated(repeated("<div>", 1400) + "x" + repeated("</div>", 1400), 30),
               ContentTag::html),
         deadline, HelperEnding::deadline},
        // The HTML parser, quadratic in one element's attributes.
        {"plaintext", entry(attributes + ">x</p>", ContentTag::html), deadline,
         HelperEnding::deadline},
        {"markdown.toHTML",
         entry(std::string(2 << 20, 'a'), ContentTag::markdown),
         {outOfReach.deadline, outOfReach.memoryBytes, 1 << 20},
         HelperEnding::resultCap},
    };
    for (const Case& c : cases) {
        const auto helpers =
            std::make_shared<ConversionHelpers>(PINDRAKE_CONVERSION_HELPER, c.limits);
        helpers->keepWarm();
        const pid_t used = waitingHelper(*helpers);
        std::size_t peak = 0;
        const auto result = run(helpers, c.converter, c.input, used, &peak);
        EXPECT_EQ(result.ending, c.ending)
            << c.converter << " on "
            << c.input.plainText.value_or(c.input.html.value_or("")).substr(0, 40);
        EXPECT_TRUE(result.content == c.input);
        expectEndedAndReplaced(*helpers, used);
        // Judged by the kernel's count of what the helper held, not by the looks it took.
        if (c.ending == HelperEnding::memoryCap) {
            EXPECT_LE(peak, smallMemoryCap) << c.converter;
        }
        // Under the short deadline the next conversion would race it.
        if (c.limits.deadline != deadline.deadline)
            expectTheNextConverts(helpers);
    }
}

// A helper that dies, before or after it has read its request, and one whose conversion is no
// longer wanted, give the entry back at once; the next conversion gets a new helper.
TEST_F(ConversionHelpersTest, AHelperThatAbortsOrIsNoLongerWantedGivesTheEntryBack) {
    const auto endless = entry(repeated("![[]()", 199'000), ContentTag::markdown);
    const auto helpers =
        std::make_shared<ConversionHelpers>(PINDRAKE_CONVERSION_HELPER, outOfReach);
    const auto expectGivenBack = [&](const test_support::Delivered<HelperResult>& asked,
                                     HelperEnding ending) {
        ASSERT_TRUE(answered(asked, "from a helper that was ended or died"));
        EXPECT_EQ(asked.all().front().ending, ending);
        EXPECT_TRUE(asked.all().front().content == endless);
    };
    // Not kept warm, the conversion starts its own helper, killed as soon as it exists.
    const auto before = runningHelpers();
    test_support::Delivered<HelperResult> early;
    helpers->run(main, "markdown.toHTML", endless, {}, early.completion());
    pid_t started = 0;
    ASSERT_TRUE(comes("helper started for the conversion", [&] {
        for (const pid_t helper : runningHelpers()) {
            if (std::find(before.begin(), before.end(), helper) == before.end())
                started = helper;
        }
        return started != 0;
    }));
    ::kill(started, SIGABRT);
    expectGivenBack(early, HelperEnding::crashed);
    EXPECT_TRUE(comes("collection of the helper that died", [&] { return !isRunning(started); }));
    expectTheNextConverts(helpers);

    // Kept warm, the helper is ended once it has read its request. The entry comes back while
    // the ended helper is still uncollected: nobody waits for a teardown.
    helpers->keepWarm();
    for (const bool crash : {true, false}) {
        const pid_t used = waitingHelper(*helpers);
        const std::size_t readAtRest = bytesRead(used);
        CancellationToken superseded;
        test_support::Delivered<HelperResult> asked;
        helpers->run(main, "markdown.toHTML", endless, superseded, asked.completion());
        ASSERT_TRUE(comes("read of the request by the helper", [&] {
            return bytesRead(used) >= readAtRest + endless.plainText->size();
        }));
        {
            const HeldReaper heldReaper;
            if (crash)
                ::kill(used, SIGABRT);
            else
                superseded.cancel();
            expectGivenBack(asked, crash ? HelperEnding::crashed : HelperEnding::stopped);
            EXPECT_TRUE(isRunning(used))
                << "the entry came back only once its helper was collected";
        }
        expectEndedAndReplaced(*helpers, used);
        expectTheNextConverts(helpers);
    }
}

// The deadline counts from the ask: a conversion that waited for a thread while two others ran
// gets no more time for having waited. Helpers here start only once a gate is open.
TEST_F(ConversionHelpersTest, TheDeadlineCountsFromTheAskNotFromWhenAThreadTakesIt) {
    const GatedHelper gated;
    const auto helpers = std::make_shared<ConversionHelpers>(
        gated.program, HelperLimits{shortDeadline, outOfReach.memoryBytes, outOfReach.resultBytes});
    const auto markdown = entry("*next*", ContentTag::markdown);
    test_support::Delivered<HelperResult> first, second, third;
    helpers->run(main, "markdown.toHTML", markdown, {}, first.completion());
    helpers->run(main, "markdown.toHTML", markdown, {}, second.completion());
    helpers->run(main, "markdown.toHTML", markdown, {}, third.completion());
    // Past the third conversion's deadline, a helper could answer it only if its time had
    // started when a thread took it.
    std::this_thread::sleep_until(std::chrono::steady_clock::now() + shortDeadline);
    gated.open();
    for (const auto* conversion : {&first, &second, &third}) {
        ASSERT_TRUE(answered(*conversion, "to a conversion asked for before its helper started"));
        EXPECT_EQ(conversion->all().front().ending, HelperEnding::deadline);
    }
}

// A conversion that the panel's helper finishes after the panel let it go does not keep it.
TEST_F(ConversionHelpersTest, AHelperThatFinishesAfterLetGoIsNotKept) {
    const GatedHelper gated;
    const auto helpers = std::make_shared<ConversionHelpers>(gated.program, outOfReach);
    helpers->keepWarm();
    const pid_t warm = waitingHelper(*helpers);
    test_support::Delivered<HelperResult> converted;
    helpers->run(main, "markdown.toHTML", entry("*next*", ContentTag::markdown), {},
                 converted.completion());
    ASSERT_TRUE(comes("take of the warm helper", [&] { return !helpers->waitingHelper(); }));
    helpers->letGo();
    gated.open();
    ASSERT_TRUE(answered(converted, "from the helper let go"));
    EXPECT_EQ(converted.all().front().ending, HelperEnding::converted);
    EXPECT_TRUE(comes("end of the helper let go", [&] { return !isRunning(warm); }));
    EXPECT_FALSE(helpers->waitingHelper());
}

// A conversion whose helper was kept starts no other, though the next conversion took that
// helper before the first one's thread was done: the first endless conversion stops, and its
// thread takes the next one, as the kept conversion hands its result on. The last conversion,
// given up before it starts, then runs on the kept conversion's thread. Helpers start only once
// a gate is open, when every conversion has been asked for.
TEST_F(ConversionHelpersTest, AConversionWhoseHelperWasKeptStartsNoOther) {
    const GatedHelper gated;
    const auto helpers = std::make_shared<ConversionHelpers>(gated.program, outOfReach);
    helpers->keepWarm();
    waitingHelper(*helpers);
    const auto endless = entry(repeated("![[]()", 199'000), ContentTag::markdown);
    CancellationToken stopFirst, stopNext, givenUp;
    givenUp.cancel();
    test_support::Delivered<HelperResult> first, kept, next, last;
    helpers->run(main, "markdown.toHTML", endless, stopFirst, first.completion());
    ASSERT_TRUE(comes("take of the warm helper", [&] { return !helpers->waitingHelper(); }));
    WatchedQueue keptsQueue(main, [&] {
        stopFirst.cancel();
        EXPECT_TRUE(comes("take of the kept helper by the next conversion",
                          [&] { return !helpers->waitingHelper(); }));
    });
    std::optional<pid_t> startedMeanwhile;
    WatchedQueue lastsQueue(main, [&] { startedMeanwhile = helpers->waitingHelper(); });
    helpers->run(keptsQueue, "markdown.toHTML", entry("*x*", ContentTag::markdown), {},
                 kept.completion());
    helpers->run(main, "markdown.toHTML", endless, stopNext, next.completion());
    helpers->run(lastsQueue, "markdown.toHTML", endless, givenUp, last.completion());
    gated.open();
    ASSERT_TRUE(answered(last, "to the conversion given up"));
    EXPECT_EQ(kept.all().at(0).ending, HelperEnding::converted);
    EXPECT_EQ(startedMeanwhile, std::nullopt) << "a helper was started after one was kept";
    stopNext.cancel();
    EXPECT_TRUE(answered(next, "to the next conversion, stopped"));
}

// Kept warm, one helper serves conversion after conversion; one that dies at rest is collected
// at once, not used, and another is kept in its place; let go, none is left running.
TEST_F(ConversionHelpersTest, AWarmHelperServesTheNextConversionsAndNoneRunsWhenLetGo) {
    const auto helpers =
        std::make_shared<ConversionHelpers>(PINDRAKE_CONVERSION_HELPER, outOfReach);
    helpers->keepWarm();
    const pid_t warm = waitingHelper(*helpers);
    expectTheNextConverts(helpers);
    // An image crosses to the helper whole: the recogniser reads it, finds no text, and the
    // entry comes back; an image that did not arrive would end the helper instead.
    ClipboardContent icon;
    icon.image =
        platform::Image(*files::read(*resources::find("icons/pindrake.png")), "png", 64, 64);
    EXPECT_EQ(run(helpers, "image.ocr", icon).ending, HelperEnding::givenBack);
    EXPECT_EQ(helpers->waitingHelper(), warm);

    ::kill(warm, SIGKILL);
    expectEndedAndReplaced(*helpers, warm);
    expectTheNextConverts(helpers);
    helpers->letGo();
    EXPECT_FALSE(helpers->waitingHelper());
    EXPECT_TRUE(comes("collection of every helper", [] { return runningHelpers().empty(); }));
    EXPECT_TRUE(comes("close of every collected helper's process descriptor",
                      [] { return openProcessDescriptors() == 0; }));
}

// A helper ends with the thread that started it, and so with an app that was killed.
TEST(HelperProcessTest, AHelperEndsWithTheThreadThatStartedIt) {
    std::unique_ptr<HelperProcess> helper;
    std::thread([&helper] {
        helper = HelperProcess::start(PINDRAKE_CONVERSION_HELPER, outOfReach.memoryBytes);
        ASSERT_TRUE(helper);
        // Once it has answered, it has set itself to end with this thread.
        const auto input = entry("*x*", ContentTag::markdown);
        const auto request = helper_protocol::request("markdown.toHTML", input);
        ASSERT_TRUE(helper_protocol::writeAll(helper->socket(), request.pieces()));
        helper_protocol::ReplyReader reply(1 << 20);
        auto state = helper_protocol::ReplyReader::State::incomplete;
        while (state == helper_protocol::ReplyReader::State::incomplete) {
            pollfd ready{helper->socket(), POLLIN, 0};
            ASSERT_EQ(::poll(&ready, 1, static_cast<int>(safetyNet.count())), 1)
                << "no reply within the safety net";
            const auto [at, room] = reply.space();
            const auto got = ::recv(helper->socket(), at, room, 0);
            ASSERT_GT(got, 0);
            state = reply.received(static_cast<std::size_t>(got));
        }
        ASSERT_EQ(state, helper_protocol::ReplyReader::State::complete);
    }).join();
    ASSERT_TRUE(helper);
    EXPECT_TRUE(comes("end of the helper with its thread", [&] { return !helper->isAtRest(); }));
}

// The helper holds its cap on its own: with an app that reads nothing, it still ends before its
// resident set passes the cap, saying so.
TEST(HelperProcessTest, AHelperWhoseAppReadsNothingEndsAtItsMemoryCap) {
    auto ended = std::make_shared<std::atomic<bool>>(false);
    const auto helper = HelperProcess::start(PINDRAKE_CONVERSION_HELPER, smallMemoryCap,
                                             [ended] { *ended = true; });
    ASSERT_TRUE(helper);
    ::fcntl(helper->socket(), F_SETFL, ::fcntl(helper->socket(), F_GETFL) & ~O_NONBLOCK);
    const auto input = entry(growingLinks(), ContentTag::markdown);
    ASSERT_TRUE(helper_protocol::writeAll(
        helper->socket(), helper_protocol::request("markdown.toHTML", input).pieces()));
    std::size_t peak = 0;
    EXPECT_TRUE(comes("end of the helper at its memory cap", [&] {
        peak = std::max(peak, peakResidentBytes(helper->pid()));
        return *ended || peak > smallMemoryCap;
    }));
    EXPECT_LE(peak, smallMemoryCap);
    char word = 0;
    EXPECT_EQ(::recv(helper->socket(), &word, 1, MSG_DONTWAIT), 1);
    EXPECT_EQ(word, static_cast<char>(helper_protocol::endedAtMemoryCap));
}

// What the helper answers is believed only when it is a reply: anything else, or a result
// announced over the cap, ends the helper and gives the entry back.
TEST(HelperReplyTest, OnlyWellFormedRepliesWithinTheCapAreTaken) {
    using State = helper_protocol::ReplyReader::State;
    const auto converted = [](char kind, std::uint64_t size, std::string text) {
        std::string reply{'\1', kind};
        reply.append(reinterpret_cast<const char*>(&size), sizeof size);
        return reply + text;
    };
    const std::string plainText(1, static_cast<char>(ContentTag::plainText));
    const struct {
        std::string stream;  // as one read
        State state;
    } cases[] = {
        {std::string(1, '\0'), State::complete},    // the entry comes back
        {std::string("\0x", 2), State::malformed},  // and more after it
        {"\2", State::overMemory},                  // the helper ended at its memory cap
        {"\7", State::malformed},                   // no such status
        {converted(plainText[0], 5, "abcde"), State::complete},
        {converted(11, 1, "x"), State::malformed},           // no such kind
        {converted(plainText[0], 17, ""), State::tooLarge},  // over the cap of 16, told at once
    };
    for (const auto& c : cases) {
        helper_protocol::ReplyReader reader(16);
        std::string_view left = c.stream;
        State state = State::incomplete;
        while (!left.empty() && state == State::incomplete) {
            const auto [at, room] = reader.space();
            const std::size_t count = std::min(room, left.size());
            std::memcpy(at, left.data(), count);
            left.remove_prefix(count);
            state = reader.received(count);
        }
        EXPECT_EQ(state, c.state) << ::testing::PrintToString(c.stream);
        if (reader.hasResult() && state == State::complete) {
            EXPECT_EQ(reader.take()->plainText, "abcde");
        }
    }
}

}  // namespace
}  // namespace pindrake::converters
