#include "platform/linux/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <string_view>

#include "foundation/Log.h"
#include "platform/linux/PasteboardTypeMapping.h"
#include "platform/linux/XcbReply.h"

namespace pindrake::platform {

namespace {

// Qt's own X connection: the clipboard owner windows it makes for our writes belong to it.
xcb_connection_t* qtConnection() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::optional<XcbClipboardReader::Client> qtClient() {
    xcb_connection_t* connection = qtConnection();
    if (!connection)
        return std::nullopt;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    return XcbClipboardReader::Client{setup->resource_id_base, setup->resource_id_mask};
}

xcb_atom_t clipboardAtom() {
    xcb_connection_t* connection = qtConnection();
    if (!connection)
        return XCB_ATOM_NONE;
    constexpr std::string_view name = "CLIPBOARD";
    const auto reply = xcbReply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, name.size(), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace

QtPasteboard::QtPasteboard(SelectionReadLimits limits)
    : clipboard_(QGuiApplication::clipboard()),
      ownClient_(qtClient()),
      clipboardAtom_(clipboardAtom()),
      reader_(ownClient_, limits) {}

// Noted only once ours: a copy that took the clipboard first is read and counted as usual. A
// read of an earlier copy that ends after this is still dropped.
bool QtPasteboard::write(const PasteboardContents& contents) {
    if (!offer(contents, QClipboard::Clipboard)) {
        log::warning("Another application took the clipboard before our write could");
        return false;
    }
    reader_.noteOwnWrite(contents);
    return true;
}

bool QtPasteboard::copyToPrimarySelection() {
    return offer(*reader_.contents(), QClipboard::Selection);
}

bool QtPasteboard::offer(const PasteboardContents& contents, QClipboard::Mode selection) {
    if (contents.empty()) {
        clipboard_->clear(selection);
        return tookSelection(selection, false);
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
    return tookSelection(selection, true);
}

// Qt claims a selection with the time of the last event it handled and only warns when that
// fails: a copy another application made since (while the main thread was busy) keeps it. The
// server says who holds it now (a round trip to the server alone, as Qt's own claim makes).
bool QtPasteboard::tookSelection(QClipboard::Mode selection, bool owned) const {
    xcb_connection_t* connection = qtConnection();
    const xcb_atom_t atom =
        selection == QClipboard::Clipboard ? clipboardAtom_ : xcb_atom_t(XCB_ATOM_PRIMARY);
    if (!connection || !ownClient_ || atom == XCB_ATOM_NONE)
        return true;  // not on X11: Qt keeps the clipboard itself
    const auto reply = xcbReply(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom), nullptr));
    if (!reply)
        return true;
    return owned ? ownClient_->made(reply->owner) : reply->owner == XCB_WINDOW_NONE;
}

}  // namespace pindrake::platform
