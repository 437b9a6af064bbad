#include "markdown/parse/ParseDocument.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

#include "markdown/parse/BlockDirectiveParser.h"
#include "markdown/parse/CommonMarkConverter.h"
#include "markdown/parse/ParseContainerConversion.h"

namespace pindrake::markdown {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        throw std::runtime_error("UTF-16 text with an odd number of bytes");
    auto unitAt = [&](std::size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const char16_t unit = unitAt(i);
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            throw std::runtime_error("UTF-16 text with a stray low surrogate");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 2 >= bytes.size())
                throw std::runtime_error("UTF-16 text ends inside a surrogate pair");
            const char16_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                throw std::runtime_error("UTF-16 text with an unpaired high surrogate");
            appendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

// A file's bytes as UTF-8 text: the byte-order mark decides, and without one it is UTF-8.
std::string decodeText(std::string bytes) {
    const std::string_view view = bytes;
    if (view.starts_with("\xEF\xBB\xBF"))
        return bytes.substr(3);
    if (view.starts_with("\xFF\xFE"))
        return utf16ToUtf8(view.substr(2), false);
    if (view.starts_with("\xFE\xFF"))
        return utf16ToUtf8(view.substr(2), true);
    return bytes;
}

}  // namespace

Document parseDocument(std::string_view text, ParseOptions options) {
    return parseDocument(text, Url(), options);
}

Document parseDocument(std::string_view text, const Url& source, ParseOptions options) {
    if (!options.contains(ParseOptions::parseBlockDirectives))
        return parseWithCmark(text, source, options);
    const ParseContainerStack stack(text, source, options);
    return documentFromContainers(stack, source, options);
}

Document parseDocumentFile(const std::filesystem::path& path, ParseOptions options) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::filesystem::filesystem_error(
            "cannot read Markdown file", path,
            std::make_error_code(std::errc::no_such_file_or_directory));
    }
    std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        throw std::filesystem::filesystem_error("cannot read Markdown file", path,
                                                std::make_error_code(std::errc::io_error));
    }
    return parseDocument(decodeText(std::move(bytes)), Url::fromFilePath(path.string()), options);
}

}  // namespace pindrake::markdown
