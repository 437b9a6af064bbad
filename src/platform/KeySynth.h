#pragma once

#include "platform/PasteKey.h"

namespace pindrake::platform {

// Synthesised key presses sent to whichever application has the keyboard focus.
class KeySynth {
  public:
    virtual ~KeySynth() = default;

    // Whether synthesised keys can reach other applications at all.
    virtual bool isTrusted() const = 0;
    // The key the application in front pastes with.
    virtual PasteKey pasteKey() const = 0;
    // Presses and releases the key, with only its own modifiers down: modifiers the user still
    // holds are released around it and pressed again afterwards. Does nothing when not trusted.
    virtual void postPaste(PasteKey key) = 0;
};

}  // namespace pindrake::platform
