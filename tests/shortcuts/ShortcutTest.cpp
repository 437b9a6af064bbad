#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "shortcuts/Key.h"
#include "shortcuts/Shortcut.h"

namespace pindrake::GlobalShortcuts {
namespace {

TEST(Shortcut, DefaultIsBuiltFromKeyAndFlagsAndEncodesCompactly) {
    const Shortcut shortcut(Key::v, ModifierFlag::shift | ModifierFlag::command);
    EXPECT_EQ(shortcut.carbonKeyCode, 9);
    EXPECT_EQ(shortcut.carbonModifiers, 768);
    EXPECT_EQ(shortcut.toJson(), R"({"carbonKeyCode":9,"carbonModifiers":768})");
    EXPECT_EQ(shortcut.modifiers(), ModifierFlag::shift | ModifierFlag::command);
}

TEST(Shortcut, ConstructionKeepsOnlyTheFiveModifierBits) {
    // 1024 is no modifier; caps lock and numeric pad flags do not cross over either.
    EXPECT_EQ(Shortcut(9, 1792).carbonModifiers, 768);
    EXPECT_EQ(
        Shortcut(Key::v, ModifierFlag::command | ModifierFlag::capsLock | ModifierFlag::numericPad)
            .carbonModifiers,
        256);
    EXPECT_EQ(Shortcut(9, 0x100 | 0x200 | 0x800 | 0x1000 | 0x20000).carbonModifiers, 0x21B00);
}

TEST(Shortcut, OnlyKeyEventsMakeShortcutsAndNeverWithFunction) {
    auto f5 = Shortcut::fromKeyEvent(KeyEventType::keyDown, 96, ModifierFlag::function);
    ASSERT_TRUE(f5);
    EXPECT_EQ(f5->carbonKeyCode, 96);
    EXPECT_EQ(f5->carbonModifiers, 0);
    auto up =
        Shortcut::fromKeyEvent(KeyEventType::keyUp, 9, ModifierFlag::shift | ModifierFlag::control);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->carbonModifiers, 0x200 | 0x1000);
    EXPECT_FALSE(Shortcut::fromKeyEvent(KeyEventType::flagsChanged, 56, ModifierFlag::shift));
    EXPECT_FALSE(Shortcut::fromKeyEvent(KeyEventType::other, 0, 0));
}

TEST(Shortcut, KeyCodesThatAreEasyToMismatch) {
    const struct {
        Key key;
        int code;
    } rows[] = {
        {Key::a, 0},
        {Key::s, 1},
        {Key::v, 9},
        {Key::zero, 29},
        {Key::backtick, 50},
        {Key::quote, 39},
        {Key::equal, 24},
        {Key::return_, 36},
        {Key::delete_, 51},
        {Key::deleteForward, 117},
        {Key::help, 114},
        {Key::function, 63},
        {Key::mute, 74},
        {Key::volumeUp, 72},
        {Key::volumeDown, 73},
        {Key::f13, 105},
        {Key::f16, 106},
        {Key::f17, 64},
        {Key::f18, 79},
        {Key::f19, 80},
        {Key::f20, 90},
        {Key::keypadClear, 71},
        {Key::keypadEnter, 76},
        {Key::keypadEquals, 81},
        {Key::keypad8, 91},
        {Key::f1, 122},
        {Key::space, 49},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.key.rawValue, row.code);
}

struct StoredText {
    const char* text;
    std::optional<Shortcut> expected;
};

class StoredShortcutDecoding : public ::testing::TestWithParam<StoredText> {};

TEST_P(StoredShortcutDecoding, AcceptsOnlyWellFormedIntegersInRange) {
    const auto decoded = Shortcut::fromJson(GetParam().text);
    ASSERT_EQ(decoded.has_value(), GetParam().expected.has_value()) << GetParam().text;
    if (decoded) {
        EXPECT_EQ(decoded->carbonKeyCode, GetParam().expected->carbonKeyCode);
        EXPECT_EQ(decoded->carbonModifiers, GetParam().expected->carbonModifiers);
    }
}

// Decoding keeps the mask as it stands; only construction normalises.
Shortcut raw(int keyCode, int mask) {
    return *Shortcut::fromJson("{\"carbonKeyCode\":" + std::to_string(keyCode) +
                               ",\"carbonModifiers\":" + std::to_string(mask) + "}");
}

INSTANTIATE_TEST_SUITE_P(
    Shortcut, StoredShortcutDecoding,
    ::testing::Values(
        StoredText{R"({"carbonKeyCode":9,"carbonModifiers":768})", Shortcut(9, 768)},
        StoredText{R"({ "carbonModifiers" : 768, "carbonKeyCode" : 9 })", Shortcut(9, 768)},
        StoredText{R"({"carbonKeyCode":9,"carbonModifiers":768,"note":"x"})", Shortcut(9, 768)},
        StoredText{R"({"carbonKeyCode":65535,"carbonModifiers":2147483647})",
                   raw(65535, 0x7FFFFFFF)},
        StoredText{R"({"carbonKeyCode":9})", std::nullopt},
        StoredText{R"({"carbonModifiers":768})", std::nullopt},
        StoredText{"not json", std::nullopt}, StoredText{"", std::nullopt},
        StoredText{"false", std::nullopt}, StoredText{"[9,768]", std::nullopt},
        StoredText{R"({"carbonKeyCode":-1,"carbonModifiers":768})", std::nullopt},
        StoredText{R"({"carbonKeyCode":65536,"carbonModifiers":768})", std::nullopt},
        StoredText{R"({"carbonKeyCode":9,"carbonModifiers":-256})", std::nullopt},
        StoredText{R"({"carbonKeyCode":9,"carbonModifiers":2147483648})", std::nullopt},
        StoredText{R"({"carbonKeyCode":9,"carbonModifiers":18446744073709551615})", std::nullopt},
        StoredText{R"({"carbonKeyCode":9.5,"carbonModifiers":768})", std::nullopt},
        StoredText{R"({"carbonKeyCode":"9","carbonModifiers":768})", std::nullopt},
        StoredText{R"({"carbonKeyCode":true,"carbonModifiers":768})", std::nullopt},
        StoredText{R"({"carbonKeyCode":9,"carbonModifiers":null})", std::nullopt}));

TEST(Shortcut, DecodingKeepsTheMaskAsStored) {
    EXPECT_EQ(raw(9, 1792).carbonModifiers, 1792);
    EXPECT_NE(raw(9, 1792), Shortcut(9, 1792));
}

TEST(Shortcut, HandEditedNestingIsNoShortcut) {
    EXPECT_FALSE(Shortcut::fromJson(std::string(1000, '[') + std::string(1000, ']')));
    EXPECT_FALSE(Shortcut::fromJson(std::string(100000, '{')));
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
