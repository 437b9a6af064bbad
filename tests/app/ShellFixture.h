#pragma once

#include <memory>

#include "AppFakes.h"
#include "app/model/AppDelegate.h"
#include "platform/fake/FakeHotKeyBackend.h"
#include "platform/fake/FakeLoginItems.h"
#include "platform/fake/FakeUpdater.h"
#include "platform/fake/FixedKeyboardLayout.h"
#include "shortcuts/Registry.h"

namespace pindrake::app::test {

// The whole application on fakes, with a window system that logs what the shell asks of it.
class ShellFixture : public AppWorld {
  protected:
    using CaptureChecks = std::function<void(std::function<void()>)>;
    std::unique_ptr<AppDelegate> makeDelegate(CaptureChecks captureChecks = nullptr) {
        return makeDelegate(window, shell, std::move(captureChecks));
    }
    // The same application with other windows (real ones, say).
    std::unique_ptr<AppDelegate> makeDelegate(PanelWindow& panelWindow, ApplicationShell& appShell,
                                              CaptureChecks captureChecks = nullptr) {
        return std::make_unique<AppDelegate>(
            AppDelegate::Services{
                main, defaults, pasteboard, workspace, codec, keys, loginItems, updater, shortcuts,
                panelWindow, appShell, conversion,
                captureChecks ? std::move(captureChecks) : checksInLaterTurn, checksInLaterTurn,
                [this](const clipboard::ContentTags&, const std::set<std::string>&, bool, bool) {
                    return offeredConverters;
                }},
            folder.path());
    }
    void launch() {
        delegate = makeDelegate();
        delegate->applicationDidFinishLaunching();
        log.clear();
    }
    void pressHotKey() { hotKeys.pressAndRelease(hotKey); }

    platform::FakeLoginItems loginItems;
    platform::FakeUpdater updater;
    platform::FakeHotKeyBackend hotKeys;
    platform::FixedKeyboardLayout layout;
    GlobalShortcuts::Registry shortcuts{defaults, hotKeys, layout};
    FakePanelWindow window{main, log};
    FakeApplicationShell shell{log};
    converters::ConverterList offeredConverters;
    std::unique_ptr<AppDelegate> delegate;
    // Shift+Super+V: key code 9, shift and command in the stored mask.
    const platform::FakeHotKeyBackend::Combination hotKey{9, 0x300};
};

}  // namespace pindrake::app::test
