#include <gtest/gtest.h>

#include "foundation/Files.h"
#include "platform/linux/XdgAutostartLoginItems.h"
#include "support/TestFiles.h"

namespace pindrake::platform {
namespace {

namespace fs = std::filesystem;

TEST(XdgAutostartLoginItemsTest, RegisteringWritesAnEntryThatStartsThisProgramUnlessHidden) {
    test_support::TemporaryDirectory home;
    XdgAutostartLoginItems items(home.path() / "config" / "autostart", "/opt/pin drake/bin/app");
    EXPECT_FALSE(items.isEnabled());
    EXPECT_FALSE(items.registerApp());
    EXPECT_TRUE(items.isEnabled());
    const auto text = files::read(items.entryPath());
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\nExec=\"/opt/pin drake/bin/app\"\n"), std::string::npos);
    EXPECT_TRUE(text->starts_with("[Desktop Entry]\nType=Application\n"));

    EXPECT_FALSE(items.unregisterApp());
    EXPECT_FALSE(items.isEnabled());
    EXPECT_FALSE(items.unregisterApp());  // already gone is fine

    // An entry the user hid or replaced is not enabled.
    const std::pair<std::string, bool> entries[] = {
        {"[Desktop Entry]\nExec=x\n", true},
        {"[Desktop Entry]\nExec=x\nHidden=true\n", false},
        {"[Desktop Entry]\nHidden = true\r\nExec=x", false},
        {"[Desktop Entry]\nHidden=false\n", true},
    };
    for (const auto& [content, enabled] : entries) {
        ASSERT_FALSE(files::writeAtomically(items.entryPath(), content));
        EXPECT_EQ(items.isEnabled(), enabled) << content;
    }
    fs::remove(items.entryPath());
    fs::create_directory(items.entryPath());
    EXPECT_FALSE(items.isEnabled());
}

TEST(XdgAutostartLoginItemsTest, ExecQuotesWhatTheShellAndTheEntryFormatWouldReadOtherwise) {
    struct Row {
        std::string path;
        std::optional<std::string> exec;
    };
    const std::vector<Row> rows = {
        {"/a/b", R"("/a/b")"},
        {"/a/$HOME`x`", R"("/a/\\$HOME\\`x\\`")"},
        {R"(/a/"q"\z)", R"("/a/\\"q\\"\\\\z")"},
        {"/a/100%", R"("/a/100%%")"},
        {"/a/line\nExec=evil", std::nullopt},
    };
    for (const auto& row : rows) {
        const auto entry = XdgAutostartLoginItems::desktopEntry(row.path);
        if (!row.exec) {
            EXPECT_FALSE(entry) << row.path;
            continue;
        }
        ASSERT_TRUE(entry);
        EXPECT_NE(entry->find("\nExec=" + *row.exec + "\n"), std::string::npos) << *entry;
    }
    test_support::TemporaryDirectory home;
    XdgAutostartLoginItems items(home.path(), "/a/line\nExec=evil");
    EXPECT_TRUE(items.registerApp());
    EXPECT_FALSE(fs::exists(items.entryPath()));
}

// A login item left by another build or install starts that program, without this one's
// resources: while it is on, it is pointed at the running program; off or ours, it is left alone.
TEST(XdgAutostartLoginItemsTest, AnEnabledEntryNamingAnotherProgramIsPointedAtThisOne) {
    const std::string running = "/opt/pin drake/bin/100% \"new\" $app";
    const std::string ours = *XdgAutostartLoginItems::desktopEntry(running);
    const std::string theirs = *XdgAutostartLoginItems::desktopEntry("/home/u/build/src/app/app");
    const std::string ourExec =
        ours.substr(ours.find("\nExec=") + 6, ours.find("\nIcon") - ours.find("\nExec=") - 6);
    const struct {
        std::string before;
        bool rewritten;
    } cases[] = {
        {theirs, true},
        {ours + "X-Kept=1\n", false},
        {"[Desktop Entry]\nExec = " + ourExec + " --quiet\n", false},
        {theirs + "Hidden=true\n", false},
        {"[Desktop Entry]\nExec=/opt/pin\\sdrake/bin/app\n", true},
        {"[Desktop Entry]\nExec=\"/opt/pin drake/bin/100%% \\\\\"new", true},
        {"[Desktop Entry]\nName=Pindrake\n", true},
    };
    for (const auto& [before, rewritten] : cases) {
        test_support::TemporaryDirectory home;
        XdgAutostartLoginItems items(home.path(), running);
        ASSERT_FALSE(files::writeAtomically(items.entryPath(), before));
        EXPECT_FALSE(items.updateRegistration()) << before;
        EXPECT_EQ(files::read(items.entryPath()), rewritten ? ours : before) << before;
    }

    // Off is off: no entry is made.
    test_support::TemporaryDirectory home;
    XdgAutostartLoginItems items(home.path(), running);
    EXPECT_FALSE(items.updateRegistration());
    EXPECT_FALSE(fs::exists(items.entryPath()));
}

// Exec reads back to the program it was written for, whatever the path holds.
TEST(XdgAutostartLoginItemsTest, TheProgramOfAnExecValue) {
    const std::pair<std::string, std::optional<std::string>> rows[] = {
        {R"("/a/\\$HOME\\`x\\`" --flag)", "/a/$HOME`x`"},
        {R"("/a/\\"q\\"\\\\z")", R"(/a/"q"\z)"},
        {R"("/a/100%%")", "/a/100%"},
        {"/usr/bin/app %U", "/usr/bin/app"},
        {R"(/a\sb)", "/a"},
        {R"("/a/%f")", std::nullopt},
        {R"("/a/b)", std::nullopt},
        {R"(/a\q)", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [exec, program] : rows)
        EXPECT_EQ(XdgAutostartLoginItems::programOf(exec), program) << exec;
}

}  // namespace
}  // namespace pindrake::platform
