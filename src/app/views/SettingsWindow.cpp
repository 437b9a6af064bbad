#include "app/views/SettingsWindow.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/Localization.h"
#include "shortcuts/Name.h"
#include "shortcuts/widgets/RecorderView.h"

namespace pindrake::app::views {

namespace {

QString text(std::string_view key) {
    return QString::fromStdString(localized(key));
}

QGroupBox* section(std::string_view titleKey, QWidget* parent) {
    return new QGroupBox(text(titleKey), parent);
}

// Fills "%d" placeholders in order, so that a catalogue may place them where its language
// wants; a catalogue with fewer placeholders simply shows fewer numbers.
QString formatCounts(const std::string& format, const std::vector<std::size_t>& numbers) {
    QString result;
    std::size_t next = 0;
    const QString pattern = QString::fromStdString(format);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u'd') {
            if (next < numbers.size())
                result += QString::number(numbers[next++]);
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

// The contrast of two colours as the accessibility guidelines measure it, from 1 to 21.
double contrast(const QColor& one, const QColor& other) {
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](float channel) {
            return channel <= 0.03928f ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double a = luminance(one) + 0.05;
    const double b = luminance(other) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

// The red of a destructive action, made lighter on a dark background and darker on a light one
// until it reads clearly against it.
QColor destructiveRed(const QColor& background) {
    constexpr double readable = 4.5;
    QColor red(0xd7, 0x00, 0x15);
    const bool lighten = background.lightnessF() < 0.5;
    // On dark themes styles paint a button's face up to a third lighter than its palette colour.
    const QColor face = lighten ? background.lighter(140) : background;
    for (int step = 0; step < 50 && contrast(red, face) < readable; ++step) {
        const float lightness = std::clamp(red.lightnessF() + (lighten ? 0.02f : -0.02f), 0.f, 1.f);
        red = QColor::fromHslF(red.hslHueF(), red.hslSaturationF(), lightness);
    }
    return red;
}

}  // namespace

SettingsWindow::SettingsWindow(Services services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    setWindowTitle(text("settings_title"));
    setFixedSize(380, 420);
    auto* column = new QVBoxLayout(this);

    notice_ = pasteNotice();
    column->addWidget(notice_);

    auto* keys = section("keyboard_shortcut_section", this);
    auto* keysLayout = new QVBoxLayout(keys);
    keysLayout->addWidget(GlobalShortcuts::RecorderView::withLabelKey(
        "open_history", services_.recorder, GlobalShortcuts::Name::toggleHistory(), {}, keys));
    refusedNote_ = shortcutRefusedNote();
    keysLayout->addWidget(refusedNote_);
    column->addWidget(keys);

    auto* general = section("general_section", this);
    auto* generalLayout = new QVBoxLayout(general);
    launchAtLogin_ = new QCheckBox(text("launch_at_login"), general);
    launchAtLogin_->setChecked(services_.loginItems.isEnabled());
    // Only the user's clicks run the update; putting the switch back after a failure does not.
    connect(launchAtLogin_, &QCheckBox::clicked, this, &SettingsWindow::launchAtLoginChanged);
    generalLayout->addWidget(launchAtLogin_);
    column->addWidget(general);

    auto* data = section("data_section", this);
    auto* dataRow = new QHBoxLayout(data);
    dataRow->addWidget(new QLabel(text("current_history_count"), data));
    count_ = new QLabel(data);
    count_->setForegroundRole(QPalette::PlaceholderText);
    dataRow->addWidget(count_);
    dataRow->addStretch(1);
    clearButton_ = new QPushButton(text("clear_all_history"), data);
    connect(clearButton_, &QPushButton::clicked, this, &SettingsWindow::confirmClear);
    dataRow->addWidget(clearButton_);
    column->addWidget(data);
    column->addStretch(1);

    colourClearButton();

    itemsSubscription_ =
        services_.store.items().observeForView([this](const auto&) { refreshCount(); });
    refreshCount();
    auto& registry = services_.recorder.registry;
    refusedSubscription_ = registry.refusedShortcuts().observeForView(
        [this](const auto&) { refreshShortcutRefusedNote(); });
    shortcutSubscription_ = registry.shortcutByNameDidChange().observeForView(
        [this](const auto&) { refreshShortcutRefusedNote(); });
    refreshShortcutRefusedNote();

    pasteCheck_.setInterval(pasteCheckMilliseconds);
    connect(&pasteCheck_, &QTimer::timeout, this,
            [this] { notice_->setVisible(!services_.keySynth.isTrusted()); });
    pasteCheck_.start();
}

void SettingsWindow::colourClearButton() {
    // Only the text colour is the button's own; the rest follows the window's palette.
    QPalette colours;
    colours.setColor(QPalette::ButtonText, destructiveRed(palette().color(QPalette::Button)));
    clearButton_->setPalette(colours);
}

// The desktop's colours may change while the window is open (a switch to a dark theme).
void SettingsWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        colourClearButton();
    QWidget::changeEvent(event);
}

// There is no system page that grants synthesised key presses here: the notice says what the
// display lacks instead.
QWidget* SettingsWindow::pasteNotice() {
    auto* notice = new QWidget(this);
    auto* row = new QHBoxLayout(notice);
    row->setContentsMargins(0, 4, 0, 4);
    row->setSpacing(12);
    auto* sign = new QLabel(notice);
    sign->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(22, 22));
    auto* reason = new QLabel(text("accessibility_permission_reason"), notice);
    reason->setWordWrap(true);
    row->addWidget(sign);
    row->addWidget(reason, 1);
    notice->setVisible(!services_.keySynth.isTrusted());
    return notice;
}

bool SettingsWindow::isPasteNoticeShown() const {
    return !notice_->isHidden();
}

// A recorded shortcut whose grab was refused is stored and shown like any other, yet does
// nothing: the note says so next to it.
QWidget* SettingsWindow::shortcutRefusedNote() {
    auto* note = new QWidget(this);
    auto* row = new QHBoxLayout(note);
    row->setContentsMargins(0, 0, 0, 0);
    auto* sign = new QLabel(note);
    sign->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    auto* reason = new QLabel(text("shortcut_not_working"), note);
    reason->setWordWrap(true);
    row->addWidget(sign, 0, Qt::AlignTop);
    row->addWidget(reason, 1);
    return note;
}

void SettingsWindow::refreshShortcutRefusedNote() {
    refusedNote_->setVisible(
        services_.recorder.registry.isRefused(GlobalShortcuts::Name::toggleHistory()));
}

bool SettingsWindow::isShortcutRefusedNoteShown() const {
    return !refusedNote_->isHidden();
}

// The other program may have let go of the combination since the grab was refused.
void SettingsWindow::showEvent(QShowEvent* event) {
    services_.recorder.registry.retryRefused();
    QWidget::showEvent(event);
}

QString SettingsWindow::countText() const {
    return count_->text();
}

void SettingsWindow::refreshCount() {
    count_->setText(formatCounts(localized("history_count_format"),
                                 {services_.store.items()->size(),
                                  clipboard::HistoryStore::historyLimit(services_.defaults)}));
}

void SettingsWindow::launchAtLoginChanged(bool enabled) {
    auto& items = services_.loginItems;
    const std::error_code error = enabled ? items.registerApp() : items.unregisterApp();
    if (error) {
        const QSignalBlocker quiet(launchAtLogin_);
        launchAtLogin_->setChecked(!enabled);
    }
}

void SettingsWindow::confirmClear() {
    if (confirmation_)
        return;
    confirmation_ = new QMessageBox(QMessageBox::Warning, text("settings_title"),
                                    text("confirm_clear_history"), QMessageBox::NoButton, this);
    auto* remove = confirmation_->addButton(text("delete"), QMessageBox::DestructiveRole);
    // Return or Escape right after the click keeps the history: only choosing Delete deletes.
    auto* cancel = confirmation_->addButton(text("cancel"), QMessageBox::RejectRole);
    confirmation_->setDefaultButton(cancel);
    confirmation_->setEscapeButton(cancel);
    confirmation_->setAttribute(Qt::WA_DeleteOnClose);
    connect(confirmation_, &QMessageBox::buttonClicked, this, [this, remove](auto* button) {
        if (button == remove)
            services_.store.clearAll();
    });
    connect(confirmation_, &QObject::destroyed, this, [this] { confirmation_ = nullptr; });
    // Opened without a nested event loop: the main thread keeps running.
    confirmation_->open();
}

}  // namespace pindrake::app::views
