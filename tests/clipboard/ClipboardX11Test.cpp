// The real clipboard on an X display: another client (xclip) copies, the Qt backend sees the
// change, the capture loop stores it, and a paste puts it back for xclip to read (unless another
// client took the clipboard first).
#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "clipboard/ImageSamples.h"
#include "clipboard/PasteService.h"
#include "foundation/BackgroundTask.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/RecordingKeySynth.h"
#include "platform/linux/QtImageCodec.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/ScriptedSelectionOwner.h"
#include "platform/linux/XcbKeySynth.h"
#include "platform/linux/XcbWorkspace.h"
#include "support/ChildProcess.h"
#include "support/QtEventLoop.h"
#include "support/ReadLimits.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

using namespace std::chrono_literals;

using test_support::waitUntil;

// Runs xclip to its end while our event loop keeps serving the clipboard we may own.
QByteArray readClipboard(const QString& target) {
    test_support::ChildProcess xclip(
        {"xclip", "-selection", "clipboard", "-o", "-t", target.toStdString()});
    waitUntil([&] { return !xclip.running(); }, test_support::mustFinishWithin);
    return QByteArray::fromStdString(xclip.output);
}

class ClipboardX11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("DISPLAY").isEmpty())
            GTEST_SKIP() << "needs an X display (tests/support/with-x11)";
        pasteboard = std::make_unique<platform::QtPasteboard>(test_support::readLimitsOutOfReach());
        store = std::make_unique<HistoryStore>(folder.path(),
                                               HistoryStore::Services{main, defaults, *codec});
        monitor = ClipboardMonitor::create(
            {main, *pasteboard, workspace, codec,
             [this](std::function<void()> job) { checks.async(std::move(job)); }},
            [this](ClipboardContent content, const platform::PasteboardContents& offered) {
                lastOffered = offered;
                store->add(std::move(content), offered);
            });
        monitor->start();
    }

    // Another application copies: xclip owns the clipboard until someone else takes it (or its
    // ChildProcess is destroyed, which ends it). Returns the entry it made.
    ClipboardItem captureFromXclip(const QString& target, const std::string& bytes) {
        const std::size_t before = store->items()->size();
        auto& owner = owners.emplace_back(
            std::make_unique<test_support::ChildProcess>(std::vector<std::string>{
                "xclip", "-selection", "clipboard", "-quiet", "-t", target.toStdString(), "-i"}));
        EXPECT_TRUE(owner->started()) << "xclip could not be started";
        owner->write(bytes);
        owner->closeInput();
        EXPECT_TRUE(waitUntil([&] { return store->items()->size() == before + 1; }))
            << "nothing captured for " << target.toStdString();
        return store->items()->empty() ? ClipboardItem{} : store->items()->front();
    }

    test_support::TemporaryDirectory folder;
    QtScheduler main{qApp};
    platform::InMemoryDefaults defaults;
    const std::shared_ptr<const platform::QtImageCodec> codec =
        std::make_shared<const platform::QtImageCodec>();
    WorkQueue checks{"capture-checks", 1};
    WorkQueue entryReads{"entry-reads", 1};
    const std::function<void(std::function<void()>)> reads = [this](std::function<void()> job) {
        entryReads.async(std::move(job));
    };
    platform::XcbWorkspace workspace;
    platform::XcbKeySynth keys{workspace};
    std::unique_ptr<platform::QtPasteboard> pasteboard;
    std::unique_ptr<HistoryStore> store;
    std::shared_ptr<ClipboardMonitor> monitor;
    // What the last capture was read as.
    platform::PasteboardContents lastOffered;
    std::vector<std::unique_ptr<test_support::ChildProcess>> owners;
};

// Wiring only: the type mapping and the owners that misbehave have their own tests. Each entry's
// snapshot is checked by the paste back, which puts exactly it on the clipboard.
TEST_F(ClipboardX11Test, CapturesAnotherClientsCopiesAndPastesThemBackByteForByte) {
    const std::string text = "Grüße, 世界 — text from another client\n";
    const std::string png = testing::encodedImage("PNG", 40, 30);

    const ClipboardItem textItem = captureFromXclip("UTF8_STRING", text);
    EXPECT_EQ(textItem.plainText, text);
    EXPECT_EQ(textItem.tags, ContentTags{ContentTag::plainText});
    const ClipboardItem imageItem = captureFromXclip("image/png", png);
    ASSERT_TRUE(imageItem.imageFilename);
    store->flush();
    EXPECT_EQ(test_support::readFile(folder.path() / *imageItem.imageFilename), png);

    PasteService paster({main, *pasteboard, keys, *codec, reads});
    for (const auto& [item, target, bytes] :
         {std::tuple{textItem, "UTF8_STRING", text}, std::tuple{imageItem, "image/png", png}}) {
        paster.paste(std::make_shared<const ClipboardItem>(item), *store, monitor);
        // The monitor runs again only once the entry was written.
        ASSERT_TRUE(waitUntil([&] { return !monitor->isPaused(); }));
        const QByteArray read = readClipboard(target);
        EXPECT_EQ(std::string(read.constData(), static_cast<std::size_t>(read.size())), bytes)
            << target;
    }
    // Our own pastes are never captured, however late the clipboard events come: the server
    // reports them before a later copy of another client, which then is the one change since.
    const auto resumedAt = monitor->lastChangeCount();
    EXPECT_EQ(captureFromXclip("UTF8_STRING", "a later copy").plainText, "a later copy");
    EXPECT_EQ(store->items()->size(), 3u);
    EXPECT_EQ(pasteboard->changeCount(), resumedAt + 1);
}

// xclip told to serve one paste answers one request (a list of targets too) and leaves: its
// copy is captured all the same, short or sent incrementally.
TEST_F(ClipboardX11Test, CapturesACopyWhoseOwnerServesOneRequestAndLeaves) {
    for (const std::size_t size : {std::size_t{40}, std::size_t{4} << 20}) {
        SCOPED_TRACE(size);
        std::string text(size, 'o');
        text.replace(0, 20, "served once, length ");
        const std::size_t before = store->items()->size();
        test_support::ChildProcess xclip(
            {"xclip", "-selection", "clipboard", "-loops", "1", "-quiet", "-i"});
        ASSERT_TRUE(xclip.started()) << "xclip could not be started";
        xclip.write(text);
        xclip.closeInput();
        ASSERT_TRUE(waitUntil([&] { return store->items()->size() == before + 1; }))
            << "nothing captured";
        const std::string* read = lastOffered.data(platform::pasteboard_type::plainText);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->size(), text.size());
        EXPECT_TRUE(*read == text);
        EXPECT_TRUE(waitUntil([&] { return !xclip.running(); })) << "xclip served no request";
    }
}

// Another application copies while the entry is read. With no X event handled since, Qt's claim
// (stamped with the time of the last event it handled) fails; once the events are handled, as
// on a desktop, it would succeed over that copy, read or still being read. Either way nothing is
// pasted, and that copy stays on the clipboard and enters the history.
TEST_F(ClipboardX11Test, APasteThatCouldNotTakeTheClipboardPostsNoKey) {
    using Owner = platform::testing::ScriptedSelectionOwner;
    const struct {
        const char* name;
        bool eventsHandled;
        std::chrono::milliseconds answerDelay;
    } cases[] = {{"no event handled", false, 0ms},
                 {"events handled, the copy read", true, 0ms},
                 {"events handled, the copy still being read", true, Owner::untilReleased}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ClipboardItem item = captureFromXclip("UTF8_STRING", std::string("entry ") + c.name);
        ManualScheduler pasteTurns;
        std::vector<std::function<void()>> heldReads;
        platform::RecordingKeySynth recorded;
        PasteService paster(
            {c.eventsHandled ? static_cast<Scheduler&>(main) : pasteTurns, *pasteboard, recorded,
             *codec, [&](std::function<void()> read) { heldReads.push_back(std::move(read)); }});
        paster.paste(std::make_shared<const ClipboardItem>(item), *store, monitor);
        ASSERT_EQ(heldReads.size(), 1u);
        // The server's clock moves past the last event handled.
        std::this_thread::sleep_for(50ms);
        bool qtSawTheCopy = false;
        QObject watch;
        QObject::connect(
            QGuiApplication::clipboard(), &QClipboard::changed, &watch,
            [&](QClipboard::Mode mode) { qtSawTheCopy |= mode == QClipboard::Clipboard; });
        const auto changes = pasteboard->changeCount();
        const std::string copied = std::string("copied meanwhile, ") + c.name;
        Owner other(std::vector<Owner::Offer>{{"UTF8_STRING", copied, c.answerDelay}});
        if (c.eventsHandled) {
            ASSERT_TRUE(waitUntil([&] {
                return qtSawTheCopy && (c.answerDelay == Owner::untilReleased
                                            ? pasteboard->isReadingACopy()
                                            : pasteboard->changeCount() != changes);
            }));
            heldReads.front()();
            ASSERT_TRUE(waitUntil([&] { return !monitor->isPaused(); }));
            other.release();
        } else {
            heldReads.front()();
            pasteTurns.runUntilIdle();
        }
        EXPECT_FALSE(monitor->isPaused());
        EXPECT_EQ(recorded.pasteCount(), 0);
        EXPECT_EQ(readClipboard("UTF8_STRING").toStdString(), copied);
        EXPECT_TRUE(waitUntil([&] { return store->items()->front().plainText == copied; }));
    }
}

// The paste key itself is held by the key synthesiser's and the end-to-end tests.
TEST_F(ClipboardX11Test, FindsTheActiveApplicationAndBringsItBack) {
    const auto frontmostIs = [&](const QWidget& window) {
        return waitUntil([&] {
            const auto app = workspace.frontmostApplication();
            return app && app->window == window.winId();
        });
    };
    QLineEdit target;
    target.show();
    ASSERT_TRUE(frontmostIs(target));
    const auto remembered = workspace.frontmostApplication();
    ASSERT_TRUE(remembered->bundleIdentifier);
    EXPECT_FALSE(remembered->bundleIdentifier->empty());

    QLineEdit other;
    other.show();  // the window manager activates a new window by itself
    ASSERT_TRUE(frontmostIs(other));
    workspace.activate(*remembered);
    ASSERT_TRUE(frontmostIs(target));
    EXPECT_TRUE(waitUntil([&] { return target.hasFocus(); }));
}

}  // namespace
}  // namespace pindrake::clipboard
