// Pindrake: keeps what is copied, and pastes it back from a panel opened with a hot key.

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "app/model/AppDelegate.h"
#include "app/model/LaunchNotices.h"
#include "app/model/MenuBarMenu.h"
#include "app/views/HistoryPanelView.h"
#include "app/views/MenuHotKeys.h"
#include "app/views/QtApplicationShell.h"
#include "app/views/QtPanelWindow.h"
#include "app/views/RowIcons.h"
#include "app/views/SearchField.h"
#include "app/views/SettingsWindow.h"
#include "app/views/TrayIcon.h"
#include "clipboard/FaviconService.h"
#include "clipboard/HistoryFolderLock.h"
#include "clipboard/SiteIconDiskCache.h"
#include "converters/Converter.h"
#include "foundation/BackgroundTask.h"
#include "foundation/Localization.h"
#include "foundation/Log.h"
#include "foundation/Resources.h"
#include "platform/linux/CurlHttpClient.h"
#include "platform/linux/FeedUpdater.h"
#include "platform/linux/JsonFileDefaults.h"
#include "platform/linux/QtImageCodec.h"
#include "platform/linux/QtPasteboard.h"
#include "platform/linux/QtScheduler.h"
#include "platform/linux/QuitSignals.h"
#include "platform/linux/UnavailableLanguageModel.h"
#include "platform/linux/XcbHotKeyBackend.h"
#include "platform/linux/XcbKeySynth.h"
#include "platform/linux/XcbWorkspace.h"
#include "platform/linux/XdgAutostartLoginItems.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/Name.h"
#include "shortcuts/Registry.h"
#include "shortcuts/widgets/QtKeys.h"

using namespace pindrake;

namespace {

void reportUpdateCheck(const platform::FeedUpdater::CheckResult& result) {
    using Outcome = platform::FeedUpdater::CheckResult::Outcome;
    QString message;
    switch (result.outcome) {
        case Outcome::upToDate:
            message = QString::fromStdString(localized("update_up_to_date"));
            break;
        case Outcome::newerVersion:
            message = QString::fromStdString(localized("update_available"))
                          .arg(QString::fromStdString(result.latestVersion),
                               QString::fromStdString(result.releaseUrl));
            break;
        case Outcome::failed:
            message = QString::fromStdString(localized("update_failed"))
                          .arg(QString::fromStdString(result.error));
            break;
    }
    app::views::showInformation(QStringLiteral("Pindrake"), message, Qt::PlainText);
}

// Where no usable locale is set (a bare session, a service, a locale that is not installed),
// the C locale with UTF-8, which the toolkit needs; the texts are then the English ones.
void useUtf8WhenNoLocaleIsSet() {
    const char* messages = std::setlocale(LC_MESSAGES, "");
    const std::string_view name = messages ? messages : "C";
    if (name != "C" && name != "POSIX" && !name.starts_with("C."))
        return;
    ::setenv("LC_ALL", "C.UTF-8", 1);
}

// On the terminal that started the app; in a dialog when none did (a login, a desktop menu).
void tellUser(const std::string& message) {
    std::fputs((message + "\n").c_str(), stderr);
    if (::isatty(STDERR_FILENO))
        return;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Pindrake"),
                    QString::fromStdString(message));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

int main(int argc, char** argv) {
    useUtf8WhenNoLocaleIsSet();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pindrake"));
    QApplication::setApplicationVersion(
        QString::fromStdString(platform::FeedUpdater::builtInVersion()));
    // The app lives in the tray and behind its hot key; closing a window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    setUpLocalization("pindrake");

    // Two instances on one folder would each save their own history over the other's.
    const auto historyFolder = clipboard::HistoryStore::defaultDirectory();
    const clipboard::HistoryFolderLock folderLock(historyFolder);
    if (folderLock.state() == clipboard::HistoryFolderLock::State::heldByAnother) {
        tellUser(app::alreadyRunningNotice(historyFolder.string()));
        return 1;
    }
    if (folderLock.state() == clipboard::HistoryFolderLock::State::unavailable) {
        log::warning("The history folder could not be locked (" + folderLock.error().message() +
                     "); a second instance would not be noticed");
    }

    QtScheduler mainQueue(&application);
    auto hotKeys = platform::XcbHotKeyBackend::connect(mainQueue);
    auto layout = platform::XkbKeyboardLayout::forDisplay();
    if (!hotKeys || !layout) {
        std::fputs("Pindrake needs an X11 display (an X11 session, or XWayland).\n", stderr);
        return 1;
    }

    platform::JsonFileDefaults defaults;
    platform::QtPasteboard pasteboard;
    platform::XcbWorkspace workspace;
    // Shared with the capture checks, which can outlive main() on their worker.
    const auto imageCodec = std::make_shared<const platform::QtImageCodec>();
    platform::XcbKeySynth keySynth(workspace);
    platform::XdgAutostartLoginItems loginItems(
        platform::XdgAutostartLoginItems::defaultDirectory(),
        platform::XdgAutostartLoginItems::runningExecutable());
    platform::CurlHttpClient http(mainQueue);
    platform::FeedUpdater updater(http, platform::FeedUpdater::builtInFeedUrl(),
                                  platform::FeedUpdater::builtInVersion(), &reportUpdateCheck);
    GlobalShortcuts::Registry shortcuts(defaults, *hotKeys, *layout);
    const auto menuKeys = app::views::routeMenuKeysToHotKeys(shortcuts, *layout);

    converters::ConversionWorkers conversionWorkers("converters", 2);
    // The engines run in conversion helpers; the web view and the recogniser are only theirs.
    const converters::ConversionServices conversion{
        mainQueue,
        conversionWorkers,
        nullptr,
        std::make_shared<platform::UnavailableLanguageModel>(),
        {},
        converters::currentUserLocale(),
        {},
        std::chrono::milliseconds(10'000),
        std::make_shared<converters::ConversionHelpers>(
            converters::ConversionHelpers::installedProgram())};

    // Site icons outlive the process on disk; the files are read and written off the main thread.
    const auto siteIconFiles = std::make_shared<const clipboard::SiteIconDiskCache>(
        clipboard::SiteIconDiskCache::defaultFolder());
    WorkQueue siteIconDisk("site-icons", 1);
    app::views::RowIcons icons(clipboard::FaviconService::create(
        {mainQueue, http, *imageCodec, siteIconFiles,
         [&siteIconDisk](std::function<void()> job) { siteIconDisk.async(std::move(job)); }}));
    app::AppDelegate* delegate = nullptr;

    const GlobalShortcuts::RecorderServices recorder{
        shortcuts, *layout, [&layout](quint32 keycode) -> std::optional<int> {
            if (auto keyCode = layout->virtualKeyCodeForKeycode(keycode))
                return *keyCode;
            return std::nullopt;
        }};
    const auto isToggleKey = [&](const QKeyEvent& event) {
        const auto keyCode = layout->virtualKeyCodeForKeycode(event.nativeScanCode());
        const auto toggle = shortcuts.getShortcut(GlobalShortcuts::Name::toggleHistory());
        return keyCode && toggle &&
               *toggle ==
                   GlobalShortcuts::Shortcut(GlobalShortcuts::Key(*keyCode),
                                             GlobalShortcuts::modifierFlags(event.modifiers()));
    };
    app::views::QtApplicationShell shell(
        [&]() -> QWidget* {
            return new app::views::SettingsWindow(
                {delegate->historyStore(), defaults, loginItems, keySynth, recorder});
        },
        QStringLiteral(PINDRAKE_WEBSITE_URL));

    app::views::QtPanelWindow panelWindow(
        [&](QWidget* frame) -> QWidget* {
            auto* view = new app::views::HistoryPanelView(
                {delegate->panelController()->shared_from_this(), delegate->historyStore(), icons,
                 [] { return std::chrono::steady_clock::now(); },
                 [] {
                     return Duration(
                         std::chrono::milliseconds(QApplication::doubleClickInterval()));
                 },
                 [&](const QKeyEvent& event) { return isToggleKey(event); }},
                frame);
            app::views::keepWindowShaped(panelWindow, *view);
            return view;
        },
        [](QWidget* content) -> QWidget* {
            return &static_cast<app::views::HistoryPanelView*>(content)->searchField();
        });

    // Copies are checked in the order made, one at a time, whatever conversions are running.
    WorkQueue captureChecks("capture-checks", 1);
    // Pastes and conversions read their entry here, apart from the captures, which keep their own
    // pace.
    WorkQueue entryReads("entry-reads", 1);
    app::AppDelegate appDelegate(
        {mainQueue, defaults, pasteboard, workspace, imageCodec, keySynth, loginItems, updater,
         shortcuts, panelWindow, shell, conversion,
         [&captureChecks](std::function<void()> job) { captureChecks.async(std::move(job)); },
         [&entryReads](std::function<void()> job) { entryReads.async(std::move(job)); }},
        historyFolder);
    delegate = &appDelegate;
    app::MenuBarMenu menu(mainQueue, appDelegate, shell);
    const platform::QuitSignals quitSignals([&menu] { menu.quit(); });
    const auto iconFile = resources::find("icons/pindrake.png");
    const QIcon appIcon =
        QIcon::fromTheme(QStringLiteral("pindrake"),
                         iconFile ? QIcon(QString::fromStdString(iconFile->string())) : QIcon());
    QApplication::setWindowIcon(appIcon);
    app::views::TrayIcon tray(menu, *layout, appIcon);

    appDelegate.applicationDidFinishLaunching();
    const auto& toggle = GlobalShortcuts::Name::toggleHistory();
    std::fputs(
        app::runningNotice(
            shortcuts.isEnabled(toggle) ? shortcuts.getShortcut(toggle) : std::nullopt, *layout)
            .c_str(),
        stdout);
    std::fflush(stdout);
    QObject::connect(&application, &QCoreApplication::aboutToQuit,
                     [&] { appDelegate.applicationWillTerminate(); });
    return QApplication::exec();
}
