#include "foundation/Files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST_F(FilesTest, OnlyRegularFilesAreReadAndRefusalsSayWhy) {
    ASSERT_FALSE(files::writeAtomically(root_ / "f", "bytes"));
    fs::create_symlink(root_ / "f", root_ / "link");
    fs::create_directory(root_ / "folder");
    // A pipe with a writer but no data: reading it would wait for ever.
    ASSERT_EQ(::mkfifo((root_ / "pipe").c_str(), 0600), 0);
    const int writer = ::open((root_ / "pipe").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    struct Case {
        fs::path path;
        const char* contents;  // none: refused
        std::errc reason;
    };
    const Case cases[] = {
        {root_ / "f", "bytes", {}},
        {root_ / "link", "bytes", {}},
        {root_ / "missing", nullptr, std::errc::no_such_file_or_directory},
        {root_ / "folder", nullptr, std::errc::is_a_directory},
        {"/dev/null", nullptr, std::errc::not_supported},
        {root_ / "pipe", nullptr, std::errc::not_supported},
    };
    for (const Case& c : cases) {
        std::error_code error = std::make_error_code(std::errc::io_error);
        const std::optional<std::string> text = files::read(c.path, error);
        EXPECT_EQ(text, c.contents ? std::optional<std::string>(c.contents) : std::nullopt)
            << c.path;
        EXPECT_EQ(error, c.contents ? std::error_code() : std::make_error_code(c.reason)) << c.path;
        EXPECT_EQ(files::read(c.path), text) << c.path;
    }
    ::close(writer);
    EXPECT_EQ(files::readWithoutFollowingLinks(root_ / "f"), "bytes");
    for (const char* refused : {"link", "folder", "pipe"})
        EXPECT_FALSE(files::readWithoutFollowingLinks(root_ / refused)) << refused;
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
