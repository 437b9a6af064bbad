#include <gtest/gtest.h>

#include <memory>
#include <optional>
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
        notifications =
            registry->shortcutByNameDidChange().subscribe([this](const std::optional<Name>& name) {
                if (name)
                    notified.push_back(name->rawValue());
            });
        notified.clear();
        backend.clearCalls();
    }

    // What the app does at launch: declare the name, then hang its action on the key-up.
    void declareToggle() {
        shortcuts().declare(toggle);
        shortcuts().onKeyUp(toggle, [this] { ++toggled; });
    }

    Registry& shortcuts() { return *registry; }

    platform::InMemoryDefaults defaults;
    FakeHotKeyBackend backend;
    platform::FixedKeyboardLayout layout;
    std::unique_ptr<Registry> registry;
    std::vector<std::string> notified;
    Subscription notifications;
    int toggled = 0;
};

TEST_F(RegistryTest, FirstRunStoresTheDefaultRegistersOnceAndNotifiesOnce) {
    declareToggle();
    EXPECT_EQ(defaults.value(toggleKey),
              Defaults::Value(std::string(R"({"carbonKeyCode":9,"carbonModifiers":768})")));
    EXPECT_EQ(backend.calls(), (std::vector<Call>{{Call::Kind::registered, 1, shiftCommandV}}));
    EXPECT_EQ(notified, std::vector<std::string>{"toggleHistory"});
    EXPECT_TRUE(shortcuts().isEnabled(toggle));

    backend.press(shiftCommandV);
    EXPECT_EQ(toggled, 0);
    backend.release(shiftCommandV);
    EXPECT_EQ(toggled, 1);
}

TEST_F(RegistryTest, RestartKeepsWhatIsStoredAndReadsBadValuesAsNoShortcutSayingSoOnce) {
    const std::string unreadable =
        "The stored shortcut GlobalShortcuts_toggleHistory cannot be read; it is ignored\n";
    const struct {
        Defaults::Value stored;
        std::optional<Shortcut> shortcut;
        bool logged;
    } rows[] = {
        {std::string(R"({"carbonKeyCode":49,"carbonModifiers":2048})"), optionSpaceShortcut, false},
        {false, std::nullopt, false},
        {std::string("not json"), std::nullopt, true},
        {std::string(R"({"carbonKeyCode":65536,"carbonModifiers":768})"), std::nullopt, true},
        {std::int64_t{9}, std::nullopt, true},
        {true, std::nullopt, true},
    };
    for (const auto& [stored, shortcut, logged] : rows) {
        defaults.set(toggleKey, stored);
        start();
        testing::internal::CaptureStderr();
        declareToggle();
        shortcuts().onKeyDown(toggle, [] {});
        backend.pressAndRelease(optionSpace);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), logged ? unreadable : "");
        EXPECT_EQ(shortcuts().getShortcut(toggle), shortcut);
        // Bad values too are never repaired behind the user's back.
        EXPECT_EQ(defaults.value(toggleKey), stored);
        EXPECT_TRUE(notified.empty());
        EXPECT_EQ(backend.calls().size(), shortcut ? 1u : 0u);
        EXPECT_EQ(backend.isHeld(optionSpace), shortcut.has_value());
    }
}

TEST_F(RegistryTest,
       SavingTheStoredShortcutOrResettingToTheStoredDefaultStillGoesThroughEveryStep) {
    declareToggle();
    const auto reRegistered = std::vector<Call>{{Call::Kind::unregistered, 1, shiftCommandV},
                                                {Call::Kind::registered, 2, shiftCommandV}};
    backend.clearCalls();
    notified.clear();
    defaults.set("GlobalShortcuts_toggleHistory",
                 std::string(R"({"carbonModifiers":768,"carbonKeyCode":9})"));
    shortcuts().saveShortcut(Shortcut(9, 768), toggle);
    EXPECT_EQ(backend.calls(), reRegistered);
    EXPECT_EQ(defaults.value(toggleKey),
              Defaults::Value(std::string(R"({"carbonKeyCode":9,"carbonModifiers":768})")));
    EXPECT_EQ(notified, std::vector<std::string>{"toggleHistory"});

    backend.clearCalls();
    shortcuts().reset({toggle});
    EXPECT_EQ(backend.calls(), (std::vector<Call>{{Call::Kind::unregistered, 2, shiftCommandV},
                                                  {Call::Kind::registered, 3, shiftCommandV}}));
    EXPECT_EQ(notified, (std::vector<std::string>{"toggleHistory", "toggleHistory"}));
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 1);
}

TEST_F(RegistryTest, ClearingLeavesFalseThatStaysAcrossRestartsUntilReset) {
    declareToggle();
    notified.clear();
    shortcuts().setShortcut(std::nullopt, toggle);
    shortcuts().setShortcut(std::nullopt, toggle);  // again: changes nothing, says nothing
    EXPECT_EQ(defaults.value(toggleKey), Defaults::Value(false));
    EXPECT_EQ(shortcuts().getShortcut(toggle), std::nullopt);
    EXPECT_TRUE(backend.held().empty());
    EXPECT_FALSE(shortcuts().isEnabled(toggle));
    EXPECT_EQ(notified, std::vector<std::string>{"toggleHistory"});

    start();
    declareToggle();
    EXPECT_TRUE(backend.held().empty());
    shortcuts().reset({toggle});
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 1);
}

TEST_F(RegistryTest, NamesWithoutDefaultLoseTheirEntryWhenClearedOrReset) {
    const Name paste("paste");
    shortcuts().saveShortcut(optionSpaceShortcut, paste);
    shortcuts().setShortcut(std::nullopt, paste);
    EXPECT_FALSE(shortcuts().userDefaultsContains(paste));

    // Resetting everything treats even a name with a default as one without, until declared.
    shortcuts().saveShortcut(optionSpaceShortcut, paste);
    shortcuts().declare(toggle);
    defaults.set("GlobalShortcuts_cleared", false);
    defaults.set("GlobalShortcuts_garbled", std::string("{not json"));
    defaults.set("unrelated", std::string("kept"));
    notified.clear();
    shortcuts().resetAll();
    EXPECT_FALSE(shortcuts().userDefaultsContains(paste));
    EXPECT_FALSE(defaults.value(toggleKey).has_value());
    EXPECT_TRUE(backend.held().empty());
    EXPECT_EQ(notified, (std::vector<std::string>{"paste", "toggleHistory"}));
    EXPECT_EQ(defaults.value("GlobalShortcuts_cleared"), Defaults::Value(false));
    EXPECT_TRUE(defaults.value("GlobalShortcuts_garbled").has_value());
    EXPECT_TRUE(defaults.value("unrelated").has_value());

    shortcuts().declare(toggle);
    EXPECT_EQ(shortcuts().getShortcut(toggle), toggle.defaultShortcut());
}

TEST_F(RegistryTest, ASharedShortcutIsKeptWhileAnotherNameStillWantsIt) {
    const Name other("other");
    int otherRan = 0;
    declareToggle();
    shortcuts().saveShortcut(Shortcut(9, 768), other);
    shortcuts().onKeyUp(other, [&] { ++otherRan; });
    EXPECT_EQ(backend.held().size(), 1u);

    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 1);
    EXPECT_EQ(otherRan, 1);

    // Moving one name away leaves the other one's hot key working; the new one is in place
    // before observers hear of the change.
    std::optional<Shortcut> seenByObserver;
    auto observing = shortcuts().shortcutByNameDidChange().subscribe(
        [&](const std::optional<Name>& name) { seenByObserver = shortcuts().getShortcut(*name); });
    shortcuts().setShortcut(optionSpaceShortcut, toggle);
    EXPECT_EQ(seenByObserver, optionSpaceShortcut);
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

TEST_F(RegistryTest, ARefusedHotKeyIsLoggedOnceNotEnabledAndTriedAgainAtTheNextSaveOrEnable) {
    backend.refuse(shiftCommandV);
    testing::internal::CaptureStdout();
    declareToggle();
    shortcuts().onKeyDown(toggle, [] {});
    auto stream = shortcuts().events(toggle, [](EventType) {});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⇧⌘V: -9878\n");
    EXPECT_FALSE(shortcuts().isEnabled(toggle));

    // Asking explicitly tries again, and says so again.
    testing::internal::CaptureStdout();
    shortcuts().enable({toggle});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⇧⌘V: -9878\n");

    backend.stopRefusing(shiftCommandV);
    shortcuts().saveShortcut(Shortcut(9, 768), toggle);
    EXPECT_TRUE(shortcuts().isEnabled(toggle));
    EXPECT_EQ(backend.held().begin()->first, 3u) << "the refused attempts used up ids";
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 1);
}

TEST_F(RegistryTest, ARefusalAfterARecordingIsPublishedAndAskedForAgainOnRetryOrMenuClose) {
    declareToggle();
    std::vector<std::vector<Shortcut>> published;
    auto watching = shortcuts().refusedShortcuts().subscribe(
        [&](const std::vector<Shortcut>& refused) { published.push_back(refused); });
    published.clear();
    backend.refuse(optionSpace);
    testing::internal::CaptureStdout();
    shortcuts().setPausedForRecording(true);
    shortcuts().saveShortcut(optionSpaceShortcut, toggle);
    EXPECT_FALSE(shortcuts().isRefused(toggle)) << "nothing is grabbed while recording";
    shortcuts().setPausedForRecording(false);
    EXPECT_TRUE(shortcuts().isRefused(toggle));
    EXPECT_FALSE(shortcuts().isEnabled(toggle));
    EXPECT_EQ(published, std::vector<std::vector<Shortcut>>{{optionSpaceShortcut}});
    shortcuts().retryRefused();
    EXPECT_TRUE(shortcuts().isRefused(toggle));

    backend.stopRefusing(optionSpace);
    shortcuts().menuDidBeginTracking();
    shortcuts().menuDidEndTracking();
    EXPECT_FALSE(shortcuts().isRefused(toggle));
    backend.pressAndRelease(optionSpace);
    EXPECT_EQ(toggled, 1);

    shortcuts().setEnabled(false);
    backend.refuse(optionSpace);
    shortcuts().setEnabled(true);
    EXPECT_TRUE(shortcuts().isRefused(toggle));
    backend.stopRefusing(optionSpace);
    shortcuts().retryRefused();
    EXPECT_FALSE(shortcuts().isRefused(toggle));
    backend.pressAndRelease(optionSpace);
    EXPECT_EQ(toggled, 2);
    testing::internal::GetCapturedStdout();

    // A cleared shortcut is refused by nobody.
    backend.refuse(shiftCommandV);
    testing::internal::CaptureStdout();
    shortcuts().saveShortcut(Shortcut(9, 768), toggle);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error registering hotkey ⇧⌘V: -9878\n");
    EXPECT_TRUE(shortcuts().isRefused(toggle));
    shortcuts().setShortcut(std::nullopt, toggle);
    EXPECT_FALSE(shortcuts().isRefused(toggle));
    EXPECT_TRUE(shortcuts().refusedShortcuts()->empty());
}

TEST_F(RegistryTest, TheSwitchSuspendsEveryHotKeyAndRetriesRefusedOnesWhenSwitchedOn) {
    declareToggle();
    backend.clearCalls();
    shortcuts().setEnabled(false);
    shortcuts().setEnabled(false);
    EXPECT_EQ(backend.calls(), (std::vector<Call>{{Call::Kind::unregistered, 1, shiftCommandV}}));
    EXPECT_FALSE(shortcuts().isEnabled(toggle));

    backend.refuse(shiftCommandV, FakeHotKeyBackend::statusInvalid);
    shortcuts().setEnabled(true);
    EXPECT_FALSE(shortcuts().isEnabled(toggle));

    backend.stopRefusing(shiftCommandV);
    shortcuts().setEnabled(false);
    shortcuts().setEnabled(true);
    EXPECT_TRUE(shortcuts().isEnabled(toggle));
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(toggled, 1);
}

TEST_F(RegistryTest, ActionsRunInOrderOnTheirOwnEdgeUnlessRecording) {
    std::vector<std::string> ran;
    shortcuts().declare(toggle);
    shortcuts().onKeyDown(toggle, [&] { ran.push_back("down"); });
    shortcuts().onKeyUp(toggle, [&] { ran.push_back("up 1"); });
    shortcuts().onKeyUp(toggle, [&] { ran.push_back("up 2"); });
    backend.pressAndRelease(shiftCommandV);
    EXPECT_EQ(ran, (std::vector<std::string>{"down", "up 1", "up 2"}));

    // A press already under way when the recording starts runs nothing either.
    backend.press(shiftCommandV);
    shortcuts().setPausedForRecording(true);
    backend.release(shiftCommandV);
    EXPECT_EQ(ran.size(), 4u);
    // The grab is let go, so that the recorder sees the combination; one saved meanwhile is
    // grabbed once the recording ends.
    EXPECT_TRUE(backend.held().empty());
    shortcuts().saveShortcut(optionSpaceShortcut, toggle);
    EXPECT_TRUE(backend.held().empty());
    shortcuts().setPausedForRecording(false);
    EXPECT_TRUE(shortcuts().isEnabled(toggle));
    backend.pressAndRelease(optionSpace);
    EXPECT_EQ(ran.size(), 7u);

    shortcuts().removeAllHandlers();
    EXPECT_TRUE(backend.held().empty());
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
}

TEST_F(RegistryTest, StreamsFollowPressesAndTheLastOneEndingReleasesTheHotKey) {
    const Name paste("paste");
    shortcuts().saveShortcut(optionSpaceShortcut, paste);
    shortcuts().disable({paste});

    std::vector<EventType> all;
    std::vector<EventType> ups;
    auto allEvents = shortcuts().events(paste, [&](EventType e) { all.push_back(e); });
    auto upEvents = shortcuts().events(
        paste, [&](EventType e) { ups.push_back(e); }, EventType::keyUp);
    backend.pressAndRelease(optionSpace);
    EXPECT_EQ(all, (std::vector<EventType>{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(ups, std::vector<EventType>{EventType::keyUp});

    allEvents.reset();
    EXPECT_TRUE(backend.isHeld(optionSpace));
    upEvents.reset();
    EXPECT_FALSE(backend.isHeld(optionSpace));
}

TEST_F(RegistryTest, ThePressedShortcutIsCheckedAgainstTheStoredOneAtEachPress) {
    declareToggle();
    // Edited behind the registry's back: the old hot key no longer serves the name.
    defaults.set(toggleKey, optionSpaceShortcut.toJson());
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
