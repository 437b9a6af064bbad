#include "markdown/tree/Url.h"

#include <utility>

#include "foundation/Ascii.h"
#include "markdown/tree/Precondition.h"

namespace pindrake::markdown {

struct Url::Storage {
    std::atomic<std::uint32_t> references{1};
    std::string text;
    std::string path;
};

namespace {

bool isUnreservedInPath(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

std::string percentEncodedPath(std::string_view path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (unsigned char c : path) {
        if (isUnreservedInPath(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = ascii::hexValue(text[i + 1]);
            int low = ascii::hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The scheme's length including its colon, or 0 when the text has no scheme.
std::size_t schemeLength(std::string_view text) {
    if (text.empty() || !ascii::isAlpha(text[0]))
        return 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':')
            return i + 1;
        if (!ascii::isAlnum(c) && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return 0;
}

std::string pathComponent(std::string_view text) {
    std::string_view rest = text.substr(schemeLength(text));
    if (rest.starts_with("//")) {
        std::size_t authorityEnd = rest.find_first_of("/?#", 2);
        rest =
            authorityEnd == std::string_view::npos ? std::string_view{} : rest.substr(authorityEnd);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    return percentDecoded(rest);
}

}  // namespace

Url Url::fromFilePath(std::string_view path) {
    std::string encoded = percentEncodedPath(path);
    return fromString(path.starts_with('/') ? "file://" + encoded : encoded);
}

Url Url::fromString(std::string_view text) {
    auto* storage = new Storage;
    storage->text = std::string(text);
    storage->path = pathComponent(text);
    return Url(storage);
}

Url::Url(const Url& other) noexcept : storage_(other.storage_) {
    if (storage_ != nullptr) {
        std::uint32_t before = storage_->references.fetch_add(1, std::memory_order_relaxed);
        require(before != UINT32_MAX, "source URL shared too often");
    }
}

Url::Url(Url&& other) noexcept : storage_(std::exchange(other.storage_, nullptr)) {}

Url& Url::operator=(Url other) noexcept {
    std::swap(storage_, other.storage_);
    return *this;
}

Url::~Url() {
    if (storage_ != nullptr && storage_->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete storage_;
    }
}

std::string_view Url::text() const noexcept {
    return storage_ == nullptr ? std::string_view{} : std::string_view(storage_->text);
}

std::string_view Url::path() const noexcept {
    return storage_ == nullptr ? std::string_view{} : std::string_view(storage_->path);
}

bool operator==(const Url& a, const Url& b) noexcept {
    if (a.storage_ == b.storage_)
        return true;
    if (a.storage_ == nullptr || b.storage_ == nullptr)
        return false;
    return a.storage_->text == b.storage_->text;
}

std::size_t Url::hash() const noexcept {
    return storage_ == nullptr ? 0 : std::hash<std::string_view>{}(storage_->text);
}

}  // namespace pindrake::markdown
