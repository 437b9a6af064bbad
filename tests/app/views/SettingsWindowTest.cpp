#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "EnglishTexts.h"
#include "app/ShellFixture.h"
#include "app/views/SettingsWindow.h"
#include "foundation/Localization.h"

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

TEST_F(SettingsWindowTest, TheNoticeShowsWhilePastingIsImpossible) {
    keys.trusted = false;
    auto window = open();
    EXPECT_TRUE(window->isPasteNoticeShown());
    keys.trusted = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isPasteNoticeShown(); },
                                4 * SettingsWindow::pasteCheckMilliseconds))
        << "the notice stays after pasting became possible";
    EXPECT_FALSE(open()->isPasteNoticeShown());
}

}  // namespace
}  // namespace pindrake::app::views
