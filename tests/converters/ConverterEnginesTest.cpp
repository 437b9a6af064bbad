#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "ConverterTestSupport.h"
#include "platform/linux/JavaScriptCoreWebView.h"
#include "platform/linux/TesseractTextRecognizer.h"
#include "support/MainQueueWaits.h"

// The converters with the engines the application runs: the JavaScript HTML-to-Markdown
// libraries and Tesseract with its English and Japanese data.
namespace pindrake::converters {
namespace {

using clipboard::ClipboardContent;
using clipboard::ContentTag;
using testing::text;

// A white picture with black lines of text, as a PNG file's bytes.
std::string renderedText(const QStringList& lines) {
    QImage image(900, 80 + 90 * lines.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    QFont font("DejaVu Sans");
    font.setPixelSize(48);
    painter.setFont(font);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(40, 100 + 90 * i, lines[i]);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png.toStdString();
}

ClipboardContent imageEntry(std::string png) {
    ClipboardContent content;
    content.image = platform::Image(std::move(png), "png", 900, 260);
    content.pasteboardTypes = {"public.png"};
    return content;
}

class ConverterEnginesTest : public ::testing::Test {
  protected:
    std::optional<ClipboardContent> run(const std::string& converter,
                                        const ClipboardContent& input) {
        return harness.run(harness.named(converter), input, &engines);
    }

    testing::ConverterHarness harness;
    // The page and the libraries load cold in each conversion's web view: seconds on a loaded
    // machine without a JIT, which must not turn a result into the input given back.
    ConversionServices engines{
        harness.main,
        harness.workers,
        std::make_shared<platform::TesseractTextRecognizer>(),
        harness.languageModel,
        platform::JavaScriptCoreWebView::factory(harness.main, test_support::limitOutOfReach),
        "en_US",
        {},
        test_support::limitOutOfReach};
};

TEST_F(ConverterEnginesTest, HtmlBecomesMarkdownForBothMarkdownConvertersOrComesBack) {
    ClipboardContent page;
    page.html = "<h4>Deep</h4><p>Hello <b>bold</b> &amp; more</p><ul><li>one</li><li>two</li></ul>";
    page.plainText = "Deep Hello bold & more";
    page.tags = {ContentTag::html};
    EXPECT_EQ(run("html.toMarkdown", page),
              text("#### Deep\n\nHello **bold** & more\n\n- one\n- two", {ContentTag::markdown}));
    EXPECT_EQ(run("text.toNotion", page),
              text("### Deep\n\nHello **bold** & more\n\n- one\n- two", {ContentTag::markdown}));

    // Without an HTML part, the text is taken for the HTML.
    const ClipboardContent markup = text("<p><i>it</i></p>", {ContentTag::html});
    EXPECT_EQ(run("html.toMarkdown", markup), text("_it_", {ContentTag::markdown}));

    // HTML the engines refuse gives the input back.
    const ClipboardContent blank = text("  \n\t ", {ContentTag::html});
    EXPECT_EQ(run("html.toMarkdown", blank), blank);
    EXPECT_EQ(run("text.toNotion", blank), blank);

    // An HTML part that is there but empty leaves nothing to convert: the text is not taken for
    // it.
    ClipboardContent emptyHtml = text("<h4>not the HTML</h4>", {ContentTag::html});
    emptyHtml.html = "";
    EXPECT_EQ(run("text.toNotion", emptyHtml), emptyHtml);
}

// Turndown throws on a frame set and html-to-md hands back the tags it cannot place: what neither
// engine makes Markdown of comes back as it was, not as the page's markup.
TEST_F(ConverterEnginesTest, PagesTheEnginesGiveBackAsMarkupComeBack) {
    for (const char* markup :
         {"<html><head><title>Frames</title></head><frameset cols=\"50%,50%\">"
          "<frame src=\"a.html\"><frame src=\"b.html\"></frameset></html>",
          "<div><div></h1></p></b></h1></p></b>", "<!-- only a note -->"}) {
        const ClipboardContent page = text(markup, {ContentTag::html});
        for (const char* converter : {"html.toMarkdown", "text.toNotion"})
            EXPECT_EQ(run(converter, page), page) << converter << " on " << markup;
    }
}

TEST_F(ConverterEnginesTest, TextInAnImageIsReadLineByLine) {
    const auto twoLines =
        imageEntry(renderedText({"Clipboard history 2026", "Second line of text"}));
    EXPECT_EQ(run("image.ocr", twoLines),
              testing::plainTextResult("Clipboard history 2026\nSecond line of text"));

    for (const ClipboardContent& unreadable :
         {imageEntry(renderedText({})), imageEntry("\x89PNG\r\n\x1a\n broken")}) {
        EXPECT_EQ(run("image.ocr", unreadable), unreadable);
    }
}

}  // namespace
}  // namespace pindrake::converters
