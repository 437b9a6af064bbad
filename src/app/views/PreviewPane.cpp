#include "app/views/PreviewPane.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QVBoxLayout>

#include "app/views/OverlayScrollBar.h"
#include "app/views/PanelParts.h"
#include "app/views/PanelRules.h"
#include "app/views/PanelStyle.h"
#include "app/views/RowIcons.h"
#include "app/views/Spinner.h"
#include "app/views/WrappedText.h"
#include "foundation/Localization.h"

namespace pindrake::app::views {

namespace {

QPixmap scaledToFit(const QImage& image, int maxWidth, int maxHeight) {
    return QPixmap::fromImage(
        image.scaled(maxWidth, maxHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// Pictures from outside are read with a bound on their size, never trusted to be small. The
// bound is judged on the size the file announces, for this read alone: Qt's allocation limit is
// the whole process's, and what a capture keeps must not depend on what was previewed.
constexpr qint64 maxPreviewPixelBytes = qint64{64} << 20;

std::optional<QImage> readImage(const QString& path) {
    QImageReader reader(path);
    const QSize size = reader.size();
    // Four bytes a pixel: the picture is scaled at that depth to be shown.
    if (!size.isValid() || qint64{size.width()} * size.height() * 4 > maxPreviewPixelBytes)
        return std::nullopt;
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

}  // namespace

std::optional<std::string> fileInfoText(const std::filesystem::path& path) {
    const QFileInfo info(QString::fromStdString(path.string()));
    if (!info.exists())
        return std::nullopt;
    std::vector<QString> parts;
    const QString type = QMimeDatabase().mimeTypeForFile(info).comment();
    if (!type.isEmpty())
        parts.push_back(type);
    if (!info.isDir())
        parts.push_back(QLocale().formattedDataSize(info.size()));
    if (parts.empty())
        return std::nullopt;
    QString joined = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i)
        joined += QStringLiteral(" – ") + parts[i];
    return joined.toStdString();
}

PreviewPane::PreviewPane(RowIcons& icons, std::filesystem::path historyFolder, QWidget* parent)
    : QWidget(parent), icons_(icons), historyFolder_(std::move(historyFolder)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(cardTitle("preview", this));
    layout->addWidget(divider(this));
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    new OverlayScrollBar(*scroll_);
    scroll_->viewport()->setAutoFillBackground(false);
    body_ = new QWidget;
    bodyLayout_ = new QVBoxLayout(body_);
    bodyLayout_->setContentsMargins(10, 10, 10, 10);
    bodyLayout_->setSpacing(8);
    scroll_->setWidget(body_);
    // Taking the body in fills it; the card's rounded backing shows through it instead.
    body_->setAutoFillBackground(false);
    layout->addWidget(scroll_, 1);
}

void PreviewPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintCard(painter, *this);
}

void PreviewPane::clear() {
    while (auto* child = bodyLayout_->takeAt(0)) {
        delete child->widget();
        delete child;
    }
    textLabel_ = nullptr;
    content_ = Content::empty;
}

QString PreviewPane::shownText() const {
    return content_ == Content::text && textLabel_ ? textLabel_->text() : QString();
}

void PreviewPane::show(const clipboard::ClipboardItem& item, bool isConverting,
                       const std::optional<std::string>& convertedText) {
    clear();
    if (isConverting) {
        bodyLayout_->addWidget(convertingIndicator());
        content_ = Content::converting;
    } else if (!convertedText && item.pasteboardTypes.contains("public.file-url") &&
               item.plainText) {
        showFile(*item.plainText);
    } else if (convertedText || !item.imageFilename || !showImage(*item.imageFilename)) {
        showText(convertedText ? *convertedText : item.plainText.value_or(std::string()));
    }
    bodyLayout_->addStretch(1);
}

// A small turning arc and "converting", side by side in the middle.
QWidget* PreviewPane::convertingIndicator() {
    auto* indicator = new QWidget(body_);
    auto* row = new QHBoxLayout(indicator);
    row->setContentsMargins(0, 8, 0, 8);
    row->setSpacing(8);
    row->addStretch(1);
    row->addWidget(new Spinner(indicator));
    auto* label = new QLabel(QString::fromStdString(localized("converting")), indicator);
    QFont font = label->font();
    font.setPixelSize(12);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(label);
    row->addStretch(1);
    return indicator;
}

void PreviewPane::showFile(const std::string& path) {
    const QString qPath = QString::fromStdString(path);
    auto* picture = new QLabel(body_);
    picture->setAlignment(Qt::AlignCenter);
    const bool isImage =
        QMimeDatabase().mimeTypeForFile(qPath).inherits(QStringLiteral("image/x-generic")) ||
        QMimeDatabase().mimeTypeForFile(qPath).name().startsWith(QStringLiteral("image/"));
    const auto image = isImage ? readImage(qPath) : std::nullopt;
    if (image) {
        const Size size = thumbnailSize({double(image->width()), double(image->height())}, 220);
        picture->setPixmap(
            scaledToFit(*image, std::min(220, int(size.width)), std::min(160, int(size.height))));
    } else {
        picture->setPixmap(icons_.fileIcon(path).pixmap(64, 64));
    }
    bodyLayout_->addWidget(picture);
    // Two lines show little of a name, but the name is laid out to know where they break.
    const std::string fileName = QFileInfo(qPath).fileName().toStdString();
    auto* name = new WrappedText(QString::fromStdString(previewText(fileName)), body_, 2);
    name->setObjectName(QStringLiteral("fileName"));
    QFont nameFont = name->font();
    nameFont.setPixelSize(13);
    nameFont.setWeight(QFont::Medium);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignHCenter);
    bodyLayout_->addWidget(name);
    if (const auto info = fileInfoText(path)) {
        auto* line = new QLabel(QString::fromStdString(*info), body_);
        QFont infoFont = line->font();
        infoFont.setPixelSize(11);
        line->setFont(infoFont);
        line->setForegroundRole(QPalette::PlaceholderText);
        line->setAlignment(Qt::AlignCenter);
        bodyLayout_->addWidget(line);
    }
    content_ = Content::file;
}

bool PreviewPane::showImage(const std::string& fileName) {
    // The name comes from the history file: only a plain name inside the history folder.
    const std::filesystem::path name(fileName);
    if (name.empty() || name.has_parent_path() || name.filename() != name || fileName == ".." ||
        fileName == ".")
        return false;
    const auto image = readImage(QString::fromStdString((historyFolder_ / name).string()));
    if (!image)
        return false;
    auto* picture = new QLabel(body_);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(
        scaledToFit(*image, std::min(244, image->width()), std::min(250, image->height())));
    bodyLayout_->addWidget(picture);
    content_ = Content::image;
    return true;
}

void PreviewPane::showText(const std::string& text) {
    if (text.empty())
        return;
    textLabel_ = new WrappedText(QString::fromStdString(previewText(text)), body_);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(12);
    textLabel_->setFont(mono);
    bodyLayout_->addWidget(textLabel_);
    content_ = Content::text;
}

}  // namespace pindrake::app::views
