#include "app/views/SymbolIcons.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>

#include <map>
#include <memory>
#include <string>

#include "foundation/Resources.h"

namespace pindrake::app::views {

namespace {

// Loaded once per name, main thread only; a missing or broken file is remembered as such.
std::shared_ptr<QSvgRenderer> renderer(std::string_view name) {
    static std::map<std::string, std::shared_ptr<QSvgRenderer>, std::less<>> loaded;
    if (auto found = loaded.find(name); found != loaded.end())
        return found->second;
    std::shared_ptr<QSvgRenderer> symbol;
    if (const auto file = resources::find("icons/symbols/" + std::string(name) + ".svg")) {
        auto candidate = std::make_shared<QSvgRenderer>(QString::fromStdString(file->string()));
        if (candidate->isValid())
            symbol = std::move(candidate);
    }
    loaded.emplace(std::string(name), symbol);
    return symbol;
}

QPixmap tinted(QSvgRenderer& symbol, QSize size, qreal scale, const QColor& colour) {
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        symbol.render(&painter);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), colour);
    }
    image.setDevicePixelRatio(scale);
    return QPixmap::fromImage(std::move(image));
}

class SymbolEngine final : public QIconEngine {
  public:
    explicit SymbolEngine(std::shared_ptr<QSvgRenderer> symbol) : symbol_(std::move(symbol)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, tinted(*symbol_, rect.size(), scale, painter->pen().color()));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const auto group = mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active;
        return tinted(*symbol_, size, 1.0, QGuiApplication::palette().color(group, QPalette::Text));
    }
    QIconEngine* clone() const override { return new SymbolEngine(symbol_); }

  private:
    std::shared_ptr<QSvgRenderer> symbol_;
};

}  // namespace

QIcon bundledSymbol(std::string_view name) {
    auto symbol = renderer(name);
    return symbol ? QIcon(new SymbolEngine(std::move(symbol))) : QIcon();
}

QPixmap pixmapInColour(const QIcon& icon, int size, const QColor& colour) {
    const qreal scale = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(colour);
    icon.paint(&painter, QRect(0, 0, size, size));
    return pixmap;
}

}  // namespace pindrake::app::views
