#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pindrake::zarezo {

enum class ZarezoHeadingStyle { setext, atx };
enum class ZarezoCodeBlockStyle { indented, fenced };
enum class ConversionEngine { turndown, htmlToMd };

// Raw values equal the case names; parsing is case-sensitive and knows no other spelling.
std::string_view rawValue(ZarezoHeadingStyle style);
std::string_view rawValue(ZarezoCodeBlockStyle style);
std::string_view rawValue(ConversionEngine engine);
template <class Enum>
std::optional<Enum> fromRawValue(std::string_view raw);
template <>
std::optional<ZarezoHeadingStyle> fromRawValue(std::string_view raw);
template <>
std::optional<ZarezoCodeBlockStyle> fromRawValue(std::string_view raw);
template <>
std::optional<ConversionEngine> fromRawValue(std::string_view raw);

// How HTML becomes Markdown. Turndown reads the heading and code-block styles; html-to-md reads
// the empty-tag list; both read the marker and the skip and ignore lists.
struct ZarezoOptions {
    ZarezoHeadingStyle headingStyle = ZarezoHeadingStyle::atx;
    std::string bulletListMarker = "-";
    ZarezoCodeBlockStyle codeBlockStyle = ZarezoCodeBlockStyle::fenced;
    ConversionEngine engine = ConversionEngine::turndown;
    std::vector<std::string> skipTags;
    std::vector<std::string> ignoreTags;
    std::vector<std::string> emptyTags;

    ZarezoOptions() = default;
    // The engine comes first here, unlike the field order.
    ZarezoOptions(ConversionEngine engine, ZarezoHeadingStyle headingStyle,
                  std::string bulletListMarker, ZarezoCodeBlockStyle codeBlockStyle,
                  std::vector<std::string> skipTags, std::vector<std::string> ignoreTags,
                  std::vector<std::string> emptyTags);

    static const ZarezoOptions& defaults();

    bool operator==(const ZarezoOptions&) const = default;
};

}  // namespace pindrake::zarezo
