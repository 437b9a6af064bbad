#include "converters/JsonLayout.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::converters::json {
namespace {

enum class TokenKind : std::uint8_t {
    beginObject,
    endObject,
    beginArray,
    endArray,
    colon,
    comma,
    string,
    scalar,  // number, true, false or null
};

struct Token {
    TokenKind kind;
    std::uint32_t offset;
    std::uint32_t length;
    // For a container's opening token: the index of its closing token.
    std::uint32_t closing = 0;
};

bool isJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The length of the string lexeme starting at `at` (a quotation mark), or 0 when it is invalid.
std::size_t stringLength(std::string_view text, std::size_t at) {
    std::size_t i = at + 1;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"')
            return i + 1 - at;
        if (c < 0x20)
            return 0;
        if (c != '\\') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            return 0;
        const char escaped = text[i + 1];
        if (escaped == 'u') {
            if (i + 6 > text.size() ||
                !std::all_of(text.begin() + i + 2, text.begin() + i + 6, ascii::isHexDigit)) {
                return 0;
            }
            i += 6;
        } else if (std::string_view("\"\\/bfnrt").find(escaped) != std::string_view::npos) {
            i += 2;
        } else {
            return 0;
        }
    }
    return 0;
}

// The length of the number lexeme starting at `at`, or 0 when it is invalid.
std::size_t numberLength(std::string_view text, std::size_t at) {
    std::size_t i = at;
    auto digitsFrom = [&](std::size_t from) {
        std::size_t end = from;
        while (end < text.size() && ascii::isDigit(text[end]))
            ++end;
        return end;
    };
    if (i < text.size() && text[i] == '-')
        ++i;
    if (i >= text.size() || !ascii::isDigit(text[i]))
        return 0;
    i = text[i] == '0' ? i + 1 : digitsFrom(i);
    if (i < text.size() && text[i] == '.') {
        const std::size_t end = digitsFrom(i + 1);
        if (end == i + 1)
            return 0;
        i = end;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const std::size_t end = digitsFrom(i);
        if (end == i)
            return 0;
        i = end;
    }
    return i - at;
}

std::size_t literalLength(std::string_view text, std::size_t at) {
    for (std::string_view literal : {"true", "false", "null"}) {
        if (text.substr(at, literal.size()) == literal)
            return literal.size();
    }
    return 0;
}

// What may come next in the grammar.
enum class Expect { value, firstValueOrEnd, firstKeyOrEnd, key, colon, commaOrEnd };

// Splits `text` into tokens and checks the grammar without recursion. The top level must be an
// object or an array.
std::optional<std::vector<Token>> tokenize(std::string_view text) {
    if (text.size() >= UINT32_MAX || !unicode::isValidUtf8(text))
        return std::nullopt;
    std::vector<Token> tokens;
    tokens.reserve(text.size() / 4);
    std::vector<std::uint32_t> open;  // indices of the unclosed containers' opening tokens
    Expect expect = Expect::value;
    std::size_t i = 0;
    auto push = [&](TokenKind kind, std::size_t length) {
        tokens.push_back({kind, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(length)});
        i += length;
    };
    auto afterValue = [&] { expect = Expect::commaOrEnd; };

    while (true) {
        while (i < text.size() && isJsonSpace(text[i]))
            ++i;
        if (i >= text.size())
            break;
        if (!tokens.empty() && open.empty())
            return std::nullopt;  // something after the top-level value
        const char c = text[i];
        const bool valueAllowed = expect == Expect::value || expect == Expect::firstValueOrEnd;
        const bool keyAllowed = expect == Expect::key || expect == Expect::firstKeyOrEnd;

        if ((c == '{' || c == '[') && valueAllowed) {
            if (open.size() >= maximumJsonDepth)
                return std::nullopt;
            open.push_back(static_cast<std::uint32_t>(tokens.size()));
            push(c == '{' ? TokenKind::beginObject : TokenKind::beginArray, 1);
            expect = c == '{' ? Expect::firstKeyOrEnd : Expect::firstValueOrEnd;
        } else if (c == '}' || c == ']') {
            const TokenKind opener = c == '}' ? TokenKind::beginObject : TokenKind::beginArray;
            const bool mayClose = expect == Expect::commaOrEnd ||
                                  (c == '}' && expect == Expect::firstKeyOrEnd) ||
                                  (c == ']' && expect == Expect::firstValueOrEnd);
            if (open.empty() || tokens[open.back()].kind != opener || !mayClose)
                return std::nullopt;
            tokens[open.back()].closing = static_cast<std::uint32_t>(tokens.size());
            open.pop_back();
            push(c == '}' ? TokenKind::endObject : TokenKind::endArray, 1);
            afterValue();
        } else if (c == ',' && expect == Expect::commaOrEnd && !open.empty()) {
            const bool inObject = tokens[open.back()].kind == TokenKind::beginObject;
            push(TokenKind::comma, 1);
            expect = inObject ? Expect::key : Expect::value;
        } else if (c == ':' && expect == Expect::colon) {
            push(TokenKind::colon, 1);
            expect = Expect::value;
        } else if (c == '"' && (valueAllowed || keyAllowed) && !open.empty()) {
            const std::size_t length = stringLength(text, i);
            if (length == 0)
                return std::nullopt;
            push(TokenKind::string, length);
            if (keyAllowed) {
                expect = Expect::colon;
            } else {
                afterValue();
            }
        } else if (valueAllowed && !open.empty()) {
            const std::size_t length =
                (c == '-' || ascii::isDigit(c)) ? numberLength(text, i) : literalLength(text, i);
            if (length == 0)
                return std::nullopt;
            push(TokenKind::scalar, length);
            afterValue();
        } else {
            return std::nullopt;
        }
    }
    if (tokens.empty() || !open.empty())
        return std::nullopt;
    return tokens;
}

std::string_view lexeme(std::string_view text, const Token& token) {
    return text.substr(token.offset, token.length);
}

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

class PrettyWriter {
  public:
    PrettyWriter(std::string_view text, const std::vector<Token>& tokens)
        : text_(text), tokens_(tokens) {
        out_.reserve(text.size() + text.size() / 2);
    }

    std::optional<std::string> write() {
        writeValue(0);
        while (!frames_.empty()) {
            if (out_.size() > maximumJsonOutput)
                return std::nullopt;
            Frame& frame = frames_.back();
            if (frame.next == frame.members.size()) {
                newLine(frames_.size() - 1);
                out_ += tokens_[frame.opening].kind == TokenKind::beginObject ? '}' : ']';
                frames_.pop_back();
                continue;
            }
            const std::uint32_t member = frame.members[frame.next];
            if (frame.next++ > 0)
                out_ += ',';
            newLine(frames_.size());
            std::uint32_t value = member;
            if (tokens_[frame.opening].kind == TokenKind::beginObject) {
                out_ += lexeme(text_, tokens_[member]);
                out_ += " : ";
                value = member + 2;
            }
            writeValue(value);  // may push a frame, invalidating `frame`
        }
        if (out_.size() > maximumJsonOutput)
            return std::nullopt;
        return std::move(out_);
    }

  private:
    struct Frame {
        std::uint32_t opening;
        std::vector<std::uint32_t> members;  // first token of each member, in writing order
        std::size_t next = 0;
    };

    bool isOpening(std::uint32_t index) const {
        const TokenKind kind = tokens_[index].kind;
        return kind == TokenKind::beginObject || kind == TokenKind::beginArray;
    }

    std::uint32_t lastTokenOf(std::uint32_t value) const {
        return isOpening(value) ? tokens_[value].closing : value;
    }

    void writeValue(std::uint32_t index) {
        const Token& token = tokens_[index];
        if (!isOpening(index)) {
            out_ += lexeme(text_, token);
            return;
        }
        const bool isObject = token.kind == TokenKind::beginObject;
        if (token.closing == index + 1) {
            out_ += isObject ? "{}" : "[]";
            return;
        }
        out_ += isObject ? '{' : '[';
        Frame frame{index, {}};
        for (std::uint32_t member = index + 1; member < token.closing;) {
            frame.members.push_back(member);
            const std::uint32_t value = isObject ? member + 2 : member;
            member = lastTokenOf(value) + 1;
            if (tokens_[member].kind == TokenKind::comma)
                ++member;
        }
        if (isObject)
            sortByKey(frame.members);
        frames_.push_back(std::move(frame));
    }

    void sortByKey(std::vector<std::uint32_t>& members) {
        // Most keys have no escapes and sort by their lexeme; only the others are decoded.
        decodedKeys_.clear();
        std::vector<std::pair<std::string_view, std::uint32_t>> keyed;
        keyed.reserve(members.size());
        for (std::uint32_t member : members) {
            const std::string_view key = lexeme(text_, tokens_[member]);
            if (key.find('\\') == std::string_view::npos) {
                keyed.emplace_back(key.substr(1, key.size() - 2), member);
            } else {
                keyed.emplace_back(decodedKeys_.emplace_back(decodedKey(key)), member);
            }
        }
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::transform(keyed.begin(), keyed.end(), members.begin(),
                       [](const auto& entry) { return entry.second; });
    }

    void newLine(std::size_t depth) {
        out_ += '\n';
        out_.append(2 * depth, ' ');
    }

    std::string_view text_;
    const std::vector<Token>& tokens_;
    std::vector<Frame> frames_;
    std::deque<std::string> decodedKeys_;  // a deque: the views into it stay valid as it grows
    std::string out_;
};

// Texts saved by some editors start with a byte-order mark, which readers of JSON skip.
std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());
    return text;
}

}  // namespace

std::optional<std::string> prettified(std::string_view text) {
    text = withoutByteOrderMark(text);
    const auto tokens = tokenize(text);
    if (!tokens)
        return std::nullopt;
    return PrettyWriter(text, *tokens).write();
}

std::optional<std::string> minified(std::string_view text) {
    text = withoutByteOrderMark(text);
    const auto tokens = tokenize(text);
    if (!tokens)
        return std::nullopt;
    std::string out;
    out.reserve(text.size());
    for (const Token& token : *tokens)
        out += lexeme(text, token);
    return out;
}

}  // namespace pindrake::converters::json
