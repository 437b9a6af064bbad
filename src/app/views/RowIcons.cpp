#include "app/views/RowIcons.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QImage>
#include <QStyle>

#include "app/views/SymbolIcons.h"
#include "foundation/Unicode.h"

namespace pindrake::app::views {

namespace {

// The app's own drawing first, so that the meaning stays on any desktop; then the icon theme's,
// then the style's.
QIcon symbolNamed(std::string_view bundledName, const char* themeName,
                  QStyle::StandardPixmap fallback) {
    QIcon bundled = bundledSymbol(bundledName);
    if (!bundled.isNull())
        return bundled;
    return QIcon::fromTheme(QString::fromLatin1(themeName),
                            QApplication::style()->standardIcon(fallback));
}

// Installed applications are found by the identifier of their desktop entry, which the window
// class usually matches in lower case.
std::optional<QIcon> applicationIcon(const std::string& bundleID) {
    const QString name = QString::fromStdString(bundleID).toLower();
    if (name.isEmpty() || !QIcon::hasThemeIcon(name))
        return std::nullopt;
    return QIcon::fromTheme(name);
}

QIcon pathIcon(const std::string& path) {
    static QFileIconProvider provider;
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists())
        return provider.icon(QFileIconProvider::File);
    return provider.icon(info);
}

}  // namespace

RowIcons::RowIcons(std::shared_ptr<clipboard::FaviconService> favicons)
    : favicons_(std::move(favicons)), appIcons_(&applicationIcon), fileIcons_(&pathIcon) {}

QIcon RowIcons::symbol(RowIcon kind) {
    switch (kind) {
        case RowIcon::photo:
            return symbolNamed("photo", "image-x-generic", QStyle::SP_FileIcon);
        case RowIcon::siteIcon:
            return symbolNamed("globe", "applications-internet", QStyle::SP_DriveNetIcon);
        case RowIcon::json:
            return symbolNamed("curlybraces", "text-x-script", QStyle::SP_FileIcon);
        case RowIcon::richText:
            return symbolNamed("doc.richtext", "text-html", QStyle::SP_FileIcon);
        case RowIcon::fileIcon:
        case RowIcon::appIcon:
        case RowIcon::plainText:
            break;
    }
    return symbolNamed("doc.plaintext", "text-x-generic", QStyle::SP_FileIcon);
}

QIcon RowIcons::searchSymbol() {
    return symbolNamed("magnifyingglass", "edit-find", QStyle::SP_FileDialogContentsView);
}

// Converters name their symbols as the system they were first drawn for does; the app draws
// them itself under those names, and these are the icon theme's pictures with the same meaning
// should the app's own be missing.
QIcon RowIcons::converterSymbol(const std::string& iconName) {
    static const std::map<std::string, const char*, std::less<>> themeNames = {
        {"doc.on.clipboard", "edit-paste"},
        {"folder", "folder"},
        {"doc.text", "text-x-generic"},
        {"doc.text.viewfinder", "edit-find"},
        {"curlybraces", "text-x-script"},
        {"lock.open", "changes-allow"},
        {"lock", "changes-prevent"},
        {"link", "insert-link"},
        {"clock", "appointment-new"},
        {"textformat.size", "format-text-direction-ltr"},
        {"chevron.left.forwardslash.chevron.right", "text-html"},
        {"text.document", "x-office-document"},
        {"number", "format-text-bold"},
        {"doc.richtext", "text-html"},
        {"doc.plaintext", "text-x-generic"},
        {"sparkles", "starred"},
    };
    const auto found = themeNames.find(iconName);
    const std::string themeName = found != themeNames.end() ? found->second : iconName;
    return symbolNamed(iconName, themeName.c_str(), QStyle::SP_ArrowRight);
}

QIcon RowIcons::icon(const clipboard::ClipboardItem& item) {
    const bool hasAppIcon = item.sourceBundleID && appIcons_.icon(*item.sourceBundleID);
    const RowIcon kind = rowIcon(item, hasAppIcon);
    switch (kind) {
        case RowIcon::fileIcon:
            return fileIcons_.icon(*item.plainText);
        case RowIcon::siteIcon:
            return siteIcon(item);
        case RowIcon::appIcon:
            return *appIcons_.icon(*item.sourceBundleID);
        default:
            return symbol(kind);
    }
}

QIcon RowIcons::siteIcon(const clipboard::ClipboardItem& item) {
    if (auto found = siteIcons_.find(item.id); found != siteIcons_.end())
        return found->second;
    if (favicons_ && item.plainText && requestedSiteIcons_.insert(item.id).second) {
        std::weak_ptr<bool> alive = alive_;
        favicons_->favicon(
            unicode::trimmed(*item.plainText),
            [this, alive, id = item.id](std::optional<platform::Image> image) {
                if (!alive.lock() || !image)
                    return;
                QImage decoded;
                if (!decoded.loadFromData(reinterpret_cast<const uchar*>(image->encoded().data()),
                                          static_cast<int>(image->encoded().size())))
                    return;
                siteIcons_[id] = QIcon(QPixmap::fromImage(decoded));
                emit siteIconLoaded(QString::fromStdString(id));
            });
    }
    return symbol(RowIcon::siteIcon);
}

}  // namespace pindrake::app::views
