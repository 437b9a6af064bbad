#include <gtest/gtest.h>

#include <thread>

#include "clipboard/PasteService.h"
#include "clipboard/Snapshot.h"
#include "foundation/BackgroundTask.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "support/CapturedStdout.h"
#include "support/HeldCall.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

namespace fs = std::filesystem;
using platform::FakeImageCodec;
using platform::PasteboardContents;

const std::string png = std::string(FakeImageCodec::pngSignature) + "png pixels";
const std::string tiff = std::string(FakeImageCodec::tiffSignature) + "tiff pixels";

// The app's capture loop on fakes: the monitor feeds the store; the paste service writes back.
class CaptureLoopTest : public ::testing::Test {
  protected:
    CaptureLoopTest() {
        pasteboard.simulateCopy({{"public.utf8-plain-text", "there before launch"}});
        monitor = ClipboardMonitor::create(
            {main, pasteboard, workspace, sharedCodec,
             [this](std::function<void()> job) { main.post(std::move(job)); }},
            [this](const ClipboardContent& content, const PasteboardContents& offered) {
                captured.push_back(content);
                store.add(content, offered);
            });
        monitor->start();
        keys.onPaste = [this] {
            clipboardAtPaste = pasteboard.contents();
            pausedAtPaste = monitor->isPaused();
        };
    }

    void copyText(const std::string& text) {
        pasteboard.simulateCopy({{"public.utf8-plain-text", text}});
    }

    // Pastes the entry and lets its read and its write run.
    void pasteEntry(const ClipboardItem& item) {
        service.paste(std::make_shared<const ClipboardItem>(item), store, monitor);
        main.runUntilIdle();
    }

    const ClipboardItem& copyAndCapture(const PasteboardContents& contents) {
        pasteboard.simulateCopy(contents);
        main.advance(ClipboardMonitor::pollInterval);
        return store.items()->front();
    }

    ManualScheduler main;
    platform::InMemoryPasteboard pasteboard;
    platform::ScriptedWorkspace workspace;
    platform::RecordingKeySynth keys;
    platform::InMemoryDefaults defaults;
    const std::shared_ptr<const FakeImageCodec> sharedCodec = std::make_shared<FakeImageCodec>();
    const FakeImageCodec& codec = *sharedCodec;
    test_support::TemporaryDirectory folder;
    HistoryStore store{folder.path(), {main, defaults, codec}};
    std::vector<ClipboardContent> captured;
    std::shared_ptr<ClipboardMonitor> monitor;
    // Where entries are read for a paste: a later turn of the main queue, or held for the test to
    // run.
    const std::function<void(std::function<void()>)> entryReads =
        [this](std::function<void()> job) {
            if (holdReads)
                heldReads.push_back(std::move(job));
            else
                main.post(std::move(job));
        };
    bool holdReads = false;
    std::vector<std::function<void()>> heldReads;
    PasteService service{{main, pasteboard, keys, codec, entryReads}};
    std::optional<PasteboardContents> clipboardAtPaste;
    bool pausedAtPaste = false;
};

using ClipboardMonitorTest = CaptureLoopTest;
using PasteServiceTest = CaptureLoopTest;

// Each change is read once, on the next poll, even when it repeats the text; what was there at
// launch is taken as seen, and a clipboard offering nothing usable is not read again at every poll.
TEST_F(ClipboardMonitorTest, ReadsEachChangeOnceOnTheNextPollButNotWhatWasThereAtLaunch) {
    workspace.frontmost = platform::RunningApplication{"org.example.Editor", 7};
    main.advance(seconds(1));
    EXPECT_TRUE(captured.empty());

    copyText("same");
    main.advance(seconds(0.4));
    EXPECT_TRUE(captured.empty());
    main.advance(seconds(0.1));
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].plainText, "same");
    EXPECT_EQ(captured[0].tags, ContentTags{ContentTag::plainText});
    EXPECT_EQ(captured[0].sourceBundleID, "org.example.Editor");
    copyText("same");
    main.advance(seconds(0.5));
    EXPECT_EQ(captured.size(), 2u);

    pasteboard.simulateCopy({{"application/x-private", "bytes"}});
    main.advance(seconds(5));
    EXPECT_EQ(captured.size(), 2u);
    EXPECT_EQ(pasteboard.readCount(), 3);

    monitor.reset();  // stops polling
    copyText("after");
    main.advance(seconds(2));
    EXPECT_EQ(captured.size(), 2u);
    EXPECT_EQ(pasteboard.readCount(), 3);
}

// The paste service pauses the monitor around its own writes and then takes the count as seen.
TEST_F(ClipboardMonitorTest, CopiesMadeWhilePausedAreNeverCaptured) {
    monitor->setPaused(true);
    copyText("during the pause");
    main.advance(seconds(2));
    EXPECT_TRUE(captured.empty());
    EXPECT_EQ(pasteboard.readCount(), 0);

    monitor->setLastChangeCount(pasteboard.changeCount());
    monitor->setPaused(false);
    main.advance(seconds(2));
    EXPECT_TRUE(captured.empty());
    copyText("after the pause");
    main.advance(seconds(0.5));
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].plainText, "after the pause");
}

// What was read, in one line: text, HTML, image format and kinds; "-" for absent.
std::string describe(const ClipboardContent& content) {
    std::string out = content.plainText.value_or("-") + " | " + content.html.value_or("-") + " | " +
                      (content.image ? content.image->format() : "-") + " |";
    for (ContentTag tag : content.tags)
        out += " " + std::string(rawValue(tag));
    return out;
}

TEST_F(ClipboardMonitorTest, ReadsByTypePreference) {
    const std::string picture = folder.write("a picture.png", png).string();
    const std::string notes = folder.write("notes.txt", "text").string();
    const std::string pictureUrl = "file://" + (folder.path() / "a%20picture.png").string();
    const std::string text = "public.utf8-plain-text";

    const std::vector<std::pair<PasteboardContents, std::string>> cases = {
        // A file: its path decoded; an image file is loaded.
        {{{"public.file-url", "# comment\r\n" + pictureUrl + "\r\n"}, {text, "a picture.png"}},
         picture + " | - | png |"},
        {{{"public.file-url", "file://" + notes}}, notes + " | - | - |"},
        {{{"public.file-url", "https://example.com/"}, {text, "https://example.com/"}},
         "https://example.com/ | - | - | url"},  // a web address in a URI list is no file
        {{{"public.tiff", tiff}, {"public.png", png}}, "- | - | png |"},
        {{{"public.tiff", tiff}}, "- | - | tiff |"},
        {{{"public.png", "garbage"}, {text, "caption"}}, "caption | - | - | plainText"},
        {{{"public.html", "<b>hi</b>"}, {text, "[1,2]"}}, "[1,2] | <b>hi</b> | - | json"},
        {{{"public.html", "<p>x</p>"}}, "- | <p>x</p> | - |"},
        {{{text, ""}}, " | - | - |"},
        {{{text, " \n "}}, " \n  | - | - | plainText"},
        {{{text, "a\xC3"}}, "a\uFFFD | - | - | plainText"},  // invalid UTF-8 is repaired
    };
    for (const auto& [offered, expected] : cases) {
        const auto content = ClipboardMonitor::readContent(offered, codec);
        ASSERT_TRUE(content) << expected;
        EXPECT_EQ(describe(*content), expected);
        std::set<std::string> types;
        for (const auto& entry : offered.entries())
            types.insert(entry.type);
        EXPECT_EQ(content->pasteboardTypes, types) << expected;
        EXPECT_EQ(content->sourceBundleID, std::nullopt) << expected;
    }

    EXPECT_FALSE(ClipboardMonitor::readContent({}, codec));
    EXPECT_FALSE(ClipboardMonitor::readContent({{"application/x-private", "bytes"}}, codec));
}

// A copy is checked (image structure, content detection) in a job for the worker, never inside
// the main queue's turn that read it. Copies reach the handler in the order they were made,
// whichever check ends first; a copy whose check fails is dropped, and a check still running when
// the monitor goes hands nothing on.
TEST_F(ClipboardMonitorTest, ChecksCopiesOnTheWorkerAndHandsThemOnInTheOrderMade) {
    std::vector<std::function<void()>> checks;  // the worker's jobs, run when the test says
    monitor = ClipboardMonitor::create(
        {main, pasteboard, workspace, sharedCodec,
         [&checks](std::function<void()> job) { checks.push_back(std::move(job)); }},
        [this](const ClipboardContent& content, const PasteboardContents& offered) {
            captured.push_back(content);
            store.add(content, offered);
        });
    monitor->start();
    const auto copyFrom = [&](const char* application, const PasteboardContents& contents) {
        workspace.frontmost = platform::RunningApplication{application, 1};
        pasteboard.simulateCopy(contents);
        main.advance(ClipboardMonitor::pollInterval);
    };
    copyFrom("org.example.Shot", {{"public.png", png}});
    copyFrom("org.example.Editor", {{"public.utf8-plain-text", "{\"a\": 1}"}});
    copyFrom("org.example.Broken", {{"public.png", "no picture"}});
    copyFrom("org.example.Term", {{"public.utf8-plain-text", "last"}});
    ASSERT_EQ(checks.size(), 4u);
    EXPECT_TRUE(captured.empty());

    for (std::size_t later : {3, 1, 2})
        checks[later]();
    main.runUntilIdle();
    EXPECT_TRUE(captured.empty()) << "a later copy overtook the first";
    checks[0]();
    main.runUntilIdle();
    ASSERT_EQ(captured.size(), 3u);
    EXPECT_EQ(describe(captured[0]), "- | - | png |");
    EXPECT_EQ(captured[0].sourceBundleID, "org.example.Shot");
    EXPECT_EQ(describe(captured[1]), "{\"a\": 1} | - | - | json");
    EXPECT_EQ(captured[1].sourceBundleID, "org.example.Editor");
    EXPECT_EQ(describe(captured[2]), "last | - | - | plainText");
    EXPECT_EQ(captured[2].sourceBundleID, "org.example.Term");
    EXPECT_EQ(store.items()->front().plainText, "last");

    copyFrom("org.example.Term", {{"public.utf8-plain-text", "copied at quit"}});
    ASSERT_EQ(checks.size(), 5u);
    monitor.reset();
    checks[4]();
    EXPECT_EQ(main.runUntilIdle(), 0u);
    EXPECT_EQ(captured.size(), 3u);
}

// A codec whose every check is held until the test releases it.
class HeldCodec final : public platform::ImageCodec {
  public:
    explicit HeldCodec(std::shared_ptr<test_support::HeldCall> call) : call_(std::move(call)) {}
    ~HeldCodec() override { call_->noteDestroyed(); }

    std::optional<platform::Image> decode(std::string_view bytes) const override {
        call_->hold();
        return FakeImageCodec().decode(bytes);
    }
    std::optional<platform::Image> inspect(std::string_view bytes) const override {
        return decode(bytes);
    }
    std::optional<std::string> encodePng(const platform::Image&) const override {
        return std::nullopt;
    }

  private:
    std::shared_ptr<test_support::HeldCall> call_;
};

// At quit the monitor, its worker queue and the codec the app made go while a copy is still
// being checked; the main thread does not wait for the check. The check keeps the codec until
// it ends, and then neither posts to the main queue nor hands the copy on.
TEST(ClipboardMonitorLifetimeTest, ACheckRunningAtQuitKeepsTheCodecAndHandsNothingOn) {
    ManualScheduler main;
    platform::InMemoryPasteboard pasteboard;
    const platform::ScriptedWorkspace workspace;
    const auto call = std::make_shared<test_support::HeldCall>();
    bool handedOn = false;
    {
        const auto codec = std::make_shared<const HeldCodec>(call);
        WorkQueue checks("capture-checks.test", 1);
        const auto monitor = ClipboardMonitor::create(
            {main, pasteboard, workspace, codec,
             [&checks](std::function<void()> job) { checks.async(std::move(job)); }},
            [&handedOn](ClipboardContent, const PasteboardContents&) { handedOn = true; });
        pasteboard.simulateCopy({{"public.png", png}});
        monitor->checkPasteboard();
        call->hasStarted.wait();
    }
    call->release.set_value();
    EXPECT_FALSE(call->destroyedInUse.get());
    EXPECT_EQ(main.pendingCount(), 0u) << "posted after the monitor went";
    main.runUntilIdle();
    EXPECT_FALSE(handedOn);
}

TEST_F(PasteServiceTest, PastesAnEntryFromItsWholeSnapshotAndNeverCapturesItsOwnPaste) {
    // Every type comes back byte for byte, binary and empty ones included.
    const PasteboardContents rich = {{"public.html", "<b>A</b>"},
                                     {"public.utf8-plain-text", "A"},
                                     {"application/x-private", std::string("\0\x01\xFF\0tail", 8)},
                                     {"application/x-empty", ""}};
    const ClipboardItem entry = copyAndCapture(rich);
    copyAndCapture({{"public.utf8-plain-text", "B"}});
    ASSERT_EQ(store.items()->size(), 2u);

    pasteEntry(entry);
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_EQ(clipboardAtPaste, rich);
    EXPECT_TRUE(pausedAtPaste);

    main.advance(seconds(0.1));
    pasteboard.simulateCopy({{"public.utf8-plain-text", "copied within the pause"}});
    EXPECT_TRUE(monitor->isPaused());
    main.advance(seconds(0.1));
    EXPECT_FALSE(monitor->isPaused());

    // Only our own write was taken as seen: another application's copy within the pause is kept.
    main.advance(seconds(3));
    ASSERT_EQ(store.items()->size(), 3u);
    EXPECT_EQ(store.items()->front().plainText, "copied within the pause");
    copyAndCapture({{"public.utf8-plain-text", "C"}});
    EXPECT_EQ(store.items()->size(), 4u);
}

// Without its snapshot an entry pastes what the history kept of it; with nothing kept, or nothing
// that can be read as kept, nothing is pasted and the monitor runs on at once.
TEST_F(PasteServiceTest, WithoutASnapshotPastesTheStoredContentOrNothing) {
    ClipboardContent content;
    content.plainText = "stored text";
    content.html = "<p>stored text</p>";
    content.image = codec.decode(png);
    store.add(content, {{"public.utf8-plain-text", "stored text"}});
    store.flush();
    const ClipboardItem entry = store.items()->front();
    fs::remove(folder.path() / (entry.id + ".pboard"));
    ClipboardItem empty;
    empty.id = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

    test_support::CapturedStdout printed;
    pasteEntry(entry);
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_EQ(clipboardAtPaste, (PasteboardContents{{"public.png", png},
                                                    {"public.html", "<p>stored text</p>"},
                                                    {"public.utf8-plain-text", "stored text"}}));
    main.advance(PasteService::resumeDelay);
    EXPECT_FALSE(monitor->isPaused());

    pasteEntry(empty);
    EXPECT_EQ(printed.take(), "[PasteService] restorePasteboard failed: " + entry.id + "\n" +
                                  "[PasteService] restorePasteboard failed: " + empty.id + "\n");
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_FALSE(monitor->isPaused());
    EXPECT_EQ(pasteboard.contents(), *clipboardAtPaste);
    main.advance(seconds(1));
    EXPECT_EQ(store.items()->size(), 1u);
    EXPECT_EQ(copyAndCapture({{"public.utf8-plain-text", "after"}}).plainText, "after");

    // Nor when a text kept in a file of its own is not the one recorded: another text is neither
    // pasted nor copied, and a conversion of nothing, or to nothing, pastes nothing either.
    const ClipboardItem kept =
        copyAndCapture({{"public.utf8-plain-text", std::string(70000, 'a')}});
    store.flush();
    fs::remove(folder.path() / (kept.id + ".pboard"));
    test_support::writeFile(folder.path() / (kept.id + ".plainText"), std::string(70000, 'b'));
    const PasteboardContents before = pasteboard.contents();
    bool copied = true;
    service.restore(std::make_shared<const ClipboardItem>(kept), store, monitor,
                    [&copied](bool written) { copied = written; });
    main.runUntilIdle();
    pasteEntry(kept);
    service.paste(ClipboardContent{}, monitor);
    ClipboardContent emptyResult;
    emptyResult.plainText = "";
    service.paste(emptyResult, monitor);
    EXPECT_FALSE(copied);
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_EQ(pasteboard.contents(), before);
    EXPECT_FALSE(monitor->isPaused());

    // Nor an empty text, kept as an entry: from its snapshot or from what is stored, it would
    // only empty the clipboard. The log says why nothing was pasted.
    const ClipboardItem emptyText = copyAndCapture({{"public.utf8-plain-text", ""}});
    for (const bool withSnapshot : {true, false}) {
        SCOPED_TRACE(withSnapshot);
        store.flush();
        if (!withSnapshot)
            fs::remove(folder.path() / (emptyText.id + ".pboard"));
        const auto changes = pasteboard.changeCount();
        testing::internal::CaptureStderr();
        pasteEntry(emptyText);
        const std::string logged = testing::internal::GetCapturedStderr();
        EXPECT_NE(logged.find(emptyText.id + " holds nothing to paste"), std::string::npos);
        EXPECT_EQ(keys.pasteCount(), 1);
        EXPECT_EQ(pasteboard.changeCount(), changes);
        EXPECT_FALSE(monitor->isPaused());
    }
}

// Another application copies just before each write of ours, which then cannot take the
// clipboard: whatever the route, no key is posted, and that copy is captured on the next poll.
TEST_F(PasteServiceTest, WhenAnotherApplicationTookTheClipboardFirstNothingIsPasted) {
    const ClipboardItem withSnapshot = copyAndCapture({{"public.utf8-plain-text", "snapshot"}});
    ClipboardContent text;
    text.plainText = "stored only";
    store.add(text, {{"public.utf8-plain-text", "stored only"}});
    store.flush();
    const ClipboardItem withoutSnapshot = store.items()->front();
    fs::remove(folder.path() / (withoutSnapshot.id + ".pboard"));
    const std::vector<std::pair<const char*, std::function<void()>>> routes = {
        {"entry", [&] { pasteEntry(withSnapshot); }},
        {"entry without its snapshot", [&] { pasteEntry(withoutSnapshot); }},
        {"converted content", [&] { service.paste(text, monitor); }},
    };
    const test_support::CapturedStdout printed;
    pasteboard.clipboardTaken = true;
    for (const auto& [name, paste] : routes) {
        SCOPED_TRACE(name);
        const std::size_t before = store.items()->size();
        copyText(std::string("copied meanwhile by ") + name);
        paste();
        EXPECT_EQ(keys.pasteCount(), 0);
        EXPECT_FALSE(monitor->isPaused());
        main.advance(ClipboardMonitor::pollInterval);
        ASSERT_EQ(store.items()->size(), before + 1);
        EXPECT_EQ(store.items()->front().plainText, std::string("copied meanwhile by ") + name);
    }

    // Nor is a copy made while the entry is read written over, once read or still being read,
    // though our write could take the clipboard.
    pasteboard.clipboardTaken = false;
    holdReads = true;
    for (const bool stillBeingRead : {false, true}) {
        SCOPED_TRACE(stillBeingRead);
        const auto copied = "copied during the read " + std::to_string(stillBeingRead);
        service.paste(std::make_shared<const ClipboardItem>(withSnapshot), store, monitor);
        pasteboard.readingACopy = stillBeingRead;
        if (!stillBeingRead)
            copyText(copied);
        for (const auto& read : std::exchange(heldReads, {}))
            read();
        main.runUntilIdle();
        EXPECT_EQ(keys.pasteCount(), 0);
        EXPECT_FALSE(monitor->isPaused());
        pasteboard.readingACopy = false;
        if (stillBeingRead)
            copyText(copied);
        main.advance(ClipboardMonitor::pollInterval);
        EXPECT_EQ(store.items()->front().plainText, copied);
    }
    holdReads = false;

    // Terminals paste the primary selection, which another application can take just as well.
    pasteboard.primarySelectionTaken = true;
    keys.frontmostPasteKey = platform::PasteKey::shiftInsert;
    service.paste(text, monitor);
    EXPECT_EQ(keys.pasteCount(), 0);
}

// An entry is read on a worker, never in the turn that starts its paste: the snapshot pasted is
// the one on disk when the worker reads it. The monitor stays paused until the write, and the key
// goes after it. The user's latest choice wins over a paste still reading, whatever its route,
// and a read that ends after the service is gone posts nothing.
TEST_F(PasteServiceTest, ReadsTheEntryOffTheMainTurnAndPastesOnlyTheLatestChoice) {
    const ClipboardItem first = copyAndCapture({{"public.utf8-plain-text", "first"}});
    const ClipboardItem second = copyAndCapture({{"public.utf8-plain-text", "second"}});
    store.flush();
    holdReads = true;
    const auto runHeldReads = [this] {
        std::thread worker([reads = std::exchange(heldReads, {})] {
            for (const auto& read : reads)
                read();
        });
        worker.join();
        main.runUntilIdle();
    };
    const PasteboardContents rewritten = {{"public.utf8-plain-text", "rewritten"}};

    const auto changes = pasteboard.changeCount();
    service.paste(std::make_shared<const ClipboardItem>(first), store, monitor);
    test_support::writeFile(folder.path() / (first.id + ".pboard"), *snapshot::encode(rewritten));
    main.runUntilIdle();
    EXPECT_EQ(heldReads.size(), 1u);
    EXPECT_EQ(pasteboard.changeCount(), changes);
    EXPECT_EQ(keys.pasteCount(), 0);
    EXPECT_TRUE(monitor->isPaused());
    runHeldReads();
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_EQ(clipboardAtPaste, rewritten);
    EXPECT_TRUE(pausedAtPaste);
    main.advance(PasteService::resumeDelay);
    EXPECT_FALSE(monitor->isPaused());

    service.paste(std::make_shared<const ClipboardItem>(first), store, monitor);
    service.paste(std::make_shared<const ClipboardItem>(second), store, monitor);
    runHeldReads();
    EXPECT_EQ(keys.pasteCount(), 2);
    EXPECT_EQ(clipboardAtPaste, (PasteboardContents{{"public.utf8-plain-text", "second"}}));
    main.advance(PasteService::resumeDelay);

    ClipboardContent converted;
    converted.plainText = "converted";
    service.paste(std::make_shared<const ClipboardItem>(first), store, monitor);
    service.paste(converted, monitor);
    runHeldReads();
    EXPECT_EQ(keys.pasteCount(), 3);
    EXPECT_EQ(pasteboard.contents(), (PasteboardContents{{"public.utf8-plain-text", "converted"}}));
    main.advance(PasteService::resumeDelay);
    EXPECT_FALSE(monitor->isPaused());

    // A later choice that starts before the earlier paste resumes holds the monitor paused until
    // its own write, which is never captured; a choice called off never writes.
    service.paste(std::make_shared<const ClipboardItem>(first), store, monitor);
    runHeldReads();
    main.advance(PasteService::resumeDelay / 2);
    service.paste(std::make_shared<const ClipboardItem>(second), store, monitor);
    main.advance(PasteService::resumeDelay);
    EXPECT_TRUE(monitor->isPaused());
    runHeldReads();
    monitor->checkPasteboard();
    EXPECT_EQ(keys.pasteCount(), 5);
    service.paste(std::make_shared<const ClipboardItem>(first), store, monitor);
    service.callOff();
    EXPECT_FALSE(monitor->isPaused());
    runHeldReads();
    main.advance(seconds(2));
    EXPECT_EQ(keys.pasteCount(), 5);
    EXPECT_EQ(pasteboard.contents(), (PasteboardContents{{"public.utf8-plain-text", "second"}}));
    EXPECT_EQ(store.items()->size(), 2u);

    {
        PasteService leaving{{main, pasteboard, keys, codec, entryReads}};
        leaving.paste(std::make_shared<const ClipboardItem>(second), store, monitor);
    }
    const auto pending = main.pendingCount();
    runHeldReads();
    EXPECT_EQ(main.pendingCount(), pending);
    EXPECT_EQ(keys.pasteCount(), 5);
    EXPECT_EQ(pasteboard.contents(), (PasteboardContents{{"public.utf8-plain-text", "second"}}));
}

// A content goes on the clipboard best form first. Terminals that paste only the primary
// selection get it there too; other applications leave the user's selection alone. Without
// trust no keys are sent, but the content is still on the clipboard, and the selection is left
// alone.
TEST_F(PasteServiceTest, PastesAContentBestFormFirstAndInThePrimarySelectionOnlyWhereItIsPasted) {
    ClipboardContent content;
    content.image = codec.decode(tiff);
    content.html = "<img>";
    content.plainText = "alt";
    const std::vector<std::string> bestFirst = {"public.png", "public.html",
                                                "public.utf8-plain-text"};
    using Key = std::optional<platform::PasteKey>;
    for (const Key key : {Key(platform::PasteKey::controlV), Key(platform::PasteKey::controlShiftV),
                          Key(platform::PasteKey::shiftInsert), Key()}) {
        SCOPED_TRACE(key ? static_cast<int>(*key) : -1);
        pasteboard.simulateCopy({});
        ASSERT_TRUE(pasteboard.copyToPrimarySelection());
        keys.frontmostPasteKey = key.value_or(platform::PasteKey::shiftInsert);
        keys.trusted = key.has_value();
        const int pastesBefore = keys.pasteCount();
        service.paste(content, monitor);
        ASSERT_EQ(keys.pasteCount(), pastesBefore + (key ? 1 : 0));
        if (key) {
            EXPECT_EQ(keys.pastes.back(), *key);
        }
        std::vector<std::string> types;
        for (const auto& entry : pasteboard.contents().entries())
            types.push_back(entry.type);
        EXPECT_EQ(types, bestFirst);
        EXPECT_EQ(pasteboard.primarySelection(), key == platform::PasteKey::shiftInsert
                                                     ? pasteboard.contents()
                                                     : PasteboardContents{});
        EXPECT_TRUE(monitor->isPaused());
        main.advance(PasteService::resumeDelay);
        EXPECT_FALSE(monitor->isPaused());
    }
    main.advance(seconds(2));
    EXPECT_TRUE(store.items()->empty());
}

// Copies read and waiting for their check are bounded in number and in bytes. At the bound the
// next copy stays on the clipboard, which keeps only the newest, and is read once a check has
// ended; the first copy is read whatever its size.
TEST_F(ClipboardMonitorTest, CopiesWaitingForTheirCheckAreBounded) {
    const struct {
        CaptureLimits limits;
        std::string first;
    } cases[] = {
        {{.maxWaitingCopies = 2}, "one"},
        {{.maxWaitingBytes = 4}, "one, larger than the bound"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        std::vector<std::function<void()>> checks;
        captured.clear();
        monitor = ClipboardMonitor::create(
            {main, pasteboard, workspace, sharedCodec,
             [&checks](std::function<void()> job) { checks.push_back(std::move(job)); }, c.limits},
            [this](const ClipboardContent& content, const PasteboardContents&) {
                captured.push_back(content);
            });
        monitor->start();
        const auto copyAndPoll = [&](const std::string& text) {
            copyText(text);
            main.advance(ClipboardMonitor::pollInterval);
        };
        const int readBefore = pasteboard.readCount();
        copyAndPoll(c.first);
        const std::size_t admitted = checks.size();
        for (const char* text : {"two", "three", "four"})
            copyAndPoll(text);
        EXPECT_EQ(checks.size(), admitted + (c.limits.maxWaitingCopies == 2 ? 1 : 0));
        EXPECT_EQ(pasteboard.readCount() - readBefore, static_cast<int>(checks.size()));

        while (!checks.empty()) {
            auto check = std::move(checks.front());
            checks.erase(checks.begin());
            check();
            main.advance(ClipboardMonitor::pollInterval);
        }
        std::vector<std::string> texts;
        for (const auto& content : captured)
            texts.push_back(content.plainText.value_or("(no text)"));
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back(), "four") << "the newest copy is read once there is room";
        EXPECT_EQ(texts.front(), c.first);
        EXPECT_LE(texts.size(), 3u);

        // Checked copies give their room back: two short copies are read again.
        copyAndPoll("5");
        copyAndPoll("6");
        EXPECT_EQ(checks.size(), 2u);
    }
}

// At quit every copy read reaches the handler, in order, before the call returns: the check in
// progress is waited for (by default too: it ends only after the quit has begun), those not
// started run at once, and a copy already read from the display but not yet polled is taken too.
// A check that outlasts the wait is the only one dropped. Every copy not saved is logged with
// the reason: one that holds nothing kept, one replaced on the clipboard before it was read, one
// still being read, and the check that outlasted the wait.
TEST(ClipboardMonitorQuitTest, HandsOnEveryCopyReadWaitingForTheCheckInProgress) {
    for (const bool checkEnds : {true, false}) {
        SCOPED_TRACE(checkEnds ? "the check ends" : "the check outlasts the wait");
        ManualScheduler main;
        platform::InMemoryPasteboard pasteboard;
        const platform::ScriptedWorkspace workspace;
        const auto call = std::make_shared<test_support::HeldCall>();
        WorkQueue worker("capture-checks.test", 1);
        std::vector<std::string> handedOn;
        const auto monitor = ClipboardMonitor::create(
            {main, pasteboard, workspace, std::make_shared<const HeldCodec>(call),
             [&worker](std::function<void()> job) { worker.async(std::move(job)); },
             checkEnds ? CaptureLimits{} : CaptureLimits{.quitWait = Duration::zero()}},
            [&handedOn](ClipboardContent content, const PasteboardContents&) {
                handedOn.push_back(content.image ? "image" : *content.plainText);
            });
        pasteboard.simulateCopy({{"public.png", png}});
        monitor->checkPasteboard();
        call->hasStarted.wait();
        pasteboard.simulateCopy({{"public.utf8-plain-text", "queued"}});
        monitor->checkPasteboard();
        pasteboard.simulateCopy({{"application/x-unknown", "nothing kept"}});
        monitor->checkPasteboard();
        pasteboard.simulateCopy({{"public.utf8-plain-text", "replaced before it was read"}});
        pasteboard.simulateCopy({{"public.utf8-plain-text", "not yet polled"}});
        pasteboard.readingACopy = true;

        testing::internal::CaptureStderr();
        std::thread release;
        if (checkEnds) {
            release = std::thread([&call] {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                call->release.set_value();
            });
        }
        monitor->finishAtQuit();
        if (release.joinable())
            release.join();
        else
            call->release.set_value();
        std::string logged =
            "A copy still being read from the clipboard at quit was not captured: its owner had "
            "not given all of it yet\n"
            "Copies replaced on the clipboard before they could be read were not captured: 1\n"
            "A copy was not captured: it holds no text, HTML, image or file (it offered "
            "application/x-unknown)\n";
        if (!checkEnds)
            logged +=
                "1 copy still being checked at quit was not saved: its check outlasted the "
                "wait at quit\n";
        EXPECT_EQ(testing::internal::GetCapturedStderr(), logged);
        const std::vector<std::string> expected =
            checkEnds ? std::vector<std::string>{"image", "queued", "not yet polled"}
                      : std::vector<std::string>{"queued", "not yet polled"};
        EXPECT_EQ(handedOn, expected);
        main.runUntilIdle();
        EXPECT_EQ(handedOn, expected) << "nothing is handed on twice or after quit";
    }
}

}  // namespace
}  // namespace pindrake::clipboard
