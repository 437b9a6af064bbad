#include "clipboard/FoldedTextScan.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "foundation/Unicode.h"

namespace pindrake::clipboard {
namespace {

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Where the bytes may be cut so that folding each side apart gives what folding them whole
// does: before the last byte that can begin a character, when a character begun there could
// still go on into the next piece. A sequence of UTF-8 is at most four bytes long, so one that
// began earlier has ended (or is broken off, and repaired the same either way).
std::size_t wholeCharactersEnd(std::string_view bytes) {
    const std::size_t lookBack = std::min<std::size_t>(bytes.size(), 3);
    for (std::size_t i = bytes.size(); i > bytes.size() - lookBack; --i) {
        if (!isContinuationByte(bytes[i - 1]))
            return static_cast<unsigned char>(bytes[i - 1]) < 0x80 ? bytes.size() : i - 1;
    }
    return bytes.size();
}

}  // namespace

bool holdsFolded(std::string_view foldedText, std::string_view foldedQuery) {
    // The C library's search keeps to linear time on any input, unlike a naive find.
    return ::memmem(foldedText.data(), foldedText.size(), foldedQuery.data(), foldedQuery.size()) !=
           nullptr;
}

bool FoldedTextScan::feed(std::string_view piece) {
    if (found_ || piece.empty())
        return found_;
    std::string bytes = std::move(unfinished_);
    bytes.append(piece);
    const std::size_t end = wholeCharactersEnd(bytes);
    unfinished_.assign(bytes, end);
    bytes.resize(end);
    search(bytes);
    return found_;
}

bool FoldedTextScan::finish() {
    if (!found_ && !unfinished_.empty())
        search(std::exchange(unfinished_, {}));
    return found_ || query_.empty();
}

void FoldedTextScan::search(std::string_view bytes) {
    if (bytes.empty())
        return;
    std::string window = std::move(foldedTail_);
    window += unicode::caseFolded(bytes);
    found_ = holdsFolded(window, query_);
    const std::size_t keep = std::min(window.size(), query_.empty() ? 0 : query_.size() - 1);
    foldedTail_.assign(window, window.size() - keep);
}

}  // namespace pindrake::clipboard
