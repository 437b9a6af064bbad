#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "shortcuts/Key.h"
#include "shortcuts/Shortcut.h"

namespace pindrake::GlobalShortcuts {
namespace {

TEST(Shortcut, ConstructionKeepsOnlyTheFiveModifierBits) {
    // 1024 (caps lock) is no modifier; nor do the numeric pad flags cross over.
    EXPECT_EQ(Shortcut(9, 0x100 | 0x200 | 0x400 | 0x800 | 0x1000 | 0x20000).carbonModifiers,
              0x21B00);
    EXPECT_EQ(
        Shortcut(Key::v, ModifierFlag::command | ModifierFlag::capsLock | ModifierFlag::numericPad)
            .carbonModifiers,
        256);
}

TEST(Shortcut, OnlyKeyEventsMakeShortcutsAndNeverWithFunction) {
    auto f5 = Shortcut::fromKeyEvent(KeyEventType::keyDown, 96, ModifierFlag::function);
    ASSERT_TRUE(f5);
    EXPECT_EQ(*f5, Shortcut(96, 0));
    auto up =
        Shortcut::fromKeyEvent(KeyEventType::keyUp, 9, ModifierFlag::shift | ModifierFlag::control);
    EXPECT_EQ(up, Shortcut(9, 0x200 | 0x1000));
    EXPECT_FALSE(Shortcut::fromKeyEvent(KeyEventType::flagsChanged, 56, ModifierFlag::shift));
    EXPECT_FALSE(Shortcut::fromKeyEvent(KeyEventType::other, 0, ModifierFlags()));
}

// Decoding keeps the mask as it stands; only construction normalises.
TEST(Shortcut, DecodingAcceptsOnlyWellFormedIntegersInRange) {
    using Codes = std::pair<int, int>;
    const std::pair<const char*, std::optional<Codes>> rows[] = {
        {R"({"carbonKeyCode":9,"carbonModifiers":768})", Codes{9, 768}},
        {R"({ "carbonModifiers" : 768, "carbonKeyCode" : 9, "note":"x" })", Codes{9, 768}},
        {R"({"carbonKeyCode":9,"carbonModifiers":1792})", Codes{9, 1792}},
        {R"({"carbonKeyCode":65535,"carbonModifiers":2147483647})", Codes{65535, 0x7FFFFFFF}},
        {R"({"carbonKeyCode":9})", std::nullopt},
        {"not json", std::nullopt},
        {"false", std::nullopt},
        {R"({"carbonKeyCode":-1,"carbonModifiers":768})", std::nullopt},
        {R"({"carbonKeyCode":65536,"carbonModifiers":768})", std::nullopt},
        {R"({"carbonKeyCode":9,"carbonModifiers":-256})", std::nullopt},
        {R"({"carbonKeyCode":9,"carbonModifiers":2147483648})", std::nullopt},
        {R"({"carbonKeyCode":9,"carbonModifiers":18446744073709551615})", std::nullopt},
        {R"({"carbonKeyCode":9.5,"carbonModifiers":768})", std::nullopt},
        {R"({"carbonKeyCode":"9","carbonModifiers":768})", std::nullopt},
        {R"({"carbonKeyCode":9,"carbonModifiers":null})", std::nullopt}};
    for (const auto& [text, expected] : rows) {
        const auto decoded = Shortcut::fromJson(text);
        EXPECT_EQ(
            decoded ? std::optional<Codes>(Codes{decoded->carbonKeyCode, decoded->carbonModifiers})
                    : std::nullopt,
            expected)
            << text;
    }
    // Hand-edited nesting is refused, not walked.
    EXPECT_FALSE(Shortcut::fromJson(std::string(1000, '[') + std::string(1000, ']')));
    EXPECT_FALSE(Shortcut::fromJson(std::string(100000, '{')));
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
