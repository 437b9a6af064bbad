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
    // The copy the worker read last (or our own last write).
    PasteboardContents read() override { return *reader_.contents(); }
    void write(const PasteboardContents& contents) override;
    void copyToPrimarySelection() override;

  private:
    void offer(const PasteboardContents& contents, QClipboard::Mode selection);

    QClipboard* clipboard_;
    XcbClipboardReader reader_;
};

}  // namespace pindrake::platform
