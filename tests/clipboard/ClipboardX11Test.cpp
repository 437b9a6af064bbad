// The real clipboard on an X display: another client (xclip) copies, the Qt backend sees the
// change, the capture loop stores it, and a paste puts it back for xclip to read.
#include <QApplication>
#include <QLineEdit>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "clipboard/ClipboardMonitor.h"
#include "clipboard/HistoryStore.h"
#include "clipboard/ImageSamples.h"
#include "clipboard/PasteService.h"
#include "clipboard/Snapshot.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/linux/QtImageCodec.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/XcbKeySynth.h"
#include "platform/linux/XcbWorkspace.h"
#include "support/QtEventLoop.h"
#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

using namespace std::chrono_literals;

using test_support::waitUntil;

// Runs xclip to its end while our event loop keeps serving the clipboard we may own.
QByteArray readClipboard(const QString& target) {
    QProcess xclip;
    xclip.start("xclip", {"-selection", "clipboard", "-o", "-t", target});
    waitUntil([&] { return xclip.state() == QProcess::NotRunning; }, 10s);
    if (xclip.state() != QProcess::NotRunning)
        xclip.kill();
    return xclip.readAllStandardOutput();
}

class ClipboardX11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qgetenv("DISPLAY").isEmpty())
            GTEST_SKIP() << "needs an X display (tests/support/with-x11)";
        pasteboard = std::make_unique<platform::QtPasteboard>();
        store = std::make_unique<HistoryStore>(
            folder.path(), HistoryStore::Services{defaults, *pasteboard, codec});
        monitor = ClipboardMonitor::create(
            {main, *pasteboard, workspace, codec},
            [this](const ClipboardContent& content, const platform::PasteboardContents& offered) {
                store->add(content, offered);
            });
        monitor->start();
    }

    // Another application copies: xclip owns the clipboard until someone else takes it (or the
    // QProcess is destroyed, which ends it).
    void copyWithXclip(const QString& target, const std::string& bytes) {
        auto owner = std::make_unique<QProcess>();
        owner->start("xclip", {"-selection", "clipboard", "-quiet", "-t", target, "-i"});
        ASSERT_TRUE(owner->waitForStarted(5000)) << "xclip is not installed";
        owner->write(bytes.data(), static_cast<qint64>(bytes.size()));
        owner->closeWriteChannel();
        owners.push_back(std::move(owner));
    }

    ClipboardItem captureFromXclip(const QString& target, const std::string& bytes) {
        const std::size_t before = store->items()->size();
        copyWithXclip(target, bytes);
        EXPECT_TRUE(waitUntil([&] { return store->items()->size() == before + 1; }))
            << "nothing captured for " << target.toStdString();
        return store->items()->empty() ? ClipboardItem{} : store->items()->front();
    }

    platform::PasteboardContents snapshotOf(const ClipboardItem& item) {
        store->flush();
        return snapshot::decode(test_support::readFile(folder.path() / (item.id + ".pboard")))
            .value_or(platform::PasteboardContents{});
    }

    test_support::TemporaryDirectory folder;
    QtScheduler main{qApp};
    platform::InMemoryDefaults defaults;
    platform::QtImageCodec codec;
    platform::XcbWorkspace workspace;
    platform::XcbKeySynth keys{workspace};
    std::unique_ptr<platform::QtPasteboard> pasteboard;
    std::unique_ptr<HistoryStore> store;
    std::shared_ptr<ClipboardMonitor> monitor;
    std::vector<std::unique_ptr<QProcess>> owners;
};

TEST_F(ClipboardX11Test, CapturesAnotherClientsCopiesAndPastesThemBackByteForByte) {
    const std::string text = "Grüße, 世界 — text from another client\n";
    const std::string html = "<p>Some <b>bold</b> text</p>";
    const std::string png = testing::encodedImage("PNG", 40, 30);

    const ClipboardItem textItem = captureFromXclip("UTF8_STRING", text);
    EXPECT_EQ(textItem.plainText, text);
    EXPECT_EQ(textItem.tags, ContentTags{ContentTag::plainText});
    EXPECT_TRUE(textItem.pasteboardTypes.contains("public.utf8-plain-text"));
    EXPECT_EQ(*snapshotOf(textItem).data("public.utf8-plain-text"), text);

    const ClipboardItem htmlItem = captureFromXclip("text/html", html);
    EXPECT_EQ(htmlItem.htmlText, html);
    EXPECT_EQ(htmlItem.plainText, std::nullopt);
    EXPECT_EQ(*snapshotOf(htmlItem).data("public.html"), html);

    const ClipboardItem imageItem = captureFromXclip("image/png", png);
    ASSERT_TRUE(imageItem.imageFilename);
    store->flush();
    EXPECT_EQ(test_support::readFile(folder.path() / *imageItem.imageFilename), png);
    EXPECT_EQ(*snapshotOf(imageItem).data("public.png"), png);
    EXPECT_EQ(store->items()->size(), 3u);

    PasteService paster({main, *pasteboard, keys, codec});
    struct Back {
        ClipboardItem item;
        QString target;
        std::string bytes;
    };
    for (const auto& back : {Back{textItem, "UTF8_STRING", text}, Back{htmlItem, "text/html", html},
                             Back{imageItem, "image/png", png}}) {
        const auto changesBefore = pasteboard->changeCount();
        paster.paste(back.item, *store, monitor);
        EXPECT_GT(pasteboard->changeCount(), changesBefore);
        const QByteArray read = readClipboard(back.target);
        EXPECT_EQ(std::string(read.constData(), static_cast<std::size_t>(read.size())), back.bytes)
            << back.target.toStdString();
        ASSERT_TRUE(waitUntil([&] { return !monitor->isPaused(); }));
    }
    // Our own pastes are never captured, however late the clipboard events come.
    waitUntil([] { return false; }, 1500ms);
    EXPECT_EQ(store->items()->size(), 3u);
}

// File managers offer copied files as URI lists, and so do applications their copied web links;
// only the first are file references.
TEST_F(ClipboardX11Test, AUriListIsAFileOnlyWhenItNamesOne) {
    const std::string path = (folder.path() / "report.pdf").string();
    test_support::writeFile(path, "%PDF");
    const ClipboardItem file = captureFromXclip("text/uri-list", "file://" + path + "\r\n");
    EXPECT_EQ(file.plainText, path);
    EXPECT_TRUE(file.pasteboardTypes.contains("public.file-url"));
    EXPECT_EQ(file.displayText(), "report.pdf");

    // As a Qt application copies a link: a URI list and the text.
    const std::string link = "https://example.com/docs/page";
    pasteboard->write({{"text/uri-list", link + "\r\n"}, {"public.utf8-plain-text", link}});
    ASSERT_TRUE(waitUntil([&] { return store->items()->size() == 2; }));
    const ClipboardItem web = store->items()->front();
    EXPECT_EQ(web.plainText, link);
    EXPECT_EQ(web.displayText(), link);
    EXPECT_EQ(web.pasteboardTypes,
              (std::set<std::string>{"text/uri-list", "public.utf8-plain-text"}));
    EXPECT_EQ(*snapshotOf(web).data("text/uri-list"), link + "\r\n");
}

TEST_F(ClipboardX11Test, FindsTheActiveApplicationBringsItBackAndPastesIntoIt) {
    const auto frontmostIs = [&](const QWidget& window) {
        return waitUntil([&] {
            const auto app = workspace.frontmostApplication();
            return app && app->window == window.winId();
        });
    };
    QLineEdit target;
    target.setWindowTitle("paste target");
    target.show();
    ASSERT_TRUE(frontmostIs(target));
    const auto remembered = workspace.frontmostApplication();
    ASSERT_TRUE(remembered->bundleIdentifier);
    EXPECT_FALSE(remembered->bundleIdentifier->empty());

    QLineEdit other;
    other.setWindowTitle("other");
    other.show();  // the window manager activates a new window by itself
    ASSERT_TRUE(frontmostIs(other));
    workspace.activate(*remembered);
    ASSERT_TRUE(frontmostIs(target));
    ASSERT_TRUE(waitUntil([&] { return target.hasFocus(); }));

    ASSERT_TRUE(keys.isTrusted());
    pasteboard->write({{"public.utf8-plain-text", "pasted by Ctrl+V"}});
    keys.postPaste(platform::PasteKey::controlV);
    EXPECT_TRUE(waitUntil([&] { return target.text() == "pasted by Ctrl+V"; }))
        << "line edit holds: " << target.text().toStdString();
}

}  // namespace
}  // namespace pindrake::clipboard
