#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Localization.h"
#include "platform/fake/FakeHotKeyBackend.h"
#include "platform/fake/FixedKeyboardLayout.h"
#include "platform/fake/InMemoryDefaults.h"
#include "shortcuts/ModuleText.h"
#include "shortcuts/RecorderLogic.h"

namespace pindrake::GlobalShortcuts {
namespace {

using Disposition = RecorderLogic::Disposition;
using Kind = RecorderEvent::Kind;
using platform::FakeHotKeyBackend;

// A control as the recorder sees it, 130 by 24, recording what it was asked to do. Focus and
// end of editing go back to the recorder as a real control's focus changes would.
class FakeHost final : public RecorderHost {
  public:
    void beep() override { ++beeps; }
    int runAlert(const Alert& alert) override {
        alerts.push_back(alert);
        // While an alert is up the recorder must not be recording.
        recordingDuringAlert = recordingDuringAlert || (recorder && recorder->isRecording());
        return alertAnswer;
    }
    void endEditing() override {
        if (recorder)
            recorder->endRecording();
    }
    void focus() override {
        if (recorder)
            recorder->beginRecording();
    }
    void setText(const std::string& value) override { text = value; }
    void setPlaceholder(const std::string& value) override { placeholder = value; }
    void setShowsClearButton(bool shows) override { showsClearButton = shows; }
    double boundsWidth() const override { return 130; }
    double boundsHeight() const override { return 24; }

    RecorderLogic* recorder = nullptr;
    int beeps = 0;
    std::vector<Alert> alerts;
    int alertAnswer = 0;
    bool recordingDuringAlert = false;
    std::string text;
    std::string placeholder;
    bool showsClearButton = false;
};

RecorderEvent key(Key key, ModifierFlags modifiers = {}) {
    return {Kind::keyDown, key.rawValue, modifiers, 0, 0};
}

const ModifierFlags shiftCommand = ModifierFlag::shift | ModifierFlag::command;

void useLanguage(const char* language) {
    ::setenv("LANGUAGE", language, 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    setUpLocalization("pindrake");
}

TEST(ModuleText, TheModulesTextsComeFromItsOwnCatalogueInEnglishAndJapanese) {
    const struct {
        const char* language;
        const char* key;
        const char* text;
    } rows[] = {
        {"en", "record_shortcut", "Record Shortcut"},
        {"ja", "press_shortcut", "ショートカットを入力"},
        {"ja", "space_key", "スペース"},
        // Not the module's: the application's catalogue is another one.
        {"en", "toast_copied", "toast_copied"},
    };
    for (const auto& row : rows) {
        useLanguage(row.language);
        EXPECT_EQ(moduleText(row.key), row.text) << row.language << " " << row.key;
    }
    useLanguage("en");
}

class RecorderLogicTest : public ::testing::Test {
  protected:
    RecorderLogicTest() {
        useLanguage("en");
        registry.declare(Name::toggleHistory());
        registry.onKeyUp(Name::toggleHistory(), [this] { ++toggled; });
        host.recorder = &recorder;
        host.focus();
    }

    std::optional<Shortcut> stored() const { return registry.getShortcut(Name::toggleHistory()); }

    platform::InMemoryDefaults defaults;
    FakeHotKeyBackend backend;
    platform::FixedKeyboardLayout layout;
    Registry registry{defaults, backend, layout};
    FakeHost host;
    std::vector<std::optional<Shortcut>> changes;
    std::optional<std::vector<MenuItem>> mainMenu;
    RecorderLogic recorder{host,
                           registry,
                           layout,
                           Name::toggleHistory(),
                           [this](const std::optional<Shortcut>& s) { changes.push_back(s); },
                           [this] { return mainMenu; }};
    int toggled = 0;
};

TEST_F(RecorderLogicTest, KeysThatCannotServeAsGlobalShortcutsAreRefusedWithABeep) {
    const struct {
        RecorderEvent event;
        bool accepted;
    } rows[] = {
        {key(Key::a), false},
        {key(Key::a, ModifierFlag::shift), false},
        {key(Key::return_), false},
        {key(Key::tab, ModifierFlag::shift), false},
        {key(Key::upArrow, ModifierFlag::function), false},
        // Caps Lock and the keypad flag do not make a shortcut.
        {key(Key::a, ModifierFlag::capsLock | ModifierFlag::numericPad), false},
        // A key that stored shortcuts cannot name, whatever the modifiers.
        {{Kind::keyDown, std::nullopt, ModifierFlag::command, 0, 0}, false},
        {key(Key::f5), true},
        {key(Key::f5, ModifierFlag::shift), true},
        {key(Key::f5, ModifierFlag::function), true},
        {key(Key::a, ModifierFlag::control), true},
        {key(Key::escape, ModifierFlag::command), true},
        {key(Key::delete_, ModifierFlag::command), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.event.keyCode.value_or(-1));
        registry.reset({Name::toggleHistory()});
        host.focus();
        host.beeps = 0;
        EXPECT_EQ(recorder.handleEvent(row.event), Disposition::swallow);
        EXPECT_EQ(host.beeps, row.accepted ? 0 : 1);
        EXPECT_EQ(recorder.isRecording(), !row.accepted);
        const Shortcut expected =
            row.accepted ? *Shortcut::fromKeyEvent(KeyEventType::keyDown, *row.event.keyCode,
                                                   row.event.modifiers)
                         : *Name::toggleHistory().defaultShortcut();
        EXPECT_EQ(stored(), expected);
    }
}

TEST_F(RecorderLogicTest, AcceptingStoresShowsRegistersReportsAndEndsTheRecording) {
    EXPECT_EQ(host.text, "Shift+Super+V");
    EXPECT_EQ(recorder.handleEvent(key(Key::k, shiftCommand)), Disposition::swallow);
    EXPECT_EQ(host.text, "Shift+Super+K");
    EXPECT_TRUE(host.showsClearButton);
    EXPECT_EQ(stored(), Shortcut(Key::k, shiftCommand));
    EXPECT_EQ(changes, std::vector<std::optional<Shortcut>>{Shortcut(Key::k, shiftCommand)});
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(host.placeholder, "Record Shortcut");
    EXPECT_FALSE(backend.isHeld({9, 768}));
    backend.pressAndRelease({40, 768});
    EXPECT_EQ(toggled, 1);
}

TEST_F(RecorderLogicTest, EscapeTabAndClicksEndTheRecordingAndKeepTheShortcut) {
    const struct {
        RecorderEvent event;
        Disposition disposition;
        bool endsRecording;
    } rows[] = {
        {key(Key::escape), Disposition::swallow, true},
        {key(Key::tab), Disposition::pass, true},
        // The control's bounds, grown by 3 on every side, count as inside.
        {{Kind::leftMouseUp, std::nullopt, {}, -2, 10}, Disposition::swallow, false},
        {{Kind::rightMouseUp, std::nullopt, {}, 132, 26}, Disposition::swallow, false},
        {{Kind::leftMouseUp, std::nullopt, {}, -3, -3}, Disposition::swallow, false},
        {{Kind::leftMouseUp, std::nullopt, {}, 132.9, 10}, Disposition::swallow, false},
        {{Kind::leftMouseUp, std::nullopt, {}, -4, 10}, Disposition::pass, true},
        {{Kind::leftMouseUp, std::nullopt, {}, 133, 10}, Disposition::pass, true},
        {{Kind::leftMouseUp, std::nullopt, {}, 60, -4}, Disposition::pass, true},
        {{Kind::rightMouseUp, std::nullopt, {}, 60, 28}, Disposition::pass, true},
        {{Kind::other, std::nullopt, {}, 0, 0}, Disposition::swallow, false},
    };
    for (const auto& row : rows) {
        host.focus();
        EXPECT_EQ(recorder.handleEvent(row.event), row.disposition);
        EXPECT_EQ(recorder.isRecording(), !row.endsRecording);
        EXPECT_EQ(stored(), Name::toggleHistory().defaultShortcut());
        EXPECT_EQ(host.beeps, 0);
    }
    EXPECT_TRUE(changes.empty());
}

TEST_F(RecorderLogicTest, DeleteKeysClearTheShortcutAndKeepRecording) {
    for (const Key clearing : {Key::delete_, Key::deleteForward}) {
        registry.reset({Name::toggleHistory()});
        host.focus();
        changes.clear();
        EXPECT_EQ(recorder.handleEvent(key(clearing)), Disposition::swallow);
        EXPECT_EQ(stored(), std::nullopt);
        EXPECT_EQ(defaults.value("GlobalShortcuts_toggleHistory"),
                  platform::Defaults::Value(false));
        EXPECT_EQ(host.text, "");
        EXPECT_FALSE(host.showsClearButton);
        EXPECT_EQ(changes, std::vector<std::optional<Shortcut>>{std::nullopt});
        EXPECT_TRUE(recorder.isRecording());
        EXPECT_TRUE(backend.held().empty());
    }
    // The clear button while idle starts a recording.
    host.endEditing();
    recorder.clear();
    EXPECT_TRUE(recorder.isRecording());
}

TEST_F(RecorderLogicTest, AMenuConflictWarnsWithTheItemsTitleStoresNothingAndRecordsAgain) {
    mainMenu = std::vector<MenuItem>{
        {"Edit", "", {}, {{"Paste and Match Style", "V", ModifierFlag::command, {}}}}};
    EXPECT_EQ(recorder.handleEvent(key(Key::v, shiftCommand)), Disposition::swallow);
    ASSERT_EQ(host.alerts.size(), 1u);
    EXPECT_EQ(
        host.alerts[0].message,
        "This shortcut cannot be used: the menu item “Paste and Match Style” already uses it.");
    EXPECT_TRUE(host.alerts[0].buttons.empty());
    EXPECT_FALSE(host.recordingDuringAlert);
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(stored(), Name::toggleHistory().defaultShortcut());

    // Without a main menu there is nothing to conflict with.
    mainMenu.reset();
    recorder.handleEvent(key(Key::v, shiftCommand));
    EXPECT_EQ(host.alerts.size(), 1u);
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(RecorderLogicTest, ASystemConflictStoresOnlyWhenForcedAndF12AloneNeverConflicts) {
    backend.reserveForSystem({40, 768});
    backend.reserveForSystem({111, 0});
    const Shortcut shiftCommandK(Key::k, shiftCommand);
    const struct {
        RecorderEvent event;
        int answer;
        std::optional<Shortcut> stored;
        std::size_t alerts;
    } rows[] = {
        {key(Key::k, shiftCommand), 0, Name::toggleHistory().defaultShortcut(), 1},
        {key(Key::k, shiftCommand), 1, shiftCommandK, 1},
        {key(Key::f12), 0, Shortcut(Key::f12, ModifierFlags()), 0},
    };
    for (const auto& row : rows) {
        registry.reset({Name::toggleHistory()});
        host.focus();
        host.alerts.clear();
        host.alertAnswer = row.answer;
        EXPECT_EQ(recorder.handleEvent(row.event), Disposition::swallow);
        EXPECT_EQ(stored(), row.stored);
        ASSERT_EQ(host.alerts.size(), row.alerts);
        if (row.alerts) {
            EXPECT_EQ(host.alerts[0].message, moduleText("keyboard_shortcut_used_by_system"));
            EXPECT_EQ(host.alerts[0].informativeText,
                      moduleText("keyboard_shortcuts_can_be_changed"));
            EXPECT_EQ(host.alerts[0].buttons, (std::vector<std::string>{"OK", "Use Anyway"}));
        }
        EXPECT_EQ(recorder.isRecording(), row.stored == Name::toggleHistory().defaultShortcut());
    }
    EXPECT_FALSE(host.recordingDuringAlert);
}

TEST_F(RecorderLogicTest, HotKeysArePausedExactlyWhileThisRecorderRecords) {
    std::vector<bool> statuses;
    auto watching = registry.recorderActiveStatusDidChange().observeForView(
        [&](bool on) { statuses.push_back(on); });
    EXPECT_TRUE(registry.isPausedForRecording());
    backend.pressAndRelease({9, 768});
    EXPECT_EQ(toggled, 0);

    host.endEditing();
    host.endEditing();  // a second way out of the same recording changes nothing
    EXPECT_FALSE(registry.isPausedForRecording());
    EXPECT_EQ(host.placeholder, "Record Shortcut");
    backend.pressAndRelease({9, 768});
    EXPECT_EQ(toggled, 1);

    host.focus();
    EXPECT_EQ(host.placeholder, "Press Shortcut");
    EXPECT_EQ(statuses, (std::vector<bool>{false, true}));
    {
        // Another recorder that never recorded must not end this one's pause when it goes.
        FakeHost otherHost;
        RecorderLogic other(otherHost, registry, layout, Name("other"), {});
        otherHost.recorder = &other;
        otherHost.endEditing();
    }
    EXPECT_TRUE(registry.isPausedForRecording());
}

TEST_F(RecorderLogicTest, TheShownTextFollowsChangesOfItsNameOnly) {
    registry.saveShortcut(Shortcut(Key::k, shiftCommand), Name("other"));
    EXPECT_EQ(host.text, "Shift+Super+V");
    registry.setShortcut(Shortcut(Key::b, shiftCommand), Name::toggleHistory());
    EXPECT_EQ(host.text, "Shift+Super+B");

    // A name with the same raw value and another default is the same name: nothing to redo.
    registry.saveShortcut(Shortcut(Key::j, shiftCommand), Name("other"));
    host.text = "untouched";
    recorder.setShortcutName(Name("toggleHistory", Shortcut(Key::x, shiftCommand)));
    EXPECT_EQ(host.text, "untouched");
    recorder.setShortcutName(Name("other"));
    EXPECT_EQ(host.text, "Shift+Super+J");
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
