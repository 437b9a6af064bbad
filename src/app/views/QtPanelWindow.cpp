#include "app/views/QtPanelWindow.h"

#include <QApplication>
#include <QCursor>
#include <QExposeEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlatformSurfaceEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pindrake::app::views {

namespace {

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The selection a compositor owns while it runs on our screen.
std::string compositorSelectionName() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    const int screen = x11 && x11->display() ? DefaultScreen(x11->display()) : 0;
    return "_NET_WM_CM_S" + std::to_string(screen);
}

bool compositorRuns(xcb_connection_t* connection, xcb_atom_t selection) {
    if (selection == XCB_ATOM_NONE)
        return false;
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection),
                                      nullptr),
        &std::free);
    return reply && reply->owner != XCB_WINDOW_NONE;
}

// A grab fails while the window is not yet mapped or another client holds one; it is tried
// again for a short while.
constexpr int grabAttemptLimit = 50;
constexpr int grabRetryMilliseconds = 10;

// Presses, releases and shortcut overrides (Xlib's macros shadow the names of the first two).
bool isKey(QEvent& event) {
    return dynamic_cast<QKeyEvent*>(&event) != nullptr;
}

// An open popup menu of ours takes every key typed in the application, and when it closes, its
// grabs end the panel's: it closes before the panel shows.
void closePopups() {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (!popup->close())
            break;
    }
}

// Asked for together: one round trip for all.
QtPanelWindow::Atoms internAtoms(xcb_connection_t* connection) {
    const std::string selection = compositorSelectionName();
    const char* names[] = {"WM_PROTOCOLS", "WM_TAKE_FOCUS", "_NET_WM_DESKTOP", selection.c_str()};
    xcb_intern_atom_cookie_t cookies[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i)
        cookies[i] =
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(strlen(names[i])), names[i]);
    xcb_atom_t atoms[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(connection, cookies[i], nullptr), &std::free);
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return {atoms[0], atoms[1], atoms[2], atoms[3]};
}

}  // namespace

class QtPanelWindow::Frame final : public QWidget {
  public:
    explicit Frame(QtPanelWindow& owner)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus),
          owner_(owner) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setObjectName(QStringLiteral("pindrakePanel"));
        setWindowTitle(QStringLiteral("Pindrake"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }

    // A frame is drawn as the window is exposed, or as the toolkit repaints what changed in an
    // exposed window, within the handling of that event (sent to the window or to this widget).
    void watchFrames() {
        winId();
        windowHandle()->installEventFilter(this);
    }

    // X grabs belong to the client, not the window: when the last of our popup menus closes,
    // the toolkit ends its grabs and the panel's with them. Watched while the panel wants them,
    // as are the keys: the grab sends them to whichever window of ours has the focus (the About
    // box, say), and the panel takes those, as it takes the keys typed in other applications.
    void watchPopups(bool watch) {
        if (watch)
            qApp->installEventFilter(this);
        else if (qApp)
            qApp->removeEventFilter(this);
    }

  protected:
    bool event(QEvent* event) override {
        if (auto* surface = dynamic_cast<QPlatformSurfaceEvent*>(event);
            surface && surface->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated)
            owner_.refuseFocusOffers();
        if (event->type() == QEvent::UpdateRequest && windowHandle() && windowHandle()->isExposed())
            owner_.frameComing();
        return QWidget::event(event);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == windowHandle() &&
            (dynamic_cast<QExposeEvent*>(event) || event->type() == QEvent::UpdateRequest) &&
            windowHandle()->isExposed()) {
            owner_.frameComing();
            return false;
        }
        if (isKey(*event) && watched->isWidgetType()) {
            // No shortcut runs for a key sent on: not the other window's (the override sent on
            // is taken here), nor any for a press (which the toolkit, as it is no event from the
            // display, offers to the shortcuts once more through an override to the receiver).
            if (isForwarding_) {
                if (event->type() != QEvent::ShortcutOverride)
                    return false;
                event->accept();
                return true;
            }
            const QWidget* window = static_cast<QWidget*>(watched)->window();
            QWidget* receiver = owner_.keyReceiver();
            if (window == this || window->windowType() == Qt::Popup || !receiver)
                return false;
            isForwarding_ = true;
            QCoreApplication::sendEvent(receiver, event);
            isForwarding_ = false;
            return true;
        }
        if (event->type() == QEvent::Hide && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->windowType() == Qt::Popup) {
            // Queued: the toolkit lets go of its grabs only once the popup is hidden.
            QMetaObject::invokeMethod(
                this, [this] { owner_.grabAgain(); }, Qt::QueuedConnection);
        }
        return false;
    }

    // Under the pointer grab, clicks elsewhere on the screen arrive here, outside our rect.
    void mousePressEvent(QMouseEvent* event) override {
        if (!rect().contains(event->position().toPoint()) && owner_.onOutsideClick_) {
            event->accept();
            auto handler = owner_.onOutsideClick_;
            handler();
            return;
        }
        QWidget::mousePressEvent(event);
    }

  private:
    QtPanelWindow& owner_;
    bool isForwarding_ = false;
};

QtPanelWindow::QtPanelWindow(ContentFactory makeContent, KeyTarget keyTarget)
    : makeContent_(std::move(makeContent)), keyTarget_(std::move(keyTarget)) {
    grabRetry_.setInterval(grabRetryMilliseconds);
    QObject::connect(&grabRetry_, &QTimer::timeout, [this] { grabInput(); });
}

QWidget* QtPanelWindow::window() const {
    return window_;
}

QtPanelWindow::~QtPanelWindow() {
    releaseInput();
    delete window_;
}

// The panel never holds the focus; it resigns when it cannot have the keyboard grab.
void QtPanelWindow::create(const Rect& frame, std::function<void()> onResignKey) {
    if (window_)
        return;
    onResignKey_ = std::move(onResignKey);
    window_ = new Frame(*this);
    auto* connection = x11Connection();
    if (connection)
        atoms_ = internAtoms(connection);
    // The alpha channel is chosen when the window is made; a compositor that starts or stops
    // later is met by the shape.
    composited_ = connection && compositorRuns(connection, atoms_.compositorSelection);
    window_->setAttribute(Qt::WA_TranslucentBackground, composited_);
    setFrame(frame);
    window_->watchFrames();
}

bool QtPanelWindow::isTranslucent() const {
    return window_ && window_->testAttribute(Qt::WA_TranslucentBackground);
}

void QtPanelWindow::setShape(const QRegion& painted) {
    shape_ = painted;
    applyShape();
}

void QtPanelWindow::applyShape() {
    if (!window_)
        return;
    if (composited_ && isTranslucent() && !shape_.isEmpty())
        window_->clearMask();
    else if (!shape_.isEmpty())
        window_->setMask(shape_);
}

void QtPanelWindow::buildContent() {
    if (content_ || !window_)
        return;
    content_ = makeContent_(window_);
    window_->layout()->addWidget(content_);
}

void QtPanelWindow::releaseContent() {
    delete content_.data();
    content_ = nullptr;
}

std::optional<Rect> QtPanelWindow::mainScreenFrame() const {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    const QRect area = screen->availableGeometry();
    return Rect{double(area.x()), double(area.y()), double(area.width()), double(area.height())};
}

Rect QtPanelWindow::frame() const {
    if (!window_)
        return {};
    const QRect geometry = window_->geometry();
    return {double(geometry.x()), double(geometry.y()), double(geometry.width()),
            double(geometry.height())};
}

void QtPanelWindow::setFrame(const Rect& frame) {
    if (window_)
        window_->setGeometry(qRound(frame.x), qRound(frame.y), qRound(frame.width),
                             qRound(frame.height));
}

void QtPanelWindow::setAlpha(double alpha) {
    if (window_)
        window_->setWindowOpacity(alpha);
}

void QtPanelWindow::makeKeyAndOrderFront() {
    if (!window_)
        return;
    closePopups();
    if (auto* connection = x11Connection())
        composited_ = compositorRuns(connection, atoms_.compositorSelection);
    applyShape();
    window_->show();
    window_->raise();
    showOnAllDesktops();
    if (content_) {
        if (QWidget* target = keyTarget_(content_))
            target->setFocus(Qt::OtherFocusReason);
    }
    wantsGrabs_ = true;
    window_->watchPopups(true);
    grabAttempts_ = 0;
    grabInput();
}

QWidget* QtPanelWindow::keyReceiver() const {
    return content_ ? keyTarget_(content_) : nullptr;
}

void QtPanelWindow::grabAgain() {
    if (!wantsGrabs_ || QApplication::activePopupWidget())
        return;
    keyboardGrabbed_ = pointerGrabbed_ = false;
    grabAttempts_ = 0;
    grabInput();
}

void QtPanelWindow::orderOut() {
    releaseInput();
    if (window_)
        window_->hide();
}

void QtPanelWindow::fadeTo(double alpha, Duration duration, Easing easing,
                           std::function<void()> completion) {
    if (!window_) {
        completion();
        return;
    }
    auto* animation = new QPropertyAnimation(window_, "windowOpacity", window_);
    animation->setDuration(
        int(std::chrono::duration_cast<std::chrono::milliseconds>(duration).count()));
    animation->setEndValue(alpha);
    animation->setEasingCurve(easing == Easing::easeIn ? QEasingCurve::InQuad
                                                       : QEasingCurve::OutQuad);
    QObject::connect(animation, &QPropertyAnimation::finished, window_,
                     [completion = std::move(completion)] { completion(); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void QtPanelWindow::afterNextFrame(std::function<void()> then) {
    afterFrame_.push_back(std::move(then));
    // A frame comes even when nothing in the window has changed.
    if (window_)
        window_->update();
    else
        frameComing();
}

void QtPanelWindow::frameComing() {
    if (afterFrame_.empty())
        return;
    // Queued behind the event that draws the frame; the frame is sent before anything runs.
    QMetaObject::invokeMethod(
        qApp,
        [waiting = std::exchange(afterFrame_, {})] {
            if (auto* connection = x11Connection())
                xcb_flush(connection);
            for (const auto& then : waiting)
                then();
        },
        Qt::QueuedConnection);
}

void QtPanelWindow::showOverlay(std::function<void()> onOutsideClick) {
    onOutsideClick_ = std::move(onOutsideClick);
}

// The panel stops taking keys and clicks as soon as it starts to hide, so that the paste that
// follows reaches the window in front.
void QtPanelWindow::removeOverlay() {
    onOutsideClick_ = nullptr;
    releaseInput();
}

void QtPanelWindow::grabInput() {
    auto* connection = x11Connection();
    if (!wantsGrabs_ || !window_ || !connection) {
        grabRetry_.stop();
        return;
    }
    const auto window = static_cast<xcb_window_t>(window_->winId());
    if (!keyboardGrabbed_) {
        std::unique_ptr<xcb_grab_keyboard_reply_t, decltype(&std::free)> reply(
            xcb_grab_keyboard_reply(connection,
                                    xcb_grab_keyboard(connection, 1, window, XCB_CURRENT_TIME,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                    nullptr),
            &std::free);
        keyboardGrabbed_ = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    }
    if (!pointerGrabbed_) {
        // Owner events: clicks on the panel reach its widgets as usual, the others come here.
        std::unique_ptr<xcb_grab_pointer_reply_t, decltype(&std::free)> reply(
            xcb_grab_pointer_reply(
                connection,
                xcb_grab_pointer(connection, 1, window,
                                 XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                     XCB_EVENT_MASK_POINTER_MOTION,
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_WINDOW_NONE,
                                 XCB_CURSOR_NONE, XCB_CURRENT_TIME),
                nullptr),
            &std::free);
        pointerGrabbed_ = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    }
    if (hasGrabs()) {
        grabRetry_.stop();
    } else if (++grabAttempts_ < grabAttemptLimit) {
        if (!grabRetry_.isActive())
            grabRetry_.start();
    } else {
        grabRetry_.stop();
        // Shown without the keyboard, the panel would leave what the user types to the window
        // behind it, and Escape could not close it.
        if (!keyboardGrabbed_ && onResignKey_)
            onResignKey_();
    }
}

void QtPanelWindow::releaseInput() {
    wantsGrabs_ = false;
    if (window_)
        window_->watchPopups(false);
    grabRetry_.stop();
    auto* connection = x11Connection();
    if (!connection)
        return;
    if (keyboardGrabbed_)
        xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
    if (pointerGrabbed_)
        xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    keyboardGrabbed_ = pointerGrabbed_ = false;
    xcb_flush(connection);
}

void QtPanelWindow::showOnAllDesktops() {
    auto* connection = x11Connection();
    if (!connection)
        return;
    const auto window = static_cast<xcb_window_t>(window_->winId());
    const std::uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atoms_.desktop,
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_flush(connection);
}

// The panel never takes the focus (it grabs the keyboard), yet the toolkit offers it for every
// window as it makes the window. A window manager moving the focus on from a window of ours that
// closes (Settings, as the panel shows) may take the offer: the panel lets the focus drop, and
// once it closes the keys reach no window. Without the offer the focus goes to another program's
// window.
void QtPanelWindow::refuseFocusOffers() {
    auto* connection = x11Connection();
    if (!connection || !window_ || !window_->windowHandle())
        return;
    // The widget takes its id only once the toolkit's window is made, after this.
    const auto window = static_cast<xcb_window_t>(window_->windowHandle()->winId());
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, window, atoms_.protocols, XCB_ATOM_ATOM, 0, 32),
            nullptr),
        &std::free);
    if (!reply || reply->format != 32)
        return;
    const auto* offered = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    std::vector<xcb_atom_t> kept(
        offered, offered + xcb_get_property_value_length(reply.get()) / sizeof(xcb_atom_t));
    std::erase(kept, atoms_.takeFocus);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atoms_.protocols, XCB_ATOM_ATOM,
                        32, static_cast<std::uint32_t>(kept.size()), kept.data());
}

}  // namespace pindrake::app::views
