#include "converters/HelperProtocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pindrake::converters::helper_protocol {

using clipboard::ClipboardContent;
using clipboard::ContentTag;

namespace {

std::uint64_t tagMask(const clipboard::ContentTags& tags) {
    std::uint64_t mask = 0;
    for (ContentTag tag : tags)
        mask |= std::uint64_t{1} << static_cast<unsigned>(tag);
    return mask;
}

std::optional<ContentTag> tagAt(std::uint64_t index) {
    if (index >= clipboard::allContentTags.size())
        return std::nullopt;
    return clipboard::allContentTags[index];
}

bool readExactly(int fd, char* into, std::size_t count) {
    while (count > 0) {
        const auto got = ::read(fd, into, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        into += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

// Blocking reads of the fields `OutgoingMessage` writes.
class FieldReader {
  public:
    FieldReader(int fd, std::size_t maximumBytes) : fd_(fd), maximumBytes_(maximumBytes) {}

    std::optional<std::uint8_t> byte() {
        std::uint8_t value;
        return readExactly(fd_, reinterpret_cast<char*>(&value), 1) ? std::optional(value)
                                                                    : std::nullopt;
    }
    std::optional<std::uint64_t> number() {
        std::uint64_t value;
        return readExactly(fd_, reinterpret_cast<char*>(&value), sizeof value)
                   ? std::optional(value)
                   : std::nullopt;
    }
    std::optional<std::string> bytes() {
        const auto size = number();
        if (!size || *size > maximumBytes_)
            return std::nullopt;
        std::string value(*size, '\0');
        return readExactly(fd_, value.data(), value.size()) ? std::optional(std::move(value))
                                                            : std::nullopt;
    }
    // A present flag, then the field when present. False when the stream is broken.
    bool optionalBytes(std::optional<std::string>& into) {
        const auto present = byte();
        if (!present || *present > 1)
            return false;
        if (*present == 0)
            return true;
        into = bytes();
        return into.has_value();
    }

  private:
    int fd_;
    std::size_t maximumBytes_;
};

}  // namespace

void OutgoingMessage::byte(std::uint8_t value) {
    parts_.back().first.push_back(static_cast<char>(value));
}

void OutgoingMessage::number(std::uint64_t value) {
    parts_.back().first.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void OutgoingMessage::bytes(std::string_view value) {
    number(value.size());
    parts_.back().second = value;
    parts_.emplace_back();
}

std::vector<std::string_view> OutgoingMessage::pieces() const {
    std::vector<std::string_view> pieces;
    for (const auto& [fields, large] : parts_) {
        for (std::string_view piece : {std::string_view(fields), large}) {
            if (!piece.empty())
                pieces.push_back(piece);
        }
    }
    return pieces;
}

OutgoingMessage request(std::string_view converterId, const ClipboardContent& input) {
    OutgoingMessage message;
    message.bytes(converterId);
    message.number(tagMask(input.tags));
    for (const auto& text : {&input.plainText, &input.html}) {
        message.byte(text->has_value());
        if (*text)
            message.bytes(**text);
    }
    message.byte(input.image.has_value());
    if (input.image) {
        message.bytes(input.image->format());
        message.number(static_cast<std::uint32_t>(input.image->width()));
        message.number(static_cast<std::uint32_t>(input.image->height()));
        message.bytes(input.image->encoded());
    }
    return message;
}

OutgoingMessage reply(const std::optional<ClipboardContent>& converted) {
    OutgoingMessage message;
    if (!converted || !converted->plainText || converted->tags.size() != 1) {
        message.byte(givenBack);
        return message;
    }
    message.byte(Status::converted);
    message.byte(static_cast<std::uint8_t>(*converted->tags.begin()));
    message.bytes(*converted->plainText);
    return message;
}

std::optional<Request> readRequest(int fd, std::size_t maximumBytes) {
    FieldReader read(fd, maximumBytes);
    Request request;
    auto id = read.bytes();
    const auto tags = read.number();
    if (!id || !tags || !read.optionalBytes(request.input.plainText) ||
        !read.optionalBytes(request.input.html)) {
        return std::nullopt;
    }
    request.converterId = std::move(*id);
    for (std::uint64_t index = 0; index < 64; ++index) {
        if ((*tags >> index) & 1) {
            const auto tag = tagAt(index);
            if (!tag)
                return std::nullopt;
            request.input.tags.insert(*tag);
        }
    }
    const auto hasImage = read.byte();
    if (!hasImage || *hasImage > 1)
        return std::nullopt;
    if (*hasImage == 1) {
        auto format = read.bytes();
        const auto width = read.number();
        const auto height = read.number();
        auto encoded = read.bytes();
        if (!format || !width || !height || !encoded)
            return std::nullopt;
        request.input.image = platform::Image(std::move(*encoded), std::move(*format),
                                              static_cast<int>(*width), static_cast<int>(*height));
    }
    return request;
}

bool writeAll(int fd, const std::vector<std::string_view>& pieces) {
    for (std::string_view piece : pieces) {
        while (!piece.empty()) {
            const auto sent = ::send(fd, piece.data(), piece.size(), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                return false;
            piece.remove_prefix(static_cast<std::size_t>(sent));
        }
    }
    return true;
}

std::pair<char*, std::size_t> ReplyReader::space() {
    if (!converted_)
        return {header_ + headerBytes_, sizeof header_ - headerBytes_};
    std::string& text = *converted_->plainText;
    return {text.data() + textBytes_, text.size() - textBytes_};
}

ReplyReader::State ReplyReader::received(std::size_t count) {
    if (state_ != State::incomplete)
        return state_;
    if (converted_) {
        textBytes_ += count;
    } else {
        headerBytes_ += count;
        state_ = judgeHeader();
    }
    if (converted_ && textBytes_ == converted_->plainText->size())
        state_ = State::complete;
    return state_;
}

// The header is judged as soon as what it has says enough: a reply that gives the entry back is
// its status alone.
ReplyReader::State ReplyReader::judgeHeader() {
    const auto status = static_cast<std::uint8_t>(header_[0]);
    if (headerBytes_ == 0)
        return State::incomplete;
    if (status == givenBack || status == endedAtMemoryCap) {
        if (headerBytes_ > 1)
            return State::malformed;
        return status == givenBack ? State::complete : State::overMemory;
    }
    if (status != Status::converted)
        return State::malformed;
    if (headerBytes_ < sizeof header_)
        return State::incomplete;
    const auto tag = tagAt(static_cast<std::uint8_t>(header_[1]));
    std::uint64_t size;
    std::memcpy(&size, header_ + 2, sizeof size);
    if (!tag)
        return State::malformed;
    if (size > maximumResultBytes_)
        return State::tooLarge;
    converted_ = ClipboardContent();
    converted_->tags = {*tag};
    // Sized once the header has vouched for it, and only within the cap.
    converted_->plainText = std::string(size, '\0');
    return State::incomplete;
}

std::optional<ClipboardContent> ReplyReader::take() {
    return std::exchange(converted_, std::nullopt);
}

}  // namespace pindrake::converters::helper_protocol
