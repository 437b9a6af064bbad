#include "markdown/parse/ParseDocument.h"

#include <stdexcept>
#include <string>
#include <system_error>

#include "foundation/Files.h"
#include "foundation/Unicode.h"
#include "markdown/parse/BlockDirectiveParser.h"
#include "markdown/parse/CommonMarkConverter.h"
#include "markdown/parse/ParseContainerConversion.h"

namespace pindrake::markdown {

namespace {

// Unpaired surrogates become U+FFFD, as invalid UTF-8 does; only a cut-off last unit fails.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        throw std::runtime_error("UTF-16 text with an odd number of bytes");
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return unicode::toUtf8(units);
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
    std::error_code error;
    auto bytes = files::read(path, error);
    if (!bytes)
        throw std::filesystem::filesystem_error("cannot read Markdown file", path, error);
    return parseDocument(decodeText(std::move(*bytes)), Url::fromFilePath(path.string()), options);
}

}  // namespace pindrake::markdown
