#include "clipboard/HistoryFolderLock.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestFiles.h"

namespace pindrake::clipboard {
namespace {

namespace fs = std::filesystem;
using State = HistoryFolderLock::State;

class HistoryFolderLockTest : public ::testing::Test {
  protected:
    test_support::TemporaryDirectory temporary;
    fs::path folder = temporary.path() / "data" / "Murvet";
};

// One holder per folder; another folder is another lock; letting go frees it.
TEST_F(HistoryFolderLockTest, OneHolderPerFolderUntilItLetsGo) {
    auto first = std::make_unique<HistoryFolderLock>(folder);
    EXPECT_EQ(first->state(), State::held);
    EXPECT_EQ(test_support::permissions(folder), 0700u);
    EXPECT_EQ(HistoryFolderLock(folder).state(), State::heldByAnother);
    EXPECT_EQ(HistoryFolderLock(temporary.path() / "other").state(), State::held);
    first.reset();
    EXPECT_EQ(HistoryFolderLock(folder).state(), State::held);
}

// A process that dies without cleaning up (kill -9) leaves the folder free.
TEST_F(HistoryFolderLockTest, TheLockDiesWithItsProcess) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HistoryFolderLock lock(folder);
        const char held = lock.state() == State::held ? 'y' : 'n';
        [[maybe_unused]] auto written = ::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    EXPECT_EQ(HistoryFolderLock(folder).state(), State::heldByAnother);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(HistoryFolderLock(folder).state(), State::held);
    ::close(ready[0]);
    ::close(ready[1]);
}

// A link planted in place of the lock file is neither followed nor taken for a lock.
TEST_F(HistoryFolderLockTest, APlantedLinkIsNotFollowed) {
    fs::create_directories(folder);
    const fs::path elsewhere = temporary.path() / "elsewhere";
    fs::create_symlink(elsewhere, folder / HistoryFolderLock::fileName);
    const HistoryFolderLock lock(folder);
    EXPECT_EQ(lock.state(), State::unavailable);
    EXPECT_TRUE(lock.error());
    EXPECT_FALSE(fs::exists(elsewhere));
}

}  // namespace
}  // namespace pindrake::clipboard
