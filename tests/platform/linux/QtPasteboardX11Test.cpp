// The clipboard backend against owners that misbehave: whatever they do, the main thread keeps
// running, and the copy comes out whole, without the types they failed to give, or not at all.
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <vector>

#include "clipboard/ClipboardMonitor.h"
#include "foundation/BackgroundTask.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/ScriptedSelectionOwner.h"
#include "support/ChildProcess.h"
#include "support/QtEventLoop.h"
#include "support/ReadLimits.h"
#include "support/SanitizerSlowdown.h"
#include "support/TestFiles.h"

namespace pindrake::platform {

// Each type with the start of its bytes and their length, for failures that compare contents.
void PrintTo(const PasteboardContents& contents, std::ostream* out) {
    *out << "{";
    for (const auto& entry : contents.entries())
        *out << " " << entry.type << ": \"" << entry.data.substr(0, 24) << "\" ("
             << entry.data.size() << " bytes)";
    *out << " }";
}

namespace {

using namespace std::chrono_literals;

// A limit the owner's thread acts well within, even on a loaded machine; a read that must end
// by such a limit waits it out.
const std::chrono::milliseconds ownerActs(
    static_cast<std::chrono::milliseconds::rep>(2000 * test_support::sanitizerSlowdown));
// Limits that no read in these tests reaches unless it is the one a case is about.
const auto beyondTheTest = test_support::limitOutOfReach;
using test_support::waitUntil;
using testing::ScriptedSelectionOwner;
using Behaviour = ScriptedSelectionOwner::Behaviour;

// Counts the turns of the main queue, by a 1 ms timer.
class MainQueueTurns {
  public:
    MainQueueTurns() {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { ++count_; });
        timer_.start();
    }
    int count() const { return count_; }

  private:
    QTimer timer_;
    int count_ = 0;
};

class QtPasteboardX11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("DISPLAY").isEmpty())
            GTEST_SKIP() << "needs an X display (tests/support/with-x11)";
        readWithin(test_support::readLimitsOutOfReach());
    }

    // A new pasteboard, and a monitor on it, whose reads end by these limits.
    void readWithin(SelectionReadLimits limits) {
        monitor.reset();
        captured.clear();
        offered.clear();
        pasteboard = std::make_unique<QtPasteboard>(limits);
        monitor = clipboard::ClipboardMonitor::create(
            {main, *pasteboard, workspace, codec,
             [this](std::function<void()> job) { checks.async(std::move(job)); }},
            [this](clipboard::ClipboardContent content, const PasteboardContents& read) {
                captured.push_back(std::move(content));
                offered.push_back(read);
            });
        monitor->start();
    }

    // Waits for the next change. The limit only keeps a broken read from hanging the suite: it
    // is far beyond the read limits the tests give the pasteboard.
    void waitForChange(std::int64_t since) {
        EXPECT_TRUE(waitUntil([&] { return pasteboard->changeCount() != since; }, 10 * ownerActs));
    }

    // While `owner` holds an answer the read in progress needs, the main queue keeps turning
    // and the pasteboard's contents are at hand: true when both happened before the owner let
    // go, which it does only when released (or after far longer than any read limit here).
    bool mainThreadRunsWhileHeld(const ScriptedSelectionOwner& owner) {
        if (!waitUntil([&] { return owner.isHolding(); }, test_support::mustFinishWithin)) {
            ADD_FAILURE() << "the owner was never asked for the answer it holds";
            return false;
        }
        MainQueueTurns turns;
        waitUntil([&] { return turns.count() >= 3 || !owner.isHolding(); },
                  test_support::mustFinishWithin);
        const auto startedIn = pasteboard->changeCount();
        pasteboard->read();
        return owner.isHolding() && turns.count() >= 3 && pasteboard->changeCount() == startedIn;
    }

    // Waits until the clipboard has stopped changing.
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

    // Writes as the app does after the user's key press, which gives the toolkit a recent server
    // time to claim the clipboard with. Here no event may have reached it since an owner an
    // earlier case left took the clipboard, and the server refuses a claim older than that one:
    // a change of a root window property is an event whose time the toolkit takes.
    bool writeAsAfterAKeyPress(const PasteboardContents& contents) {
        class PropertyChangeSeen final : public QAbstractNativeEventFilter {
          public:
            explicit PropertyChangeSeen(xcb_atom_t atom) : atom_(atom) {}
            bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
                const auto* event = static_cast<const xcb_generic_event_t*>(message);
                seen = seen ||
                       ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                        reinterpret_cast<const xcb_property_notify_event_t*>(event)->atom == atom_);
                return false;
            }
            bool seen = false;

          private:
            xcb_atom_t atom_;
        };
        XcbConnection x;
        PropertyChangeSeen change(x.atom("PINDRAKE_TEST_TIME"));
        qApp->installNativeEventFilter(&change);
        const char now = 1;
        x.succeeded(xcb_change_property_checked(x.get(), XCB_PROP_MODE_REPLACE, x.root(),
                                                x.atom("PINDRAKE_TEST_TIME"), XCB_ATOM_INTEGER, 8,
                                                1, &now));
        EXPECT_TRUE(waitUntil([&] { return change.seen; }, test_support::mustFinishWithin));
        qApp->removeNativeEventFilter(&change);
        return pasteboard->write(contents);
    }

    // The monitor checks the clipboard as it is now, without waiting for its next poll; its
    // captures come in the order of its checks.
    void checkNow() {
        monitor->scheduleCheckOnMain();
        const auto checked = std::make_shared<bool>(false);
        main.post([checked] { *checked = true; });
        EXPECT_TRUE(waitUntil([checked] { return *checked; }));
    }

    // Once what is under test has been checked, another application copies and the copy is
    // waited for until captured: what the copies before it still had to do (a late answer, a
    // second count, a capture) would have happened first. The copy counts one change and one
    // capture.
    void copyLaterAndWait() {
        checkNow();
        laterCopy = std::make_unique<ScriptedSelectionOwner>(
            std::vector<ScriptedSelectionOwner::Offer>{{"UTF8_STRING", "a later copy"}});
        EXPECT_TRUE(waitUntil(
            [&] { return !captured.empty() && captured.back().plainText == "a later copy"; },
            10 * ownerActs));
    }

    QtScheduler main{qApp};
    ScriptedWorkspace workspace;
    const std::shared_ptr<const FakeImageCodec> codec = std::make_shared<const FakeImageCodec>();
    WorkQueue checks{"capture-checks", 1};
    std::unique_ptr<QtPasteboard> pasteboard;
    std::shared_ptr<clipboard::ClipboardMonitor> monitor;
    std::vector<clipboard::ClipboardContent> captured;
    // What each capture was read as.
    std::vector<PasteboardContents> offered;
    // Kept until the test ends: the clipboard holds it meanwhile.
    std::unique_ptr<ScriptedSelectionOwner> laterCopy;
};

// The read runs on a worker: an owner holding its answer, or the next chunk of an incremental
// transfer, holds up neither the main queue nor a read of the
// pasteboard, and once it answers the copy comes out whole.
TEST_F(QtPasteboardX11Test, TheMainThreadNeverWaitsForAnOwnerHoldingItsAnswer) {
    SelectionReadLimits patient;
    patient.perAnswer = beyondTheTest;
    patient.wholeRead = beyondTheTest;
    readWithin(patient);
    const std::string text(256 << 10, 'h');
    const std::vector<std::pair<const char*, ScriptedSelectionOwner::Offer>> cases = {
        {"held text", {"UTF8_STRING", "held", ScriptedSelectionOwner::untilReleased}},
        {"held between chunks",
         {"UTF8_STRING", text, 0ms, false, 16 << 10, ScriptedSelectionOwner::untilReleased}},
    };
    for (const auto& [name, offer] : cases) {
        SCOPED_TRACE(name);
        quiet();
        const auto before = pasteboard->changeCount();
        ScriptedSelectionOwner owner({offer});
        EXPECT_TRUE(mainThreadRunsWhileHeld(owner));
        owner.release();
        waitForChange(before);
        EXPECT_EQ(pasteboard->read(),
                  (PasteboardContents{{"public.utf8-plain-text", offer.bytes}}));
    }
}

TEST_F(QtPasteboardX11Test, OwnersThatFailGiveOnlyWhatTheyDeliveredInTime) {
    struct Case {
        const char* name;
        std::vector<ScriptedSelectionOwner::Offer> offers;
        Behaviour behaviour;
        PasteboardContents expected;
        // The one limit that can end the read; the others lie beyond the test.
        std::chrono::milliseconds perAnswer = beyondTheTest;
        std::chrono::milliseconds wholeRead = beyondTheTest;
        // What the log says was lost, and why; a refusal is no loss.
        std::string logged = {};
    };
    const std::string incremental(256 << 10, 'i');
    const std::vector<Case> cases = {
        {"never answers",
         {{"UTF8_STRING", "text"}},
         Behaviour::neverAnswers,
         {},
         ownerActs,
         beyondTheTest,
         "A copy could not be read: its owner did not say what it holds within the read's time "
         "limit\n"},
        {"lists its targets, gives no data",
         {{"text/plain", "text"},
          {"text/html", "<b>x</b>"},
          {"image/png", "png"},
          {"image/tiff", "tiff"},
          {"text/uri-list", "file:///a"}},
         Behaviour::answersOnlyTargets,
         {},
         beyondTheTest,
         ownerActs,
         "A copy was read without public.utf8-plain-text, public.html, public.png, public.tiff, "
         "public.file-url: its owner did not give it within the read's time limit\n"},
        // Asked for its text first, an owner that leaves once it has served a request or two
        // has given it. Nothing but noticing it gone ends the read of what it took away.
        {"dies after listing its targets",
         {{"UTF8_STRING", "text"}},
         Behaviour::diesAfterTargets,
         {{"public.utf8-plain-text", "text"}}},
        {"dies after listing its targets, its text sent incrementally",
         {{"UTF8_STRING", incremental, 0ms, false, 16 << 10}},
         Behaviour::diesAfterTargets,
         {{"public.utf8-plain-text", incremental}}},
        {"dies after listing its targets, holding no text",
         {{"text/html", "<b>x</b>"}},
         Behaviour::diesAfterTargets,
         {},
         beyondTheTest,
         beyondTheTest,
         "A copy was not captured: its owner left before giving public.html\n"},
        {"slow, refusing and hanging on different types",
         {{"UTF8_STRING", "slow but in time", 400ms},
          {"text/html", "<p>refused</p>", 0ms, true},
          {"application/x-late", "too late", ScriptedSelectionOwner::untilReleased},
          {"text/plain", "a later text target, never preferred"}},
         Behaviour::serves,
         {{"public.utf8-plain-text", "slow but in time"}},
         400ms + ownerActs,
         beyondTheTest,
         "A copy was read without application/x-late: its owner did not give it within the "
         "read's time limit\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionReadLimits limits;
        limits.perAnswer = c.perAnswer;
        limits.wholeRead = c.wholeRead;
        readWithin(limits);
        quiet();
        captured.clear();
        const auto before = pasteboard->changeCount();
        ::testing::internal::CaptureStderr();
        ScriptedSelectionOwner owner(c.offers, c.behaviour);
        waitForChange(before);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.logged);
        const bool leaves = c.behaviour == Behaviour::diesAfterTargets;
        if (!leaves) {
            EXPECT_TRUE(owner.isHolding()) << "the read waited for the owner, not for its limit";
        }
        copyLaterAndWait();
        EXPECT_EQ(pasteboard->changeCount(), before + 2);
        EXPECT_EQ(captured.size(), c.expected.empty() ? 1u : 2u);
        if (!c.expected.empty() && !offered.empty()) {
            EXPECT_EQ(offered.front(), c.expected);
        }
        laterCopy.reset();
    }
}

// Unless told otherwise, a read ends three seconds after it started whatever the owner does: an
// owner that never answers, where no single answer's limit cuts in, is given up by that limit
// while it still holds the clipboard.
TEST_F(QtPasteboardX11Test, AReadEndsThreeSecondsAfterItStartedByDefault) {
    EXPECT_EQ(SelectionReadLimits().wholeRead, 3s);
    SelectionReadLimits limits;
    limits.perAnswer = beyondTheTest;
    readWithin(limits);
    quiet();
    captured.clear();
    const auto before = pasteboard->changeCount();
    ScriptedSelectionOwner owner({{"UTF8_STRING", "text"}}, Behaviour::neverAnswers);
    waitForChange(before);
    EXPECT_TRUE(owner.isHolding()) << "the read waited for the owner, not for its limit";
    EXPECT_EQ(pasteboard->read(), PasteboardContents{});
    copyLaterAndWait();
    EXPECT_EQ(pasteboard->changeCount(), before + 2);
    EXPECT_EQ(captured.size(), 1u);
}

// Another application copies while a copy is read: the older copy is kept with what its owner
// still gives whole, before the newer one; what it can no longer give is logged, with the
// reason, and nothing of the newer copy joins it.
TEST_F(QtPasteboardX11Test, ACopyMadeDuringAReadLeavesTheOlderOneWhatItsOwnerGivesWhole) {
    using Offer = ScriptedSelectionOwner::Offer;
    const auto held = ScriptedSelectionOwner::untilReleased;
    const std::string big(256 << 10, 'b');
    const std::string plainText(pasteboard_type::plainText);
    struct Case {
        const char* name;
        // The older owner holds the answer (or chunk) the read waits for when the newer copy
        // is made, until released after it.
        std::vector<Offer> older;
        Behaviour behaviour;
        PasteboardContents kept;  // empty: lost
        std::string logged;
        // The one limit that can end the read; beyond the test unless the owner stops.
        std::chrono::milliseconds perAnswer = beyondTheTest;
        // Captured only as the app quits, the newer copy read and waiting for the older one.
        bool atQuit = false;
    };
    const std::vector<Case> cases = {
        {"gives the image it held",
         {{"UTF8_STRING", "older"}, {"image/png", "older png", held}},
         Behaviour::serves,
         {{plainText, "older"}, {"public.png", "older png"}},
         ""},
        {"cannot be asked for the types after the one it held",
         {{"UTF8_STRING", "older"}, {"text/html", "<b>older</b>", held}, {"image/png", "png"}},
         Behaviour::serves,
         {{plainText, "older"}, {"public.html", "<b>older</b>"}},
         "A copy was read without public.png: a newer copy took its place before its owner gave "
         "it\n"},
        {"sends the rest of its text",
         {{"UTF8_STRING", big, 0ms, false, 16 << 10, held}},
         Behaviour::serves,
         {{plainText, big}},
         "A copy was read as text only: a newer copy took its place before its owner said what "
         "else it holds\n"},
        {"stops sending its text",
         {{"UTF8_STRING", big, 0ms, false, 16 << 10, held}},
         Behaviour::stopsSendingOnceReplaced,
         {},
         "A copy was not captured: a newer copy took its place before its owner said what it "
         "holds\n",
         ownerActs},
        {"gives the image it held, as the app quits",
         {{"UTF8_STRING", "older"}, {"image/png", "older png", held}},
         Behaviour::serves,
         {{plainText, "older"}, {"public.png", "older png"}},
         "",
         beyondTheTest,
         true},
    };
    const PasteboardContents newer = {
        {plainText, "newer"}, {"public.html", "<i>newer</i>"}, {"public.png", "newer png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionReadLimits limits = test_support::readLimitsOutOfReach();
        limits.perAnswer = c.perAnswer;
        readWithin(limits);
        quiet();
        if (c.atQuit)
            monitor->stop();
        ::testing::internal::CaptureStderr();
        ScriptedSelectionOwner olderOwner(c.older, c.behaviour);
        ASSERT_TRUE(waitUntil([&] { return olderOwner.isHolding(); }, 10 * ownerActs));
        ScriptedSelectionOwner newerOwner(
            {{"UTF8_STRING", "newer"}, {"text/html", "<i>newer</i>"}, {"image/png", "newer png"}});
        olderOwner.release();
        if (c.atQuit) {
            ASSERT_TRUE(waitUntil([&] { return !pasteboard->isReadingACopy(); }, 10 * ownerActs));
            monitor->finishAtQuit();
        }
        EXPECT_TRUE(
            waitUntil([&] { return !offered.empty() && offered.back() == newer; }, 10 * ownerActs));
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.logged);
        std::vector<PasteboardContents> expected = {newer};
        if (!c.kept.empty())
            expected.insert(expected.begin(), c.kept);
        EXPECT_EQ(offered, expected);
    }
}

// A real client's incremental transfer (that the main queue runs on while one is under way is
// told by an owner holding the next chunk, above).
TEST_F(QtPasteboardX11Test, ReadsFiftyMegabytesSentIncrementally) {
    test_support::TemporaryDirectory folder;
    std::string big(50u << 20, 'a');
    for (std::size_t i = 0; i < big.size(); i += 4099)
        big[i] = static_cast<char>('b' + i % 23);
    const auto file = folder.path() / "big.txt";
    test_support::writeFile(file, big);

    const auto before = pasteboard->changeCount();
    test_support::ChildProcess xclip(
        {"xclip", "-selection", "clipboard", "-quiet", "-t", "UTF8_STRING", "-i"}, file.string());
    ASSERT_TRUE(xclip.started()) << "xclip could not be started";
    waitForChange(before);
    const PasteboardContents read = pasteboard->read();
    ASSERT_NE(read.data("public.utf8-plain-text"), nullptr);
    EXPECT_EQ(read.data("public.utf8-plain-text")->size(), big.size());
    EXPECT_TRUE(*read.data("public.utf8-plain-text") == big);
}

TEST_F(QtPasteboardX11Test, OurOwnWritesCountOnceAndAreNotReadBack) {
    const auto before = pasteboard->changeCount();
    const PasteboardContents ours = {{"public.utf8-plain-text", "ours"},
                                     {"public.html", "<i>o</i>"}};
    ASSERT_TRUE(writeAsAfterAKeyPress(ours));
    EXPECT_EQ(pasteboard->changeCount(), before + 1);
    EXPECT_EQ(pasteboard->read(), ours);
    copyLaterAndWait();
    EXPECT_EQ(pasteboard->changeCount(), before + 2);
}

// X11 names targets by byte strings: another application finds each type we write under the
// very bytes of its name, UTF-8 or not, and gets its data by that name.
TEST_F(QtPasteboardX11Test, OurWritesOfferEveryTypeUnderTheExactBytesOfItsName) {
    const PasteboardContents ours = {{"public.utf8-plain-text", "text"},
                                     {"application/x-\xff\xfe-raw", "not UTF-8"},
                                     {"application/x-\xc3\xa9-ok", "UTF-8"}};
    // A connection of its own, reading every owner.
    XcbClipboardReader otherApplication(std::nullopt, test_support::readLimitsOutOfReach());
    ASSERT_TRUE(otherApplication.isWatching());
    ASSERT_TRUE(writeAsAfterAKeyPress(ours));
    EXPECT_TRUE(waitUntil([&] { return *otherApplication.contents() == ours; },
                          test_support::mustFinishWithin));
    std::vector<std::string> offered;
    for (const auto& entry : otherApplication.contents()->entries())
        offered.push_back(entry.type + " = " + entry.data);
    EXPECT_EQ(offered, (std::vector<std::string>{"public.utf8-plain-text = text",
                                                 "application/x-\xff\xfe-raw = not UTF-8",
                                                 "application/x-\xc3\xa9-ok = UTF-8"}));
}

TEST_F(QtPasteboardX11Test, ASlowTransferIsReadWholeWhileItProgressesAndATrickleIsCut) {
    // Each chunk of 16 KiB earns as long again as the whole read is given at first; no single
    // answer is waited for too long.
    SelectionReadLimits limits;
    limits.perAnswer = beyondTheTest;
    limits.wholeRead = ownerActs;
    limits.slowestRate =
        static_cast<std::size_t>((16 << 10) / std::chrono::duration<double>(ownerActs).count());
    readWithin(limits);
    quiet();

    // 256 KiB in chunks of 16 KiB, each an eighth of the whole-read limit after the last: twice
    // as long in all as that limit.
    const auto betweenChunks = ownerActs / 8;
    std::string text(256 << 10, 'a');
    for (std::size_t i = 0; i < text.size(); i += 1021)
        text[i] = static_cast<char>('b' + i % 23);
    auto before = pasteboard->changeCount();
    {
        ScriptedSelectionOwner owner({{"UTF8_STRING", text, 0ms, false, 16 << 10, betweenChunks}});
        waitForChange(before);
        const PasteboardContents contents = pasteboard->read();
        const std::string* read = contents.data("public.utf8-plain-text");
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->size(), text.size());
        EXPECT_TRUE(*read == text);
    }
    quiet();

    // A byte at the same pace would take fifty times the limit and earns next to nothing beyond
    // it: the read ends, empty, while the owner still has most of it to send.
    before = pasteboard->changeCount();
    ScriptedSelectionOwner owner(
        {{"UTF8_STRING", std::string(400, 'a'), 0ms, false, 1, betweenChunks}});
    waitForChange(before);
    EXPECT_LT(owner.sentBytes(), 200u);
    EXPECT_EQ(pasteboard->read(), PasteboardContents{});
}

}  // namespace
}  // namespace pindrake::platform
