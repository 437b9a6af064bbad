#pragma once

#include "platform/Pasteboard.h"
#include "platform/linux/XcbClipboardReader.h"

#include <QClipboard>

namespace pindrake::platform {

// The system clipboard (the CLIPBOARD selection on X11). Other applications' copies are read on
// a worker thread (XcbClipboardReader), so reading here never waits on another client; our own
// copies are owned and served by Qt. Needs a QGuiApplication on the xcb platform.
class QtPasteboard final : public Pasteboard {
  public:
    explicit QtPasteboard(SelectionReadLimits limits = {});

    std::int64_t changeCount() const override { return reader_.changeCount(); }
    bool isReadingACopy() const override { return reader_.isReadingACopy(); }
    // The copy the worker read last (or our own last write). Taking it lets a copy read after it,
    // if any, count as the next change.
    PasteboardContents read() override { return *reader_.take(); }
    bool write(const PasteboardContents& contents) override;
    bool copyToPrimarySelection() override;

  private:
    bool offer(const PasteboardContents& contents, QClipboard::Mode selection);
    bool tookSelection(QClipboard::Mode selection, bool owned) const;

    QClipboard* clipboard_;
    std::optional<XcbClipboardReader::Client> ownClient_;
    xcb_atom_t clipboardAtom_ = XCB_ATOM_NONE;
    XcbClipboardReader reader_;
};

}  // namespace pindrake::platform
