#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/FixedKeyboardLayout.h"
#include "shortcuts/MenuItem.h"

namespace pindrake::GlobalShortcuts {
namespace {

const platform::FixedKeyboardLayout us;
const Shortcut shiftCommandV(Key::v, ModifierFlag::shift | ModifierFlag::command);

const MenuItem* find(const Shortcut& shortcut, const std::vector<MenuItem>& menu) {
    return takenByMenuItem(shortcut, menu, us);
}

TEST(MenuItem, AnUpperCaseKeyEquivalentStandsForShift) {
    const std::vector<MenuItem> upper{{"Paste Plain", "V", ModifierFlag::command, {}}};
    const std::vector<MenuItem> lower{{"Paste", "v", ModifierFlag::command, {}}};
    const std::vector<MenuItem> explicitShift{
        {"Paste Plain", "v", ModifierFlag::command | ModifierFlag::shift, {}}};
    EXPECT_EQ(find(shiftCommandV, upper), &upper[0]);
    EXPECT_EQ(find(shiftCommandV, lower), nullptr);
    EXPECT_EQ(find(shiftCommandV, explicitShift), &explicitShift[0]);
    // Without shift in the shortcut an upper-case equivalent is not lowered.
    EXPECT_EQ(find(Shortcut(Key::v, ModifierFlag::command), upper), nullptr);
}

TEST(MenuItem, ModifiersMustMatchExactly) {
    const std::vector<MenuItem> menu{
        {"Extra", "v", ModifierFlag::command | ModifierFlag::shift | ModifierFlag::option, {}}};
    EXPECT_EQ(find(shiftCommandV, menu), nullptr);
}

TEST(MenuItem, SearchGoesDepthFirstAndTheFirstMatchWins) {
    const std::vector<MenuItem> menu{
        {"File",
         "",
         0,
         {{"Open", "o", ModifierFlag::command, {}},
          {"Recent", "", 0, {{"Deep", "V", ModifierFlag::command, {}}}}}},
        {"Edit", "V", ModifierFlag::command, {}},
    };
    const MenuItem* found = find(shiftCommandV, menu);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->title, "Deep");
    EXPECT_EQ(find(Shortcut(Key::x, ModifierFlag::command), menu), nullptr);
}

TEST(MenuItem, SpecialKeysMatchBySymbolAndKeypadKeysNever) {
    const std::vector<MenuItem> menu{
        {"Space", " ", ModifierFlag::command, {}},
        {"F1", "\uF704", 0, {}},
        {"Keypad", "5", 0, {}},
    };
    EXPECT_EQ(find(Shortcut(Key::space, ModifierFlag::command), menu), &menu[0]);
    EXPECT_EQ(find(Shortcut(Key::f1, 0), menu), &menu[1]);
    EXPECT_EQ(find(Shortcut(Key::keypad5, 0), menu), nullptr);
}

TEST(MenuItem, FunctionKeysAreF1ToF35) {
    const auto& keys = functionKeys();
    EXPECT_EQ(keys.size(), 35u);
    EXPECT_TRUE(keys.contains(0xF704));
    EXPECT_TRUE(keys.contains(0xF726));
    EXPECT_FALSE(keys.contains(0xF727));
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
