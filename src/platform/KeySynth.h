#pragma once

namespace pindrake::platform {

// Synthesised key presses sent to whichever application has the keyboard focus.
class KeySynth {
  public:
    virtual ~KeySynth() = default;

    // Whether synthesised keys can reach other applications at all.
    virtual bool isTrusted() const = 0;
    // Presses and releases the paste shortcut (Ctrl+V). Does nothing when not trusted.
    virtual void postPaste() = 0;
};

}  // namespace pindrake::platform
