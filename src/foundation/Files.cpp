#include "foundation/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>

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

// Opening never blocks, not even on a pipe without a writer; only a regular file is read.
// A file longer than `maxBytes` is refused as too large.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, int flags,
                                           std::error_code& error,
                                           std::size_t maxBytes = std::numeric_limits<std::size_t>::max()) {
    error.clear();
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = lastError();
        return std::nullopt;
    }
    std::optional<std::string> contents;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        error = lastError();
    } else if (S_ISDIR(status.st_mode)) {
        error = std::make_error_code(std::errc::is_a_directory);
    } else if (!S_ISREG(status.st_mode)) {
        error = std::make_error_code(std::errc::not_supported);
    } else {
        contents.emplace();
        char buffer[1 << 16];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                error = lastError();
                contents.reset();
                break;
            }
            if (got == 0)
                break;
            if (static_cast<std::size_t>(got) > maxBytes - contents->size()) {
                error = std::make_error_code(std::errc::file_too_large);
                contents.reset();
                break;
            }
            contents->append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return contents;
}

}  // namespace

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
    return readRegularFile(path, O_RDONLY, error);
}

std::optional<std::string> read(const std::filesystem::path& path) {
    std::error_code ignored;
    return read(path, ignored);
}

std::optional<std::string> readWithoutFollowingLinks(const std::filesystem::path& path,
                                                     std::size_t maxBytes) {
    std::error_code ignored;
    return readRegularFile(path, O_RDONLY | O_NOFOLLOW, ignored, maxBytes);
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
