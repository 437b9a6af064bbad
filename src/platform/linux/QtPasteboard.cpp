#include "platform/linux/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/linux/PasteboardTypeMapping.h"

namespace pindrake::platform {

QtPasteboard::QtPasteboard() : clipboard_(QGuiApplication::clipboard()) {
    // Only the CLIPBOARD selection; PRIMARY changes with every text selection.
    changed_ = QObject::connect(clipboard_, &QClipboard::dataChanged, clipboard_,
                                [this] { ++changeCount_; });
}

QtPasteboard::~QtPasteboard() {
    QObject::disconnect(changed_);
}

PasteboardContents QtPasteboard::read() {
    PasteboardContents contents;
    const QMimeData* data = clipboard_->mimeData(QClipboard::Clipboard);
    if (!data)
        return contents;
    for (const QString& format : data->formats()) {
        const std::string mime = format.toStdString();
        if (linux_types::isProtocolTarget(mime))
            continue;
        std::string type = linux_types::typeForMime(mime);
        // Several targets can stand for one type (UTF8_STRING and text/plain;charset=utf-8);
        // the owner's first one is kept.
        if (contents.contains(type))
            continue;
        const QByteArray bytes = data->data(format);
        std::string bytesRead(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (type == pasteboard_type::fileUrl && !linux_types::namesFile(bytesRead))
            type = mime;
        contents.set(std::move(type), std::move(bytesRead));
    }
    return contents;
}

void QtPasteboard::write(const PasteboardContents& contents) {
    if (contents.empty()) {
        clipboard_->clear(QClipboard::Clipboard);
        return;
    }
    auto* data = new QMimeData;
    for (const auto& entry : contents.entries()) {
        data->setData(QString::fromStdString(linux_types::mimeForType(entry.type)),
                      QByteArray(entry.data.data(), static_cast<qsizetype>(entry.data.size())));
    }
    clipboard_->setMimeData(data, QClipboard::Clipboard);  // takes ownership
}

}  // namespace pindrake::platform
