#include "app/views/QtApplicationShell.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "foundation/Localization.h"

namespace pindrake::app::views {

namespace {

QString text(std::string_view key) {
    return QString::fromStdString(localized(key));
}

void bringToFront(QWidget& window) {
    window.raise();
    window.activateWindow();
}

}  // namespace

QMessageBox* showInformation(const QString& title, const QString& message, Qt::TextFormat format) {
    auto* box = new QMessageBox(QMessageBox::Information, title, message);
    box->setWindowModality(Qt::NonModal);
    box->setTextFormat(format);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    bringToFront(*box);
    return box;
}

QtApplicationShell::~QtApplicationShell() {
    delete settings_.data();
}

void QtApplicationShell::openSettingsWindow() {
    if (!settings_) {
        settings_ = makeSettingsWindow_();
        settings_->setAttribute(Qt::WA_DeleteOnClose);
    }
    settings_->show();
}

bool QtApplicationShell::raiseSettingsWindow() {
    if (!settings_ || !settings_->isVisible())
        return false;
    bringToFront(*settings_);
    return true;
}

void QtApplicationShell::closeSettingsWindow() {
    if (settings_)
        settings_->close();
}

void QtApplicationShell::showAbout() {
    if (about_) {
        bringToFront(*about_);
        return;
    }
    QString about = QStringLiteral("<b>Pindrake</b> ") + QApplication::applicationVersion();
    if (!website_.isEmpty()) {
        about += QStringLiteral("<br><br><a href=\"%1\">%2</a>")
                     .arg(website_.toHtmlEscaped(), text("official_site").toHtmlEscaped());
    }
    about_ = showInformation(text("about_pindrake"), about, Qt::RichText);
}

void QtApplicationShell::terminate() {
    QTimer::singleShot(0, qApp, &QApplication::quit);
}

void QtApplicationShell::showPasteUnavailableNotice() {
    showInformation(QStringLiteral("Pindrake"), text("accessibility_permission_reason"),
                    Qt::PlainText);
}

}  // namespace pindrake::app::views
