#include "converters/JsonLayout.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "converters/JsonLexemes.h"
#include "foundation/Unicode.h"

namespace pindrake::converters::json {
namespace {

using Offset = std::uint32_t;
// Marks a member whose key is sorted by its decoded text rather than by its lexeme.
constexpr Offset decodedKeyFlag = Offset{1} << 31;

// The text of a key with escapes, for sorting: the lexeme between its quotation marks, decoded.
std::string decodedKey(std::string_view lexeme) {
    const std::string_view inner = lexeme.substr(1, lexeme.size() - 2);
    std::u16string units;
    const std::u16string plain = unicode::toUtf16(inner);
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] != u'\\') {
            units += plain[i];
            continue;
        }
        const char16_t escaped = plain[++i];
        if (escaped != u'u') {
            // \" \\ \/ stand for themselves, the letters for control characters.
            const auto letter = std::u16string_view(u"bfnrt").find(escaped);
            units += letter == std::u16string_view::npos ? escaped : u"\b\f\n\r\t"[letter];
            continue;
        }
        char16_t unit = 0;
        for (int k = 1; k <= 4; ++k) {
            const char16_t h = plain[i + k];
            unit =
                static_cast<char16_t>(unit * 16 + (h <= u'9' ? h - u'0' : (h | 0x20) - u'a' + 10));
        }
        units += unit;
        i += 4;
    }
    // Lone surrogates become U+FFFD; the order of keys is all this text is used for.
    return unicode::toUtf8(units);
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

// What the pretty form takes, worked out in one pass that keeps only the open containers.
struct PrettyMeasure {
    std::size_t size = 0;
    // Non-empty containers that are the values of object members.
    std::size_t memberContainers = 0;
};

std::optional<PrettyMeasure> measuredPretty(std::string_view json, const ConversionBudget& budget) {
    PrettyMeasure measure;
    std::vector<bool> openObjects;
    openObjects.reserve(maximumJsonDepth);
    const bool whole =
        forEachLayoutLexeme(json, budget, [&](std::size_t at, std::size_t end, bool isEmpty) {
            const char c = json[at];
            if (isEmpty) {
                measure.size += 2;
            } else if (isOpening(c)) {
                if (!openObjects.empty() && openObjects.back())
                    ++measure.memberContainers;
                openObjects.push_back(c == '{');
                measure.size += 1 + lineBreak(openObjects.size());
            } else if (c == '}' || c == ']') {
                openObjects.pop_back();
                measure.size += lineBreak(openObjects.size()) + 1;
            } else if (c == ',') {
                measure.size += 1 + lineBreak(openObjects.size());
            } else if (c == ':') {
                measure.size += 3;
            } else {
                measure.size += end - at;
            }
        });
    if (!whole)
        return std::nullopt;
    return measure;
}

// Where each non-empty container that is an object member's value closes: what lets the
// members of an object be found, for sorting, without walking their values again.
class MemberContainerClosings {
  public:
    // Nothing when the budget stopped.
    static std::optional<MemberContainerClosings> of(std::string_view json, std::size_t count,
                                                     const ConversionBudget& budget) {
        MemberContainerClosings closings;
        closings.entries_.reserve(count);
        struct Open {
            bool isObject;
            std::size_t entry;  // in `entries_`, or npos for a container that is no member's value
        };
        std::vector<Open> open;
        open.reserve(maximumJsonDepth);
        const bool whole =
            forEachLayoutLexeme(json, budget, [&](std::size_t at, std::size_t, bool isEmpty) {
                const char c = json[at];
                if (isOpening(c) && !isEmpty) {
                    const bool isMember = !open.empty() && open.back().isObject;
                    if (isMember)
                        closings.entries_.emplace_back(static_cast<Offset>(at), 0);
                    open.push_back({c == '{', isMember ? closings.entries_.size() - 1 : npos});
                } else if (c == '}' || c == ']') {
                    if (open.back().entry != npos)
                        closings.entries_[open.back().entry].second = static_cast<Offset>(at);
                    open.pop_back();
                }
            });
        if (!whole)
            return std::nullopt;
        return closings;
    }

    // The closing mark of the member container opening at `opening`.
    std::size_t closingOf(std::size_t opening) const {
        const auto entry = std::lower_bound(
            entries_.begin(), entries_.end(), opening,
            [](const std::pair<Offset, Offset>& e, std::size_t at) { return e.first < at; });
        return entry->second;
    }

  private:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // By opening position, as they open.
    std::vector<std::pair<Offset, Offset>> entries_;
};

class PrettyWriter {
  public:
    PrettyWriter(std::string_view json, const MemberContainerClosings& closings,
                 const ConversionBudget& budget)
        : json_(json), closings_(closings), budget_(budget) {}

    std::optional<std::string> write(std::size_t size) {
        out_.reserve(size);
        writeValue(skipSpace(json_, 0));
        std::size_t steps = 0;
        while (!frames_.empty()) {
            if (budget_.isStoppedAt(++steps))
                return std::nullopt;
            const std::size_t current = frames_.size() - 1;
            Frame& frame = frames_[current];
            const auto member = nextMember(frame);
            if (!member) {
                const std::size_t closing = frame.position;
                newLine(current);
                out_ += json_[closing];
                frames_.pop_back();
                if (!frames_.empty())
                    passValue(frames_.back(), closing + 1);
                continue;
            }
            if (!std::exchange(frame.first, false))
                out_ += ',';
            newLine(current + 1);
            std::size_t value = *member;
            if (frame.isObject) {
                const std::size_t keyEnd = lexemeEnd(json_, value);
                out_ += json_.substr(value, keyEnd - value);
                out_ += " : ";
                value = skipSpace(json_, skipSpace(json_, keyEnd) + 1);
            }
            if (const auto end = writeValue(value))  // may push a frame, invalidating `frame`
                passValue(frames_[current], *end);
        }
        return std::move(out_);
    }

  private:
    struct Member {
        Offset key;      // the key's opening quotation mark
        Offset sortKey;  // the length between its quotation marks, or a decoded key's index
    };

    struct Frame {
        bool isObject;
        // An array's next value or closing mark; an object's closing mark.
        std::size_t position;
        bool first = true;
        // An object's members, in writing order.
        std::vector<Member> members{};
        std::vector<std::string> decodedKeys{};
        std::size_t next = 0;
    };

    // The next member's first position (its key in an object), or nothing at the container's end.
    std::optional<std::size_t> nextMember(Frame& frame) const {
        if (frame.isObject) {
            if (frame.next == frame.members.size())
                return std::nullopt;
            return frame.members[frame.next++].key;
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
            out_ += json_.substr(at, end - at);
            return end;
        }
        if (const auto closing = emptyClosing(json_, at)) {
            out_ += c == '{' ? "{}" : "[]";
            return *closing + 1;
        }
        out_ += c;
        const std::size_t inside = skipSpace(json_, at + 1);
        frames_.push_back(c == '{' ? objectFrame(inside) : Frame{false, inside});
        return std::nullopt;
    }

    // Hands `visit` each member's key and where it ends; where the object closes.
    template <class Visit>
    std::size_t forEachMember(std::size_t firstKey, Visit&& visit) const {
        for (std::size_t key = firstKey;;) {
            const std::size_t keyEnd = lexemeEnd(json_, key);
            visit(key, keyEnd);
            const std::size_t value = skipSpace(json_, skipSpace(json_, keyEnd) + 1);
            const std::size_t next = afterValue(json_, valueEnd(value));
            if (json_[next] == '}')
                return next;
            key = next;
        }
    }

    Frame objectFrame(std::size_t firstKey) const {
        Frame frame{true, 0};
        // Counted first: the members of a large object take no more room than they need.
        std::size_t count = 0;
        forEachMember(firstKey, [&count](std::size_t, std::size_t) { ++count; });
        frame.members.reserve(count);
        frame.position =
            forEachMember(firstKey, [this, &frame](std::size_t key, std::size_t keyEnd) {
                const std::string_view inner = json_.substr(key + 1, keyEnd - key - 2);
                if (inner.find('\\') == std::string_view::npos) {
                    frame.members.push_back(
                        {static_cast<Offset>(key), static_cast<Offset>(inner.size())});
                    return;
                }
                frame.members.push_back(
                    {static_cast<Offset>(key),
                     static_cast<Offset>(frame.decodedKeys.size()) | decodedKeyFlag});
                frame.decodedKeys.push_back(decodedKey(json_.substr(key, keyEnd - key)));
            });
        // Most keys have no escapes and sort by their lexeme; equal keys keep their order.
        const auto sortKey = [this, &frame](const Member& member) -> std::string_view {
            if (member.sortKey & decodedKeyFlag)
                return frame.decodedKeys[member.sortKey & ~decodedKeyFlag];
            return json_.substr(member.key + 1, member.sortKey);
        };
        std::sort(frame.members.begin(), frame.members.end(),
                  [&sortKey](const Member& a, const Member& b) {
                      const std::string_view keyA = sortKey(a);
                      const std::string_view keyB = sortKey(b);
                      return keyA != keyB ? keyA < keyB : a.key < b.key;
                  });
        return frame;
    }

    std::size_t valueEnd(std::size_t value) const {
        if (!isOpening(json_[value]))
            return lexemeEnd(json_, value);
        if (const auto closing = emptyClosing(json_, value))
            return *closing + 1;
        return closings_.closingOf(value) + 1;
    }

    void newLine(std::size_t depth) {
        out_ += '\n';
        out_.append(2 * depth, ' ');
    }

    std::string_view json_;
    const MemberContainerClosings& closings_;
    const ConversionBudget& budget_;
    std::vector<Frame> frames_;
    std::string out_;
};

// The text after its byte-order mark when it is JSON, in offsets the layouts can keep.
std::optional<std::string_view> checkedJson(std::string_view text) {
    if (text.size() >= decodedKeyFlag || !clipboard::json_text::isJsonText(text))
        return std::nullopt;
    return clipboard::json_text::withoutByteOrderMark(text);
}

}  // namespace

std::optional<std::string> prettified(std::string_view text, const ConversionBudget& budget) {
    const auto json = checkedJson(text);
    if (!json)
        return std::nullopt;
    const auto measure = measuredPretty(*json, budget);
    if (!measure || !budget.admits(measure->size))
        return std::nullopt;
    const auto closings = MemberContainerClosings::of(*json, measure->memberContainers, budget);
    if (!closings)
        return std::nullopt;
    return PrettyWriter(*json, *closings, budget).write(measure->size);
}

std::optional<std::string> minified(std::string_view text, const ConversionBudget& budget) {
    const auto json = checkedJson(text);
    if (!json)
        return std::nullopt;
    std::size_t size = 0;
    for (std::size_t at = skipSpace(*json, 0); at < json->size();) {
        const std::size_t end = lexemeEnd(*json, at);
        size += end - at;
        at = skipSpace(*json, end);
    }
    if (!budget.admits(size))
        return std::nullopt;
    std::string out;
    out.reserve(size);
    std::size_t lexemes = 0;
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
