#include "zarezo/ResourceLookup.h"

#include <system_error>

#include <gtest/gtest.h>

#include <vector>

#include "ZarezoTestSupport.h"
#include "zarezo/LibraryFile.h"

namespace pindrake::zarezo {
namespace {

TEST(ResourceLookupTest, SearchOrderOverTheFolders) {
    struct Case {
        std::vector<const char*> files;
        const char* expected;  // null: nothing found
        bool searchCodeFolder = true;
    };
    const Case cases[] = {
        {{"app/lib.min.js", "module/lib.min.js"}, "module/lib.min.js"},
        {{"app/lib.min.js", "module/Resources/lib.min.js"}, "module/Resources/lib.min.js"},
        {{"module/Resources/lib.min.js", "module/lib.min.js"}, "module/lib.min.js"},
        {{"app/lib.min.js", "code/lib.min.js"}, "app/lib.min.js"},
        {{"code/lib.min.js"}, "code/lib.min.js"},
        {{"code/lib.min.js"}, nullptr, false},
        // A folder of the library's name is no library.
        {{"module/other.js", "app/lib.min.js/inside"}, nullptr},
    };
    for (const auto& c : cases) {
        testing::TemporaryFolder root;
        for (const char* file : c.files)
            root.write(file, "");
        const ResourceFolders folders{root.path() / "module", root.path() / "app",
                                      root.path() / "code"};
        const auto found = findResourcePath(folders, "lib.min", "js", c.searchCodeFolder);
        const auto expected = c.expected ? std::optional(root.path() / c.expected) : std::nullopt;
        EXPECT_EQ(found, expected) << c.files.back();
    }
}

TEST(ResourceLookupTest, LibraryFilesAreRegularUtf8FilesAndRefusalsSayWhy) {
    testing::TemporaryFolder root;
    root.write("lib.js", "ok");
    root.write("bad.js", "\xFF");
    root.write("folder.js/inside", "");
    EXPECT_EQ(std::get<std::string>(readLibraryFile(root.path() / "lib.js")), "ok");
    EXPECT_EQ(std::get<ZarezoError>(readLibraryFile(root.path() / "bad.js")).kind(),
              ZarezoError::Kind::libraryLoadingFailed);
    const auto folder = std::get<ZarezoError>(readLibraryFile(root.path() / "folder.js"));
    EXPECT_EQ(folder.detail(), "cannot read " + (root.path() / "folder.js").string() + ": " +
                                   std::make_error_code(std::errc::is_a_directory).message());
}

}  // namespace
}  // namespace pindrake::zarezo
