#pragma once

#include <chrono>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace pindrake::files {

// Writes through a temporary file in the same folder, fsyncs it and renames it over `path`,
// so readers see either the old file whole or the new one whole. The file gets mode 0600.
std::error_code writeAtomically(const std::filesystem::path& path, std::string_view bytes);

// Creates the folder and its parents; the folder itself gets mode 0700.
std::error_code createPrivateDirectory(const std::filesystem::path& path);

// Reads a regular file whole. Anything else (a folder, a device, a pipe) is refused without a
// read, so that nothing waits on a pipe or passes a folder off as an empty file. `error` says
// why nothing was read: the operating system's code, "is a directory" for a folder and "not
// supported" for any other kind of file.
std::optional<std::string> read(const std::filesystem::path& path, std::error_code& error);
std::optional<std::string> read(const std::filesystem::path& path);
// As read, but a symbolic link is refused too, never followed, and so is a file longer than
// `maxBytes`.
std::optional<std::string> readWithoutFollowingLinks(
    const std::filesystem::path& path,
    std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// A regular file opened for reading piece by piece, so that a file of any size is gone through
// in bounded memory. Closed when it goes.
class FileReader {
  public:
    // Refuses what `read` refuses, with the same errors; a symbolic link too unless `followLinks`.
    static std::optional<FileReader> open(const std::filesystem::path& path, bool followLinks,
                                          std::error_code& error);
    FileReader(FileReader&& other) noexcept;
    FileReader& operator=(FileReader&& other) noexcept;
    ~FileReader();

    // Up to `size` bytes into `buffer`: how many, 0 at the end of the file, nothing on an error.
    std::optional<std::size_t> read(char* buffer, std::size_t size, std::error_code& error);

  private:
    explicit FileReader(int fd) : fd_(fd) {}
    int fd_;
};

// Where to keep a file that could not be read, beside it: "<name>.<tag>-20240131T235959Z" (the
// UTC time given), with "-2", "-3"... added while that name is taken, so that a file kept aside
// earlier is never replaced.
std::filesystem::path asidePath(const std::filesystem::path& path, std::string_view tag,
                                std::chrono::system_clock::time_point when);

}  // namespace pindrake::files
