#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QStyle>

#include <set>

#include "app/views/RowIcons.h"
#include "converters/Converters.h"
#include "foundation/ManualScheduler.h"
#include "platform/linux/CurlHttpClient.h"
#include "platform/linux/QtImageCodec.h"
#include "support/LoopbackServer.h"
#include "support/MainQueueWaits.h"

// Rows of web addresses show the globe until the site's own icon has arrived.
namespace pindrake::app::views {
namespace {

std::string redSquarePng() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

QColor centre(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
}

TEST(RowIconsSiteIcon, TheGlobeUntilTheIconOfTheTrimmedAddressArrivesFetchedOnce) {
    clipboard::testing::LoopbackServer server;
    const std::string png = redSquarePng();
    server.routes().Get("/favicon.ico", [&](const httplib::Request&, httplib::Response& answer) {
        answer.set_content(png, "image/png");
    });
    server.start();
    ManualScheduler main;
    platform::CurlHttpClient http{main};
    platform::QtImageCodec codec;
    RowIcons icons(clipboard::FaviconService::create({main, http, codec, nullptr, {}},
                                                     server.url("/service")));
    QString loaded;
    QObject::connect(&icons, &RowIcons::siteIconLoaded, [&](const QString& id) { loaded = id; });

    clipboard::ClipboardItem item;
    item.id = "6F9619FF-8B86-4011-B42D-00C04FC964FF";
    item.tags = {clipboard::ContentTag::url};
    item.plainText = "  \n" + server.url("/page") + " \n";
    EXPECT_NE(centre(icons.icon(item)), QColor(Qt::red)) << "the globe first";
    icons.icon(item);
    ASSERT_TRUE(test_support::runUntil(main, [&] { return !loaded.isEmpty(); }));
    EXPECT_EQ(loaded.toStdString(), item.id);
    EXPECT_EQ(centre(icons.icon(item)), QColor(Qt::red));
    EXPECT_EQ(server.hits("/favicon.ico"), 1);
}

// The icon drawn in white, as on a dark panel.
QImage drawn(const QIcon& icon) {
    QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::white);
    icon.paint(&painter, image.rect());
    return image;
}

TEST(RowSymbols, WithoutAnIconThemeEveryKindConverterAndTheSearchKeepTheirOwnPicture) {
    QIcon::setThemeSearchPaths({});
    QIcon::setFallbackSearchPaths({});
    const QImage genericPage = drawn(QApplication::style()->standardIcon(QStyle::SP_FileIcon));
    const QImage contents =
        drawn(QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView));

    std::vector<std::pair<std::string, QImage>> pictures;
    for (auto kind :
         {RowIcon::photo, RowIcon::siteIcon, RowIcon::json, RowIcon::richText, RowIcon::plainText})
        pictures.emplace_back("kind " + std::to_string(int(kind)), drawn(RowIcons::symbol(kind)));
    std::set<std::string> iconNames;
    for (const auto* list :
         {&converters::Converters::fileConverters(), &converters::Converters::imageConverters(),
          &converters::Converters::textConverters(), &converters::Converters::aiConverters()}) {
        for (const auto* converter : *list)
            iconNames.insert(converter->iconName());
    }
    iconNames.insert(converters::Converters::pasteAsIs().iconName());
    // The kinds share the braces and the two documents with the converters.
    for (const auto& name : iconNames) {
        if (name != "curlybraces" && name != "doc.richtext" && name != "doc.plaintext")
            pictures.emplace_back(name, drawn(RowIcons::converterSymbol(name)));
    }
    pictures.emplace_back("search", drawn(RowIcons::searchSymbol()));

    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const auto& [name, picture] = pictures[i];
        EXPECT_NE(picture, genericPage) << name;
        EXPECT_NE(picture, contents) << name;
        for (std::size_t j = i + 1; j < pictures.size(); ++j)
            EXPECT_NE(picture, pictures[j].second) << name << " and " << pictures[j].first;
        // Drawn in the pen's colour, so a symbol stays legible on a dark panel.
        int white = 0;
        int dark = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QColor colour = picture.pixelColor(x, y);
                if (colour.alpha() > 64)
                    (colour.lightness() > 240 ? white : dark) += 1;
            }
        }
        EXPECT_GT(white, 20) << name;
        EXPECT_EQ(dark, 0) << name;
    }
}

}  // namespace
}  // namespace pindrake::app::views
