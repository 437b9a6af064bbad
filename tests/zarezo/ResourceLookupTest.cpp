#include "zarezo/ResourceLookup.h"

#include <gtest/gtest.h>

#include "ZarezoTestSupport.h"

namespace pindrake::zarezo {
namespace {

class ResourceLookupTest : public ::testing::Test {
  protected:
    std::optional<std::filesystem::path> find(bool searchCodeFolder = true) {
        return findResourcePath(folders, "lib.min", "js", searchCodeFolder);
    }

    testing::TemporaryFolder root;
    ResourceFolders folders{root.path() / "module", root.path() / "app", root.path() / "code"};
};

TEST_F(ResourceLookupTest, ModuleFolderComesFirst) {
    root.write("app/lib.min.js", "");
    const auto inModule = root.write("module/lib.min.js", "");
    EXPECT_EQ(find(), inModule);
}

TEST_F(ResourceLookupTest, ApplicationFolderWhenTheModuleHasNone) {
    const auto inApp = root.write("app/lib.min.js", "");
    EXPECT_EQ(find(), inApp);
    folders.module.reset();
    EXPECT_EQ(find(), inApp);
}

TEST_F(ResourceLookupTest, ResourcesSubfolderIsTriedBeforeTheNextFolder) {
    root.write("app/lib.min.js", "");
    const auto nested = root.write("module/Resources/lib.min.js", "");
    EXPECT_EQ(find(), nested);
}

TEST_F(ResourceLookupTest, CodeFolderOnlyWhenAsked) {
    const auto inCode = root.write("code/lib.min.js", "");
    EXPECT_EQ(find(true), inCode);
    EXPECT_EQ(find(false), std::nullopt);
}

TEST_F(ResourceLookupTest, NothingFoundAnywhere) {
    root.write("module/other.js", "");
    root.write("app/lib.min.js/inside", "");  // a folder of that name is no library
    EXPECT_EQ(find(), std::nullopt);
}

TEST_F(ResourceLookupTest, ModuleFolderIsTheFirstCandidateThatExists) {
    std::filesystem::create_directories(root.path() / "second");
    std::filesystem::create_directories(root.path() / "third");
    EXPECT_EQ(
        firstExistingFolder({root.path() / "first", root.path() / "second", root.path() / "third"}),
        root.path() / "second");
    EXPECT_EQ(firstExistingFolder({root.path() / "none"}), std::nullopt);
}

TEST(StandardResourceFoldersTest, BuildTreeResourcesHoldTheBundledLibraries) {
    for (const char* name : {"turndown.min", "html-to-md.min"}) {
        const auto path = findResourcePath(ResourceFolders::standard(), name, "js", true);
        ASSERT_TRUE(path) << name;
        EXPECT_EQ(path->parent_path().filename(), "zarezo");
    }
}

}  // namespace
}  // namespace pindrake::zarezo
