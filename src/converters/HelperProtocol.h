#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "clipboard/ClipboardContent.h"

// What the app and its conversion helper say to each other over one stream socket: a request
// (the converter's identifier and the entry's content) and its reply (the converted text and its
// kind, or that the entry comes back). Numbers are in the machine's own byte order: both ends are
// one build of the project.
namespace pindrake::converters::helper_protocol {

// A message as the pieces to write in order. Small fields are gathered into text of its own;
// large ones are referenced, so that the sender never holds a second copy of an entry. What is
// referenced must outlive the writing.
class OutgoingMessage {
  public:
    void byte(std::uint8_t value);
    void number(std::uint64_t value);
    // Its size, then the bytes themselves, referenced.
    void bytes(std::string_view value);
    std::vector<std::string_view> pieces() const;

  private:
    // Each part is the small fields gathered, then the large field that follows them, if any.
    std::vector<std::pair<std::string, std::string_view>> parts_{1};
};

OutgoingMessage request(std::string_view converterId, const clipboard::ClipboardContent& input);
// A converted content (its text and its one kind), or nothing: the entry comes back.
OutgoingMessage reply(const std::optional<clipboard::ClipboardContent>& converted);

// The first byte of a reply. A helper that ends itself at its memory cap sends that byte alone,
// in place of a reply.
enum Status : std::uint8_t { givenBack = 0, converted = 1, endedAtMemoryCap = 2 };

// Reads what the app sends, for the helper: blocking reads from `fd`, of requests whose text
// fields are each at most `maximumBytes`.
struct Request {
    std::string converterId;
    clipboard::ClipboardContent input;
};
// Nothing at the end of the stream or when what comes is no request.
std::optional<Request> readRequest(int fd, std::size_t maximumBytes);
// False when the other end has gone.
bool writeAll(int fd, const std::vector<std::string_view>& pieces);

// Takes in a reply as it arrives, for the app, which reads it without blocking. A reply whose
// text would exceed `maximumResultBytes` is refused from its header on, before its text comes.
class ReplyReader {
  public:
    enum class State { incomplete, complete, malformed, tooLarge, overMemory };

    explicit ReplyReader(std::size_t maximumResultBytes)
        : maximumResultBytes_(maximumResultBytes) {}

    // Where the next bytes go, and how many at most; then `received` says how many came.
    std::pair<char*, std::size_t> space();
    State received(std::size_t count);
    // Once complete: whether a converted content came, rather than the entry given back.
    bool hasResult() const { return converted_.has_value(); }
    // Once complete: the converted content, or nothing when the entry comes back.
    std::optional<clipboard::ClipboardContent> take();

  private:
    State judgeHeader();

    std::size_t maximumResultBytes_;
    // The status, then for a converted content its kind and the size of its text.
    char header_[1 + 1 + 8] = {};
    std::size_t headerBytes_ = 0;
    std::optional<clipboard::ClipboardContent> converted_;
    std::size_t textBytes_ = 0;
    State state_ = State::incomplete;
};

}  // namespace pindrake::converters::helper_protocol
