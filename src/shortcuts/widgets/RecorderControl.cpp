#include "shortcuts/widgets/RecorderControl.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include <algorithm>

#include "shortcuts/widgets/QtKeys.h"

namespace pindrake::GlobalShortcuts {

namespace {

// Holds off the deletion of a window while a loop runs inside it: a deferred delete that comes
// meanwhile (the window closed from within the loop) is asked for again once the loop is over.
// Not by the window's own deleteLater: Qt drops a second one for an object that had one, while
// the object has other events waiting. A stand-in's deferred delete takes the window with it.
class DeletionHeldOff final : public QObject {
  public:
    explicit DeletionHeldOff(QWidget& window) : window_(&window) {
        window.installEventFilter(this);
    }
    ~DeletionHeldOff() override {
        if (!window_)
            return;
        window_->removeEventFilter(this);
        if (!deletionAsked_)
            return;
        auto* standIn = new QObject;
        QObject::connect(standIn, &QObject::destroyed,
                         [window = window_] { delete window.data(); });
        standIn->deleteLater();
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::DeferredDelete)
            return false;
        deletionAsked_ = true;
        return true;
    }

  private:
    QPointer<QWidget> window_;
    bool deletionAsked_ = false;
};

}  // namespace

RecorderControl::RecorderControl(RecorderServices services, Name name,
                                 RecorderLogic::OnChange onChange, QWidget* parent)
    : QLineEdit(parent),
      services_(std::move(services)),
      clearAction_(
          new QAction(style()->standardIcon(QStyle::SP_LineEditClearButton), QString(), this)) {
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAlignment(Qt::AlignCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    addAction(clearAction_, QLineEdit::TrailingPosition);
    RecorderHost& host = *this;
    logic_ =
        std::make_unique<RecorderLogic>(host, services_.registry, services_.layout, std::move(name),
                                        std::move(onChange), services_.mainMenu);
    connect(clearAction_, &QAction::triggered, this, [this] { logic_->clear(); });
}

RecorderControl::~RecorderControl() {
    stopRecording();
}

QSize RecorderControl::sizeHint() const {
    return {fixedWidth, QLineEdit::sizeHint().height()};
}

bool RecorderControl::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // While recording, the window's own shortcuts must not fire on what is recorded.
            if (isRecording()) {
                event->accept();
                return true;
            }
            break;
        case QEvent::WindowActivate:
            preventFocusUntilNextTurn();
            break;
        case QEvent::WindowDeactivate:
            if (isRecording()) {
                stopRecording();
                clearFocus();
            }
            break;
        default:
            break;
    }
    return QLineEdit::event(event);
}

void RecorderControl::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (logic_->isRecording())
        return;
    logic_->beginRecording();
    // Without it, X gives a combination another program grabs to that program, and the
    // recorder would never see it (nor could it warn about the conflict).
    grabKeyboard();
    eventMonitor_ = new LocalEventMonitor(
        {QEvent::KeyPress, QEvent::MouseButtonRelease},
        [this](QObject*, QEvent* event) { return handleMonitoredEvent(event); }, this);
    eventMonitor_->start();
}

void RecorderControl::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    stopRecording();
}

void RecorderControl::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    preventFocusUntilNextTurn();
}

void RecorderControl::hideEvent(QHideEvent* event) {
    stopRecording();
    // The window went away (the panel closes Settings as it shows): so does its alert.
    if (alert_)
        alert_->close();
    QLineEdit::hideEvent(event);
}

void RecorderControl::changeEvent(QEvent* event) {
    // Moved to another window: the recording belonged to the old one.
    if (event->type() == QEvent::ParentChange)
        stopRecording();
    QLineEdit::changeEvent(event);
}

bool RecorderControl::handleMonitoredEvent(QEvent* event) {
    RecorderEvent recorded;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isModifierKey(key->key()))
            return false;
        recorded.kind = RecorderEvent::Kind::keyDown;
        recorded.modifiers = modifierFlags(key->modifiers());
        if (services_.keyCodeForScanCode)
            recorded.keyCode = services_.keyCodeForScanCode(key->nativeScanCode());
        // Qt reports Shift-Tab as its own key; it is Tab with Shift all the same.
        focusMovesOn_ = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    } else {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton)
            return false;
        // The clear button reacts to its own click. The release reaches this filter first on
        // its way to the window, so where it happened tells, not who receives it now.
        if (isOnClearButton(mouse->globalPosition()))
            return false;
        recorded.kind = mouse->button() == Qt::LeftButton ? RecorderEvent::Kind::leftMouseUp
                                                          : RecorderEvent::Kind::rightMouseUp;
        const QPointF local = mapFromGlobal(mouse->globalPosition());
        recorded.x = local.x();
        recorded.y = local.y();
    }
    const auto disposition = logic_->handleEvent(recorded);
    focusMovesOn_ = false;
    return disposition == RecorderLogic::Disposition::swallow;
}

void RecorderControl::beep() {
    if (services_.beep) {
        services_.beep();
    } else {
        QApplication::beep();
    }
}

int RecorderControl::runAlert(const Alert& alert) {
    QMessageBox box(QMessageBox::Warning, QString(), QString::fromStdString(alert.message),
                    QMessageBox::NoButton, window());
    box.setWindowModality(Qt::WindowModal);
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    std::vector<QAbstractButton*> buttons;
    if (alert.buttons.empty())
        buttons.push_back(box.addButton(QMessageBox::Ok));
    for (const auto& title : alert.buttons)
        buttons.push_back(box.addButton(QString::fromStdString(title), QMessageBox::ActionRole));
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    box.setEscapeButton(buttons.front());
    // The box, this control and the logic that asked live on until the loop is over: the window
    // is not deleted under it, though it may be closed.
    const DeletionHeldOff keepWindow(*window());
    alert_ = &box;
    box.exec();
    alert_ = nullptr;
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? 0 : static_cast<int>(chosen - buttons.begin());
}

void RecorderControl::endEditing() {
    stopRecording();
    if (!focusMovesOn_)
        clearFocus();
}

void RecorderControl::focus() {
    setFocus(Qt::OtherFocusReason);
}

void RecorderControl::setText(const std::string& text) {
    QLineEdit::setText(QString::fromStdString(text));
}

void RecorderControl::setPlaceholder(const std::string& text) {
    setPlaceholderText(QString::fromStdString(text));
}

void RecorderControl::setShowsClearButton(bool shows) {
    clearAction_->setVisible(shows);
}

void RecorderControl::stopRecording() {
    // The monitor may be the caller: it stops now and goes once the event it handles is done.
    if (auto* monitor = std::exchange(eventMonitor_, nullptr)) {
        monitor->stop();
        monitor->deleteLater();
        releaseKeyboard();
        // The hot keys are grabbed again right after, on a connection of their own: the
        // server must have let go of the keyboard by then, or the next press still comes here.
        QGuiApplication::sync();
    }
    if (logic_)
        logic_->endRecording();
}

// Qt focuses the first focusable widget of a window that is shown or activated; the recorder
// must not be that one, or it would start recording unasked. From the next turn on the user
// can focus it.
void RecorderControl::preventFocusUntilNextTurn() {
    setFocusPolicy(Qt::NoFocus);
    QTimer::singleShot(0, this, [this] { setFocusPolicy(Qt::StrongFocus); });
}

bool RecorderControl::isOnClearButton(const QPointF& globalPosition) const {
    const auto buttons = clearAction_->associatedObjects();
    return std::any_of(buttons.begin(), buttons.end(), [&](QObject* object) {
        const auto* button = qobject_cast<const QWidget*>(object);
        return button && button != this && button->isVisible() &&
               button->rect().contains(button->mapFromGlobal(globalPosition).toPoint());
    });
}

// A centred line edit hides its placeholder while it has the focus, which is exactly while
// it records: the prompt is drawn here instead.
void RecorderControl::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (!hasFocus() || !text().isEmpty() || placeholderText().isEmpty())
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(area, Qt::AlignCenter,
                     fontMetrics().elidedText(placeholderText(), Qt::ElideRight, area.width()));
}

}  // namespace pindrake::GlobalShortcuts
