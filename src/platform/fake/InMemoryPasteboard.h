#pragma once

#include "platform/Pasteboard.h"

namespace pindrake::platform {

// A clipboard in memory. Every write, ours or another application's, counts as a change.
class InMemoryPasteboard final : public Pasteboard {
  public:
    std::int64_t changeCount() const override { return changeCount_; }
    bool isReadingACopy() const override { return readingACopy; }
    PasteboardContents read() override {
        ++readCount_;
        return contents_;
    }
    bool write(const PasteboardContents& contents) override {
        if (clipboardTaken)
            return false;
        contents_ = contents;
        ++changeCount_;
        return true;
    }

    bool copyToPrimarySelection() override {
        if (primarySelectionTaken)
            return false;
        primarySelection_ = contents_;
        return true;
    }

    // Another application copies something.
    void simulateCopy(PasteboardContents contents) {
        contents_ = std::move(contents);
        ++changeCount_;
    }

    const PasteboardContents& contents() const { return contents_; }
    const PasteboardContents& primarySelection() const { return primarySelection_; }
    int readCount() const { return readCount_; }

    // Another application takes the clipboard (or the primary selection) as each write of ours
    // to it is made, so that ours never land there.
    bool clipboardTaken = false;
    bool primarySelectionTaken = false;
    // Another application's copy is being read, and is not in `contents` yet.
    bool readingACopy = false;

  private:
    PasteboardContents contents_;
    PasteboardContents primarySelection_;
    std::int64_t changeCount_ = 1;
    int readCount_ = 0;
};

}  // namespace pindrake::platform
