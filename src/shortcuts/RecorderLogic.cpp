#include "shortcuts/RecorderLogic.h"

#include <utility>

#include "shortcuts/DesktopKeyNames.h"
#include "shortcuts/ModuleText.h"
#include "shortcuts/SpecialKey.h"

namespace pindrake::GlobalShortcuts {

namespace {

// Clicks this close to the control still count as inside it.
constexpr double clickSlack = 3;

// The modifiers that make a shortcut; the lock keys do not.
const ModifierFlags shortcutModifiers = ModifierFlag::shift | ModifierFlag::control |
                                        ModifierFlag::option | ModifierFlag::command |
                                        ModifierFlag::function;

bool isFunctionKey(std::optional<SpecialKey> key) {
    return key && functionKeys().contains(*key);
}

std::string withArgument(std::string format, const std::string& argument) {
    if (const auto at = format.find("%s"); at != std::string::npos)
        format.replace(at, 2, argument);
    return format;
}

}  // namespace

RecorderLogic::RecorderLogic(RecorderHost& host, Registry& registry,
                             const platform::KeyboardLayout& layout, Name name, OnChange onChange,
                             MenuSource mainMenu)
    : host_(host),
      registry_(registry),
      layout_(layout),
      name_(std::move(name)),
      onChange_(std::move(onChange)),
      mainMenu_(std::move(mainMenu)) {
    host_.setPlaceholder(moduleText("record_shortcut"));
    showStoredShortcut();
    shortcutChanges_ =
        registry_.shortcutByNameDidChange().observeForView([this](const std::optional<Name>& name) {
            if (name && name->rawValue() == name_.rawValue())
                showStoredShortcut();
        });
}

RecorderLogic::~RecorderLogic() {
    endRecording();
}

void RecorderLogic::setShortcutName(Name name) {
    const bool changed = name.rawValue() != name_.rawValue();
    name_ = std::move(name);
    if (changed)
        showStoredShortcut();
}

void RecorderLogic::beginRecording() {
    if (isRecording_)
        return;
    isRecording_ = true;
    host_.setPlaceholder(moduleText("press_shortcut"));
    updateClearButton();
    registry_.setPausedForRecording(true);
    registry_.recorderActiveStatusDidChange().set(true);
}

void RecorderLogic::endRecording() {
    if (!isRecording_)
        return;
    isRecording_ = false;
    host_.setPlaceholder(moduleText("record_shortcut"));
    updateClearButton();
    registry_.setPausedForRecording(false);
    registry_.recorderActiveStatusDidChange().set(false);
}

RecorderLogic::Disposition RecorderLogic::handleEvent(const RecorderEvent& event) {
    using Kind = RecorderEvent::Kind;
    // A click outside ends the recording and still reaches what was clicked.
    if (event.kind == Kind::leftMouseUp || event.kind == Kind::rightMouseUp) {
        const bool inside = event.x >= -clickSlack && event.x < host_.boundsWidth() + clickSlack &&
                            event.y >= -clickSlack && event.y < host_.boundsHeight() + clickSlack;
        if (!inside) {
            host_.endEditing();
            return Disposition::pass;
        }
    }
    if (event.kind != Kind::keyDown)
        return Disposition::swallow;

    const ModifierFlags modifiers = event.modifiers & shortcutModifiers;
    const auto special =
        event.keyCode ? specialKeyForKeyCode(*event.keyCode) : std::optional<SpecialKey>();
    if (modifiers.isEmpty() && special == SpecialKey::tab) {
        // The window moves the focus on as usual.
        host_.endEditing();
        return Disposition::pass;
    }
    if (modifiers.isEmpty() && event.keyCode == Key::escape.rawValue) {
        host_.endEditing();
        return Disposition::swallow;
    }
    if (modifiers.isEmpty() &&
        (special == SpecialKey::delete_ || special == SpecialKey::deleteForward)) {
        clear();
        return Disposition::swallow;
    }
    // Without Control, Option or Command only function keys make a global shortcut: anything
    // else would take a key away from typing in every program.
    if ((modifiers - (ModifierFlag::shift | ModifierFlag::function)).isEmpty() &&
        !isFunctionKey(special)) {
        host_.beep();
        return Disposition::swallow;
    }
    if (!event.keyCode) {
        host_.beep();
        return Disposition::swallow;
    }
    const auto shortcut =
        Shortcut::fromKeyEvent(KeyEventType::keyDown, *event.keyCode, event.modifiers);
    if (!shortcut) {
        host_.beep();
        return Disposition::swallow;
    }
    if (conflictsWithMenu(*shortcut))
        return Disposition::swallow;
    if (userKeepsSystemShortcut(*shortcut))
        return Disposition::swallow;
    return accept(*shortcut);
}

void RecorderLogic::clear() {
    text_.clear();
    host_.setText(text_);
    registry_.setShortcut(std::nullopt, name_);
    if (onChange_)
        onChange_(std::nullopt);
    updateClearButton();
    host_.focus();
}

RecorderLogic::Disposition RecorderLogic::accept(const Shortcut& shortcut) {
    text_ = desktopKeyName(shortcut, layout_, KeyScope::global);
    host_.setText(text_);
    host_.setShowsClearButton(true);
    registry_.saveShortcut(shortcut, name_);
    if (onChange_)
        onChange_(shortcut);
    host_.endEditing();
    return Disposition::swallow;
}

bool RecorderLogic::conflictsWithMenu(const Shortcut& shortcut) {
    if (!mainMenu_)
        return false;
    const auto menu = mainMenu_();
    if (!menu)
        return false;
    const MenuItem* item = takenByMenuItem(shortcut, *menu, layout_);
    if (!item)
        return false;
    host_.endEditing();
    host_.runAlert(
        {withArgument(moduleText("keyboard_shortcut_used_by_menu_item"), item->title), "", {}});
    host_.focus();
    return true;
}

bool RecorderLogic::userKeepsSystemShortcut(const Shortcut& shortcut) {
    // F12 alone is listed by some systems but never counts as taken.
    if (shortcut == Shortcut(Key::f12, ModifierFlags()))
        return false;
    if (!registry_.isTakenBySystem(shortcut))
        return false;
    host_.endEditing();
    const int response = host_.runAlert({moduleText("keyboard_shortcut_used_by_system"),
                                         moduleText("keyboard_shortcuts_can_be_changed"),
                                         {moduleText("ok"), moduleText("force_use_shortcut")}});
    host_.focus();
    constexpr int forceUse = 1;
    return response != forceUse;
}

void RecorderLogic::showStoredShortcut() {
    const auto stored = registry_.getShortcut(name_);
    text_ = stored ? desktopKeyName(*stored, layout_, KeyScope::global) : std::string();
    host_.setText(text_);
    updateClearButton();
}

void RecorderLogic::updateClearButton() {
    host_.setShowsClearButton(!text_.empty());
}

}  // namespace pindrake::GlobalShortcuts
