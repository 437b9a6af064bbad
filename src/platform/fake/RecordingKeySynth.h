#pragma once

#include <functional>

#include "platform/KeySynth.h"

namespace pindrake::platform {

// Counts the pastes it is asked to post; `onPaste` lets a test look at the world at that moment.
class RecordingKeySynth final : public KeySynth {
  public:
    bool isTrusted() const override { return trusted; }
    void postPaste() override {
        if (!trusted)
            return;
        ++pasteCount;
        if (onPaste)
            onPaste();
    }

    bool trusted = true;
    int pasteCount = 0;
    std::function<void()> onPaste;
};

}  // namespace pindrake::platform
