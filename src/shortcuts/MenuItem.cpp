#include "shortcuts/MenuItem.h"

#include <utility>

#include "shortcuts/ShortcutDescription.h"
#include "shortcuts/TextCase.h"

namespace pindrake::GlobalShortcuts {

namespace {

bool matches(const MenuItem& item, const Shortcut& shortcut, const std::string& keyEquivalent) {
    std::string itemKey = item.keyEquivalent;
    ModifierFlags itemModifiers = item.keyEquivalentModifiers;
    const ModifierFlags modifiers = shortcut.modifiers();
    if (modifiers.contains(ModifierFlag::shift)) {
        std::string lower = lowercased(itemKey);
        if (lower != itemKey) {
            itemKey = std::move(lower);
            itemModifiers |= ModifierFlag::shift;
        }
    }
    return itemKey == keyEquivalent && itemModifiers == modifiers;
}

}  // namespace

const MenuItem* takenByMenuItem(const Shortcut& shortcut, const std::vector<MenuItem>& menu,
                                const platform::KeyboardLayout& layout) {
    const auto keyEquivalent = menuItemKeyEquivalent(shortcut, layout);
    if (!keyEquivalent)
        return nullptr;
    // Depth first without recursion: each level remembers where it stopped.
    std::vector<std::pair<const std::vector<MenuItem>*, std::size_t>> levels{{&menu, 0}};
    while (!levels.empty()) {
        auto& [items, next] = levels.back();
        if (next == items->size()) {
            levels.pop_back();
            continue;
        }
        const MenuItem& item = (*items)[next++];
        if (matches(item, shortcut, *keyEquivalent))
            return &item;
        if (!item.submenu.empty())
            levels.emplace_back(&item.submenu, 0);
    }
    return nullptr;
}

const std::set<SpecialKey>& functionKeys() {
    static const auto keys = [] {
        std::set<SpecialKey> set;
        for (auto key = static_cast<int>(SpecialKey::f1); key <= static_cast<int>(SpecialKey::f20);
             ++key)
            set.insert(static_cast<SpecialKey>(key));
        return set;
    }();
    return keys;
}

}  // namespace pindrake::GlobalShortcuts
