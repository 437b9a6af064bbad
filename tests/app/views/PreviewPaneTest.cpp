#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <cmath>

#include "EnglishTexts.h"
#include "app/views/HistoryList.h"
#include "app/views/PreviewPane.h"
#include "app/views/RowIcons.h"
#include "app/views/Spinner.h"
#include "app/views/WrappedText.h"
#include "platform/linux/QtImageCodec.h"
#include "support/Growth.h"
#include "support/QtEventLoop.h"
#include "support/RepeatedText.h"
#include "support/TestFiles.h"

// The preview card as shown: long text, long file names and the converting indicator.
namespace pindrake::app::views {
namespace {

class PreviewPaneTest : public testing::Test {
  protected:
    PreviewPaneTest() {
        useEnglishTexts();
        pane.resize(390, 300);
        pane.QWidget::show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&pane, test_support::scaledMs(5000)));
    }
    void showText(const std::string& text) {
        clipboard::ClipboardItem item;
        item.plainText = text;
        pane.show(item, false, std::nullopt);
    }
    QScrollArea& scroll() { return *pane.findChild<QScrollArea*>(); }

    RowIcons icons;
    PreviewPane pane{icons, "/nonexistent"};
};

TEST_F(PreviewPaneTest, LongUnbrokenTextWrapsWithinTheCardSoEveryCharacterIsInView) {
    const std::string hash(500, 'f');
    for (const std::string& text :
         {hash, "https://example.com/" + std::string(480, 'a'), "short " + hash.substr(6)}) {
        showText(text);
        ASSERT_EQ(text.size(), 500u);
        QTest::qWait(0);
        const QWidget* viewport = scroll().viewport();
        const auto* shown = pane.findChild<WrappedText*>();
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(scroll().horizontalScrollBar()->maximum(), 0) << "nothing to scroll sideways";
        EXPECT_LE(shown->mapTo(viewport, QPoint(shown->width(), 0)).x(), viewport->width());
        // Every character is on some line: the lines hold the whole text between them.
        QString joined;
        for (const QString& line : shown->shownLines())
            joined += line;
        EXPECT_EQ(joined.remove(u' '), QString::fromStdString(text).remove(u' '));
        const int lineCount = static_cast<int>(shown->shownLines().size());
        EXPECT_GE(shown->height(), lineCount * shown->fontMetrics().lineSpacing());
        EXPECT_GT(lineCount, 5);
    }
}

// One letter under a run of combining marks is a single character of any length. Its row and
// its preview (as text, or as a file name) lay out a bounded part of it, as of a plain text of
// the same size; both read the whole text, once or twice. Laying out the whole run cost 40 (as
// a file name) to 1000 times more.
TEST_F(PreviewPaneTest, ARowAndThePreviewOfOneHugeCharacterCostWhatAPlainTextDoes) {
    const auto entry = [](std::string_view unit, bool isFile) {
        clipboard::ClipboardItem item;
        item.id = isFile ? "file" : "text";
        item.plainText = (isFile ? "/tmp/a" : "a") + test_support::repeatedText(unit, 64 * 1024);
        if (isFile)
            item.pasteboardTypes = {"public.file-url"};
        return item;
    };
    HistoryList list(icons);
    list.resize(300, 200);
    const auto layOut = [&](const clipboard::ClipboardItem& item) {
        list.setItems(std::make_shared<const clipboard::HistoryList>(
            std::vector<clipboard::ClipboardItem>{item}));
        list.grab();
        pane.show(item, false, std::nullopt);
        pane.grab();
    };
    for (const bool isFile : {false, true}) {
        const auto plain = entry("bc", isFile);
        const auto marks = entry("\u0301\u0323", isFile);
        const double grew = test_support::growth([&] { layOut(plain); }, [&] { layOut(marks); });
        EXPECT_LT(grew, 10) << (isFile ? "file name" : "text");
        EXPECT_EQ(pane.content(), isFile ? PreviewPane::Content::file : PreviewPane::Content::text);
    }
}

TEST_F(PreviewPaneTest, AFileNameStopsAtTwoLines) {
    for (const QString& name :
         {QStringLiteral("a quarterly report with a name far longer than any card could ever "
                         "hold on two lines of text, and then some more words.txt"),
          QString(200, u'n') + QStringLiteral(".png")}) {
        clipboard::ClipboardItem item;
        item.pasteboardTypes = {"public.file-url"};
        item.plainText = "/tmp/" + name.toStdString();
        pane.show(item, false, std::nullopt);
        QTest::qWait(0);
        const auto* shown = pane.findChild<WrappedText*>(QStringLiteral("fileName"));
        ASSERT_NE(shown, nullptr);
        const auto lines = shown->shownLines();
        ASSERT_EQ(lines.size(), 2u) << name.toStdString();
        EXPECT_TRUE(lines.back().endsWith(QStringLiteral("…"))) << lines.back().toStdString();
        EXPECT_LE(shown->height(), 2 * shown->fontMetrics().lineSpacing());
        EXPECT_LE(shown->width(), scroll().viewport()->width());
    }
}

TEST_F(PreviewPaneTest, ConvertingShowsATurningSpinnerRatherThanAnEmojiThatMayNotExist) {
    clipboard::ClipboardItem item;
    item.plainText = "text";
    pane.show(item, true, std::nullopt);
    EXPECT_EQ(pane.content(), PreviewPane::Content::converting);
    for (const auto* label : pane.findChildren<QLabel*>())
        EXPECT_FALSE(label->text().contains(QStringLiteral("⏳")));
    auto* spinner = pane.findChild<Spinner*>();
    ASSERT_NE(spinner, nullptr);
    ASSERT_TRUE(test_support::qWaitFor([&] { return spinner->isVisible(); }));
    const int first = spinner->step();
    EXPECT_TRUE(test_support::qWaitFor([&] { return spinner->step() != first; }, 5000));

    showText("done");
    EXPECT_EQ(pane.findChild<Spinner*>(), nullptr);
}

std::string encodedPng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// The preview reads a picture only up to 64 MiB of pixels, for itself: once it has shown a
// picture and refused a larger one, a capture still takes a 4100x4096 PNG (64.06 MiB at four
// bytes a pixel), as it does in a fresh process.
TEST_F(PreviewPaneTest, ItsPictureBoundChangesNothingACaptureKeeps) {
    test_support::TemporaryDirectory history;
    QImage large(4100, 4096, QImage::Format_Mono);
    large.fill(0);
    const std::string largePng = encodedPng(large);
    history.write("small.png", encodedPng(QImage(40, 30, QImage::Format_RGB32)));
    history.write("large.png", largePng);
    const int processLimit = QImageReader::allocationLimit();

    PreviewPane preview(icons, history.path());
    clipboard::ClipboardItem item;
    item.imageFilename = "small.png";
    preview.show(item, false, std::nullopt);
    EXPECT_EQ(preview.content(), PreviewPane::Content::image);
    item.imageFilename = "large.png";
    preview.show(item, false, std::nullopt);
    EXPECT_NE(preview.content(), PreviewPane::Content::image);

    EXPECT_EQ(QImageReader::allocationLimit(), processLimit);
    const auto captured = platform::QtImageCodec().inspect(largePng);
    ASSERT_TRUE(captured);
    EXPECT_EQ(std::pair(captured->width(), captured->height()), std::pair(4100, 4096));
}

}  // namespace
}  // namespace pindrake::app::views
