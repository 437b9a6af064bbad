#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <map>

#include "EnglishTexts.h"
#include "app/ShellFixture.h"
#include "app/views/SettingsWindow.h"
#include "foundation/Localization.h"

#include "support/QtEventLoop.h"

namespace pindrake::app::views {
namespace {

class SettingsWindowTest : public test::ShellFixture {
  protected:
    SettingsWindowTest() { useEnglishTexts(); }

    std::unique_ptr<SettingsWindow> open() {
        if (!delegate)
            launch();
        return std::make_unique<SettingsWindow>(SettingsWindow::Services{
            delegate->historyStore(),
            defaults,
            loginItems,
            keys,
            {shortcuts, layout, [](quint32) -> std::optional<int> { return std::nullopt; }}});
    }
    void chooseInConfirmation(SettingsWindow& window, const QString& buttonText) {
        window.clearButton().click();
        auto* box = window.clearConfirmation();
        ASSERT_NE(box, nullptr);
        for (auto* button : box->buttons()) {
            if (button->text() == buttonText)
                button->click();
        }
        QTest::qWait(0);
    }
};

TEST_F(SettingsWindowTest, TheCountShowsTheEntriesAgainstTheLimitAndClearingAsksFirst) {
    defaults.set("maxHistoryItems", std::int64_t{2001});
    launch();
    copyAll({"one", "two"});
    auto window = open();
    EXPECT_TRUE(window->countText().startsWith(QLatin1Char('2')));
    EXPECT_TRUE(window->countText().contains(QStringLiteral("2000"))) << "the clamped limit";
    chooseInConfirmation(*window, QString::fromStdString(localized("cancel")));
    EXPECT_EQ(delegate->historyStore().items()->size(), 2u);
    EXPECT_EQ(window->clearConfirmation(), nullptr);
    chooseInConfirmation(*window, QString::fromStdString(localized("delete")));
    EXPECT_TRUE(delegate->historyStore().items()->empty());
    EXPECT_TRUE(window->countText().startsWith(QLatin1Char('0')));
}

TEST_F(SettingsWindowTest, AFailedLoginItemChangePutsTheSwitchBackWithoutASecondCall) {
    launch();
    loginItems.enabled = false;  // the user removed the entry the first launch made
    auto window = open();
    auto& toggle = window->launchAtLoginSwitch();
    EXPECT_FALSE(toggle.isChecked());
    loginItems.failure = std::make_error_code(std::errc::permission_denied);
    const int before = loginItems.registrations;
    toggle.click();
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_FALSE(loginItems.enabled);
    EXPECT_EQ(loginItems.registrations, before + 1) << "putting the switch back calls nothing";

    loginItems.failure = {};
    toggle.click();
    EXPECT_TRUE(loginItems.enabled);
    EXPECT_TRUE(open()->launchAtLoginSwitch().isChecked()) << "a new window shows the state";

    toggle.click();  // off again
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_FALSE(loginItems.enabled);
    EXPECT_EQ(loginItems.registrations, before + 2);
}

// The contrast of two colours by the accessibility guidelines' formula.
double contrastRatio(const QColor& one, const QColor& other) {
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const auto luminance = [&](const QColor& c) {
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double a = luminance(one) + 0.05;
    const double b = luminance(other) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

TEST_F(SettingsWindowTest, TheRedClearButtonReadsClearlyOnLightAndDark) {
    QPalette dark = QApplication::palette();
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Button, QColor(53, 53, 53));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    auto window = open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get(), test_support::scaledMs(5000)));
    for (const bool isDark : {false, true}) {
        // Switched while open, as when the desktop changes its theme.
        window->setPalette(isDark ? dark : QApplication::palette());
        QTest::qWait(0);
        QPushButton& button = window->clearButton();
        const QImage image = button.grab().toImage();
        const QRect inside = image.rect().adjusted(6, 6, -6, -6);
        std::map<QRgb, int> counts;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x)
                ++counts[image.pixel(x, y)];
        }
        const QColor background(std::ranges::max_element(counts, {}, [](const auto& entry) {
                                    return entry.second;
                                })->first);
        double best = 1;
        int redPixels = 0;
        for (const auto& [pixel, count] : counts) {
            const QColor colour(pixel);
            if (colour.red() > colour.green() + 40 && colour.red() > colour.blue() + 40) {
                ++redPixels;
                best = std::max(best, contrastRatio(colour, background));
            }
        }
        EXPECT_GT(redPixels, 0) << "dark " << isDark;
        EXPECT_GE(best, 4.5) << "dark " << isDark;
    }
}

TEST_F(SettingsWindowTest, TheNoticeShowsWhilePastingIsImpossible) {
    keys.trusted = false;
    auto window = open();
    EXPECT_TRUE(window->isPasteNoticeShown());
    keys.trusted = true;
    EXPECT_TRUE(test_support::qWaitFor([&] { return !window->isPasteNoticeShown(); },
                                       4 * SettingsWindow::pasteCheckMilliseconds))
        << "the notice stays after pasting became possible";
    EXPECT_FALSE(open()->isPasteNoticeShown());
}

}  // namespace
}  // namespace pindrake::app::views
