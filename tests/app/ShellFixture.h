#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "AppFakes.h"
#include "app/model/AppDelegate.h"
#include "foundation/ManualScheduler.h"
#include "platform/fake/FakeHotKeyBackend.h"
#include "platform/fake/FakeImageCodec.h"
#include "platform/fake/FakeLoginItems.h"
#include "platform/fake/FakeUpdater.h"
#include "platform/fake/FixedKeyboardLayout.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/fake/InMemoryPasteboard.h"
#include "platform/fake/RecordingKeySynth.h"
#include "shortcuts/Registry.h"
#include "support/TestFiles.h"

namespace pindrake::app::test {

// The whole application on fakes, with a window system that logs what the shell asks of it.
class ShellFixture : public ::testing::Test {
  protected:
    ShellFixture() { workspace.frontmost = editor; }

    std::unique_ptr<AppDelegate> makeDelegate() {
        return std::make_unique<AppDelegate>(
            AppDelegate::Services{main, defaults, pasteboard, workspace, codec, keys, loginItems,
                                  updater, shortcuts, window, shell, conversion.services,
                                  [](const clipboard::ContentTags&, const std::set<std::string>&,
                                     bool, bool) { return converters::ConverterList{}; }},
            folder.path());
    }
    void launch() {
        delegate = makeDelegate();
        delegate->applicationDidFinishLaunching();
        log.clear();
    }
    void pressHotKey() { hotKeys.pressAndRelease(hotKey); }
    void copy(const std::string& text) {
        pasteboard.simulateCopy({{"public.utf8-plain-text", text}});
        main.advance(clipboard::ClipboardMonitor::pollInterval);
    }

    ManualScheduler main;
    EventLog log{main};
    platform::InMemoryDefaults defaults;
    platform::InMemoryPasteboard pasteboard;
    LoggingWorkspace workspace{log};
    platform::FakeImageCodec codec;
    platform::RecordingKeySynth keys;
    platform::FakeLoginItems loginItems;
    platform::FakeUpdater updater;
    platform::FakeHotKeyBackend hotKeys;
    platform::FixedKeyboardLayout layout;
    GlobalShortcuts::Registry shortcuts{defaults, hotKeys, layout};
    FakePanelWindow window{main, log};
    FakeApplicationShell shell{log};
    ConversionFixture conversion{main};
    test_support::TemporaryDirectory folder;
    std::unique_ptr<AppDelegate> delegate;
    const platform::RunningApplication editor{"Editor", 42};
    // Shift+Super+V: key code 9, shift and command in the stored mask.
    const platform::FakeHotKeyBackend::Combination hotKey{9, 0x300};
};

}  // namespace pindrake::app::test
