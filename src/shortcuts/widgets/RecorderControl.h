#pragma once

#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

#include "shortcuts/RecorderLogic.h"
#include "shortcuts/widgets/LocalEventMonitor.h"

class QAction;
class QMessageBox;

namespace pindrake::GlobalShortcuts {

// What a recorder needs from the application.
struct RecorderServices {
    Registry& registry;
    const platform::KeyboardLayout& layout;
    // The virtual key code of a key event's native scan code (the X key code under xcb); none
    // for keys that stored shortcuts cannot name.
    std::function<std::optional<int>(quint32 nativeScanCode)> keyCodeForScanCode;
    // The application's main menu, when it has one.
    RecorderLogic::MenuSource mainMenu = {};
    // The system beep unless given.
    std::function<void()> beep = {};
};

// The shortcut recorder: a small read-only field showing the name's shortcut, with a clear
// button while one is set. Focusing it starts a recording, which takes every key press and
// click of the application until it ends (a shortcut accepted, Escape, Tab, a click outside,
// focus lost, the window deactivated or the control hidden). Global hot keys are paused while
// it records, and it holds the keyboard, so that a combination another program grabs reaches it
// too.
class RecorderControl final : public QLineEdit, private RecorderHost {
  public:
    static constexpr int fixedWidth = 130;

    RecorderControl(RecorderServices services, Name name, RecorderLogic::OnChange onChange,
                    QWidget* parent = nullptr);
    ~RecorderControl() override;

    const Name& shortcutName() const { return logic_->shortcutName(); }
    // Shows the new name's shortcut, unless it has the raw value of the current one.
    void setShortcutName(Name name) { logic_->setShortcutName(std::move(name)); }
    bool isRecording() const { return logic_->isRecording(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // RecorderHost
    void beep() override;
    int runAlert(const Alert& alert) override;
    void endEditing() override;
    void focus() override;
    void setText(const std::string& text) override;
    void setPlaceholder(const std::string& text) override;
    void setShowsClearButton(bool shows) override;
    double boundsWidth() const override { return width(); }
    double boundsHeight() const override { return height(); }

    bool handleMonitoredEvent(QEvent* event);
    void stopRecording();
    void preventFocusUntilNextTurn();
    bool isOnClearButton(const QPointF& globalPosition) const;

    RecorderServices services_;
    QAction* clearAction_;
    std::unique_ptr<RecorderLogic> logic_;
    // Present exactly while recording.
    LocalEventMonitor* eventMonitor_ = nullptr;
    // Set while a Tab press is handled: Qt's own handling of the press moves the focus on.
    bool focusMovesOn_ = false;
    // The alert while it runs.
    QMessageBox* alert_ = nullptr;
};

}  // namespace pindrake::GlobalShortcuts
