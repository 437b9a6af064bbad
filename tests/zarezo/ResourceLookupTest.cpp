#include "zarezo/ResourceLookup.h"

#include <gtest/gtest.h>

#include <vector>

#include "ZarezoTestSupport.h"

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

}  // namespace
}  // namespace pindrake::zarezo
