#pragma once

#include <functional>
#include <vector>

#include "platform/KeySynth.h"

namespace pindrake::platform {

// Records the pastes it is asked to post; `onPaste` lets a test look at the world at that moment.
class RecordingKeySynth final : public KeySynth {
  public:
    bool isTrusted() const override { return trusted; }
    PasteKey pasteKey() const override { return frontmostPasteKey; }
    void postPaste(PasteKey key) override {
        if (!trusted)
            return;
        pastes.push_back(key);
        if (onPaste)
            onPaste();
    }
    int pasteCount() const { return static_cast<int>(pastes.size()); }

    bool trusted = true;
    PasteKey frontmostPasteKey = PasteKey::controlV;
    std::vector<PasteKey> pastes;
    std::function<void()> onPaste;
};

}  // namespace pindrake::platform
