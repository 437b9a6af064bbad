#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>

#include "foundation/Files.h"
#include "platform/linux/JsonFileDefaults.h"
#include "support/TestFiles.h"

namespace pindrake::platform {
namespace {

namespace fs = std::filesystem;

class JsonFileDefaultsTest : public ::testing::Test {
  protected:
    // A settings file as a user's hand or a crash left it.
    void writeFile(const std::string& text) {
        ASSERT_FALSE(files::createPrivateDirectory(path.parent_path()));
        ASSERT_FALSE(files::writeAtomically(path, text));
    }

    test_support::TemporaryDirectory temporary;
    const fs::path path = temporary.path() / "pindrake" / "defaults.json";
};

TEST_F(JsonFileDefaultsTest, AbsentFalseTextAndNumbersStayApartAcrossRestartsInAPrivateFile) {
    const std::pair<std::string, Defaults::Value> stored[] = {
        {"GlobalShortcuts_toggleHistory", false},
        {"GlobalShortcuts_other", std::string("false")},
        {"maxHistoryItems", std::int64_t{750}},
        {"ratio", 0.5},
    };
    {
        JsonFileDefaults defaults(path);
        EXPECT_EQ(defaults.value("GlobalShortcuts_toggleHistory"), std::nullopt);
        for (const auto& [key, value] : stored)
            defaults.set(key, value);
        defaults.set("gone", std::string("soon"));
        defaults.remove("gone");
    }
    EXPECT_EQ(test_support::permissions(path), 0600u);
    EXPECT_EQ(test_support::permissions(path.parent_path()), 0700u);
    JsonFileDefaults reread(path);
    for (const auto& [key, value] : stored)
        EXPECT_EQ(reread.value(key), value) << key;
    EXPECT_EQ(reread.value("gone"), std::nullopt);
    EXPECT_EQ(reread.keys().size(), 4u);
}

TEST_F(JsonFileDefaultsTest, EachUnreadableFileIsSetAsideUnderItsOwnTimedNameNotOverwritten) {
    // The second one comes within the same second: it must not replace the first, which held
    // the user's settings. The names carry UTC, not the local time of a zone far from it.
    const std::string broken[] = {"{\"maxHistoryItems\": 750,", "[1]"};
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    const auto before = std::chrono::system_clock::now();
    for (const auto& text : broken) {
        writeFile(text);
        JsonFileDefaults defaults(path);
        EXPECT_EQ(defaults.value("maxHistoryItems"), std::nullopt);
        defaults.set("hasLaunchedBefore", true);
    }
    EXPECT_TRUE(JsonFileDefaults(path).boolean("hasLaunchedBefore"));

    const auto stamp = [](std::chrono::system_clock::time_point when) {
        const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
        std::tm parts{};
        gmtime_r(&seconds, &parts);
        char text[32];
        std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
        return std::string(text);
    };
    std::set<std::string> kept;
    for (const auto& entry : fs::directory_iterator(path.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name == "defaults.json")
            continue;
        kept.insert(files::read(entry.path()).value_or(""));
        const std::string prefix = "defaults.json.unreadable-";
        ASSERT_TRUE(name.starts_with(prefix)) << name;
        const std::string time = name.substr(prefix.size(), 16);
        EXPECT_TRUE(time == stamp(before) || time == stamp(std::chrono::system_clock::now()))
            << name;
    }
    EXPECT_EQ(kept, (std::set<std::string>{broken[0], broken[1]}));
    ::unsetenv("TZ");
    ::tzset();
}

TEST_F(JsonFileDefaultsTest, HandEditedFilesNeitherWalkDeepNestingNorLoseMembersOfOtherKinds) {
    writeFile("{\"a\":" + std::string(100000, '[') + std::string(100000, ']') + "}");
    EXPECT_EQ(JsonFileDefaults(path).value("a"), std::nullopt)
        << "deep nesting is refused, not walked";
    writeFile(R"({"list":[1,2],"nothing":null,"n":3})");
    JsonFileDefaults defaults(path);
    EXPECT_EQ(defaults.value("list"), std::nullopt);
    EXPECT_EQ(defaults.value("nothing"), std::nullopt);
    // Present all the same: a default must not be written over them.
    EXPECT_TRUE(defaults.contains("list"));
    EXPECT_TRUE(defaults.contains("nothing"));
    EXPECT_FALSE(defaults.contains("absent"));
    defaults.set("n", std::int64_t{4});
    EXPECT_NE(files::read(path).value_or("").find("\"list\""), std::string::npos);
}

TEST(JsonFileDefaultsPath, FollowsXdgConfigHomeAndIgnoresRelativeOnes) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/somewhere", 1);
    EXPECT_EQ(JsonFileDefaults::standardPath(), fs::path("/tmp/somewhere/pindrake/defaults.json"));
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(JsonFileDefaults::standardPath().parent_path().parent_path().filename(), ".config");
    saved ? setenv("XDG_CONFIG_HOME", restore.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace pindrake::platform
