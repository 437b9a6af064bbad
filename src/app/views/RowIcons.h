#pragma once

#include <QIcon>
#include <QObject>
#include <QPixmap>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/model/IconCache.h"
#include "app/views/PanelRules.h"
#include "clipboard/ClipboardItem.h"
#include "clipboard/FaviconService.h"

namespace pindrake::app::views {

// The pictures of history rows: the app's own symbols (the icon theme's, then the style's, should
// they be missing), application and file icons through the shared caches, and site icons
// fetched once per entry. Main thread only.
class RowIcons final : public QObject {
    Q_OBJECT
  public:
    // Without a site-icon service, web addresses keep the globe.
    explicit RowIcons(std::shared_ptr<clipboard::FaviconService> favicons = nullptr);

    QIcon icon(const clipboard::ClipboardItem& item);
    QIcon fileIcon(const std::string& path) { return fileIcons_.icon(path); }
    static QIcon symbol(RowIcon kind);
    // The search field's magnifying glass.
    static QIcon searchSymbol();
    // A converter's symbol by its name; a generic one when the theme has none.
    static QIcon converterSymbol(const std::string& iconName);

  signals:
    // A site icon arrived; the rows showing the entry repaint.
    void siteIconLoaded(const QString& itemId);

  private:
    QIcon siteIcon(const clipboard::ClipboardItem& item);

    std::shared_ptr<clipboard::FaviconService> favicons_;
    AppIconCache<QIcon> appIcons_;
    FileIconCache<QIcon> fileIcons_;
    std::map<std::string, QIcon> siteIcons_;
    std::set<std::string> requestedSiteIcons_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace pindrake::app::views
