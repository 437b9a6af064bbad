#include <gtest/gtest.h>

#include <vector>

#include "platform/fake/FixedKeyboardLayout.h"
#include "shortcuts/MenuItem.h"

namespace pindrake::GlobalShortcuts {
namespace {

const platform::FixedKeyboardLayout us;
const Shortcut shiftCommandV(Key::v, ModifierFlag::shift | ModifierFlag::command);
constexpr ModifierFlags command = ModifierFlag::command;

const MenuItem* find(const Shortcut& shortcut, const std::vector<MenuItem>& menu) {
    return takenByMenuItem(shortcut, menu, us);
}

TEST(MenuItem, TakenWhenKeyEquivalentAndModifiersMatchExactly) {
    const struct {
        MenuItem item;
        Shortcut shortcut;
        bool taken;
    } rows[] = {
        // An upper-case key equivalent stands for shift, but is not lowered without it.
        {{"Paste Plain", "V", command, {}}, shiftCommandV, true},
        {{"Paste Plain", "V", command, {}}, Shortcut(Key::v, command), false},
        {{"Paste", "v", command, {}}, shiftCommandV, false},
        {{"Paste Plain", "v", command | ModifierFlag::shift, {}}, shiftCommandV, true},
        {{"Extra", "v", command | ModifierFlag::shift | ModifierFlag::option, {}},
         shiftCommandV,
         false},
        // Special keys match by their symbol, keypad keys never.
        {{"Space", " ", command, {}}, Shortcut(Key::space, command), true},
        {{"Keypad", "5", {}, {}}, Shortcut(Key::keypad5, ModifierFlags()), false},
    };
    for (const auto& row : rows) {
        const std::vector<MenuItem> menu{row.item};
        EXPECT_EQ(find(row.shortcut, menu) != nullptr, row.taken)
            << row.item.title << " " << row.item.keyEquivalent;
    }
}

TEST(MenuItem, SearchGoesDepthFirstAndTheFirstMatchWins) {
    const std::vector<MenuItem> menu{
        {"File",
         "",
         {},
         {{"Open", "o", command, {}}, {"Recent", "", {}, {{"Deep", "V", command, {}}}}}},
        {"Edit", "V", command, {}},
    };
    const MenuItem* found = find(shiftCommandV, menu);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->title, "Deep");
    EXPECT_EQ(find(Shortcut(Key::x, command), menu), nullptr);
}

}  // namespace
}  // namespace pindrake::GlobalShortcuts
