#include "clipboard/HistoryFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/Files.h"

namespace pindrake::clipboard {

HistoryFolderLock::HistoryFolderLock(const std::filesystem::path& directory) {
    if ((error_ = files::createPrivateDirectory(directory)))
        return;
    // A link planted in place of the file is not followed.
    fd_ = ::open((directory / fileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        error_ = {errno, std::generic_category()};
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        state_ = State::held;
        return;
    }
    if (errno == EWOULDBLOCK)
        state_ = State::heldByAnother;
    else
        error_ = {errno, std::generic_category()};
    ::close(fd_);
    fd_ = -1;
}

HistoryFolderLock::~HistoryFolderLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace pindrake::clipboard
