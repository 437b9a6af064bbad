#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeHotKeyBackend.h"
#include "platform/fake/FixedKeyboardLayout.h"
#include "platform/fake/InMemoryDefaults.h"
#include "shortcuts/Registry.h"

namespace pindrake::GlobalShortcuts {
namespace {

using platform::Defaults;
using platform::FakeHotKeyBackend;
using Call = FakeHotKeyBackend::Call;
using Combination = FakeHotKeyBackend::Combination;

constexpr Combination shiftCommandV{9, 768};
constexpr Combination optionSpace{49, 2048};
const std::string toggleKey = "GlobalShortcuts_toggleHistory";

const Name& toggle = Name::toggleHistory();
const Shortcut optionSpaceShortcut(Key::space, ModifierFlag::option);

class RegistryTest : public ::testing::Test {
  protected:
    RegistryTest() { start(); }

    // A new process over the same settings.
    void start() {
        registry.reset();
        registry = std::make_unique<Registry>(defaults, backend, layout);
        notifications = registry->shortcutByNameDidChange().observe(
            [this](const Name& name) { notified.push_back(name.rawValue()); });
        backend.clearCalls();
    }

    Registry& shortcuts() { return *registry; }

    platform::InMemoryDefaults defaults;
    FakeHotKeyBackend backend;
    platform::FixedKeyboardLayout layout;
    std::unique_ptr<Registry> registry;
    std::vector<std::string> notified;
    Subscription notifications;
};

TEST_F(RegistryTest, FirstRunStoresTheDefaultRegistersOnceAndNotifiesOnce) {
    shortcuts().declare(toggle);
    EXPECT_EQ(defaults.value(toggleKey),
              Defaults::Value(std::string(R"({"carbonKeyCode":9,"carbonModifiers":768})")));
    EXPECT_EQ(backend.calls(), (std::vector<Call>{{Call::Kind::registered, 1, shiftCommandV}}));
    EXPECT_EQ(notified, std::vector<std::string>{"toggleHistory"});
    EXPECT_EQ(shortcuts().shortcutByNameDidChange().name(),
              "GlobalShortcuts_shortcutByNameDidChange");

    int toggled = 0;
    shortcuts().onKeyUp(toggle, [&] { ++toggled; });
    EXPECT_EQ(backend.calls().size(), 1u);
    EXPECT_TRUE(shortcuts().isEnabled(toggle));

    backend.press(shiftCommandV);
    EXPECT_EQ(toggled, 0);
    backend.release(shiftCommandV);
    EXPECT_EQ(toggled, 1);
}

TEST_F(RegistryTest, RestartKeepsTheUsersShortcutOrTheClearedMarker) {
    const Defaults::Value stored[] = {std::string(R"({"carbonKeyCode":49,"carbonModifiers":2048})"),
                                      false};
    for (const auto& value : stored) {
        defaults.set(toggleKey, value);
        start();
        notified.clear();
        shortcuts().declare(toggle);
        EXPECT_EQ(defaults.value(toggleKey), value);
        EXPECT_TRUE(notified.empty());
        EXPECT_TRUE(backend.calls().empty());
    }
    // The user's shortcut is the one that gets the hot key.
    defaults.set(toggleKey, stored[0]);
    start();
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [] {});
    EXPECT_TRUE(backend.isHeld(optionSpace));
    EXPECT_FALSE(backend.isHeld(shiftCommandV));
}

TEST_F(RegistryTest, ClearingLeavesFalseThatStaysAcrossRestartsUntilReset) {
    int toggled = 0;
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [&] { ++toggled; });
    notified.clear();

    shortcuts().setShortcut(std::nullopt, toggle);
    EXPECT_EQ(defaults.value(toggleKey), Defaults::Value(false));
    EXPECT_EQ(shortcuts().getShortcut(toggle), std::nullopt);
    EXPECT_TRUE(backend.held().empty());
    EXPECT_FALSE(shortcuts().isEnabled(toggle));
    EXPECT_EQ(notified, std::vector<std::string>{"toggleHistory"});

    // Clearing again changes nothing and says nothing.
    shortcuts().setShortcut(std::nullopt, toggle);
    EXPECT_EQ(notified.size(), 1u);

    start();
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [&] { ++toggled; });
    EXPECT_TRUE(backend.held().empty());

    shortcuts().reset({toggle});
    EXPECT_EQ(shortcuts().getShortcut(toggle), Shortcut(9, 768));
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 1);
}

TEST_F(RegistryTest, NamesWithoutDefaultLoseTheirEntryWhenClearedOrReset) {
    const Name paste("paste");
    shortcuts().saveShortcut(optionSpaceShortcut, paste);
    shortcuts().setShortcut(std::nullopt, paste);
    EXPECT_FALSE(shortcuts().userDefaultsContains(paste));
    EXPECT_TRUE(backend.held().empty());

    shortcuts().saveShortcut(optionSpaceShortcut, paste);
    notified.clear();
    shortcuts().reset({paste, Name("neverStored")});
    EXPECT_FALSE(shortcuts().userDefaultsContains(paste));
    EXPECT_TRUE(backend.held().empty());
    EXPECT_EQ(notified, std::vector<std::string>{"paste"});
}

TEST_F(RegistryTest, ResetAllRemovesStoredShortcutsEvenWithADefaultButKeepsMarkers) {
    shortcuts().declare(toggle);
    const Name cleared("cleared");
    defaults.set("GlobalShortcuts_cleared", false);
    defaults.set("GlobalShortcuts_garbled", std::string("{not json"));
    defaults.set("unrelated", std::string("kept"));
    EXPECT_EQ(shortcuts().storedNames().size(), 3u);

    notified.clear();
    shortcuts().resetAll();
    EXPECT_FALSE(defaults.value(toggleKey).has_value()) << "treated as a name without default";
    EXPECT_TRUE(backend.held().empty());
    EXPECT_EQ(notified, std::vector<std::string>{"toggleHistory"});
    EXPECT_EQ(defaults.value("GlobalShortcuts_cleared"), Defaults::Value(false));
    EXPECT_TRUE(defaults.value("GlobalShortcuts_garbled").has_value());
    EXPECT_TRUE(defaults.value("unrelated").has_value());

    shortcuts().declare(toggle);
    EXPECT_EQ(shortcuts().getShortcut(toggle), toggle.defaultShortcut()) << "back when declared";
}

TEST_F(RegistryTest, SavingTheStoredShortcutAgainRegistersAfresh) {
    shortcuts().declare(toggle);
    backend.clearCalls();
    notified.clear();
    shortcuts().saveShortcut(Shortcut(9, 768), toggle);
    EXPECT_EQ(backend.calls(), (std::vector<Call>{{Call::Kind::unregistered, 1, shiftCommandV},
                                                  {Call::Kind::registered, 2, shiftCommandV}}));
    EXPECT_EQ(notified, std::vector<std::string>{"toggleHistory"});
}

TEST_F(RegistryTest, ChangingTheShortcutMovesTheHotKeyBeforeObserversHearOfIt) {
    std::vector<std::string> events;
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [&] { events.push_back("toggle"); });
    std::optional<Shortcut> seenByObserver;
    auto observing = shortcuts().shortcutByNameDidChange().observe(
        [&](const Name& name) { seenByObserver = shortcuts().getShortcut(name); });

    shortcuts().setShortcut(optionSpaceShortcut, toggle);
    EXPECT_EQ(seenByObserver, optionSpaceShortcut);
    EXPECT_FALSE(backend.isHeld(shiftCommandV));
    EXPECT_TRUE(backend.isHeld(optionSpace));
    backend.pressAndRelease(optionSpace);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(RegistryTest, ASharedShortcutIsKeptWhileAnotherNameStillWantsIt) {
    const Name other("other");
    int toggled = 0;
    int otherRan = 0;
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [&] { ++toggled; });
    shortcuts().saveShortcut(Shortcut(9, 768), other);
    shortcuts().onKeyUp(other, [&] { ++otherRan; });
    EXPECT_EQ(backend.held().size(), 1u);

    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 1);
    EXPECT_EQ(otherRan, 1);

    // Moving one name away leaves the other one's hot key working.
    shortcuts().setShortcut(optionSpaceShortcut, toggle);
    EXPECT_TRUE(backend.isHeld(shiftCommandV));
    EXPECT_TRUE(shortcuts().isEnabled(other));
    backend.pressAndRelease(shiftCommandV);
    backend.pressAndRelease(optionSpace);
    EXPECT_EQ(toggled, 2);
    EXPECT_EQ(otherRan, 2);

    // The same for disabling and removing handlers: the last one to let go releases it.
    shortcuts().setShortcut(Shortcut(9, 768), toggle);
    shortcuts().disable({toggle});
    EXPECT_TRUE(backend.isHeld(shiftCommandV));
    shortcuts().removeHandler(other);
    EXPECT_FALSE(backend.isHeld(shiftCommandV));
}

TEST_F(RegistryTest, ARefusedHotKeyIsNotEnabledAndIsTriedAgain) {
    backend.refuse(shiftCommandV);
    testing::internal::CaptureStdout();
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [] {});
    const std::string output = testing::internal::GetCapturedStdout();
    // One line per attempt: the declaration and then the action each asked for the hot key.
    EXPECT_EQ(output, "Error registering hotkey ⇧⌘V: -9878\nError registering hotkey ⇧⌘V: -9878\n");
    EXPECT_FALSE(shortcuts().isEnabled(toggle));

    // Once the other program lets go, the next request succeeds; the attempts used up ids.
    backend.stopRefusing(shiftCommandV);
    shortcuts().enable({toggle});
    EXPECT_TRUE(shortcuts().isEnabled(toggle));
    EXPECT_EQ(backend.held().begin()->first, 3u);
}

TEST_F(RegistryTest, AHotKeyRefusedWhenSwitchedBackOnIsRetriedAtTheNextSwitch) {
    shortcuts().declare(toggle);
    shortcuts().setEnabled(false);
    EXPECT_TRUE(backend.held().empty());
    EXPECT_FALSE(shortcuts().isEnabled(toggle));

    backend.refuse(shiftCommandV, FakeHotKeyBackend::statusInvalid);
    testing::internal::CaptureStdout();
    shortcuts().setEnabled(true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⇧⌘V: -9879\n");
    EXPECT_FALSE(shortcuts().isEnabled(toggle));

    backend.stopRefusing(shiftCommandV);
    shortcuts().setEnabled(false);
    shortcuts().setEnabled(true);
    EXPECT_TRUE(shortcuts().isEnabled(toggle));
}

TEST_F(RegistryTest, ActionsRunInOrderOnTheirOwnEdgeUnlessRecording) {
    std::vector<std::string> ran;
    shortcuts().declare(toggle);
    shortcuts().onKeyDown(toggle, [&] { ran.push_back("down"); });
    shortcuts().onKeyUp(toggle, [&] { ran.push_back("up 1"); });
    shortcuts().onKeyUp(toggle, [&] { ran.push_back("up 2"); });
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(ran, (std::vector<std::string>{"down", "up 1", "up 2"}));

    shortcuts().setPausedForRecording(true);
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(ran.size(), 3u);
    shortcuts().setPausedForRecording(false);
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(ran.size(), 6u);
}

TEST_F(RegistryTest, RemovingHandlersReleasesTheirHotKeys) {
    const Name other("other");
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [] {});
    shortcuts().saveShortcut(optionSpaceShortcut, other);
    shortcuts().onKeyDown(other, [] {});

    shortcuts().removeHandler(toggle);
    EXPECT_FALSE(backend.isHeld(shiftCommandV));
    EXPECT_TRUE(backend.isHeld(optionSpace));
    shortcuts().onKeyUp(toggle, [] {});
    shortcuts().removeAllHandlers();
    EXPECT_TRUE(backend.held().empty());
}

TEST_F(RegistryTest, TheSwitchSuspendsEveryHotKeyAndRestoresTheirIds) {
    int toggled = 0;
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [&] { ++toggled; });
    backend.clearCalls();

    shortcuts().setEnabled(false);
    shortcuts().setEnabled(false);
    EXPECT_EQ(backend.calls(), (std::vector<Call>{{Call::Kind::unregistered, 1, shiftCommandV}}));
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 0);

    shortcuts().setEnabled(true);
    EXPECT_EQ(backend.calls().back(), (Call{Call::Kind::registered, 1, shiftCommandV}));
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 1);
}

TEST_F(RegistryTest, WhileAMenuIsOpenKeyEventsReachingTheAppRunTheShortcut) {
    std::vector<std::string> ran;
    shortcuts().declare(toggle);
    shortcuts().onKeyDown(toggle, [&] { ran.push_back("down"); });
    shortcuts().onKeyUp(toggle, [&] { ran.push_back("up"); });
    EXPECT_FALSE(shortcuts().handleKeyEventWhileMenuOpen(EventType::keyDown, Shortcut(9, 768)));

    shortcuts().menuDidBeginTracking();
    EXPECT_TRUE(backend.held().empty());
    // Caps lock and other stray bits in the event do not matter.
    const auto withStrayBits = *Shortcut::fromJson(R"({"carbonKeyCode":9,"carbonModifiers":1792})");
    EXPECT_TRUE(shortcuts().handleKeyEventWhileMenuOpen(EventType::keyDown, withStrayBits));
    EXPECT_TRUE(shortcuts().handleKeyEventWhileMenuOpen(EventType::keyUp, Shortcut(9, 768)));
    EXPECT_FALSE(shortcuts().handleKeyEventWhileMenuOpen(EventType::keyUp, Shortcut(9, 256)));
    EXPECT_EQ(ran, (std::vector<std::string>{"down", "up"}));

    // A press taken while the menu was open ends here although the menu closed in between;
    // new presses belong to the hot key again.
    EXPECT_TRUE(shortcuts().handleKeyEventWhileMenuOpen(EventType::keyDown, Shortcut(9, 768)));
    shortcuts().menuDidEndTracking();
    EXPECT_EQ(backend.held().begin()->first, 1u);
    EXPECT_FALSE(shortcuts().handleKeyEventWhileMenuOpen(EventType::keyDown, Shortcut(9, 768)));
    EXPECT_TRUE(shortcuts().handleKeyEventWhileMenuOpen(EventType::keyUp, Shortcut(9, 768)));
    EXPECT_EQ(ran, (std::vector<std::string>{"down", "up", "down", "up"}));
}

TEST_F(RegistryTest, StreamsFollowPressesAndTheLastOneEndingReleasesTheHotKey) {
    const Name paste("paste");
    shortcuts().saveShortcut(optionSpaceShortcut, paste);
    shortcuts().disable({paste});
    EXPECT_TRUE(backend.held().empty());

    std::vector<EventType> all;
    std::vector<EventType> ups;
    auto allEvents = shortcuts().events(paste, [&](EventType e) { all.push_back(e); });
    auto upEvents = shortcuts().events(
        paste, [&](EventType e) { ups.push_back(e); }, EventType::keyUp);
    EXPECT_TRUE(backend.isHeld(optionSpace));
    backend.pressAndRelease(optionSpace);
    EXPECT_EQ(all, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(ups, std::vector<EventType>{EventType::keyUp});

    allEvents.reset();
    EXPECT_TRUE(backend.isHeld(optionSpace));
    upEvents.reset();
    EXPECT_FALSE(backend.isHeld(optionSpace));
}

TEST_F(RegistryTest, BadStoredValuesReadAsNoShortcutAndGrabNothing) {
    const Defaults::Value bad[] = {
        std::string("not json"),
        std::string(R"({"carbonKeyCode":-9,"carbonModifiers":768})"),
        std::string(R"({"carbonKeyCode":9,"carbonModifiers":4294967296})"),
        std::string(R"({"carbonKeyCode":9})"),
        std::int64_t{9},
        true,
    };
    for (const auto& value : bad) {
        defaults.set(toggleKey, value);
        start();
        shortcuts().declare(toggle);
        shortcuts().onKeyUp(toggle, [] {});
        EXPECT_EQ(shortcuts().getShortcut(toggle), std::nullopt);
        EXPECT_TRUE(backend.calls().empty());
        // Never repaired behind the user's back.
        EXPECT_EQ(defaults.value(toggleKey), value);
    }
}

TEST_F(RegistryTest, ThePressedShortcutIsCheckedAgainstTheStoredOneAtEachPress) {
    int toggled = 0;
    shortcuts().declare(toggle);
    shortcuts().onKeyUp(toggle, [&] { ++toggled; });
    // Edited behind the registry's back: the old hot key no longer serves the name.
    defaults.set(toggleKey, Shortcut(Key::space, ModifierFlag::option).toJson());
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 0);
}

TEST_F(RegistryTest, TheSystemListIsCheckedWithTheNormalisedMask) {
    backend.reserveForSystem({49, 0x1000});
    const auto withStrayBits =
        *Shortcut::fromJson(R"({"carbonKeyCode":49,"carbonModifiers":5120})");
    EXPECT_TRUE(shortcuts().isTakenBySystem(withStrayBits));
    EXPECT_FALSE(shortcuts().isTakenBySystem(Shortcut(49, 0x1000 | 0x200)));
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
