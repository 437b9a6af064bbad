#pragma once

#include <filesystem>
#include <system_error>

namespace pindrake::clipboard {

// Keeps a second instance off a history folder: two instances would each save their own list
// over the other's. An exclusive lock on "pindrake.lock" in the folder, taken at once or not at
// all; the system drops it when the process ends, however it ends.
class HistoryFolderLock {
  public:
    enum class State { held, heldByAnother, unavailable };

    static constexpr const char* fileName = "pindrake.lock";

    // Makes the folder (private to the user) when it is missing.
    explicit HistoryFolderLock(const std::filesystem::path& directory);
    ~HistoryFolderLock();
    HistoryFolderLock(const HistoryFolderLock&) = delete;
    HistoryFolderLock& operator=(const HistoryFolderLock&) = delete;

    State state() const { return state_; }
    // Why the lock is unavailable (the folder or file could not be made or locked).
    std::error_code error() const { return error_; }

  private:
    int fd_ = -1;
    State state_ = State::unavailable;
    std::error_code error_;
};

}  // namespace pindrake::clipboard
