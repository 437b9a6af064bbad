#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include "app/model/ApplicationShell.h"

class QMessageBox;

namespace pindrake::app::views {

// A message box of ours, gone once closed. Not modal: it would keep every other window of ours,
// the panel included, from the user.
QMessageBox* showInformation(const QString& title, const QString& message, Qt::TextFormat format);

// The application's own windows: the settings window (made on demand), the About box (one at a
// time), and the notice that pasting is not possible on this display. Nothing here waits for the
// user.
class QtApplicationShell final : public ApplicationShell {
  public:
    // `website` is the address the About box links to; none when empty.
    QtApplicationShell(std::function<QWidget*()> makeSettingsWindow, QString website)
        : makeSettingsWindow_(std::move(makeSettingsWindow)), website_(std::move(website)) {}
    ~QtApplicationShell() override;

    void activate() override {}
    void openSettingsWindow() override;
    bool raiseSettingsWindow() override;
    void closeSettingsWindow() override;
    void showAbout() override;
    void terminate() override;
    void showPasteUnavailableNotice() override;

    QWidget* settingsWindow() const { return settings_; }

  private:
    std::function<QWidget*()> makeSettingsWindow_;
    QString website_;
    QPointer<QWidget> settings_;
    QPointer<QMessageBox> about_;
};

}  // namespace pindrake::app::views
