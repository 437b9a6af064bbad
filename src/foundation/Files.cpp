#include "foundation/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>
#include <utility>

namespace pindrake::files {
namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// Makes the rename itself durable; a failure here leaves both files correct, so it is ignored.
void syncDirectory(const std::filesystem::path& directory) {
    int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A file longer than `maxBytes` is refused as too large.
std::optional<std::string> readRegularFile(
    const std::filesystem::path& path, bool followLinks, std::error_code& error,
    std::size_t maxBytes = std::numeric_limits<std::size_t>::max()) {
    auto file = FileReader::open(path, followLinks, error);
    if (!file)
        return std::nullopt;
    std::string contents;
    char buffer[1 << 16];
    for (;;) {
        const auto got = file->read(buffer, sizeof buffer, error);
        if (!got)
            return std::nullopt;
        if (*got == 0)
            return contents;
        if (*got > maxBytes - contents.size()) {
            error = std::make_error_code(std::errc::file_too_large);
            return std::nullopt;
        }
        contents.append(buffer, *got);
    }
}

}  // namespace

// Opening never blocks, not even on a pipe without a writer; only a regular file is read.
std::optional<FileReader> FileReader::open(const std::filesystem::path& path, bool followLinks,
                                           std::error_code& error) {
    error.clear();
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW);
    FileReader file(::open(path.c_str(), flags));
    if (file.fd_ < 0) {
        error = lastError();
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(file.fd_, &status) != 0)
        error = lastError();
    else if (S_ISDIR(status.st_mode))
        error = std::make_error_code(std::errc::is_a_directory);
    else if (!S_ISREG(status.st_mode))
        error = std::make_error_code(std::errc::not_supported);
    if (error)
        return std::nullopt;
    return file;
}

FileReader::FileReader(FileReader&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileReader& FileReader::operator=(FileReader&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
}

FileReader::~FileReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::optional<std::size_t> FileReader::read(char* buffer, std::size_t size,
                                            std::error_code& error) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR) {
            error = lastError();
            return std::nullopt;
        }
    }
}

std::error_code writeAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const auto directory = path.parent_path();
    std::string temporary = (directory / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mkostemp creates the file with 0600
    if (fd < 0)
        return lastError();

    std::error_code error = writeAll(fd, bytes);
    if (!error && ::fsync(fd) != 0)
        error = lastError();
    if (::close(fd) != 0 && !error)
        error = lastError();
    if (!error && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = lastError();
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    syncDirectory(directory);
    return {};
}

std::error_code createPrivateDirectory(const std::filesystem::path& path) {
    std::error_code error;
    if (path.has_parent_path() && path.parent_path() != path) {
        std::filesystem::create_directories(path.parent_path(), error);
        if (error)
            return error;
    }
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return lastError();
    // An existing folder is tightened too: it may hold what the user copied.
    if (::chmod(path.c_str(), 0700) != 0)
        return lastError();
    return {};
}

std::optional<std::string> read(const std::filesystem::path& path, std::error_code& error) {
    return readRegularFile(path, true, error);
}

std::optional<std::string> read(const std::filesystem::path& path) {
    std::error_code ignored;
    return read(path, ignored);
}

std::optional<std::string> readWithoutFollowingLinks(const std::filesystem::path& path,
                                                     std::size_t maxBytes) {
    std::error_code ignored;
    return readRegularFile(path, false, ignored, maxBytes);
}

std::filesystem::path asidePath(const std::filesystem::path& path, std::string_view tag,
                                std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
    const std::string base = path.filename().string() + "." + std::string(tag) + "-" + stamp;
    auto aside = path.parent_path() / base;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(aside, error); ++n)
        aside = path.parent_path() / (base + "-" + std::to_string(n));
    return aside;
}

}  // namespace pindrake::files
