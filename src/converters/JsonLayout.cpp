#include "converters/JsonLayout.h"

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "converters/JsonLexemes.h"

namespace pindrake::converters::json {
namespace {

using Offset = std::uint32_t;
// Marks a member whose key has escapes, sorted by its decoded text rather than by its lexeme.
constexpr Offset decodedKeyFlag = Offset{1} << 31;

// The code points of a key's text between its quotation marks, escapes decoded, read one at a
// time so that keys are compared where they lie: a lone surrogate reads as U+FFFD.
class KeyCodePoints {
  public:
    explicit KeyCodePoints(std::string_view inner) : text_(inner) {}

    // The next code point; -1 at the end.
    UChar32 next() {
        if (at_ == text_.size())
            return -1;
        if (text_[at_] != '\\') {
            const auto length = static_cast<std::int64_t>(text_.size());
            auto at = static_cast<std::int64_t>(at_);
            UChar32 c;
            U8_NEXT(reinterpret_cast<const std::uint8_t*>(text_.data()), at, length, c);
            at_ = static_cast<std::size_t>(at);
            return c;
        }
        const char escaped = text_[at_ + 1];
        at_ += 2;
        if (escaped != 'u') {
            // \" \\ \/ stand for themselves, the letters for control characters.
            const auto letter = std::string_view("bfnrt").find(escaped);
            return letter == std::string_view::npos ? escaped : "\b\f\n\r\t"[letter];
        }
        const char16_t unit = hexUnit(at_);
        at_ += 4;
        if (U16_IS_LEAD(unit) && text_.substr(at_).starts_with("\\u")) {
            const char16_t trail = hexUnit(at_ + 2);
            if (U16_IS_TRAIL(trail)) {
                at_ += 6;
                return U16_GET_SUPPLEMENTARY(unit, trail);
            }
        }
        return U16_IS_SURROGATE(unit) ? 0xFFFD : unit;
    }

  private:
    char16_t hexUnit(std::size_t at) const {
        char16_t unit = 0;
        for (std::size_t k = at; k < at + 4; ++k) {
            const char h = text_[k];
            unit = static_cast<char16_t>(unit * 16 + (h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10));
        }
        return unit;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// How two keys with escapes compare in the order of their code points, which is the order of
// their UTF-8 bytes: negative, zero or positive.
int compareDecoded(std::string_view a, std::string_view b) {
    KeyCodePoints left(a), right(b);
    for (;;) {
        const UChar32 l = left.next();
        const UChar32 r = right.next();
        if (l != r)
            return l < r ? -1 : 1;
        if (l < 0)
            return 0;
    }
}

std::size_t lineBreak(std::size_t depth) {
    return 1 + 2 * depth;
}

// The position of the closing mark of the container opening at `at` when it is empty.
std::optional<std::size_t> emptyClosing(std::string_view json, std::size_t at) {
    const std::size_t inside = skipSpace(json, at + 1);
    if (json[inside] == '}' || json[inside] == ']')
        return inside;
    return std::nullopt;
}

// Past the value that ends at `end`: the next member, or the closing mark when there is none.
std::size_t afterValue(std::string_view json, std::size_t end) {
    const std::size_t at = skipSpace(json, end);
    return json[at] == ',' ? skipSpace(json, at + 1) : at;
}

// Hands `visit` where each lexeme starts and ends, an empty container taken as one lexeme
// (`isEmpty`, ending past its closing mark). False when the budget stopped it.
template <class Visit>
bool forEachLayoutLexeme(std::string_view json, const ConversionBudget& budget, Visit&& visit) {
    std::size_t lexemes = 0;
    for (std::size_t at = skipSpace(json, 0); at < json.size();) {
        if (budget.isStoppedAt(++lexemes))
            return false;
        const auto closing = isOpening(json[at]) ? emptyClosing(json, at) : std::nullopt;
        const std::size_t end = closing ? *closing + 1 : lexemeEnd(json, at);
        visit(at, end, closing.has_value());
        at = skipSpace(json, end);
    }
    return true;
}

// Where each non-empty container that is an object member's value closes: what lets the
// members of an object be found, for sorting, without walking their values again.
class MemberContainerClosings {
  public:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    // The entry of a member container opening at `at`, in opening order.
    std::size_t open(std::size_t at) {
        entries_.emplace_back(static_cast<Offset>(at), 0);
        return entries_.size() - 1;
    }
    void close(std::size_t entry, std::size_t at) {
        entries_[entry].second = static_cast<Offset>(at);
    }
    void drop() { entries_ = {}; }

    // The closing mark of the member container opening at `opening`.
    std::size_t closingOf(std::size_t opening) const {
        const auto entry = std::lower_bound(
            entries_.begin(), entries_.end(), opening,
            [](const std::pair<Offset, Offset>& e, std::size_t at) { return e.first < at; });
        return entry->second;
    }

  private:
    std::vector<std::pair<Offset, Offset>> entries_;
};

// What the pretty form takes, worked out in one pass that keeps only the open containers and
// the closings of member containers. These are dropped once the size passes the budget's cap:
// a result that will be refused makes nothing large.
struct PrettyMeasure {
    std::size_t size = 0;
    // The most members the objects open at once hold together, which the writer keeps.
    std::size_t openMembers = 0;
    MemberContainerClosings closings;
};

std::optional<PrettyMeasure> measuredPretty(std::string_view json, const ConversionBudget& budget) {
    PrettyMeasure measure;
    bool keepsClosings = true;
    struct Open {
        bool isObject;
        std::size_t closing;  // its entry in the closings, or `none`
        std::size_t members = 0;
        // The most members this container's open descendant objects hold together.
        std::size_t innerMembers = 0;
    };
    std::vector<Open> open;
    open.reserve(maximumJsonDepth);
    const bool whole =
        forEachLayoutLexeme(json, budget, [&](std::size_t at, std::size_t end, bool isEmpty) {
            const char c = json[at];
            if (isEmpty) {
                measure.size += 2;
            } else if (isOpening(c)) {
                const bool isMember = !open.empty() && open.back().isObject;
                open.push_back({c == '{', isMember && keepsClosings
                                              ? measure.closings.open(at)
                                              : MemberContainerClosings::none});
                measure.size += 1 + lineBreak(open.size());
            } else if (c == '}' || c == ']') {
                const Open closed = open.back();
                open.pop_back();
                if (closed.closing != MemberContainerClosings::none && keepsClosings)
                    measure.closings.close(closed.closing, at);
                const std::size_t held = closed.members + closed.innerMembers;
                if (!open.empty())
                    open.back().innerMembers = std::max(open.back().innerMembers, held);
                else
                    measure.openMembers = held;
                measure.size += lineBreak(open.size()) + 1;
            } else if (c == ',') {
                measure.size += 1 + lineBreak(open.size());
            } else if (c == ':') {
                ++open.back().members;
                measure.size += 3;
            } else {
                measure.size += end - at;
            }
            if (keepsClosings && measure.size > budget.resultBytes()) {
                keepsClosings = false;
                measure.closings.drop();
            }
        });
    if (!whole)
        return std::nullopt;
    return measure;
}

class PrettyWriter {
  public:
    PrettyWriter(std::string_view json, const MemberContainerClosings& closings,
                 const ConversionBudget& budget)
        : json_(json), closings_(closings), budget_(budget) {}

    std::optional<std::string> write(const PrettyMeasure& measure) {
        // Made at its measured size, a stretch at a time (the memory is touched as it is
        // cleared), and filled in place.
        out_.reserve(measure.size);
        while (out_.size() < measure.size) {
            if (budget_.isStopped())
                return std::nullopt;
            out_.resize(std::min(measure.size, out_.size() + CancellationToken::stretch * 16));
        }
        at_ = out_.data();
        members_.reserve(measure.openMembers);
        try {
            return writeAll();
        } catch (const Stopped&) {
            return std::nullopt;
        }
    }

  private:
    // Thrown where the budget stopped the writing, out of a sort among others.
    struct Stopped {};

    struct Member {
        Offset key;      // the key's opening quotation mark
        Offset sortKey;  // the length between its quotation marks, flagged when it has escapes
    };

    struct Frame {
        bool isObject;
        // An array's next value or closing mark; an object's closing mark.
        std::size_t position;
        bool first = true;
        // An object's members in `members_`, in writing order: the first, the next, the end.
        std::size_t begin = 0;
        std::size_t next = 0;
        std::size_t end = 0;
    };

    std::optional<std::string> writeAll() {
        writeValue(skipSpace(json_, 0));
        while (!frames_.empty()) {
            spend(1);
            const std::size_t current = frames_.size() - 1;
            Frame& frame = frames_[current];
            const auto member = nextMember(frame);
            if (!member) {
                const std::size_t closing = frame.position;
                newLine(current);
                put(json_[closing]);
                if (frame.isObject)
                    members_.resize(frame.begin);
                frames_.pop_back();
                if (!frames_.empty())
                    passValue(frames_.back(), closing + 1);
                continue;
            }
            if (!std::exchange(frame.first, false))
                put(',');
            newLine(current + 1);
            std::size_t value = *member;
            if (frame.isObject) {
                // The key's quotation marks and what stands between them.
                const std::size_t keyEnd =
                    value + 2 + (members_[frame.next - 1].sortKey & ~decodedKeyFlag);
                put(json_.substr(value, keyEnd - value));
                put(" : ");
                value = skipSpace(json_, skipSpace(json_, keyEnd) + 1);
            }
            if (const auto end = writeValue(value))  // may push a frame, invalidating `frame`
                passValue(frames_[current], *end);
        }
        if (overran_ || at_ != out_.data() + out_.size())
            return std::nullopt;
        return std::move(out_);
    }

    // Counts `steps` of work and looks at the budget once per stretch of them.
    void spend(std::size_t steps) {
        spent_ += steps;
        if (spent_ < nextLook_)
            return;
        nextLook_ = spent_ + CancellationToken::stretch;
        if (budget_.isStopped())
            throw Stopped{};
    }

    // The next member's first position (its key in an object), or nothing at the container's end.
    std::optional<std::size_t> nextMember(Frame& frame) const {
        if (frame.isObject) {
            if (frame.next == frame.end)
                return std::nullopt;
            return members_[frame.next++].key;
        }
        if (json_[frame.position] == ']')
            return std::nullopt;
        return frame.position;
    }

    // An array goes on after its value that ends at `end`; an object follows its member list.
    void passValue(Frame& frame, std::size_t end) const {
        if (!frame.isObject)
            frame.position = afterValue(json_, end);
    }

    // Writes a value whole, or opens its container's frame. Where the value ends when written.
    std::optional<std::size_t> writeValue(std::size_t at) {
        const char c = json_[at];
        if (!isOpening(c)) {
            const std::size_t end = lexemeEnd(json_, at);
            put(json_.substr(at, end - at));
            return end;
        }
        if (const auto closing = emptyClosing(json_, at)) {
            put(c == '{' ? "{}" : "[]");
            return *closing + 1;
        }
        put(c);
        const std::size_t inside = skipSpace(json_, at + 1);
        frames_.push_back(c == '{' ? objectFrame(inside) : Frame{false, inside});
        return std::nullopt;
    }

    // The object's members, found in one walk that steps over their container values, sorted.
    Frame objectFrame(std::size_t firstKey) {
        Frame frame{true, 0};
        frame.begin = frame.next = members_.size();
        for (std::size_t key = firstKey;;) {
            spend(1);
            const std::size_t keyEnd = lexemeEnd(json_, key);
            const std::string_view inner = json_.substr(key + 1, keyEnd - key - 2);
            const bool escaped = inner.find('\\') != std::string_view::npos;
            members_.push_back({static_cast<Offset>(key), static_cast<Offset>(inner.size()) |
                                                              (escaped ? decodedKeyFlag : 0)});
            const std::size_t value = skipSpace(json_, skipSpace(json_, keyEnd) + 1);
            const std::size_t next = afterValue(json_, valueEnd(value));
            if (json_[next] == '}') {
                frame.position = next;
                break;
            }
            key = next;
        }
        frame.end = members_.size();
        // Equal keys keep their order. Many objects come sorted already.
        const auto inOrder = [this](const Member& a, const Member& b) {
            const int order = compareKeys(a, b);
            return order != 0 ? order < 0 : a.key < b.key;
        };
        const auto first = members_.begin() + static_cast<std::ptrdiff_t>(frame.begin);
        if (!std::is_sorted(first, members_.end(), inOrder))
            std::sort(first, members_.end(), inOrder);
        return frame;
    }

    // Most keys have no escapes and compare as they are written; a sort of long keys takes a
    // while, so the bytes compared count as work.
    int compareKeys(const Member& a, const Member& b) {
        const std::string_view keyA = json_.substr(a.key + 1, a.sortKey & ~decodedKeyFlag);
        const std::string_view keyB = json_.substr(b.key + 1, b.sortKey & ~decodedKeyFlag);
        spend(1 + std::min(keyA.size(), keyB.size()) / 64);
        if (((a.sortKey | b.sortKey) & decodedKeyFlag) == 0)
            return keyA.compare(keyB);
        return compareDecoded(keyA, keyB);
    }

    std::size_t valueEnd(std::size_t value) const {
        if (!isOpening(json_[value]))
            return lexemeEnd(json_, value);
        if (const auto closing = emptyClosing(json_, value))
            return *closing + 1;
        return closings_.closingOf(value) + 1;
    }

    // Writes never pass the measured end: were the measure short, the result is refused.
    bool fits(std::size_t bytes) {
        if (bytes <= static_cast<std::size_t>(out_.data() + out_.size() - at_))
            return true;
        overran_ = true;
        return false;
    }
    void put(char c) {
        if (fits(1))
            *at_++ = c;
    }
    void put(std::string_view text) {
        if (!fits(text.size()))
            return;
        std::memcpy(at_, text.data(), text.size());
        at_ += text.size();
    }

    void newLine(std::size_t depth) {
        put('\n');
        if (!fits(2 * depth))
            return;
        std::memset(at_, ' ', 2 * depth);
        at_ += 2 * depth;
    }

    std::string_view json_;
    const MemberContainerClosings& closings_;
    const ConversionBudget& budget_;
    std::vector<Frame> frames_;
    // The members of the open objects, the innermost last.
    std::vector<Member> members_;
    std::size_t spent_ = 0;
    std::size_t nextLook_ = 0;
    std::string out_;
    // Where the next byte of the result goes.
    char* at_ = nullptr;
    bool overran_ = false;
};

// The text after its byte-order mark when it is JSON, in offsets the layouts can keep.
std::optional<std::string_view> checkedJson(std::string_view text, const ConversionBudget& budget) {
    if (text.size() >= decodedKeyFlag ||
        !clipboard::json_text::isJsonText(text, budget.stopToken()))
        return std::nullopt;
    return clipboard::json_text::withoutByteOrderMark(text);
}

}  // namespace

std::optional<std::string> prettified(std::string_view text, const ConversionBudget& budget) {
    const auto json = checkedJson(text, budget);
    if (!json)
        return std::nullopt;
    const auto measure = measuredPretty(*json, budget);
    if (!measure || !budget.admits(measure->size))
        return std::nullopt;
    return PrettyWriter(*json, measure->closings, budget).write(*measure);
}

std::optional<std::string> minified(std::string_view text, const ConversionBudget& budget) {
    const auto json = checkedJson(text, budget);
    if (!json)
        return std::nullopt;
    std::size_t size = 0;
    std::size_t lexemes = 0;
    for (std::size_t at = skipSpace(*json, 0); at < json->size();) {
        if (budget.isStoppedAt(++lexemes))
            return std::nullopt;
        const std::size_t end = lexemeEnd(*json, at);
        size += end - at;
        at = skipSpace(*json, end);
    }
    if (!budget.admits(size))
        return std::nullopt;
    std::string out;
    out.reserve(size);
    lexemes = 0;
    for (std::size_t at = skipSpace(*json, 0); at < json->size();) {
        if (budget.isStoppedAt(++lexemes))
            return std::nullopt;
        const std::size_t end = lexemeEnd(*json, at);
        out += json->substr(at, end - at);
        at = skipSpace(*json, end);
    }
    return out;
}

}  // namespace pindrake::converters::json
