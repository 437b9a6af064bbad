#include "converters/JsonLayout.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "clipboard/JsonText.h"
#include "foundation/Unicode.h"

namespace pindrake::converters::json {
namespace {

using clipboard::json_text::Token;
using clipboard::json_text::TokenKind;

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

}  // namespace

std::optional<std::string> prettified(std::string_view text) {
    const auto json = clipboard::json_text::tokenized(text);
    if (!json)
        return std::nullopt;
    return PrettyWriter(json->body, json->tokens).write();
}

std::optional<std::string> minified(std::string_view text) {
    const auto json = clipboard::json_text::tokenized(text);
    if (!json)
        return std::nullopt;
    std::string out;
    out.reserve(json->body.size());
    for (const Token& token : json->tokens)
        out += lexeme(json->body, token);
    return out;
}

}  // namespace pindrake::converters::json
