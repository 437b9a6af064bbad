#pragma once

#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

#include "app/model/PanelWindow.h"

namespace pindrake::app::views {

// The panel as a frameless tool window above the others, on every desktop. It never takes the
// focus: while shown it grabs the keyboard (so the window in front keeps the focus and receives
// the paste with no reactivation) and the pointer (so a click elsewhere hides the panel and
// reaches no other window). Our popup menus close as it shows, and its grabs are taken again
// after one of ours closes; when the keyboard cannot be had, it resigns (and is hidden).
class QtPanelWindow final : public PanelWindow {
  public:
    // Builds the panel's view inside the given frame, for each show.
    using ContentFactory = std::function<QWidget*(QWidget* frame)>;
    // The widget that takes the keys typed while the panel shows (the search field).
    using KeyTarget = std::function<QWidget*(QWidget* content)>;

    QtPanelWindow(ContentFactory makeContent, KeyTarget keyTarget);
    ~QtPanelWindow() override;

    void create(const Rect& frame, std::function<void()> onResignKey) override;
    bool hasContent() const override { return content_ != nullptr; }
    void buildContent() override;
    void releaseContent() override;
    std::optional<Rect> mainScreenFrame() const override;
    Rect frame() const override;
    void setFrame(const Rect& frame) override;
    void setAlpha(double alpha) override;
    void makeKeyAndOrderFront() override;
    void orderOut() override;
    void fadeTo(double alpha, Duration duration, Easing easing,
                std::function<void()> completion) override;
    void afterNextFrame(std::function<void()> then) override;
    void showOverlay(std::function<void()> onOutsideClick) override;
    void removeOverlay() override;

    // What the content paints; the rest of the window lets the desktop show through: the window
    // is see-through where a compositor runs, and cut to this shape where none does.
    void setShape(const QRegion& painted);

    QWidget* window() const;
    // Whether the window was made with an alpha channel, for a compositor to blend.
    bool isTranslucent() const;
    QWidget* content() const { return content_; }
    // Both grabs are held.
    bool hasGrabs() const { return keyboardGrabbed_ && pointerGrabbed_; }

    // The names the panel gives the X server, looked up once: each lookup is a round trip.
    struct Atoms {
        std::uint32_t protocols = 0;
        std::uint32_t takeFocus = 0;
        std::uint32_t desktop = 0;
        std::uint32_t compositorSelection = 0;
    };

  private:
    class Frame;
    void grabInput();
    void grabAgain();
    void releaseInput();
    // The widget the keys typed while the panel shows go to; none without content.
    QWidget* keyReceiver() const;
    void showOnAllDesktops();
    // Run whenever the toolkit makes the window, which is when it writes the offer.
    void refuseFocusOffers();
    void applyShape();
    // The window is about to draw a frame: what waits for one runs once it is on its way.
    void frameComing();

    ContentFactory makeContent_;
    KeyTarget keyTarget_;
    Frame* window_ = nullptr;
    QPointer<QWidget> content_;
    std::function<void()> onOutsideClick_;
    std::function<void()> onResignKey_;
    bool wantsGrabs_ = false;
    bool keyboardGrabbed_ = false;
    bool pointerGrabbed_ = false;
    QTimer grabRetry_;
    int grabAttempts_ = 0;
    QRegion shape_;
    bool composited_ = false;
    Atoms atoms_;
    std::vector<std::function<void()>> afterFrame_;
};

}  // namespace pindrake::app::views
