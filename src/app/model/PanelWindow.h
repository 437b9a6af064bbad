#pragma once

#include <functional>
#include <optional>

#include "app/model/Geometry.h"
#include "foundation/Scheduler.h"

namespace pindrake::app {

enum class Easing { easeIn, easeOut };

// The floating panel as the window system offers it: a borderless window above the others on
// every desktop, which takes the keyboard while shown, plus a layer that catches clicks outside
// it. Main thread only; callbacks arrive on the main thread.
class PanelWindow {
  public:
    virtual ~PanelWindow() = default;

    // Makes the window, once. `onResignKey` runs each time it loses the keyboard focus.
    virtual void create(const Rect& frame, std::function<void()> onResignKey) = 0;

    // The panel's view: built for a show, released after a hide so that it starts afresh.
    virtual bool hasContent() const = 0;
    virtual void buildContent() = 0;
    virtual void releaseContent() = 0;

    // The screen the user works on; none when no screen is known.
    virtual std::optional<Rect> mainScreenFrame() const = 0;
    virtual Rect frame() const = 0;
    virtual void setFrame(const Rect& frame) = 0;

    virtual void setAlpha(double alpha) = 0;
    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderOut() = 0;
    // Animates the opacity; `completion` runs once when the animation has ended.
    virtual void fadeTo(double alpha, Duration duration, Easing easing,
                        std::function<void()> completion) = 0;
    // Runs `then` once, on a later turn, after the window's next frame has been drawn and handed
    // to the display.
    virtual void afterNextFrame(std::function<void()> then) = 0;

    // While shown, a click anywhere outside the panel runs `onOutsideClick` and reaches no
    // other window.
    virtual void showOverlay(std::function<void()> onOutsideClick) = 0;
    virtual void removeOverlay() = 0;
};

}  // namespace pindrake::app
