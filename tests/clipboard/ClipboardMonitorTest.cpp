#include <gtest/gtest.h>

#include "clipboard/ClipboardMonitor.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/ScriptedWorkspace.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

using platform::FakeImageCodec;
using platform::PasteboardContents;

const std::string png = std::string(FakeImageCodec::pngSignature) + "png pixels";
const std::string tiff = std::string(FakeImageCodec::tiffSignature) + "tiff pixels";

class ClipboardMonitorTest : public ::testing::Test {
  protected:
    ClipboardMonitorTest() {
        pasteboard.simulateCopy({{"public.utf8-plain-text", "there before launch"}});
        monitor = ClipboardMonitor::create(
            {main, pasteboard, workspace, codec},
            [this](const ClipboardContent& content, const PasteboardContents& offered) {
                captured.push_back(content);
                offers.push_back(offered);
            });
    }

    void copyText(const std::string& text) {
        pasteboard.simulateCopy({{"public.utf8-plain-text", text}});
    }

    ManualScheduler main;
    platform::InMemoryPasteboard pasteboard;
    platform::ScriptedWorkspace workspace;
    FakeImageCodec codec;
    std::shared_ptr<ClipboardMonitor> monitor;
    std::vector<ClipboardContent> captured;
    std::vector<PasteboardContents> offers;
};

// Each change is read once, on the next poll, even when it repeats the text; what was there at
// launch is taken as seen, and a clipboard offering nothing usable is not read again at every poll.
TEST_F(ClipboardMonitorTest, ReadsEachChangeOnceOnTheNextPollButNotWhatWasThereAtLaunch) {
    workspace.frontmost = platform::RunningApplication{"org.example.Editor", 7};
    monitor->start();
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
    EXPECT_EQ(offers[0], pasteboard.contents());
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
    monitor->start();
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
    test_support::TemporaryDirectory folder;
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
        const auto content = monitor->readContent(offered);
        ASSERT_TRUE(content) << expected;
        EXPECT_EQ(describe(*content), expected);
        std::set<std::string> types;
        for (const auto& entry : offered.entries())
            types.insert(entry.type);
        EXPECT_EQ(content->pasteboardTypes, types) << expected;
        EXPECT_EQ(content->sourceBundleID, std::nullopt) << expected;
    }

    EXPECT_FALSE(monitor->readContent({}));
    EXPECT_FALSE(monitor->readContent({{"application/x-private", "bytes"}}));
}

}  // namespace
}  // namespace pindrake::clipboard
