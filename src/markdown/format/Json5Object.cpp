#include "markdown/format/Json5Object.h"

#include <vector>

#include "foundation/Ascii.h"
#include "foundation/Unicode.h"

namespace pindrake::markdown::detail {

namespace {

bool isIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || static_cast<unsigned char>(c) >= 0x80;
}

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }
    bool consume(char c) {
        if (peek() != c || atEnd())
            return false;
        ++at_;
        return true;
    }

    // Blanks and comments; false for an unterminated block comment.
    bool skipSpace() {
        while (!atEnd()) {
            const char c = text_[at_];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
                ++at_;
            } else if (text_.substr(at_, 2) == "\xC2\xA0") {
                at_ += 2;
            } else if (text_.substr(at_, 3) == "\xEF\xBB\xBF") {
                at_ += 3;
            } else if (text_.substr(at_, 2) == "//") {
                const auto end = text_.find('\n', at_);
                at_ = end == std::string_view::npos ? text_.size() : end;
            } else if (text_.substr(at_, 2) == "/*") {
                const auto end = text_.find("*/", at_ + 2);
                if (end == std::string_view::npos)
                    return false;
                at_ = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    std::optional<std::string> string() {
        const char quote = peek();
        if (quote != '"' && quote != '\'')
            return std::nullopt;
        ++at_;
        std::string value;
        while (!atEnd()) {
            const char c = text_[at_++];
            if (c == quote)
                return value;
            if (c == '\n' || c == '\r')
                return std::nullopt;
            if (c != '\\') {
                value += c;
            } else if (!escape(value)) {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<std::string> key() {
        if (peek() == '"' || peek() == '\'')
            return string();
        const std::size_t start = at_;
        while (!atEnd() && isIdentifierChar(text_[at_])) {
            ++at_;
        }
        if (at_ == start || (text_[start] >= '0' && text_[start] <= '9'))
            return std::nullopt;
        return std::string(text_.substr(start, at_ - start));
    }

    // Any value: a string, a number or a literal, or a nested object or array whose brackets
    // are matched with an explicit stack.
    bool skipValue() {
        if (peek() == '"' || peek() == '\'')
            return string().has_value();
        if (peek() != '{' && peek() != '[')
            return scalar();
        std::vector<char> closers;
        while (true) {
            if (!skipSpace() || atEnd())
                return false;
            const char c = peek();
            if (c == '{' || c == '[') {
                closers.push_back(c == '{' ? '}' : ']');
                ++at_;
            } else if (c == '}' || c == ']') {
                if (closers.empty() || closers.back() != c)
                    return false;
                closers.pop_back();
                ++at_;
                if (closers.empty())
                    return true;
            } else if (c == '"' || c == '\'') {
                if (!string())
                    return false;
            } else if (c == ',' || c == ':') {
                ++at_;
            } else if (token().empty()) {
                return false;
            }
        }
    }

  private:
    // A run of the characters of names, numbers and literals.
    std::string_view token() {
        const std::size_t start = at_;
        while (!atEnd() && (isIdentifierChar(text_[at_]) || text_[at_] == '+' ||
                            text_[at_] == '-' || text_[at_] == '.')) {
            ++at_;
        }
        return text_.substr(start, at_ - start);
    }

    bool scalar() {
        const std::string_view token = this->token();
        if (token.empty())
            return false;
        if (token == "true" || token == "false" || token == "null")
            return true;
        const std::string_view unsigned_ =
            token.front() == '+' || token.front() == '-' ? token.substr(1) : token;
        if (unsigned_ == "Infinity" || unsigned_ == "NaN")
            return true;
        return !unsigned_.empty() && ((unsigned_[0] >= '0' && unsigned_[0] <= '9') ||
                                      (unsigned_[0] == '.' && unsigned_.size() > 1));
    }

    bool hexDigits(std::size_t count, char16_t& value) {
        if (text_.size() - at_ < count)
            return false;
        value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const int digit = ascii::hexValue(text_[at_ + i]);
            if (digit < 0)
                return false;
            value = static_cast<char16_t>(value * 16 + digit);
        }
        at_ += count;
        return true;
    }

    bool escape(std::string& value) {
        if (atEnd())
            return false;
        const char c = text_[at_++];
        switch (c) {
            case 'b':
                value += '\b';
                return true;
            case 'f':
                value += '\f';
                return true;
            case 'n':
                value += '\n';
                return true;
            case 'r':
                value += '\r';
                return true;
            case 't':
                value += '\t';
                return true;
            case 'v':
                value += '\v';
                return true;
            case '0':
                value += '\0';
                return true;
            case '\n':
                return true;
            case '\r':
                consume('\n');
                return true;
            case 'x': {
                char16_t code = 0;
                if (!hexDigits(2, code))
                    return false;
                value += unicode::toUtf8(std::u16string_view(&code, 1));
                return true;
            }
            case 'u':
                return unicodeEscape(value);
            default:
                if (c >= '1' && c <= '9')
                    return false;
                value += c;
                return true;
        }
    }

    // A high surrogate escape must be followed by its low one when another escape follows;
    // a surrogate standing alone reads as U+FFFD.
    bool unicodeEscape(std::string& value) {
        char16_t units[2] = {};
        std::size_t count = 1;
        if (!hexDigits(4, units[0]))
            return false;
        if (units[0] >= 0xD800 && units[0] <= 0xDBFF && text_.substr(at_, 2) == "\\u") {
            at_ += 2;
            if (!hexDigits(4, units[1]) || units[1] < 0xDC00 || units[1] > 0xDFFF)
                return false;
            count = 2;
        }
        value += unicode::toUtf8(std::u16string_view(units, count));
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<std::string> json5StringMember(std::string_view object, std::string_view key) {
    Reader reader(object);
    if (!reader.skipSpace() || !reader.consume('{'))
        return std::nullopt;
    std::optional<std::string> found;
    while (true) {
        if (!reader.skipSpace())
            return std::nullopt;
        if (reader.consume('}'))
            break;
        auto name = reader.key();
        if (!name || !reader.skipSpace() || !reader.consume(':') || !reader.skipSpace())
            return std::nullopt;
        const bool quoted = reader.peek() == '"' || reader.peek() == '\'';
        if (*name == key && quoted) {
            found = reader.string();
            if (!found)
                return std::nullopt;
        } else if (!reader.skipValue()) {
            return std::nullopt;
        } else if (*name == key) {
            found.reset();
        }
        if (!reader.skipSpace())
            return std::nullopt;
        if (!reader.consume(',')) {
            if (!reader.consume('}'))
                return std::nullopt;
            break;
        }
    }
    if (!reader.skipSpace() || !reader.atEnd())
        return std::nullopt;
    return found;
}

}  // namespace pindrake::markdown::detail
