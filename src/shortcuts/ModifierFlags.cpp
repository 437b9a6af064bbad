#include "shortcuts/ModifierFlags.h"

#include <array>

namespace pindrake::GlobalShortcuts {

namespace {

struct ModifierPair {
    int carbon;
    ModifierFlags flag;
};

constexpr std::array<ModifierPair, 5> modifierPairs{{
    {CarbonModifier::command, ModifierFlag::command},
    {CarbonModifier::shift, ModifierFlag::shift},
    {CarbonModifier::option, ModifierFlag::option},
    {CarbonModifier::control, ModifierFlag::control},
    {CarbonModifier::function, ModifierFlag::function},
}};

}  // namespace

int carbonMask(ModifierFlags flags) {
    int mask = 0;
    for (const auto& pair : modifierPairs) {
        if (flags.contains(pair.flag))
            mask |= pair.carbon;
    }
    return mask;
}

ModifierFlags modifierFlags(std::int64_t carbonMask) {
    ModifierFlags flags;
    for (const auto& pair : modifierPairs) {
        if (carbonMask & pair.carbon)
            flags |= pair.flag;
    }
    return flags;
}

int normalizedCarbonMask(std::int64_t mask) {
    return carbonMask(modifierFlags(mask));
}

std::string symbolicRepresentation(ModifierFlags flags) {
    std::string symbols;
    if (flags.contains(ModifierFlag::control))
        symbols += "\u2303";
    if (flags.contains(ModifierFlag::option))
        symbols += "\u2325";
    if (flags.contains(ModifierFlag::shift))
        symbols += "\u21E7";
    if (flags.contains(ModifierFlag::command))
        symbols += "\u2318";
    // The globe with the text-style selector, so it is not drawn as a colour emoji.
    if (flags.contains(ModifierFlag::function))
        symbols += "\U0001F310\uFE0E";
    return symbols;
}

}  // namespace pindrake::GlobalShortcuts
