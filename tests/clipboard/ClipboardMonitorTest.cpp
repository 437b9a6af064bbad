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

TEST_F(ClipboardMonitorTest, CapturesEachNewCopyOnTheNextPollButNotWhatWasThereAtLaunch) {
    workspace.frontmost = platform::RunningApplication{"org.example.Editor", 7};
    monitor->start();
    main.advance(seconds(1));
    EXPECT_TRUE(captured.empty());

    copyText("hello");
    main.advance(seconds(0.4));
    EXPECT_TRUE(captured.empty());
    main.advance(seconds(0.1));
    ASSERT_EQ(captured.size(), 1u);
    EXPECT_EQ(captured[0].plainText, "hello");
    EXPECT_EQ(captured[0].tags, ContentTags{ContentTag::plainText});
    EXPECT_EQ(captured[0].sourceBundleID, "org.example.Editor");
    EXPECT_EQ(offers[0], pasteboard.contents());
}

TEST_F(ClipboardMonitorTest, ReadsOnceForEveryChangeEvenOfTheSameText) {
    monitor->start();
    copyText("same");
    main.advance(seconds(0.5));
    copyText("same");
    main.advance(seconds(0.5));
    EXPECT_EQ(captured.size(), 2u);
    EXPECT_EQ(pasteboard.readCount(), 2);
    main.advance(seconds(5));
    EXPECT_EQ(pasteboard.readCount(), 2);
}

TEST_F(ClipboardMonitorTest, ChangesWhilePausedAreNeverCapturedAfterResynchronising) {
    monitor->start();
    monitor->setPaused(true);
    copyText("one");
    main.advance(seconds(1));
    copyText("two");
    main.advance(seconds(1));
    monitor->setLastChangeCount(pasteboard.changeCount());
    monitor->setPaused(false);
    main.advance(seconds(2));
    EXPECT_TRUE(captured.empty());
    EXPECT_EQ(pasteboard.readCount(), 0);
}

TEST_F(ClipboardMonitorTest, StopsPollingWhenGone) {
    monitor->start();
    monitor.reset();
    copyText("after");
    main.advance(seconds(2));
    EXPECT_TRUE(captured.empty());
    EXPECT_EQ(pasteboard.readCount(), 0);
}

TEST_F(ClipboardMonitorTest, ReadsByTypePreference) {
    test_support::TemporaryDirectory folder;
    test_support::writeFile(folder.path() / "a picture.png", png);
    test_support::writeFile(folder.path() / "notes.txt", "text");
    const std::string pictureUrl = "file://" + (folder.path() / "a%20picture.png").string();

    struct Case {
        std::string name;
        PasteboardContents offered;
        std::optional<std::string> text;
        std::optional<std::string> html;
        std::optional<std::string> imageBytes;
        ContentTags tags;
    };
    const std::vector<Case> cases = {
        {"image file: path decoded, image loaded",
         {{"public.file-url", "# comment\r\n" + pictureUrl + "\r\n"},
          {"public.utf8-plain-text", "a picture.png"}},
         (folder.path() / "a picture.png").string(),
         std::nullopt,
         png,
         {}},
        {"other file: no image",
         {{"public.file-url", "file://" + (folder.path() / "notes.txt").string()}},
         (folder.path() / "notes.txt").string(),
         std::nullopt,
         std::nullopt,
         {}},
        {"web address in a URI list is no file",
         {{"public.file-url", "https://example.com/"},
          {"public.utf8-plain-text", "https://example.com/"}},
         "https://example.com/",
         std::nullopt,
         std::nullopt,
         {ContentTag::url}},
        {"PNG before TIFF",
         {{"public.tiff", tiff}, {"public.png", png}},
         std::nullopt,
         std::nullopt,
         png,
         {}},
        {"TIFF alone", {{"public.tiff", tiff}}, std::nullopt, std::nullopt, tiff, {}},
        {"undecodable image falls through to text",
         {{"public.png", "garbage"}, {"public.utf8-plain-text", "caption"}},
         "caption",
         std::nullopt,
         std::nullopt,
         {ContentTag::plainText}},
        {"rich text",
         {{"public.html", "<b>hi</b>"}, {"public.utf8-plain-text", "[1,2]"}},
         "[1,2]",
         "<b>hi</b>",
         std::nullopt,
         {ContentTag::json}},
        {"HTML alone has no kinds",
         {{"public.html", "<p>x</p>"}},
         std::nullopt,
         "<p>x</p>",
         std::nullopt,
         {}},
        {"empty text stays present",
         {{"public.utf8-plain-text", ""}},
         "",
         std::nullopt,
         std::nullopt,
         {}},
        {"blank text is plain text",
         {{"public.utf8-plain-text", " \n "}},
         " \n ",
         std::nullopt,
         std::nullopt,
         {ContentTag::plainText}},
        {"invalid UTF-8 is repaired",
         {{"public.utf8-plain-text", "a\xC3"}},
         "a\uFFFD",
         std::nullopt,
         std::nullopt,
         {ContentTag::plainText}},
    };
    for (const auto& c : cases) {
        const auto content = monitor->readContent(c.offered);
        ASSERT_TRUE(content) << c.name;
        EXPECT_EQ(content->plainText, c.text) << c.name;
        EXPECT_EQ(content->html, c.html) << c.name;
        EXPECT_EQ(content->image ? std::optional(content->image->encoded()) : std::nullopt,
                  c.imageBytes)
            << c.name;
        EXPECT_EQ(content->tags, c.tags) << c.name;
        std::set<std::string> types;
        for (const auto& entry : c.offered.entries())
            types.insert(entry.type);
        EXPECT_EQ(content->pasteboardTypes, types) << c.name;
        EXPECT_EQ(content->sourceBundleID, std::nullopt) << c.name;
    }

    EXPECT_FALSE(monitor->readContent({}));
    EXPECT_FALSE(monitor->readContent({{"application/x-private", "bytes"}}));
}

}  // namespace
}  // namespace pindrake::clipboard
