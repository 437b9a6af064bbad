#include "platform/linux/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/linux/PasteboardTypeMapping.h"

namespace pindrake::platform {

namespace {

// Qt's own X connection: the clipboard owner windows it makes for our writes belong to it.
std::optional<XcbClipboardReader::Client> qtClient() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return std::nullopt;
    const xcb_setup_t* setup = xcb_get_setup(x11->connection());
    return XcbClipboardReader::Client{setup->resource_id_base, setup->resource_id_mask};
}

}  // namespace

QtPasteboard::QtPasteboard(SelectionReadLimits limits)
    : clipboard_(QGuiApplication::clipboard()), reader_(qtClient(), limits) {}

void QtPasteboard::write(const PasteboardContents& contents) {
    reader_.noteOwnWrite(contents);
    offer(contents, QClipboard::Clipboard);
}

void QtPasteboard::copyToPrimarySelection() {
    offer(*reader_.contents(), QClipboard::Selection);
}

void QtPasteboard::offer(const PasteboardContents& contents, QClipboard::Mode selection) {
    if (contents.empty()) {
        clipboard_->clear(selection);
        return;
    }
    auto* data = new QMimeData;
    for (const auto& entry : contents.entries()) {
        // Qt's X11 clipboard names the target of a format by the format's Latin-1 bytes and
        // finds the format of a requested target the same way, so a name passed as Latin-1
        // is offered under exactly its bytes, whether or not they are UTF-8. (An atom name
        // never holds a zero byte, so none is lost.)
        const std::string mime = linux_types::mimeForType(entry.type);
        data->setData(QString::fromLatin1(mime.data(), static_cast<qsizetype>(mime.size())),
                      QByteArray(entry.data.data(), static_cast<qsizetype>(entry.data.size())));
    }
    clipboard_->setMimeData(data, selection);  // takes ownership
}

}  // namespace pindrake::platform
