#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "app/views/RowIcons.h"
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
    test_support::runUntil(main, [&] { return !loaded.isEmpty(); });
    EXPECT_EQ(loaded.toStdString(), item.id);
    EXPECT_EQ(centre(icons.icon(item)), QColor(Qt::red));
    EXPECT_EQ(server.hits("/favicon.ico"), 1);
}

}  // namespace
}  // namespace pindrake::app::views
