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
    // Joined with what the last piece held back only then, so a piece is seldom copied.
    std::string joined;
    if (!unfinished_.empty()) {
        joined = std::exchange(unfinished_, {});
        joined.append(piece);
        piece = joined;
    }
    const std::size_t end = wholeCharactersEnd(piece);
    search(piece.substr(0, end));
    unfinished_.assign(piece.substr(end));
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
    const std::string folded = unicode::caseFolded(bytes);
    const std::size_t overlap = query_.empty() ? 0 : query_.size() - 1;
    // A match begun in the bytes before ends within the query's length of these.
    std::string across = std::move(foldedTail_);
    across.append(folded, 0, std::min(folded.size(), overlap));
    found_ = holdsFolded(folded, query_) || holdsFolded(across, query_);
    const std::string_view last = folded.size() >= overlap ? std::string_view(folded) : across;
    foldedTail_.assign(last.substr(last.size() - std::min(last.size(), overlap)));
}

}  // namespace pindrake::clipboard
