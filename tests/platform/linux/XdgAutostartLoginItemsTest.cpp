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
    EXPECT_FALSE(items.exists());
    EXPECT_FALSE(items.registerApp());
    EXPECT_TRUE(items.isEnabled());
    EXPECT_TRUE(items.exists());
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
        {"[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled = true\n", true},
        {"[Desktop Entry]\nExec=x\n[Desktop Action quit]\nHidden=true\n", true},
    };
    for (const auto& [content, enabled] : entries) {
        ASSERT_FALSE(files::writeAtomically(items.entryPath(), content));
        EXPECT_EQ(items.isEnabled(), enabled) << content;
        EXPECT_TRUE(items.exists()) << content;
    }
    // Whatever stands at the entry's path is there, though not read.
    fs::remove(items.entryPath());
    fs::create_directory(items.entryPath());
    EXPECT_FALSE(items.isEnabled());
    EXPECT_TRUE(items.exists());
    fs::remove(items.entryPath());
    fs::create_symlink(home.path() / "dotfiles" / "pindrake.desktop", items.entryPath());
    EXPECT_TRUE(items.exists()) << "a dangling link";
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

// A login item the app wrote for another build or install starts that program, without this
// one's resources: while it is on, its Exec is pointed at the running program, and nothing else
// in the file changes. What the user wrote or switched off stays as the user left it.
TEST(XdgAutostartLoginItemsTest, AnEnabledEntryOfOursNamingAnotherProgramIsPointedAtThisOne) {
    const std::string running = "/opt/pin drake/bin/100% \"new\" $app";
    const std::string ours = *XdgAutostartLoginItems::desktopEntry(running);
    const std::string theirs = *XdgAutostartLoginItems::desktopEntry("/home/u/build/src/app/app");
    const auto execOf = [](const std::string& entry) {
        const auto start = entry.find("\nExec=") + 6;
        return entry.substr(start, entry.find('\n', start) - start);
    };
    const std::string ourExec = execOf(ours);
    const std::string theirExec = execOf(theirs);
    // The app's entry for another program, as a user may have arranged it since.
    const std::string arranged =
        "# started late, on purpose\n[Desktop Entry]\n"
        "X-GNOME-Autostart-Delay=10\nName=Pindrake\nExec = @ \r\n"
        "Type=Application\n\n[Desktop Action quit]\nExec=/usr/bin/true\n";
    const auto with = [&](std::string exec) {
        return arranged.substr(0, arranged.find('@')) + exec +
               arranged.substr(arranged.find('@') + 1);
    };
    std::string switchedOff = theirs;
    switchedOff.replace(switchedOff.find("enabled=true") + 8, 4, "false");
    const struct {
        std::string before;
        std::string after;
    } cases[] = {
        {theirs, ours},
        {with(theirExec), with(ourExec)},
        // Left alone: ours already, written by the user, or switched off.
        {ours + "X-Kept=1\n", ""},
        {"[Desktop Entry]\nExec = " + ourExec + " --quiet\n", ""},
        {with("env QT_SCALE_FACTOR=2 /home/u/build/src/app/app"), ""},
        {with("/home/u/build/src/app/app"), ""},
        {"[Desktop Entry]\nExec=\"/opt/pin drake/bin/100%% \\\\\"new", ""},
        {"[Desktop Entry]\nName=Pindrake\n", ""},
        {theirs + "Hidden=true\n", ""},
        {switchedOff, ""},
    };
    for (const auto& [before, after] : cases) {
        test_support::TemporaryDirectory home;
        XdgAutostartLoginItems items(home.path(), running);
        ASSERT_FALSE(files::writeAtomically(items.entryPath(), before));
        EXPECT_FALSE(items.updateRegistration()) << before;
        EXPECT_EQ(files::read(items.entryPath()), after.empty() ? before : after) << before;
    }

    // Off is off: no entry is made.
    test_support::TemporaryDirectory home;
    XdgAutostartLoginItems items(home.path(), running);
    EXPECT_FALSE(items.updateRegistration());
    EXPECT_FALSE(fs::exists(items.entryPath()));

    // A link to the running program names this program; one to another program does not.
    const auto program = home.path() / "bin" / "app";
    const auto other = home.path() / "bin" / "other";
    fs::create_directories(program.parent_path());
    test_support::writeFile(program, "");
    test_support::writeFile(other, "");
    fs::create_symlink(program, home.path() / "link");
    fs::create_symlink(other, home.path() / "otherLink");
    XdgAutostartLoginItems installed(home.path(), program);
    for (const auto& [named, pointedHere] :
         {std::pair{home.path() / "link", false}, std::pair{home.path() / "otherLink", true}}) {
        const auto entry = *XdgAutostartLoginItems::desktopEntry(named);
        ASSERT_FALSE(files::writeAtomically(installed.entryPath(), entry));
        EXPECT_FALSE(installed.updateRegistration());
        EXPECT_EQ(files::read(installed.entryPath()),
                  pointedHere ? XdgAutostartLoginItems::desktopEntry(program) : entry)
            << named;
    }
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
