#include "foundation/Files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "support/TestFiles.h"

namespace pindrake {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
  protected:
    test_support::TemporaryDirectory temporary_;
    const fs::path& root_ = temporary_.path();
};

TEST_F(FilesTest, AtomicWriteReplacesWholeFileWithPrivateMode) {
    const auto file = root_ / "history.json";
    ASSERT_FALSE(files::writeAtomically(file, "old contents that are longer"));
    ASSERT_FALSE(files::writeAtomically(file, std::string("new\0bytes", 9)));
    EXPECT_EQ(files::read(file), std::string("new\0bytes", 9));
    EXPECT_EQ(test_support::permissions(file), 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
}

TEST_F(FilesTest, FailedWriteLeavesTheOldFileWholeAndNoTemporary) {
    const auto file = root_ / "history.json";
    ASSERT_FALSE(files::writeAtomically(file, "precious"));
    // Simulate a full disk part-way: the file size limit stops the write after 4 bytes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 4;
    ::setrlimit(RLIMIT_FSIZE, &tight);
    const auto error = files::writeAtomically(file, "a much longer replacement text");
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(error);
    EXPECT_EQ(files::read(file), "precious");
    EXPECT_TRUE(files::writeAtomically(root_ / "missing" / "f", "x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 1)
        << "no temporary file and no missing folder are made";
    EXPECT_FALSE(files::read(root_ / "missing" / "f").has_value());
}

TEST_F(FilesTest, PrivateDirectoryIsCreatedWithParentsAndTightened) {
    const auto folder = root_ / "a" / "Murvet";
    ASSERT_FALSE(files::createPrivateDirectory(folder));
    EXPECT_EQ(test_support::permissions(folder), 0700u);
    fs::permissions(folder, fs::perms::all);
    ASSERT_FALSE(files::createPrivateDirectory(folder)) << "an existing folder is fine";
    EXPECT_EQ(test_support::permissions(folder), 0700u);
}

}  // namespace
}  // namespace pindrake
