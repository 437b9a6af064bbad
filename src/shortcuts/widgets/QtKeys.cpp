#include "shortcuts/widgets/QtKeys.h"

#include <QString>

#include <array>
#include <utility>

#include "shortcuts/ShortcutDescription.h"
#include "shortcuts/SpecialKey.h"

namespace pindrake::GlobalShortcuts {

namespace {

constexpr std::array<std::pair<ModifierFlags, Qt::KeyboardModifier>, 5> modifierPairs{{
    {ModifierFlag::shift, Qt::ShiftModifier},
    {ModifierFlag::control, Qt::ControlModifier},
    {ModifierFlag::option, Qt::AltModifier},
    {ModifierFlag::command, Qt::MetaModifier},
    {ModifierFlag::numericPad, Qt::KeypadModifier},
}};

std::optional<Qt::Key> qtKey(SpecialKey key) {
    if (key >= SpecialKey::f1 && key <= SpecialKey::f20) {
        return static_cast<Qt::Key>(Qt::Key_F1 +
                                    (static_cast<int>(key) - static_cast<int>(SpecialKey::f1)));
    }
    switch (key) {
        case SpecialKey::return_:
            return Qt::Key_Return;
        case SpecialKey::delete_:
            return Qt::Key_Backspace;
        case SpecialKey::deleteForward:
            return Qt::Key_Delete;
        case SpecialKey::end:
            return Qt::Key_End;
        case SpecialKey::escape:
            return Qt::Key_Escape;
        case SpecialKey::help:
            return Qt::Key_Help;
        case SpecialKey::home:
            return Qt::Key_Home;
        case SpecialKey::space:
            return Qt::Key_Space;
        case SpecialKey::tab:
            return Qt::Key_Tab;
        case SpecialKey::pageUp:
            return Qt::Key_PageUp;
        case SpecialKey::pageDown:
            return Qt::Key_PageDown;
        case SpecialKey::upArrow:
            return Qt::Key_Up;
        case SpecialKey::rightArrow:
            return Qt::Key_Right;
        case SpecialKey::downArrow:
            return Qt::Key_Down;
        case SpecialKey::leftArrow:
            return Qt::Key_Left;
        default:
            // The keypad keys have no key equivalent.
            return std::nullopt;
    }
}

// Qt names a character key by the code of its upper-case form.
std::optional<Qt::Key> qtKey(const std::string& character) {
    const QString text = QString::fromStdString(character).toUpper();
    if (text.size() != 1)
        return std::nullopt;
    return static_cast<Qt::Key>(text.at(0).unicode());
}

}  // namespace

Qt::KeyboardModifiers qtModifiers(ModifierFlags flags) {
    Qt::KeyboardModifiers modifiers;
    for (const auto& [flag, modifier] : modifierPairs) {
        if (flags.contains(flag))
            modifiers |= modifier;
    }
    return modifiers;
}

ModifierFlags modifierFlags(Qt::KeyboardModifiers modifiers) {
    ModifierFlags flags;
    for (const auto& [flag, modifier] : modifierPairs) {
        if (modifiers & modifier)
            flags |= flag;
    }
    return flags;
}

bool isModifierKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Meta:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_Mode_switch:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
            return true;
        default:
            return false;
    }
}

std::optional<QKeySequence> keySequence(const Shortcut& shortcut,
                                        const platform::KeyboardLayout& layout) {
    std::optional<Qt::Key> key;
    if (auto special = specialKeyForKeyCode(shortcut.carbonKeyCode)) {
        key = qtKey(*special);
    } else if (auto character = keyToCharacter(shortcut, layout)) {
        key = qtKey(*character);
    }
    if (!key)
        return std::nullopt;
    return QKeySequence(QKeyCombination(qtModifiers(shortcut.modifiers()), *key));
}

}  // namespace pindrake::GlobalShortcuts
