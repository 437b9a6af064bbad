#include "ViewModelFixture.h"

// The converter menu's entry against the history changing under it: nothing may act on an
// entry that is gone, and copy and paste act on the entry the menu shows.
namespace pindrake::app::test {
namespace {

using namespace std::chrono_literals;

class MenuTargetTest : public ViewModelFixture {
  protected:
    void SetUp() override {
        copyAll({"first", "second", "third"});  // shown: third, second, first
        vm = makeViewModel();
        log.clear();
    }
    void paste() {
        vm->pasteSelected(monitor, editor, [this] { log.add("dismiss"); });
        main.advance(1s);
    }
    std::vector<std::string> pastes() const {
        std::vector<std::string> pasted;
        for (const auto& name : log.names()) {
            if (name.starts_with("ctrl+v "))
                pasted.push_back(name.substr(7));
        }
        return pasted;
    }
};

TEST_F(MenuTargetTest, RemovingTheMenusEntryClosesTheMenuSoReturnAndCopyNeverUseIt) {
    const struct {
        const char* what;
        std::function<void()> remove;
    } rows[] = {
        {"deleted from the panel", [this] { EXPECT_TRUE(vm->deleteSelected()); }},
        {"removed elsewhere", [this] { store.remove((*vm->filteredItems.get())[1]); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        store.clearAll();
        copyAll({"first", "second", "third"});
        vm->selectedIndex = 1;
        vm->selectConverter(1);  // summarize, highlighted on "second"
        ASSERT_EQ(vm->converterTargetItem()->plainText, "second");
        row.remove();
        EXPECT_FALSE(vm->isConverterMenuOpen.get());
        EXPECT_FALSE(vm->convertedPreviewText.get());

        log.clear();
        paste();
        EXPECT_EQ(pastes().size(), 1u);
        EXPECT_NE(pastes(), std::vector<std::string>{"second"});
        EXPECT_TRUE(copySelected());
        EXPECT_NE(clipboardText(), "second");
        main.advance(1s);
        EXPECT_EQ(store.items()->size(), 2u);
    }
}

TEST_F(MenuTargetTest, RemovingAnotherEntryKeepsTheMenuOnItsOwn) {
    vm->selectedIndex = 2;
    vm->openConverterMenu();  // on "first"
    store.remove((*vm->filteredItems.get())[0]);
    EXPECT_TRUE(vm->isConverterMenuOpen.get());
    paste();
    EXPECT_EQ(pastes(), std::vector<std::string>{"first"});
}

TEST_F(MenuTargetTest, CopyTakesTheMenusEntryWhenTheSelectionMovedUnderIt) {
    vm->selectedIndex = 1;
    vm->openConverterMenu();  // on "second"
    vm->query = "third";      // the selection now shows "third"
    EXPECT_TRUE(copySelected());
    EXPECT_EQ(clipboardText(), "second");
    main.advance(1s);
    paste();
    EXPECT_EQ(pastes(), std::vector<std::string>{"second"});
}

}  // namespace
}  // namespace pindrake::app::test
