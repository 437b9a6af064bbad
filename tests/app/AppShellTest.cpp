#include "ShellFixture.h"
#include "app/model/IconCache.h"
#include "app/model/MenuBarMenu.h"
#include "converters/Converters.h"

namespace pindrake::app::test {
namespace {

using namespace std::chrono_literals;

class AppShellTest : public ShellFixture {};

TEST_F(AppShellTest, TheLoginItemIsRegisteredOnTheFirstLaunchOnlyEvenWhenThatFails) {
    for (const bool failing : {false, true}) {
        defaults.remove(AppDelegate::hasLaunchedBeforeKey);
        loginItems.enabled = false;  // no login item yet
        loginItems.registrations = 0;
        loginItems.failure =
            failing ? std::make_error_code(std::errc::permission_denied) : std::error_code();
        launch();
        EXPECT_TRUE(defaults.boolean(AppDelegate::hasLaunchedBeforeKey));
        EXPECT_EQ(loginItems.updates, 0) << failing;
        launch();
        EXPECT_EQ(loginItems.registrations, 1) << failing;
        // Later launches keep the login item starting this program.
        EXPECT_EQ(loginItems.updates, 1) << failing;
        loginItems.updates = 0;
    }
}

// Without settings yet, a login item that is there (the user's own, or kept when the settings
// were reset) is kept as a later launch keeps it, switched off or on.
TEST_F(AppShellTest, TheFirstLaunchKeepsALoginItemThatIsThere) {
    for (const bool switchedOn : {true, false}) {
        defaults.remove(AppDelegate::hasLaunchedBeforeKey);
        loginItems = {};
        loginItems.enabled = switchedOn;
        loginItems.switchedOff = !switchedOn;
        launch();
        EXPECT_EQ(loginItems.registrations, 0) << switchedOn;
        EXPECT_EQ(loginItems.updates, 1) << switchedOn;
        EXPECT_EQ(loginItems.isEnabled(), switchedOn);
    }
}

TEST_F(AppShellTest, CapturesOnlyWhatIsCopiedAfterLaunchUntilQuitAndSavesBeforeEnding) {
    delegate = makeDelegate();
    delegate->togglePanel();
    pressHotKey();
    copy("on the clipboard at launch");
    EXPECT_FALSE(delegate->panelController());
    EXPECT_FALSE(delegate->clipboardMonitor());
    EXPECT_TRUE(log.names().empty()) << "nothing is wired before launching has finished";

    delegate->applicationDidFinishLaunching();
    main.advance(2s);
    EXPECT_TRUE(delegate->historyStore().items()->empty());
    copy("after launch");
    ASSERT_EQ(delegate->historyStore().items()->size(), 1u);
    EXPECT_EQ(delegate->viewModel().filteredItems.get()->size(), 1u);

    delegate->applicationWillTerminate();
    EXPECT_NE(test_support::readFile(folder.path() / "history.json").find("after launch"),
              std::string::npos)
        << "pending saves are written before the process ends";
    copy("after quit");
    EXPECT_EQ(delegate->historyStore().items()->size(), 1u);
}

// Quitting while copies are still waiting for their check saves them all before the process
// ends, the one only read from the display so far included.
TEST_F(AppShellTest, QuitSavesTheCopiesStillBeingChecked) {
    std::vector<std::function<void()>> checks;  // the worker never comes to them
    delegate = makeDelegate([&checks](std::function<void()> job) { checks.push_back(job); });
    delegate->applicationDidFinishLaunching();
    copyAll({"first copy", "second copy"});
    pasteboard.simulateCopy({{"public.utf8-plain-text", "read, not polled"}});
    EXPECT_TRUE(delegate->historyStore().items()->empty());

    delegate->applicationWillTerminate();
    const auto saved = test_support::readFile(folder.path() / "history.json");
    const auto at = [&saved](const char* text) { return saved.find(text); };
    ASSERT_NE(at("first copy"), std::string::npos) << saved;
    EXPECT_LT(at("read, not polled"), at("second copy")) << "newest first";
    EXPECT_LT(at("second copy"), at("first copy")) << "newest first";
    for (auto& check : checks)
        check();
    main.advance(2s);
    EXPECT_EQ(delegate->historyStore().items()->size(), 3u);
}

TEST_F(AppShellTest, TheHotKeyTogglesThePanelOnReleaseUnlessARecorderHoldsIt) {
    launch();
    hotKeys.press(hotKey);
    EXPECT_FALSE(delegate->panelController()->isShowing());
    hotKeys.release(hotKey);
    EXPECT_TRUE(delegate->panelController()->isShowing());
    pressHotKey();
    EXPECT_FALSE(delegate->panelController()->isShowing());
    EXPECT_TRUE(log.timeOf("activate Editor"));

    shortcuts.setPausedForRecording(true);
    pressHotKey();
    EXPECT_FALSE(delegate->panelController()->isShowing());
}

TEST_F(AppShellTest, ANoticeTellsWhenPastingIsImpossible) {
    for (const bool trusted : {true, false}) {
        keys.trusted = trusted;
        delegate = makeDelegate();
        log.clear();
        delegate->applicationDidFinishLaunching();
        EXPECT_EQ(log.timeOf("paste unavailable notice").has_value(), !trusted);
    }
}

TEST_F(AppShellTest, TheMenuFollowsTheUpdaterFromTheStartAndOpensSettingsOnTheNextTurn) {
    updater.setCanCheck(true);
    launch();
    MenuBarMenu menu(main, *delegate, shell);
    menu.entries()[1].action();
    EXPECT_FALSE(log.timeOf("open settings"));
    main.runUntilIdle();
    EXPECT_EQ(log.names(), (std::vector<std::string>{"activate self", "open settings"}));
    // Looked for every 0.1 s; the window appears 0.25 s later: found by the fourth look.
    EXPECT_EQ(shell.raiseAttempts, 1);
    main.advance(99ms);
    EXPECT_EQ(shell.raiseAttempts, 1);
    main.advance(1ms);
    EXPECT_EQ(shell.raiseAttempts, 2);
    main.advance(150ms);
    EXPECT_EQ(shell.raiseAttempts, 3);
    shell.settingsWindowExists = true;
    main.advance(2s);
    EXPECT_EQ(shell.raiseAttempts, 4);
    // Never there: one look and 40 more, the last 4 s after the first, then it stops.
    shell.settingsWindowExists = false;
    shell.raiseAttempts = 0;
    menu.openSettingsWindow();
    main.advance(3999ms);
    EXPECT_EQ(shell.raiseAttempts, 40);
    main.advance(10s);
    EXPECT_EQ(shell.raiseAttempts, 41);

    EXPECT_TRUE(menu.entries()[2].isEnabled);
    updater.setCanCheck(false);
    auto entries = menu.entries();
    EXPECT_FALSE(entries[2].isEnabled);
    entries[2].action();
    EXPECT_EQ(updater.checks, 0);
    updater.setCanCheck(true);
    entries[2].action();
    EXPECT_EQ(updater.checks, 1);
    entries[0].action();
    EXPECT_TRUE(delegate->panelController()->isShowing());
    entries[5].action();
    EXPECT_TRUE(log.timeOf("terminate"));
}

// A paste still waiting when the tray opens Settings or About would type into that window. Left
// alone, the same paste goes through.
TEST_F(AppShellTest, OpeningSettingsOrAboutFromTheTrayCallsOffAWaitingPaste) {
    offeredConverters = {&converters::Converters::pasteAsIs()};
    launch();
    copy("waiting to be pasted");
    MenuBarMenu menu(main, *delegate, shell);
    const auto pasteFromThePanel = [this] {
        pressHotKey();
        auto& panel = *delegate->panelController();
        ASSERT_TRUE(panel.isShowing());
        delegate->viewModel().pasteSelected(panel.clipboardMonitor(), panel.previousFrontmostApp(),
                                            [&panel] { panel.hidePanel(false); });
    };
    struct Row {
        const char* entry;
        int pastes;
    };
    for (const Row& row : {Row{"settings_ellipsis", 0}, Row{"about_pindrake", 0}, Row{"", 1}}) {
        SCOPED_TRACE(row.entry);
        keys.pastes.clear();
        pasteFromThePanel();
        for (const auto& entry : menu.entries()) {
            if (entry.titleKey == row.entry && entry.action)
                entry.action();
        }
        main.advance(1s);
        EXPECT_EQ(keys.pasteCount(), row.pastes);
    }
}

// An entry read still running at quit outlives the application, and whoever made the image
// codec with it: each read, whether for a paste or a copy, keeps the codec until it has run.
TEST_F(AppShellTest, AnEntryReadKeepsTheImageCodecUntilItHasRun) {
    offeredConverters = {&converters::Converters::pasteAsIs()};
    for (const bool forPaste : {true, false}) {
        SCOPED_TRACE(forPaste ? "paste" : "copy");
        std::vector<std::function<void()>> reads;
        auto ownCodec = std::make_shared<const platform::FakeImageCodec>();
        const std::weak_ptr<const platform::FakeImageCodec> codecLeft = ownCodec;
        auto app = std::make_unique<AppDelegate>(
            AppDelegate::Services{
                main, defaults, pasteboard, workspace, std::move(ownCodec), keys, loginItems,
                updater, shortcuts, window, shell, conversion, checksInLaterTurn,
                [&reads](std::function<void()> read) { reads.push_back(std::move(read)); }},
            folder.path());
        app->applicationDidFinishLaunching();
        copy("read after quit");
        auto& view = app->viewModel();
        if (forPaste) {
            view.pasteSelected(app->panelController()->clipboardMonitor(), editor, {});
        } else {
            view.copySelected(app->panelController()->clipboardMonitor(), [] {});
        }
        main.advance(1s);
        ASSERT_EQ(reads.size(), 1u);
        app->applicationWillTerminate();
        app.reset();
        EXPECT_FALSE(codecLeft.expired());
        reads.clear();
        EXPECT_TRUE(codecLeft.expired());
    }
}

TEST(IconCacheTest, MissingApplicationsAreAskedForAgainAndFilesAreKeptForTheLast200Paths) {
    int appFetches = 0;
    AppIconCache<std::string> apps([&](const std::string& id) -> std::optional<std::string> {
        ++appFetches;
        return id == "missing" ? std::nullopt : std::optional("icon of " + id);
    });
    EXPECT_FALSE(apps.icon("missing"));
    EXPECT_FALSE(apps.icon("missing"));
    EXPECT_EQ(apps.icon("Editor"), "icon of Editor");
    EXPECT_EQ(apps.icon("Editor"), "icon of Editor");
    EXPECT_EQ(appFetches, 3);

    std::vector<std::string> fetched;
    FileIconCache<std::string> files([&](const std::string& path) {
        fetched.push_back(path);
        return "icon of " + path;
    });
    for (int i = 0; i <= 200; ++i)
        files.icon("/f" + std::to_string(i));
    files.icon("/f200");  // the newest stays
    EXPECT_EQ(fetched.size(), 201u);
    EXPECT_EQ(files.icon("/f0"), "icon of /f0");  // the oldest went
    EXPECT_EQ(fetched.size(), 202u);
}

}  // namespace
}  // namespace pindrake::app::test
