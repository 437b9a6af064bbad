// The clipboard backend against owners that misbehave: whatever they do, the main thread keeps
// running, and the copy comes out whole, without the types they failed to give, or not at all.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "clipboard/ClipboardMonitor.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/ScriptedSelectionOwner.h"
#include "support/QtEventLoop.h"
#include "support/TestFiles.h"

namespace pindrake::platform {
namespace {

using namespace std::chrono_literals;
using test_support::waitUntil;
using testing::ScriptedSelectionOwner;
using Behaviour = ScriptedSelectionOwner::Behaviour;

// The longest time the main queue went without running a 1 ms timer.
class MainQueueStallMeter {
  public:
    MainQueueStallMeter() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, sinceLastTick_.restart()); });
        sinceLastTick_.start();
        timer_.start();
    }
    std::chrono::milliseconds longest() const { return std::chrono::milliseconds(longest_); }

  private:
    QTimer timer_;
    QElapsedTimer sinceLastTick_;
    qint64 longest_ = 0;
};

class QtPasteboardX11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("DISPLAY").isEmpty())
            GTEST_SKIP() << "needs an X display (tests/support/with-x11)";
        pasteboard = std::make_unique<QtPasteboard>();
        monitor = clipboard::ClipboardMonitor::create(
            {main, *pasteboard, workspace, codec},
            [this](const clipboard::ClipboardContent& content, const PasteboardContents&) {
                captured.push_back(content);
            });
        monitor->start();
    }

    // Waits for the next change and gives how long it took.
    std::chrono::milliseconds waitForChange(std::int64_t since) {
        QElapsedTimer elapsed;
        elapsed.start();
        EXPECT_TRUE(waitUntil([&] { return pasteboard->changeCount() != since; }, 8s));
        return std::chrono::milliseconds(elapsed.elapsed());
    }

    // Waits until the clipboard has stopped changing (an owner that leaves is a change too).
    void quiet() {
        auto last = pasteboard->changeCount();
        QElapsedTimer unchanged;
        unchanged.start();
        waitUntil([&] {
            if (pasteboard->changeCount() != last) {
                last = pasteboard->changeCount();
                unchanged.restart();
            }
            return unchanged.elapsed() > 500;
        });
    }

    // Lets the monitor poll and any late answer arrive.
    void settle() {
        waitUntil([] { return false; }, 1200ms);
    }

    QtScheduler main{qApp};
    ScriptedWorkspace workspace;
    FakeImageCodec codec;
    std::unique_ptr<QtPasteboard> pasteboard;
    std::shared_ptr<clipboard::ClipboardMonitor> monitor;
    std::vector<clipboard::ClipboardContent> captured;
};

// Generous against the load of a shared test machine; a read on the main thread stalled it
// for one to fifteen seconds.
constexpr auto tolerableStall = 150ms;

TEST_F(QtPasteboardX11Test,
       OwnersThatFailGiveOnlyWhatTheyDeliveredInTimeAndNeverStallTheMainQueue) {
    struct Case {
        const char* name;
        std::vector<ScriptedSelectionOwner::Offer> offers;
        Behaviour behaviour;
        PasteboardContents expected;
        std::chrono::milliseconds within;  // the read ends by then
    };
    const std::vector<Case> cases = {
        {"never answers", {{"UTF8_STRING", "text"}}, Behaviour::neverAnswers, {}, 2000ms},
        {"lists its targets, gives no data",
         {{"UTF8_STRING", "text"},
          {"text/html", "<b>x</b>"},
          {"image/png", "png"},
          {"image/tiff", "tiff"},
          {"text/uri-list", "file:///a"}},
         Behaviour::answersOnlyTargets,
         {},
         3800ms},
        {"dies after listing its targets",
         {{"UTF8_STRING", "text"}},
         Behaviour::diesAfterTargets,
         {},
         800ms},
        {"slow, refusing and hanging on different types",
         {{"UTF8_STRING", "slow but in time", 400ms},
          {"text/html", "<p>refused</p>", 0ms, true},
          {"application/x-late", "too late", 5000ms},
          {"text/plain", "a later text target, never preferred"}},
         Behaviour::serves,
         {{"public.utf8-plain-text", "slow but in time"}},
         3800ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        quiet();
        captured.clear();
        MainQueueStallMeter stalls;
        const auto before = pasteboard->changeCount();
        ScriptedSelectionOwner owner(c.offers, c.behaviour);
        const auto took = waitForChange(before);
        EXPECT_LT(took, c.within);
        EXPECT_EQ(pasteboard->read(), c.expected);
        settle();
        EXPECT_EQ(pasteboard->changeCount(), before + 1);
        EXPECT_EQ(captured.size(), c.expected.empty() ? 0u : 1u);
        EXPECT_LT(stalls.longest(), tolerableStall);
    }
}

TEST_F(QtPasteboardX11Test, ACopyMadeDuringAReadReplacesItWholly) {
    MainQueueStallMeter stalls;
    const auto before = pasteboard->changeCount();
    ScriptedSelectionOwner first({{"UTF8_STRING", "first copy"}, {"image/png", "png", 700ms}},
                                 Behaviour::serves);
    waitUntil([] { return false; }, 200ms);  // the first read now waits for the image
    ScriptedSelectionOwner second({{"UTF8_STRING", "second copy"}}, Behaviour::serves);
    waitForChange(before);
    settle();
    EXPECT_EQ(pasteboard->changeCount(), before + 1);
    EXPECT_EQ(pasteboard->read(), (PasteboardContents{{"public.utf8-plain-text", "second copy"}}));
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].plainText, "second copy");
    EXPECT_EQ(captured[0].pasteboardTypes, std::set<std::string>{"public.utf8-plain-text"});
    EXPECT_LT(stalls.longest(), tolerableStall);
}

TEST_F(QtPasteboardX11Test, ReadsFiftyMegabytesSentIncrementallyWithoutStalling) {
    test_support::TemporaryDirectory folder;
    std::string big(50u << 20, 'a');
    for (std::size_t i = 0; i < big.size(); i += 4099)
        big[i] = static_cast<char>('b' + i % 23);
    const auto file = folder.path() / "big.txt";
    test_support::writeFile(file, big);

    MainQueueStallMeter stalls;
    const auto before = pasteboard->changeCount();
    QProcess xclip;
    xclip.setStandardInputFile(QString::fromStdString(file.string()));
    xclip.start("xclip", {"-selection", "clipboard", "-quiet", "-t", "UTF8_STRING", "-i"});
    ASSERT_TRUE(xclip.waitForStarted(5000)) << "xclip is not installed";
    waitForChange(before);
    const PasteboardContents read = pasteboard->read();
    ASSERT_NE(read.data("public.utf8-plain-text"), nullptr);
    EXPECT_EQ(read.data("public.utf8-plain-text")->size(), big.size());
    EXPECT_TRUE(*read.data("public.utf8-plain-text") == big);
    EXPECT_LT(stalls.longest(), tolerableStall);
    xclip.kill();
    xclip.waitForFinished(5000);
}

TEST_F(QtPasteboardX11Test, OurOwnWritesCountOnceAndAreNotReadBack) {
    const auto before = pasteboard->changeCount();
    const PasteboardContents ours = {{"public.utf8-plain-text", "ours"},
                                     {"public.html", "<i>o</i>"}};
    pasteboard->write(ours);
    EXPECT_EQ(pasteboard->changeCount(), before + 1);
    EXPECT_EQ(pasteboard->read(), ours);
    settle();
    EXPECT_EQ(pasteboard->changeCount(), before + 1);
}

TEST_F(QtPasteboardX11Test, ASlowTransferIsReadWholeWhileItProgressesAndATrickleIsCut) {
    // Half a second for the whole read, and another for every 64 KiB received.
    monitor.reset();
    SelectionReadLimits limits;
    limits.wholeRead = 500ms;
    limits.slowestRate = 64 << 10;
    pasteboard = std::make_unique<QtPasteboard>(limits);
    quiet();

    // 384 KiB in chunks of 16 KiB, 60 ms apart: more than a second in all.
    std::string text(384 << 10, 'a');
    for (std::size_t i = 0; i < text.size(); i += 1021)
        text[i] = static_cast<char>('b' + i % 23);
    auto before = pasteboard->changeCount();
    {
        ScriptedSelectionOwner owner({{"UTF8_STRING", text, 0ms, false, 16 << 10, 60ms}});
        waitForChange(before);
        const PasteboardContents contents = pasteboard->read();
        const std::string* read = contents.data("public.utf8-plain-text");
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->size(), text.size());
        EXPECT_TRUE(*read == text);
    }
    quiet();

    // A byte every 60 ms would take 24 s; it earns next to nothing beyond the half second.
    before = pasteboard->changeCount();
    ScriptedSelectionOwner owner({{"UTF8_STRING", std::string(400, 'a'), 0ms, false, 1, 60ms}});
    EXPECT_LT(waitForChange(before), 3000ms);
    EXPECT_EQ(pasteboard->read(), PasteboardContents{});
}

}  // namespace
}  // namespace pindrake::platform
