#include "shortcuts/Shortcut.h"

#include <nlohmann/json.hpp>

namespace pindrake::GlobalShortcuts {

namespace {

constexpr std::int64_t maxKeyCode = 0xFFFF;
constexpr std::int64_t maxCarbonMask = 0x7FFFFFFF;
// A stored shortcut is about forty bytes; anything far larger is not one.
constexpr std::size_t maxJsonSize = 1024;

std::optional<int> integerMember(const nlohmann::json& object, const char* name, std::int64_t max) {
    auto it = object.find(name);
    if (it == object.end() || !it->is_number_integer())
        return std::nullopt;
    std::int64_t value = 0;
    if (it->is_number_unsigned()) {
        const auto unsignedValue = it->get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(max))
            return std::nullopt;
        value = static_cast<std::int64_t>(unsignedValue);
    } else {
        value = it->get<std::int64_t>();
    }
    if (value < 0 || value > max)
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

Shortcut::Shortcut(int keyCode, std::int64_t carbonMask)
    : carbonKeyCode(keyCode), carbonModifiers(normalizedCarbonMask(carbonMask)) {}

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : carbonKeyCode(key.rawValue), carbonModifiers(carbonMask(modifiers)) {}

std::optional<Shortcut> Shortcut::fromKeyEvent(KeyEventType type, int keyCode,
                                               ModifierFlags modifiers) {
    if (type != KeyEventType::keyDown && type != KeyEventType::keyUp)
        return std::nullopt;
    return Shortcut(keyCode, carbonMask(modifiers - ModifierFlag::function));
}

std::string Shortcut::toJson() const {
    return "{\"carbonKeyCode\":" + std::to_string(carbonKeyCode) +
           ",\"carbonModifiers\":" + std::to_string(carbonModifiers) + "}";
}

std::optional<Shortcut> Shortcut::fromJson(std::string_view text) {
    if (text.size() > maxJsonSize)
        return std::nullopt;
    const auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object())
        return std::nullopt;
    const auto keyCode = integerMember(json, "carbonKeyCode", maxKeyCode);
    const auto modifiers = integerMember(json, "carbonModifiers", maxCarbonMask);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut(Unnormalized{}, *keyCode, *modifiers);
}

}  // namespace pindrake::GlobalShortcuts
