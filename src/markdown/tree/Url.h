#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pindrake::markdown {

// The address of the text a tree was parsed from. Copies share one immutable allocation, so
// a source location costs one pointer for its source. A default-made Url is "no source".
class Url {
  public:
    Url() noexcept = default;
    // A file URL for a local path (relative paths are kept relative).
    static Url fromFilePath(std::string_view path);
    // The address exactly as written, for example "file:///docs/a.md" or "https://x.org/a".
    static Url fromString(std::string_view text);

    Url(const Url& other) noexcept;
    Url(Url&& other) noexcept;
    Url& operator=(Url other) noexcept;
    ~Url();

    bool isNull() const noexcept { return storage_ == nullptr; }
    explicit operator bool() const noexcept { return storage_ != nullptr; }
    // The address as text; empty for no source.
    std::string_view text() const noexcept;
    // The URL's path component with percent escapes decoded; empty for no source.
    std::string_view path() const noexcept;

    friend bool operator==(const Url& a, const Url& b) noexcept;
    std::size_t hash() const noexcept;

  private:
    struct Storage;
    explicit Url(Storage* storage) noexcept : storage_(storage) {}
    Storage* storage_ = nullptr;
};

}  // namespace pindrake::markdown

template <>
struct std::hash<pindrake::markdown::Url> {
    std::size_t operator()(const pindrake::markdown::Url& url) const noexcept { return url.hash(); }
};
