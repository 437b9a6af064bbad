#include "clipboard/JsonText.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "foundation/Ascii.h"

namespace pindrake::clipboard::json_text {
namespace {

bool isJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Looks at the stop once per stretch of the steps a check takes, whichever loop takes them;
// once stopped, stays so.
class Looks {
  public:
    explicit Looks(const CancellationToken& stop) : stop_(stop) {}
    bool stopped() {
        stopped_ = stopped_ || stop_.isCancelledAt(++steps_);
        return stopped_;
    }
    // For a loop that counts its own stretches.
    bool stoppedNow() {
        stopped_ = stopped_ || stop_.isCancelled();
        return stopped_;
    }

  private:
    const CancellationToken& stop_;
    std::size_t steps_ = 0;
    bool stopped_ = false;
};

// The length of the string lexeme starting at `at` (a quotation mark), or 0 when it is invalid
// or the check stopped. Its characters are checked as UTF-8 here: strings are the only place
// JSON lets other than ASCII stand.
std::size_t stringLength(std::string_view text, std::size_t at, Looks& looks) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int64_t>(text.size());
    std::int64_t i = static_cast<std::int64_t>(at) + 1;
    constexpr auto stretch = static_cast<std::int64_t>(CancellationToken::stretch);
    while (i < length) {
        if (looks.stoppedNow())
            return 0;
        const std::int64_t stretchEnd = length - i > stretch ? i + stretch : length;
        while (i < stretchEnd) {
            const std::uint8_t c = bytes[i];
            if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
                ++i;
                continue;
            }
            if (c == '"')
                return static_cast<std::size_t>(i + 1) - at;
            if (c < 0x20)
                return 0;
            if (c >= 0x80) {
                UChar32 character;
                U8_NEXT(bytes, i, length, character);
                if (character < 0)
                    return 0;
                continue;
            }
            if (i + 1 >= length)
                return 0;
            const char escaped = text[i + 1];
            if (escaped == 'u') {
                if (i + 6 > length ||
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
    }
    return 0;
}

// The length of the number lexeme starting at `at`, or 0 when it is invalid.
std::size_t numberLength(std::string_view text, std::size_t at, Looks& looks) {
    std::size_t i = at;
    auto digitsFrom = [&](std::size_t from) {
        std::size_t end = from;
        while (end < text.size() && ascii::isDigit(text[end])) {
            if (++end % CancellationToken::stretch == 0 && looks.stoppedNow())
                break;
        }
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

// Checks the grammar of a text without its byte-order mark, without recursion. The top level
// must be an object or an array.
bool scan(std::string_view text, const CancellationToken& stop) {
    Looks looks(stop);
    std::vector<bool> open;  // the containers not closed yet, true for an object
    std::size_t count = 0;
    Expect expect = Expect::value;
    std::size_t i = 0;
    auto push = [&](std::size_t length) {
        ++count;
        i += length;
    };
    auto afterValue = [&] { expect = Expect::commaOrEnd; };

    while (true) {
        // A run of white space looks at the stop once per stretch of positions it passes.
        while (i < text.size() && isJsonSpace(text[i])) {
            if (++i % CancellationToken::stretch == 0 && looks.stoppedNow())
                return false;
        }
        if (looks.stopped())
            return false;
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
            open.push_back(c == '{');
            push(1);
            expect = c == '{' ? Expect::firstKeyOrEnd : Expect::firstValueOrEnd;
        } else if (c == '}' || c == ']') {
            const bool mayClose = expect == Expect::commaOrEnd ||
                                  (c == '}' && expect == Expect::firstKeyOrEnd) ||
                                  (c == ']' && expect == Expect::firstValueOrEnd);
            if (open.empty() || open.back() != (c == '}') || !mayClose)
                return false;
            open.pop_back();
            push(1);
            afterValue();
        } else if (c == ',' && expect == Expect::commaOrEnd && !open.empty()) {
            push(1);
            expect = open.back() ? Expect::key : Expect::value;
        } else if (c == ':' && expect == Expect::colon) {
            push(1);
            expect = Expect::value;
        } else if (c == '"' && (valueAllowed || keyAllowed) && !open.empty()) {
            const std::size_t length = stringLength(text, i, looks);
            if (length == 0)
                return false;
            push(length);
            if (keyAllowed) {
                expect = Expect::colon;
            } else {
                afterValue();
            }
        } else if (valueAllowed && !open.empty()) {
            const std::size_t length = (c == '-' || ascii::isDigit(c))
                                           ? numberLength(text, i, looks)
                                           : literalLength(text, i);
            if (length == 0 || looks.stopped())
                return false;
            push(length);
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

bool isJsonText(std::string_view text, const CancellationToken& stop) {
    return scan(withoutByteOrderMark(text), stop);
}

}  // namespace pindrake::clipboard::json_text
