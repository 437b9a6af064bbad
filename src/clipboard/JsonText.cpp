#include "clipboard/JsonText.h"

#include <algorithm>

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::clipboard::json_text {
namespace {

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

// Checks the grammar of a text without its byte-order mark, without recursion, and keeps its
// tokens in `kept` when given. The top level must be an object or an array.
bool scan(std::string_view text, std::vector<Token>* kept) {
    if (text.size() >= UINT32_MAX || !unicode::isValidUtf8(text))
        return false;
    struct Open {
        TokenKind kind;
        std::uint32_t index;
    };
    std::vector<Open> open;  // the containers not closed yet
    std::uint32_t count = 0;
    Expect expect = Expect::value;
    std::size_t i = 0;
    auto push = [&](TokenKind kind, std::size_t length) {
        if (kept)
            kept->push_back(
                {kind, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(length)});
        ++count;
        i += length;
    };
    auto afterValue = [&] { expect = Expect::commaOrEnd; };

    while (true) {
        while (i < text.size() && isJsonSpace(text[i]))
            ++i;
        if (i >= text.size())
            break;
        if (count > 0 && open.empty())
            return false;  // something after the top-level value
        const char c = text[i];
        const bool valueAllowed = expect == Expect::value || expect == Expect::firstValueOrEnd;
        const bool keyAllowed = expect == Expect::key || expect == Expect::firstKeyOrEnd;

        if ((c == '{' || c == '[') && valueAllowed) {
            if (open.size() >= maximumDepth)
                return false;
            const TokenKind kind = c == '{' ? TokenKind::beginObject : TokenKind::beginArray;
            open.push_back({kind, count});
            push(kind, 1);
            expect = c == '{' ? Expect::firstKeyOrEnd : Expect::firstValueOrEnd;
        } else if (c == '}' || c == ']') {
            const TokenKind opener = c == '}' ? TokenKind::beginObject : TokenKind::beginArray;
            const bool mayClose = expect == Expect::commaOrEnd ||
                                  (c == '}' && expect == Expect::firstKeyOrEnd) ||
                                  (c == ']' && expect == Expect::firstValueOrEnd);
            if (open.empty() || open.back().kind != opener || !mayClose)
                return false;
            if (kept)
                (*kept)[open.back().index].closing = count;
            open.pop_back();
            push(c == '}' ? TokenKind::endObject : TokenKind::endArray, 1);
            afterValue();
        } else if (c == ',' && expect == Expect::commaOrEnd && !open.empty()) {
            const bool inObject = open.back().kind == TokenKind::beginObject;
            push(TokenKind::comma, 1);
            expect = inObject ? Expect::key : Expect::value;
        } else if (c == ':' && expect == Expect::colon) {
            push(TokenKind::colon, 1);
            expect = Expect::value;
        } else if (c == '"' && (valueAllowed || keyAllowed) && !open.empty()) {
            const std::size_t length = stringLength(text, i);
            if (length == 0)
                return false;
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
                return false;
            push(TokenKind::scalar, length);
            afterValue();
        } else {
            return false;
        }
    }
    return count > 0 && open.empty();
}

}  // namespace

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());
    return text;
}

std::optional<Tokens> tokenized(std::string_view text) {
    Tokens json{withoutByteOrderMark(text), {}};
    json.tokens.reserve(json.body.size() / 4);
    if (!scan(json.body, &json.tokens))
        return std::nullopt;
    return json;
}

bool isJsonText(std::string_view text) {
    return scan(withoutByteOrderMark(text), nullptr);
}

}  // namespace pindrake::clipboard::json_text
