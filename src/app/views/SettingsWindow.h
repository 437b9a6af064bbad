#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

#include "clipboard/HistoryStore.h"
#include "foundation/Published.h"
#include "platform/Defaults.h"
#include "platform/KeySynth.h"
#include "platform/LoginItems.h"
#include "shortcuts/widgets/RecorderControl.h"

class QCheckBox;
class QLabel;
class QMessageBox;
class QPushButton;

namespace pindrake::app::views {

// The settings: what stands in the way of pasting (when something does), the shortcut that
// opens the history, launching at login, and the history's size with a way to clear it.
class SettingsWindow final : public QWidget {
    Q_OBJECT
  public:
    static constexpr int pasteCheckMilliseconds = 3000;

    struct Services {
        clipboard::HistoryStore& store;
        const platform::Defaults& defaults;
        platform::LoginItems& loginItems;
        const platform::KeySynth& keySynth;
        GlobalShortcuts::RecorderServices recorder;
    };

    explicit SettingsWindow(Services services, QWidget* parent = nullptr);

    // Shown parts, for tests.
    bool isPasteNoticeShown() const;
    // The note that the stored shortcut does not work, its grab having been refused.
    bool isShortcutRefusedNoteShown() const;
    QCheckBox& launchAtLoginSwitch() const { return *launchAtLogin_; }
    QString countText() const;
    QPushButton& clearButton() const { return *clearButton_; }
    // The confirmation while it is open.
    QMessageBox* clearConfirmation() const { return confirmation_; }

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* pasteNotice();
    QWidget* shortcutRefusedNote();
    void refreshShortcutRefusedNote();
    void colourClearButton();
    void refreshCount();
    void launchAtLoginChanged(bool enabled);
    void confirmClear();

    Services services_;
    QWidget* notice_ = nullptr;
    QWidget* refusedNote_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QMessageBox* confirmation_ = nullptr;
    QTimer pasteCheck_;
    Subscription itemsSubscription_;
    Subscription refusedSubscription_;
    Subscription shortcutSubscription_;
};

}  // namespace pindrake::app::views
