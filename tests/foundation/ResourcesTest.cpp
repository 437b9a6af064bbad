#include "foundation/Resources.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TestFiles.h"

namespace pindrake {
namespace {

namespace fs = std::filesystem;

// The program finds its resources from where it lies, installed or in the build tree, with no
// setting: a login item or a desktop menu starts it with none.
TEST(Resources, AreFoundBesideTheProgramInAnInstallPrefixAndInTheBuildTree) {
    const struct {
        const char* program;
        std::vector<const char*> folders;
        std::vector<const char*> files;
        const char* expected;
    } cases[] = {
        {"prefix/bin/pindrake", {"prefix/share/pindrake"}, {}, "prefix/share/pindrake"},
        {"build/src/app/pindrake", {"build/resources"}, {}, "build/resources"},
        {"a/prefix/bin/pindrake",
         {"a/prefix/share/pindrake", "a/resources"},
         {},
         "a/prefix/share/pindrake"},
        {"build/src/app/pindrake", {"build/share"}, {"build/share/pindrake"}, ""},
        {"prefix/bin/pindrake", {"prefix/bin"}, {}, ""},
    };
    for (const auto& [program, folders, files, expected] : cases) {
        test_support::TemporaryDirectory root;
        for (const char* folder : folders)
            fs::create_directories(root.path() / folder);
        fs::create_directories((root.path() / program).parent_path());
        test_support::writeFile(root.path() / program, "");
        for (const char* file : files)
            test_support::writeFile(root.path() / file, "");
        const fs::path found = resources::folderBeside(root.path() / program);
        EXPECT_EQ(found, *expected ? root.path() / expected : fs::path()) << program;
    }
}

}  // namespace
}  // namespace pindrake
