#pragma once

#include <QMetaObject>

#include "platform/Pasteboard.h"

class QClipboard;

namespace pindrake::platform {

// The system clipboard (the CLIPBOARD selection on X11) through Qt. The change count goes up on
// every change Qt reports, ours included. Needs a QGuiApplication.
class QtPasteboard final : public Pasteboard {
  public:
    QtPasteboard();
    ~QtPasteboard() override;
    QtPasteboard(const QtPasteboard&) = delete;
    QtPasteboard& operator=(const QtPasteboard&) = delete;

    std::int64_t changeCount() const override { return changeCount_; }
    PasteboardContents read() override;
    void write(const PasteboardContents& contents) override;

  private:
    QClipboard* clipboard_;
    QMetaObject::Connection changed_;
    std::int64_t changeCount_ = 0;
};

}  // namespace pindrake::platform
