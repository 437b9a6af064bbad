#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/Files.h"
#include "platform/linux/JsonFileDefaults.h"
#include "support/TestFiles.h"

namespace pindrake::platform {
namespace {

namespace fs = std::filesystem;

class JsonFileDefaultsTest : public ::testing::Test {
  protected:
    test_support::TemporaryDirectory temporary;
    const fs::path& folder = temporary.path();
    const fs::path path = folder / "pindrake" / "defaults.json";
};

TEST_F(JsonFileDefaultsTest, AbsentFalseTextAndNumbersStayApartAcrossRestarts) {
    {
        JsonFileDefaults defaults(path);
        EXPECT_EQ(defaults.value("GlobalShortcuts_toggleHistory"), std::nullopt);
        defaults.set("GlobalShortcuts_toggleHistory", false);
        defaults.set("GlobalShortcuts_other", std::string("false"));
        defaults.set("maxHistoryItems", std::int64_t{750});
        defaults.set("ratio", 0.5);
        defaults.set("hasLaunchedBefore", true);
        defaults.set("gone", std::string("soon"));
        defaults.remove("gone");
    }
    JsonFileDefaults reread(path);
    EXPECT_EQ(reread.value("GlobalShortcuts_toggleHistory"), Defaults::Value(false));
    EXPECT_EQ(reread.value("GlobalShortcuts_other"), Defaults::Value(std::string("false")));
    EXPECT_EQ(reread.value("maxHistoryItems"), Defaults::Value(std::int64_t{750}));
    EXPECT_EQ(reread.value("ratio"), Defaults::Value(0.5));
    EXPECT_TRUE(reread.boolean("hasLaunchedBefore"));
    EXPECT_EQ(reread.value("gone"), std::nullopt);
    EXPECT_EQ(reread.keys().size(), 5u);
}

TEST_F(JsonFileDefaultsTest, TheFileAndItsFolderArePrivate) {
    JsonFileDefaults defaults(path);
    defaults.set("key", std::string(R"({"carbonKeyCode":9,"carbonModifiers":768})"));
    EXPECT_EQ(test_support::permissions(path), 0600u);
    EXPECT_EQ(test_support::permissions(path.parent_path()), 0700u);
    EXPECT_EQ(JsonFileDefaults(path).string("key"), R"({"carbonKeyCode":9,"carbonModifiers":768})");
}

TEST_F(JsonFileDefaultsTest, AnUnreadableFileIsSetAsideNotOverwritten) {
    ASSERT_FALSE(files::createPrivateDirectory(path.parent_path()));
    const std::string broken = "{\"maxHistoryItems\": 750,";
    ASSERT_FALSE(files::writeAtomically(path, broken));
    JsonFileDefaults defaults(path);
    EXPECT_EQ(defaults.value("maxHistoryItems"), std::nullopt);
    defaults.set("hasLaunchedBefore", true);
    auto aside = path;
    aside += ".unreadable";
    EXPECT_EQ(files::read(aside), broken);
    EXPECT_TRUE(JsonFileDefaults(path).boolean("hasLaunchedBefore"));
}

TEST_F(JsonFileDefaultsTest, HandEditedMembersOfOtherKindsReadAsAbsentAndAreKept) {
    ASSERT_FALSE(files::createPrivateDirectory(path.parent_path()));
    ASSERT_FALSE(files::writeAtomically(path, R"({"list":[1,2],"nothing":null,"n":3})"));
    JsonFileDefaults defaults(path);
    EXPECT_EQ(defaults.value("list"), std::nullopt);
    EXPECT_EQ(defaults.value("nothing"), std::nullopt);
    defaults.set("n", std::int64_t{4});
    const auto text = files::read(path);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\"list\""), std::string::npos);
}

TEST_F(JsonFileDefaultsTest, DeepNestingIsRefusedNotWalked) {
    ASSERT_FALSE(files::createPrivateDirectory(path.parent_path()));
    ASSERT_FALSE(files::writeAtomically(
        path, "{\"a\":" + std::string(100000, '[') + std::string(100000, ']') + "}"));
    JsonFileDefaults defaults(path);
    EXPECT_EQ(defaults.value("a"), std::nullopt);
}

TEST(JsonFileDefaultsPath, FollowsXdgConfigHomeAndIgnoresRelativeOnes) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/tmp/somewhere", 1);
    EXPECT_EQ(JsonFileDefaults::standardPath(), fs::path("/tmp/somewhere/pindrake/defaults.json"));
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(JsonFileDefaults::standardPath().parent_path().parent_path().filename(), ".config");
    if (saved) {
        setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace pindrake::platform
