#include <gtest/gtest.h>

#include "clipboard/PasteService.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

namespace fs = std::filesystem;
using platform::FakeImageCodec;
using platform::PasteboardContents;

const std::string png = std::string(FakeImageCodec::pngSignature) + "pixels";

// The app's capture loop on fakes: the monitor feeds the store; the paste service writes back.
class PasteServiceTest : public ::testing::Test {
  protected:
    PasteServiceTest() {
        monitor = ClipboardMonitor::create(
            {main, pasteboard, workspace, codec},
            [this](const ClipboardContent& content, const PasteboardContents& offered) {
                store.add(content, offered);
            });
        monitor->start();
        keys.onPaste = [this] {
            clipboardAtPaste = pasteboard.contents();
            pausedAtPaste = monitor->isPaused();
        };
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
    FakeImageCodec codec;
    test_support::TemporaryDirectory folder;
    HistoryStore store{folder.path(), {defaults, pasteboard, codec}};
    std::shared_ptr<ClipboardMonitor> monitor;
    PasteService service{{main, pasteboard, keys, codec}};
    std::optional<PasteboardContents> clipboardAtPaste;
    bool pausedAtPaste = false;
};

TEST_F(PasteServiceTest, PastesAnEntryFromItsWholeSnapshotAndNeverCapturesItsOwnPaste) {
    // Every type comes back byte for byte, binary and empty ones included.
    const PasteboardContents rich = {{"public.html", "<b>A</b>"},
                                     {"public.utf8-plain-text", "A"},
                                     {"application/x-private", std::string("\0\x01\xFF\0tail", 8)},
                                     {"application/x-empty", ""}};
    const ClipboardItem entry = copyAndCapture(rich);
    copyAndCapture({{"public.utf8-plain-text", "B"}});
    ASSERT_EQ(store.items()->size(), 2u);

    service.paste(entry, store, monitor);
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_EQ(clipboardAtPaste, rich);
    EXPECT_TRUE(pausedAtPaste);

    main.advance(seconds(0.1));
    pasteboard.simulateCopy({{"public.utf8-plain-text", "copied within the pause"}});
    EXPECT_TRUE(monitor->isPaused());
    main.advance(seconds(0.1));
    EXPECT_FALSE(monitor->isPaused());
    EXPECT_EQ(monitor->lastChangeCount(), pasteboard.changeCount());

    main.advance(seconds(3));
    EXPECT_EQ(store.items()->size(), 2u);
    copyAndCapture({{"public.utf8-plain-text", "C"}});
    EXPECT_EQ(store.items()->size(), 3u);
}

// Without its snapshot an entry pastes what the history kept of it; with nothing kept, nothing
// is pasted and the monitor runs on at once.
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

    ::testing::internal::CaptureStdout();
    service.paste(entry, store, monitor);
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_EQ(clipboardAtPaste, (PasteboardContents{{"public.png", png},
                                                    {"public.html", "<p>stored text</p>"},
                                                    {"public.utf8-plain-text", "stored text"}}));
    main.advance(PasteService::resumeDelay);
    EXPECT_FALSE(monitor->isPaused());

    service.paste(empty, store, monitor);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "[PasteService] restorePasteboard failed: " + entry.id + "\n" +
                  "[PasteService] restorePasteboard failed: " + empty.id + "\n");
    EXPECT_EQ(keys.pasteCount(), 1);
    EXPECT_FALSE(monitor->isPaused());
    EXPECT_EQ(pasteboard.contents(), *clipboardAtPaste);
    main.advance(seconds(1));
    EXPECT_EQ(store.items()->size(), 1u);
    EXPECT_EQ(copyAndCapture({{"public.utf8-plain-text", "after"}}).plainText, "after");
}

TEST_F(PasteServiceTest, PastesAContentAsImageHtmlAndTextEvenWithoutTrust) {
    // Without trust no keys are sent, but the content is still on the clipboard.
    keys.trusted = false;
    ClipboardContent tiffImage;
    tiffImage.image = codec.decode(std::string(FakeImageCodec::tiffSignature) + "t");
    tiffImage.html = "<img>";
    tiffImage.plainText = "alt";
    service.paste(tiffImage, monitor);
    EXPECT_EQ(keys.pasteCount(), 0);
    std::vector<std::string> types;
    for (const auto& entry : pasteboard.contents().entries())
        types.push_back(entry.type);
    EXPECT_EQ(types,
              (std::vector<std::string>{"public.png", "public.html", "public.utf8-plain-text"}));
    EXPECT_TRUE(monitor->isPaused());
    main.advance(PasteService::resumeDelay);
    EXPECT_FALSE(monitor->isPaused());
    main.advance(seconds(2));
    EXPECT_TRUE(store.items()->empty());
}

// Terminals that paste only the primary selection get the pasted contents there too; other
// applications leave the user's selection alone.
TEST_F(PasteServiceTest, ThePrimarySelectionCarriesThePasteOnlyForApplicationsThatPasteIt) {
    const PasteboardContents text = {{"public.utf8-plain-text", "for the terminal"}};
    for (const auto key : {platform::PasteKey::controlV, platform::PasteKey::controlShiftV,
                           platform::PasteKey::shiftInsert}) {
        pasteboard.simulateCopy({});
        pasteboard.copyToPrimarySelection();
        keys.frontmostPasteKey = key;
        ClipboardContent content;
        content.plainText = "for the terminal";
        service.paste(content, monitor);
        EXPECT_EQ(keys.pastes.back(), key);
        EXPECT_EQ(pasteboard.primarySelection(),
                  key == platform::PasteKey::shiftInsert ? text : PasteboardContents{});
        main.advance(PasteService::resumeDelay);
    }
}

}  // namespace
}  // namespace pindrake::clipboard
